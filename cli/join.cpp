#include "cli/join.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/cleaning.h"
#include "cli/messages.h"
#include "common/natural_order.h"
#include "engine/convert/book_join.h"
#include "engine/output/batch_plan.h"

namespace sorvane::cli {

int joinAll(const std::vector<Input>& inputs, const Options& options, int failuresBefore)
{
    const std::string& name = options.joinName.value_or(std::string());
    std::vector<std::filesystem::path> sources;
    for (const Input& input : inputs)
        sources.push_back(input.source);
    // Chapters named by a shell pattern come in the shell's order (chap1, chap10, chap2);
    // the book takes them in the order the window lists them.
    if (!options.keepOrder)
        std::stable_sort(sources.begin(), sources.end(), [](const auto& a, const auto& b) {
            return NaturalLess()(a.string(), b.string());
        });
    if (sources.empty()) {
        std::fprintf(stderr, "sorvane-cli: %s: %s\n", name.c_str(), localized("没有可以合并的文档").c_str());
        return 1;
    }
    BookOptions bookOptions;
    bookOptions.jobs = options.jobs;
    bookOptions.noClobber = options.noClobber;
    bookOptions.cleaning.rules = options.rules;
    bookOptions.cleaning.keepRemoved = options.showRemoved;
    const Result<BookReport> report = joinBook(sources, bookFolder(sources, options.outputDir), name, options.params,
                                               options.list, bookOptions);
    if (!report) {
        std::fprintf(stderr, "%s\n", messageLine(name, report.error()).c_str());
        // A book skipped for --no-clobber is no failure.
        return report.error().code == ErrorCode::OutputExists && failuresBefore == 0 ? 0 : 1;
    }
    for (const ChapterFailure& failure : report->failures)
        std::fprintf(stderr, "%s\n", messageLine(failure.source, failure.error).c_str());
    for (const ChapterProblem& problem : report->problems)
        std::fprintf(stderr, "sorvane-cli: %s: %s\n", problem.source.c_str(), localizedMessage(problem.problem).c_str());
    printRemovals(report->removed, options.showRemoved);
    if (!options.quiet)
        for (const auto& file : report->files)
            std::printf("%s\n", file.c_str());
    if (report->lostCharacters > 0)
        std::fprintf(stderr, "sorvane-cli: %s: %s\n", name.c_str(),
                     localized("%1 个字符 GBK 中没有，已写成 \"?\"；用 --encoding utf-8 或 gb18030 可以保留它们",
                               {std::to_string(report->lostCharacters)})
                         .c_str());
    const std::string cleaned = cleaningSummary(clean::removedCount(report->removed), clean::contentsPages(report->removed));
    if (!options.quiet && !cleaned.empty())
        std::fprintf(stderr, "sorvane-cli: %s: %s\n", name.c_str(), cleaned.c_str());
    if (!options.quiet && isatty(STDERR_FILENO) == 1)
        std::fprintf(stderr, "%s\n",
                     localized("已合并 %1 个文件，%2 个失败",
                               {std::to_string(report->chapters),
                                std::to_string(report->failures.size() + static_cast<std::size_t>(failuresBefore))})
                         .c_str());
    std::fflush(stdout);
    return exitStatus(failuresBefore + static_cast<int>(report->failures.size()),
                      static_cast<int>(report->problems.size()));
}

}  // namespace sorvane::cli
