// sorvane-cli: converts documents from the command line with the same engine and the same
// parameter texts as the window. Exit status: 0 all converted, 1 some failed, 2 bad usage.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/text.h"
#include "engine/ch_txt.h"
#include "engine/renderer.h"
#include "settings/list_file.h"

namespace {

using namespace sorvane;

constexpr const char* kUsage =
    "Usage: sorvane-cli [OPTIONS] FILE...\nRun with --help for more information.\n";

enum class Mode { Files, Stdout, Raw };

struct Job {
    std::filesystem::path source;
    bool ok = false;
    std::string output;  // what goes to standard output (--stdout, --raw, or the file list)
    std::string error;   // the failure line
    std::size_t lost = 0;
    ReadProblems problems;  // parts of a book that could not be read (--raw)
};

struct Options {
    ConversionParams params;
    ReplacementList list;
    Mode mode = Mode::Files;
};

std::string failureLine(const std::filesystem::path& source, const Error& error)
{
    // The error may concern an output file rather than the source; name both then.
    if (error.where.empty() || error.where == source.string())
        return source.string() + ": " + error.message;
    return source.string() + ": " + error.describe();
}

void runJob(Job& job, const Options& options)
{
    try {
        const EngineContext context;  // renderDocument, no caption, no progress
        switch (options.mode) {
        case Mode::Raw: {
            Result<Text> text = renderDocument(job.source, &job.problems);
            if (!text) {
                job.error = failureLine(job.source, text.error());
                return;
            }
            job.output = toUtf8(*text);
            break;
        }
        case Mode::Stdout: {
            Result<ConvertedText> converted = convertDocument(job.source, options.params, options.list, context);
            if (!converted) {
                job.error = failureLine(job.source, converted.error());
                return;
            }
            for (const TextPart& part : converted->parts)
                job.output += toUtf8(part.content);
            job.lost = converted->lostCharacters;
            break;
        }
        case Mode::Files: {
            Result<ConversionReport> report = ch_txt(job.source, 0, options.params, options.list, context);
            if (!report) {
                job.error = failureLine(job.source, report.error());
                return;
            }
            for (const auto& file : report->files)
                job.output += file.string() + "\n";
            job.lost = report->lostCharacters;
            break;
        }
        }
        job.ok = true;
    } catch (const std::exception& e) {
        job.error = job.source.string() + ": 内部错误: " + e.what();
    }
}

// Runs the jobs on `threads` workers and hands each finished job to `done` in the order
// of the list, as soon as it and every job before it are finished.
template <typename Done, typename Tick>
void runAll(std::vector<Job>& jobs, const Options& options, unsigned threads, Done done, Tick tick)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> finished(jobs.size(), 0);
    std::size_t finishedCount = 0;
    std::atomic<std::size_t> next{0};

    auto worker = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= jobs.size())
                return;
            runJob(jobs[i], options);
            {
                std::lock_guard lock(mutex);
                finished[i] = 1;
                ++finishedCount;
            }
            changed.notify_one();
        }
    };
    std::vector<std::thread> pool;
    threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(jobs.size())));
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back(worker);

    std::size_t printed = 0;
    std::unique_lock lock(mutex);
    while (printed < jobs.size()) {
        changed.wait(lock, [&] { return finished[printed] != 0 || finishedCount == jobs.size(); });
        const std::size_t count = finishedCount;
        std::vector<std::size_t> ready;
        while (printed < jobs.size() && finished[printed])
            ready.push_back(printed++);
        lock.unlock();
        for (std::size_t i : ready)
            done(jobs[i]);
        tick(count);
        lock.lock();
    }
    lock.unlock();
    for (auto& t : pool)
        t.join();
}

}  // namespace

int main(int argc, char** argv)
{
    // Under a file size limit ("ulimit -f") a write past it raises SIGXFSZ, which would
    // end the program mid-file; ignored, the write fails with EFBIG and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
    CLI::App app{"Converts web documents (and plain-text files) into plain-text books in code page 936\n"
                 "with CR LF line ends, written beside each source.",
                 "sorvane-cli"};
    app.set_version_flag("--version", std::string("sorvane-cli ") + SORVANE_VERSION,
                         "print the version and exit");

    Options options;
    ConversionParams& p = options.params;
    std::string listFile;
    bool toStdout = false;
    bool raw = false;
    bool quiet = false;
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
    auto* stdoutFlag = app.add_flag(
        "--stdout", toStdout, "write the converted text (all parts, in order) to standard output as UTF-8, instead of files");
    auto* rawFlag = app.add_flag(
        "--raw", raw, "write the rendered text, before any rule, to standard output as UTF-8 (CR LF kept)");
    stdoutFlag->excludes(rawFlag);
    app.add_option("-j,--jobs", jobCount, "documents converted in parallel  [number of cores]")
        ->option_text("N")
        ->default_val(jobCount)
        ->check(CLI::Range(1u, 1024u));
    app.add_flag("-q,--quiet", quiet, "no progress and no list of written files");
    app.add_option("FILE", files, "documents to convert")->required();

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
        std::cerr << "sorvane-cli: " << e.what() << "\n" << kUsage;
        return 2;
    }

    if (!listFile.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(listFile, ec)) {
            std::cerr << "sorvane-cli: " << listFile << ": 替换列表文件不存在，或不是一个文件\n" << kUsage;
            return 2;
        }
        options.list = loadListFile(listFile);
    }
    options.mode = raw ? Mode::Raw : toStdout ? Mode::Stdout : Mode::Files;

    std::vector<Job> jobs(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        jobs[i].source = files[i];

    const bool showProgress = !quiet && isatty(STDERR_FILENO) == 1;
    bool progressShown = false;
    auto clearProgress = [&] {
        if (progressShown) {
            std::fputs("\r\033[K", stderr);
            progressShown = false;
        }
    };
    int failures = 0;
    auto done = [&](const Job& job) {
        if (!job.ok) {
            clearProgress();
            std::fprintf(stderr, "%s\n", job.error.c_str());
            ++failures;
            return;
        }
        if (options.mode != Mode::Files || !quiet) {
            std::fwrite(job.output.data(), 1, job.output.size(), stdout);
            std::fflush(stdout);
        }
        for (const std::string& problem : job.problems) {
            clearProgress();
            std::fprintf(stderr, "%s: 警告: %s\n", job.source.string().c_str(), problem.c_str());
        }
        if (job.lost > 0 && !quiet) {
            clearProgress();
            std::fprintf(stderr, "%s: %zu 个字符不在代码页 936 中，已写成 \"?\"\n", job.source.string().c_str(),
                         job.lost);
        }
    };
    auto tick = [&](std::size_t finished) {
        if (!showProgress)
            return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] 已转换", finished, jobs.size());
        std::fflush(stderr);
        progressShown = true;
    };
    runAll(jobs, options, jobCount, done, tick);
    clearProgress();

    std::fflush(stdout);
    if (std::ferror(stdout)) {
        std::cerr << "sorvane-cli: 无法写入标准输出\n";
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
