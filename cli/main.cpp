// sorvane-cli: converts documents from the command line with the same engine and the same
// parameter texts as the window. Exit status: 0 all converted (or skipped), 1 some failed,
// 2 bad usage.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/inputs.h"
#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/text.h"
#include "engine/convert/book_join.h"
#include "engine/convert/ch_txt.h"
#include "engine/output/output_encoding.h"
#include "engine/convert/renderer.h"
#include "io/temporary_files.h"
#include "engine/output/run_outputs.h"
#include "settings/list_file.h"

namespace {

using namespace sorvane;

constexpr const char* kUsage =
    "Usage: sorvane-cli [OPTIONS] FILE...\nRun with --help for more information.\n";

enum class Mode { Files, Stdout, Raw };
enum class Outcome { Pending, Converted, Skipped, Failed };

struct Job {
    cli::Input input;
    Outcome outcome = Outcome::Pending;
    std::optional<ConvertedText> converted;  // Files mode: converted, not yet written
    std::string output;  // what goes to standard output (--stdout, --raw, or the file list)
    std::string error;   // the failure or skip line
    std::size_t lost = 0;
    ReadProblems problems;  // parts of a book that could not be read (--raw)
};

struct Options {
    ConversionParams params;
    ReplacementList list;
    Mode mode = Mode::Files;
    bool noClobber = false;
    std::string stdinBytes;  // standard input, read before the run when "-" is given
};

std::string messageLine(const std::filesystem::path& source, const Error& error)
{
    // The error may concern an output file rather than the source; name both then.
    if (error.where.empty() || error.where == source.string())
        return "sorvane-cli: " + source.string() + ": " + error.message;
    return "sorvane-cli: " + source.string() + ": " + error.describe();
}

void fail(Job& job, const Error& error)
{
    job.outcome = error.code == ErrorCode::OutputExists ? Outcome::Skipped : Outcome::Failed;
    job.error = messageLine(job.input.source, error);
    job.converted.reset();
}

EngineContext contextFor(const Job& job, const Options& options)
{
    EngineContext context;  // renderDocument, no caption, no progress
    if (job.input.fromStdin)
        context.render = [&options](const std::filesystem::path& name) {
            return renderDocumentBytes(name, options.stdinBytes);
        };
    return context;
}

ConversionParams paramsFor(const Job& job, const Options& options)
{
    ConversionParams params = options.params;
    params.outputFolder = job.input.outputFolder;
    return params;
}

// The part of a job that may run on any thread: rendering and cleaning. Files are
// written afterwards, in run order, by writeJob.
void convertJob(Job& job, const Options& options)
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
            Result<ConvertedText> converted =
                convertDocument(job.input.source, paramsFor(job, options), options.list, context);
            if (!converted)
                return fail(job, converted.error());
            if (options.mode == Mode::Files) {
                job.converted.emplace(std::move(*converted));
                return;
            }
            for (const TextPart& part : converted->parts)
                job.output += encodeOutput(part.content, OutputEncoding::Utf8, options.params.lineEnd).bytes;
            break;
        }
        }
        job.outcome = Outcome::Converted;
    } catch (const std::exception& e) {
        fail(job, Error{ErrorCode::BadInput, std::string("内部错误: ") + e.what(), {}});
    }
}

// Writes a converted job's files. Runs on the main thread in run order, so which of two
// documents keeps a name never depends on the number of jobs.
void writeJob(Job& job, const Options& options, RunOutputs& outputs)
{
    if (job.outcome != Outcome::Pending || !job.converted)
        return;
    try {
        EngineContext context = contextFor(job, options);
        context.claimOutputs = [&](const std::vector<std::filesystem::path>& names) {
            return outputs.claim(job.input.source, names);
        };
        Result<ConversionReport> report =
            writeConverted(job.input.source, 0, *job.converted, paramsFor(job, options), context);
        job.converted.reset();
        if (!report)
            return fail(job, report.error());
        for (const auto& file : report->files)
            job.output += file.string() + "\n";
        job.lost = report->lostCharacters;
        job.outcome = Outcome::Converted;
    } catch (const std::exception& e) {
        fail(job, Error{ErrorCode::BadInput, std::string("内部错误: ") + e.what(), {}});
    }
}

