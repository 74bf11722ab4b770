// sorvane-cli: converts documents from the command line with the same engine and the same
// parameter texts as the window. Exit status: 0 all converted (or skipped), 1 some failed,
// 2 bad usage, 3 all written but with parts a reader could not read left out.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/cleaning.h"
#include "cli/inputs.h"
#include "cli/join.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/ordered_runner.h"
#include "common/conversion_params.h"
#include "common/text.h"
#include "engine/convert/ch_txt.h"
#include "engine/convert/renderer.h"
#include "engine/output/batch_plan.h"
#include "engine/output/output_encoding.h"
#include "io/memory_release.h"
#include "io/temporary_files.h"

namespace {

using namespace sorvane;
using namespace sorvane::cli;

enum class Outcome { Pending, Converted, Skipped, Failed };

struct Job {
    Input input;
    Outcome outcome = Outcome::Pending;
    std::optional<ConvertedText> converted;  // Files mode: converted, not yet written
    std::string output;  // what goes to standard output (--stdout, --raw, or the file list)
    std::string error;   // the failure or skip line
    std::size_t lost = 0;
    ReadProblems problems;  // what the reader could not read of the document
    clean::RemovalReport removed;  // what cleaning took out
    std::shared_ptr<const clean::SiteProfile> site;  // what the pages of its folder share
    bool noStory = false;  // a web page without a story, left out
};

void fail(Job& job, const Error& error)
{
    // A document whose output exists (--no-clobber) and a page without a story are left
    // out as asked.
    const bool skip = error.code == ErrorCode::OutputExists || error.code == ErrorCode::NoStory;
    job.outcome = skip ? Outcome::Skipped : Outcome::Failed;
    job.noStory = error.code == ErrorCode::NoStory;
    job.error = messageLine(job.input.source, error);
    job.converted.reset();
}

EngineContext contextFor(Job& job, const Options& options)
{
    EngineContext context;  // renderDocument, no caption, no progress
    if (job.input.fromStdin)
        context.render = [&options, &job](const std::filesystem::path& name) {
            return options.params.cleanPages ? renderStoryBytes(name, options.stdinBytes, &job.problems)
                                             : renderDocumentBytes(name, options.stdinBytes, &job.problems);
        };
    context.cleaning.rules = options.rules;
    context.cleaning.site = job.site;
    context.cleaning.keepRemoved = options.showRemoved;
    return context;
}

// The part of a job that may run on any thread: rendering and cleaning. Files are
// written afterwards, in run order, by writeJob.
void convertJob(Job& job, const ConversionParams& params, const Options& options)
{
    if (job.outcome != Outcome::Pending)
        return;
    try {
        const EngineContext context = contextFor(job, options);
        switch (options.mode) {
        case Mode::Raw: {
            Result<Text> text = job.input.fromStdin ? renderDocumentBytes(job.input.source, options.stdinBytes, &job.problems)
                                                    : renderDocument(job.input.source, &job.problems);
            if (!text)
                return fail(job, text.error());
            job.output = toUtf8(*text);
            break;
        }
        case Mode::Stdout:
        case Mode::Files: {
            Result<ConvertedText> converted = convertDocument(job.input.source, params, options.list, context);
            if (!converted)
                return fail(job, converted.error());
            job.problems.insert(job.problems.end(), converted->problems.begin(), converted->problems.end());
            if (options.mode == Mode::Files) {
                job.converted.emplace(std::move(*converted));
                return;
            }
            job.removed = std::move(converted->removed);
            for (const TextPart& part : converted->parts)
                job.output += encodeOutput(part.content, params).bytes;
            break;
        }
        }
        job.outcome = Outcome::Converted;
    } catch (const std::exception& e) {
        fail(job, Error{ErrorCode::BadInput, localized("内部错误: %1", {e.what()}), {}});
    }
}

// Writes a converted job's files. Runs on the main thread in run order, so which of two
// documents keeps a name never depends on the number of jobs.
void writeJob(Job& job, std::size_t index, BatchPlan& plan, const Options& options)
{
    if (job.outcome != Outcome::Pending || !job.converted)
        return;
    try {
        EngineContext context = contextFor(job, options);
        context.claimOutputs = [&plan, index](const std::vector<std::filesystem::path>& names) {
            return plan.claim(index, names);
        };
        context.ownedElsewhere = [&plan, index](const std::filesystem::path& file) {
            return plan.ownedElsewhere(index, file);
        };
        context.output = plan.output(index);
        Result<ConversionReport> report =
            writeConverted(job.input.source, 0, *job.converted, plan.params(index), context);
        job.converted.reset();
        if (!report)
            return fail(job, report.error());
        for (const auto& file : report->files)
            job.output += file.string() + "\n";
        job.lost = report->lostCharacters;
        job.removed = std::move(report->removed);
        job.outcome = Outcome::Converted;
    } catch (const std::exception& e) {
        fail(job, Error{ErrorCode::BadInput, localized("内部错误: %1", {e.what()}), {}});
    }
}

// With cleaning, the pages of one folder are converted together: what they share (the
// lines the site repeats) is learnt from all of them before the first is converted.
void learnSites(std::vector<Job>& jobs, const Options& options)
{
    std::map<std::filesystem::path, std::vector<std::size_t>> byFolder;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (jobs[i].outcome == Outcome::Pending && !jobs[i].input.fromStdin)
            byFolder[jobs[i].input.source.parent_path()].push_back(i);
    for (const auto& [folder, members] : byFolder) {
        std::vector<std::filesystem::path> sources;
        for (std::size_t i : members)
            sources.push_back(jobs[i].input.source);
        CleanOptions cleaning;
        cleaning.rules = options.rules;
        const auto site = learnSite(sources, options.params, options.list, cleaning, options.jobs);
        for (std::size_t i : members)
            jobs[i].site = site;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Under a file size limit ("ulimit -f") a write past it raises SIGXFSZ, which would
    // end the program mid-file; ignored, the write fails with EFBIG and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
    // Interrupted (Ctrl+C, kill, a closed pipe on standard output), leave no temporary file.
    removeTemporaryFilesOnSignals();

    std::variant<Options, int> parsed = parseOptions(argc, argv);
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    Options& options = std::get<Options>(parsed);

    // Standard input is sniffed and capped as a file is, so endless or binary input is
    // refused early instead of filling memory; the other documents are still converted.
    std::optional<Error> stdinError;
    if (options.readsStdin) {
        Result<std::string> bytes = readDocumentStream(STDIN_FILENO, "stdin");
        if (bytes)
            options.stdinBytes = std::move(*bytes);
        else
            stdinError = bytes.error();
    }

    const InputList inputs = expandInputs(options.files, options.recursive, options.outputDir);
    int failures = 0;
    int skipped = 0;
    int converted = 0;
    int incomplete = 0;  // converted, with parts the reader could not read
    for (const InputProblem& problem : inputs.problems) {
        std::fprintf(stderr, "sorvane-cli: %s: %s\n", problem.where.c_str(), localizedMessage(problem.reason).c_str());
        ++failures;
    }
    if (options.joinName)
        return joinAll(inputs.inputs, options, failures);

    std::vector<Job> jobs(inputs.inputs.size());
    std::vector<BatchSource> sources;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        jobs[i].input = inputs.inputs[i];
        sources.push_back({jobs[i].input.source, jobs[i].input.outputFolder, !jobs[i].input.fromStdin});
    }
    // Documents refused for their names alone are reported in their turn, unconverted.
    BatchPlan plan(std::move(sources), options.params, options.noClobber);
    if (options.mode == Mode::Files)
        for (std::size_t i = 0; i < jobs.size(); ++i)
            if (const auto& refusal = plan.refusal(i))
                fail(jobs[i], *refusal);
    for (Job& job : jobs)
        if (stdinError && job.input.fromStdin && job.outcome == Outcome::Pending)
            fail(job, *stdinError);

    if (options.params.cleanPages && options.mode != Mode::Raw)
        learnSites(jobs, options);

    const bool terminal = isatty(STDERR_FILENO) == 1;
    const bool showProgress = !options.quiet && terminal;
    bool progressShown = false;
    auto clearProgress = [&] {
        if (progressShown) {
            std::fputs("\r\033[K", stderr);
            progressShown = false;
        }
    };
    std::size_t lostTotal = 0;
    int lossyDocuments = 0;
    std::size_t removedTotal = 0;
    std::size_t contentsTotal = 0;
    auto done = [&](std::size_t index) {
        Job& job = jobs[index];
        writeJob(job, index, plan, options);
        if (job.noStory)
            ++contentsTotal;
        if (job.outcome != Outcome::Converted) {
            clearProgress();
            std::fprintf(stderr, "%s\n", job.error.c_str());
            ++(job.outcome == Outcome::Skipped ? skipped : failures);
            return;
        }
        ++converted;
        if (options.mode != Mode::Files || !options.quiet) {
            std::fwrite(job.output.data(), 1, job.output.size(), stdout);
            std::fflush(stdout);
        }
        // Shown with --quiet too: a part left out is no progress report.
        for (const std::string& problem : job.problems) {
            clearProgress();
            std::fprintf(stderr, "sorvane-cli: %s: %s\n", job.input.source.string().c_str(),
                         localizedMessage(problem).c_str());
        }
        incomplete += job.problems.empty() ? 0 : 1;
        job.output = std::string();  // its buffer goes, not only its text
        if (!job.removed.empty()) {
            clearProgress();
            printRemovals(job.removed, options.showRemoved);
            removedTotal += clean::removedCount(job.removed);
            job.removed.clear();
        }
        if (job.lost > 0) {
            lostTotal += job.lost;
            ++lossyDocuments;
            if (!options.quiet) {
                clearProgress();
                std::fprintf(stderr, "sorvane-cli: %s: %s\n", job.input.source.string().c_str(),
                             localized("%1 个字符 GBK 中没有，已写成 \"?\"", {std::to_string(job.lost)}).c_str());
            }
        }
    };
    auto tick = [&](std::size_t finished) {
        if (!showProgress)
            return;
        std::fprintf(stderr, "\r\033[K%s",
                     localized("[%1/%2] 已转换", {std::to_string(finished), std::to_string(jobs.size())}).c_str());
        std::fflush(stderr);
        progressShown = true;
    };
    runInOrder(
        jobs.size(), options.jobs, [&](std::size_t i) { convertJob(jobs[i], plan.params(i), options); },
        [&](std::size_t i, std::size_t finished) {
            done(i);
            // A batch takes the memory of its largest document, not of all of them.
            releaseFreedMemory();
            tick(finished);
        });
    clearProgress();

    // Characters lost to code page 936 are reported even with --quiet.
    if (lostTotal > 0)
        std::fprintf(stderr, "sorvane-cli: %s\n",
                     localized("%1 个文件中共有 %2 个字符 GBK 中没有，已写成 \"?\"；"
                               "用 --encoding utf-8 或 gb18030 可以保留它们",
                               {std::to_string(lossyDocuments), std::to_string(lostTotal)})
                         .c_str());
    if (const std::string cleaned = cleaningSummary(removedTotal, contentsTotal); !cleaned.empty() && !options.quiet)
        std::fprintf(stderr, "sorvane-cli: %s\n", cleaned.c_str());
    if (terminal && !options.quiet) {
        std::string summary = localized("已转换 %1 个文件", {std::to_string(converted)});
        if (skipped > 0)
            summary += localized("，%1 个跳过", {std::to_string(skipped)});
        if (incomplete > 0)
            summary += localized("，%1 个有部分内容没有读出", {std::to_string(incomplete)});
        summary += localized("，%1 个失败", {std::to_string(failures)});
        std::fprintf(stderr, "%s\n", summary.c_str());
    }

    std::fflush(stdout);
    if (std::ferror(stdout)) {
        std::cerr << "sorvane-cli: " << localized("无法写入标准输出") << "\n";
        return 1;
    }
    return exitStatus(failures, incomplete);
}