// Before anything runs: a document whose first output file an earlier document of the
// run takes is not converted, and with --no-clobber one whose first output file already
// exists is skipped. Both are known from the names alone.
void checkNamesBeforeTheRun(std::vector<Job>& jobs, const Options& options)
{
    std::vector<std::filesystem::path> bases;
    bases.reserve(jobs.size());
    for (const Job& job : jobs)
        bases.push_back(outputBase(job.input.source, 0, paramsFor(job, options), EngineContext{}));
    const auto earlier = earlierSameOutput(bases);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].outcome != Outcome::Pending)
            continue;
        if (earlier[i]) {
            fail(jobs[i], sameOutputError(jobs[i].input.source, jobs[*earlier[i]].input.source, bases[i]));
            continue;
        }
        std::error_code ec;
        if (options.noClobber && std::filesystem::exists(std::filesystem::symlink_status(bases[i], ec)))
            fail(jobs[i], Error{ErrorCode::OutputExists, "输出文件 " + bases[i].string() + " 已存在，已跳过",
                                jobs[i].input.source.string()});
    }
}

// Converts the jobs on `threads` workers and hands each finished job to `done` in the
// order of the list, as soon as it and every job before it are finished. Workers stay at
// most a few jobs ahead of `done`, so converted texts waiting to be written stay few.
template <typename Done, typename Tick>
void runAll(std::vector<Job>& jobs, const Options& options, unsigned threads, Done done, Tick tick)
{
    std::mutex mutex;
    std::condition_variable finishedOne;
    std::condition_variable handedOn;
    std::vector<char> finished(jobs.size(), 0);
    std::size_t finishedCount = 0;
    std::size_t printed = 0;
    std::atomic<std::size_t> next{0};
    threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(jobs.size())));
    if (threads == 1) {
        // One worker would only wait for the main thread: the jobs run on it, each
        // handed on (and its memory released) before the next starts.
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            convertJob(jobs[i], options);
            done(jobs[i]);
            tick(i + 1);
        }
        return;
    }
    const std::size_t lookahead = 4 * static_cast<std::size_t>(threads);

    auto worker = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= jobs.size())
                return;
            {
                std::unique_lock lock(mutex);
                handedOn.wait(lock, [&] { return i < printed + lookahead; });
            }
            convertJob(jobs[i], options);
            {
                std::lock_guard lock(mutex);
                finished[i] = 1;
                ++finishedCount;
            }
            finishedOne.notify_one();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back(worker);

    std::unique_lock lock(mutex);
    while (printed < jobs.size()) {
        finishedOne.wait(lock, [&] { return finished[printed] != 0; });
        const std::size_t count = finishedCount;
        lock.unlock();
        done(jobs[printed]);
        tick(count);
        lock.lock();
        ++printed;
        handedOn.notify_all();
    }
    lock.unlock();
    for (auto& t : pool)
        t.join();
}

// The first argument that looks like an option but is none of the program's, so that a
// usage error names it first. Values of options that take one are skipped.
std::optional<std::string> unknownOption(const CLI::App& app, const std::vector<std::string>& args)
{
    auto takesValue = [](const CLI::Option* option) { return option->get_items_expected_min() > 0; };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--")
            return std::nullopt;
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        if (arg[1] == '-') {
            const std::string name = arg.substr(0, arg.find('='));
            const CLI::Option* option = app.get_option_no_throw(name);
            if (option == nullptr && name != "--help" && name != "--version")
                return name;
            if (option != nullptr && takesValue(option) && arg.find('=') == std::string::npos)
                ++i;
            continue;
        }
        // A cluster of short options: flags, then perhaps one that takes the rest (or the
        // next argument) as its value.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const std::string name = std::string("-") + arg[k];
            const CLI::Option* option = app.get_option_no_throw(name);
            if (option == nullptr && name != "-h")
                return name;
            if (option != nullptr && takesValue(option)) {
                if (k + 1 == arg.size())
                    ++i;
                break;
            }
        }
    }
    return std::nullopt;
}

int usageError(const std::string& what)
{
    std::cerr << "sorvane-cli: " << what << "\n" << kUsage;
    return 2;
}

// --join: every document rendered and cleaned, joined in run order into one book named
// from `name`, written only when every chapter is rendered. Chapters that fail are
// reported and left out. Returns the exit status.
int joinAll(const std::vector<cli::Input>& inputs, const std::string& name, const std::filesystem::path& outputDir,
            const Options& options, unsigned jobs, bool quiet, int failuresBefore)
{
    std::vector<std::filesystem::path> sources;
    for (const cli::Input& input : inputs)
        sources.push_back(input.source);
    if (sources.empty()) {
        std::fprintf(stderr, "sorvane-cli: %s: 没有可以合并的文档\n", name.c_str());
        return 1;
    }
    // The book goes into -o DIR, or beside the first chapter.
    std::filesystem::path folder = outputDir;
    if (folder.empty())
        folder = std::filesystem::absolute(sources.front()).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (options.noClobber) {
        const Result<std::filesystem::path> base = bookBasePath(folder, name, options.params.naming);
        if (base && std::filesystem::exists(std::filesystem::symlink_status(*base, ec))) {
            std::fprintf(stderr, "sorvane-cli: %s: 输出文件 %s 已存在，已跳过\n", name.c_str(), base->c_str());
            return failuresBefore == 0 ? 0 : 1;
        }
    }
    BookOptions bookOptions;
    bookOptions.jobs = jobs;
    const Result<BookReport> report = joinBook(sources, folder, name, options.params, options.list, bookOptions);
    if (!report) {
        std::fprintf(stderr, "%s\n", messageLine(name, report.error()).c_str());
        return 1;
    }
    for (const ChapterFailure& failure : report->failures)
        std::fprintf(stderr, "%s\n", messageLine(failure.source, failure.error).c_str());
    if (!quiet)
        for (const auto& file : report->files)
            std::printf("%s\n", file.c_str());
    if (report->lostCharacters > 0)
        std::fprintf(stderr,
                     "sorvane-cli: %s: %zu 个字符 GBK 中没有，已写成 \"?\"；用 --encoding utf-8 或 gb18030 可以保留它们\n",
                     name.c_str(), report->lostCharacters);
    if (!quiet && isatty(STDERR_FILENO) == 1)
        std::fprintf(stderr, "已合并 %zu 个文件，%zu 个失败\n", report->chapters,
                     report->failures.size() + static_cast<std::size_t>(failuresBefore));
    std::fflush(stdout);
    return failuresBefore == 0 && report->failures.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    // Under a file size limit ("ulimit -f") a write past it raises SIGXFSZ, which would
    // end the program mid-file; ignored, the write fails with EFBIG and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
    // Interrupted (Ctrl+C, kill, a closed pipe on standard output), leave no temporary file.
    removeTemporaryFilesOnSignals();
    CLI::App app{"Converts web documents (and plain-text files) into plain-text books, by default in\n"
                 "code page 936 (GBK) with CR LF line ends, written beside each source.",
                 "sorvane-cli"};
    app.set_version_flag("--version", std::string("sorvane-cli ") + SORVANE_VERSION,
                         "print the version and exit");

    Options options;
    ConversionParams& p = options.params;
    std::string listFile;
    std::string outputDir;
    std::string encoding = "gbk";
    std::string eol;
    std::string joinName;
    std::string convert = "none";
    bool toStdout = false;
    bool raw = false;
    bool quiet = false;
    bool recursive = false;
    unsigned jobCount = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::string> files;

    app.add_option("--naming", p.naming,
                   "naming method index 0..7 (0 keeps the name, k pads trailing digits to k+1)  [0]")
        ->option_text("K")
        ->default_val(0)
        ->check(CLI::Range(0, 7));
    app.add_option("--head", p.head, "head length, as typed in the window  [\"0\"]")->option_text("TEXT")->default_val("0");
    app.add_option("--head-blank", p.headBlank, "most consecutive blank lines in the head  [\"1\"]")
        ->option_text("TEXT")
        ->default_val("1");
    app.add_option("--rest-blank", p.restBlank, "most consecutive blank lines in the rest  [\"1\"]")
        ->option_text("TEXT")
        ->default_val("1");
    app.add_option("--max-run", p.maxRun, "longest run of one repeated character kept on a line  [\"\"]")
        ->option_text("TEXT")
        ->default_val("");
    app.add_option("--max-size", p.maxSize, "largest output file size, in K  [\"\"]")->option_text("TEXT")->default_val("");
    app.add_option("--list", listFile, "replacement list in the KELDRAN.DAT format (all rows applied)")
        ->option_text("FILE");
    auto* outputOption = app.add_option("-o,--output-dir", outputDir,
                                        "write the files into DIR (created when missing) instead of beside each "
                                        "source; documents found in a folder argument keep their sub-folders")
                             ->option_text("DIR");
    auto* encodingOption = app.add_option("--encoding", encoding,
                                          "encoding of the files written: gbk (code page 936), gb18030 or utf-8  [gbk]")
                               ->option_text("ENC")
                               ->check(CLI::IsMember({"gbk", "gb18030", "utf-8"}));
    app.add_option("--eol", eol, "line ends written: crlf or lf  [crlf; lf with --stdout]")
        ->option_text("EOL")
        ->check(CLI::IsMember({"crlf", "lf"}));
    auto* joinOption = app.add_option("--join", joinName,
                                      "join the documents, in order, into one book named NAME (.txt added), "
                                      "written into -o DIR or beside the first document")
                           ->option_text("NAME");
    app.add_option("--convert", convert,
                   "Traditional/Simplified conversion: none, t2s, s2t, tw2sp or s2twp (with Taiwanese phrasing)  "
                   "[none]")
        ->option_text("KIND")
        ->check(CLI::IsMember({"none", "t2s", "s2t", "tw2sp", "s2twp"}));
    app.add_flag("-n,--no-clobber", options.noClobber,
                 "skip (and report) a document whose output file exists and was not written by this run");
    app.add_flag("-r,--recursive", recursive, "take the web pages of the sub-folders of a folder argument too");
    auto* stdoutFlag = app.add_flag(
        "--stdout", toStdout, "write the converted text (all parts, in order) to standard output as UTF-8, instead of files");
    auto* rawFlag = app.add_flag(
        "--raw", raw, "write the rendered text, before any rule, to standard output as UTF-8 (CR LF kept)");
    stdoutFlag->excludes(rawFlag);
    app.add_option("-j,--jobs", jobCount, "documents converted in parallel  [number of cores]")
        ->option_text("N")
        ->default_val(jobCount)
        ->check(CLI::Range(1u, 1024u));
    app.add_flag("-q,--quiet", quiet, "no progress, no summary and no list of written files");
    app.add_option("FILE", files,
                   "documents to convert; a folder gives the web pages in it, - reads standard input")
        ->required();

    std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto unknown = unknownOption(app, args))
        return usageError(*unknown + ": 未知选项");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::cout << "sorvane-cli " << SORVANE_VERSION << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }

    options.mode = raw ? Mode::Raw : toStdout ? Mode::Stdout : Mode::Files;
    if (options.mode != Mode::Files && outputOption->count() > 0)
        return usageError("--output-dir: 与 --stdout、--raw 不能同时使用");
    if (options.mode != Mode::Files && encodingOption->count() > 0 && encoding != "utf-8")
        return usageError("--encoding: --stdout 和 --raw 总是写 UTF-8");
    if (joinOption->count() > 0 && options.mode != Mode::Files)
        return usageError("--join: 与 --stdout、--raw 不能同时使用");
    if (joinOption->count() > 0 && std::count(files.begin(), files.end(), "-") > 0)
        return usageError("--join: 不能合并标准输入");
    const std::size_t stdinCount = static_cast<std::size_t>(std::count(files.begin(), files.end(), "-"));
    if (stdinCount > 1)
        return usageError("-: 标准输入只能读一次");
    if (stdinCount == 1 && options.mode == Mode::Files && outputDir.empty())
        return usageError("-: 读标准输入时要用 --stdout、--raw 或 -o DIR");
    if (!listFile.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(listFile, ec))
            return usageError(listFile + ": 替换列表文件不存在，或不是一个文件");
        options.list = loadListFile(listFile);
    }

    p.encoding = encoding == "utf-8"     ? OutputEncoding::Utf8
                 : encoding == "gb18030" ? OutputEncoding::Gb18030
                                         : OutputEncoding::Gbk;
    // Standard output is UTF-8 and holds every character; its lines end in LF unless
    // asked otherwise.
    if (options.mode != Mode::Files)
        p.encoding = OutputEncoding::Utf8;
    p.script = parseScriptConversion(convert).value_or(ScriptConversion::None);
    p.lineEnd = eol == "lf" || (eol.empty() && options.mode == Mode::Stdout) ? LineEnd::Lf : LineEnd::CrLf;

    if (stdinCount == 1) {
        options.stdinBytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) {
            std::cerr << "sorvane-cli: stdin: 读取标准输入时出错\n";
            return 1;
        }
    }

    const cli::InputList inputs = cli::expandInputs(files, recursive, outputDir);
    int failures = 0;
    int skipped = 0;
    int converted = 0;
    for (const cli::InputProblem& problem : inputs.problems) {
        std::fprintf(stderr, "sorvane-cli: %s: %s\n", problem.where.c_str(), problem.reason.c_str());
        ++failures;
    }
    if (joinOption->count() > 0)
        return joinAll(inputs.inputs, joinName, outputDir, options, jobCount, quiet, failures);
    std::vector<Job> jobs(inputs.inputs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        jobs[i].input = inputs.inputs[i];
    if (options.mode == Mode::Files)
        checkNamesBeforeTheRun(jobs, options);
    RunOutputs outputs([&] {
        std::vector<std::filesystem::path> sources;
        for (const Job& job : jobs)
            if (!job.input.fromStdin)
                sources.push_back(job.input.source);
        return sources;
    }(), options.noClobber);

    const bool terminal = isatty(STDERR_FILENO) == 1;
    const bool showProgress = !quiet && terminal;
    bool progressShown = false;
    auto clearProgress = [&] {
        if (progressShown) {
            std::fputs("\r\033[K", stderr);
            progressShown = false;
        }
    };
    std::size_t lostTotal = 0;
    int lossyDocuments = 0;
    auto done = [&](Job& job) {
        writeJob(job, options, outputs);
        if (job.outcome != Outcome::Converted) {
            clearProgress();
            std::fprintf(stderr, "%s\n", job.error.c_str());
            ++(job.outcome == Outcome::Skipped ? skipped : failures);
            return;
        }
        ++converted;
        if (options.mode != Mode::Files || !quiet) {
            std::fwrite(job.output.data(), 1, job.output.size(), stdout);
            std::fflush(stdout);
        }
        for (const std::string& problem : job.problems) {
            clearProgress();
            std::fprintf(stderr, "sorvane-cli: %s: 警告: %s\n", job.input.source.string().c_str(), problem.c_str());
        }
        job.output.clear();
        if (job.lost > 0) {
            lostTotal += job.lost;
            ++lossyDocuments;
            if (!quiet) {
                clearProgress();
                std::fprintf(stderr, "sorvane-cli: %s: %zu 个字符 GBK 中没有，已写成 \"?\"\n",
                             job.input.source.string().c_str(), job.lost);
            }
        }
    };
    auto tick = [&](std::size_t finished) {
        if (!showProgress)
            return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] 已转换", finished, jobs.size());
        std::fflush(stderr);
        progressShown = true;
    };
    if (!jobs.empty())
        runAll(jobs, options, jobCount, done, tick);
    clearProgress();

    // Characters lost to code page 936 are reported even with --quiet.
    if (lostTotal > 0)
        std::fprintf(stderr,
                     "sorvane-cli: %d 个文件中共有 %zu 个字符 GBK 中没有，已写成 \"?\"；"
                     "用 --encoding utf-8 或 gb18030 可以保留它们\n",
                     lossyDocuments, lostTotal);
    if (terminal && !quiet) {
        std::string summary = "已转换 " + std::to_string(converted) + " 个文件";
        if (skipped > 0)
            summary += "，" + std::to_string(skipped) + " 个跳过";
        summary += "，" + std::to_string(failures) + " 个失败";
        std::fprintf(stderr, "%s\n", summary.c_str());
    }

    std::fflush(stdout);
    if (std::ferror(stdout)) {
        std::cerr << "sorvane-cli: 无法写入标准输出\n";
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
