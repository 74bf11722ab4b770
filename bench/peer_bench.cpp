// sorvane-cli against two text-mode browsers that dump pages as text (w3m -dump and
// lynx -dump), side by side in one run, each document in a process of its own as a
// user would run them:
//   - 150 chapter pages of about 8 KB (half UTF-8, half GBK), one process each: what
//     starting costs;
//   - a 10 MB English book on one page: what the parser and the text collection cost;
//   - a 19 MB web novel on one page, in GBK: time and memory peak, against the bound
//     6 x the page + 30 MB.
// Each round runs every tool on every case, in turn, so that a busy machine slows them
// alike; the medians of the rounds are compared. Times are wall clock and CPU (user +
// system) of the children; peaks are their largest resident set. A child's peak counts
// the process it was forked from, so the runs are started by a launcher forked before
// anything is generated, whose own size is printed. A peer that is not
// installed is skipped (scripts/install-deps --bench installs both). Other builds of
// sorvane-cli named after ROUNDS run too, to compare a change with what it replaces.
//   sorvane_peer_bench [ROUNDS [SORVANE_CLI...]]          (default 5 rounds)
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "page_generator.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvane;

struct Run {
    double wall = 0;  // seconds
    double cpu = 0;   // seconds, user + system
    long peakKb = 0;
    bool ok = true;
};

// Runs `args` with standard output into `output` (or /dev/null), and waits for it.
Run runOnce(const std::vector<std::string>& args, const std::string& output)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(output.empty() ? "/dev/null" : output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDWR);
        if (out < 0 || null < 0)
            _exit(126);
        dup2(null, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Run run;
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        run.ok = false;
        return run;
    }
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

bool readAll(int fd, void* data, std::size_t size)
{
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A small process that starts the runs: each request is a count of strings, then each
// string as a length and its bytes (the command, then the output file), and the answer a
// Run.
class Launcher {
public:
    Launcher()
    {
        int requests[2], answers[2];
        if (pipe(requests) != 0 || pipe(answers) != 0)
            std::exit(2);
        m_pid = fork();
        if (m_pid == 0) {
            close(requests[1]);
            close(answers[0]);
            serve(requests[0], answers[1]);
            _exit(0);
        }
        close(requests[0]);
        close(answers[1]);
        m_requests = requests[1];
        m_answers = answers[0];
    }
    ~Launcher()
    {
        close(m_requests);
        close(m_answers);
        waitpid(m_pid, nullptr, 0);
    }

    Run run(std::vector<std::string> args, const std::string& output)
    {
        args.push_back(output);
        const std::uint32_t count = static_cast<std::uint32_t>(args.size());
        bool sent = writeAll(m_requests, &count, sizeof count);
        for (const std::string& a : args) {
            const std::uint32_t length = static_cast<std::uint32_t>(a.size());
            sent = sent && writeAll(m_requests, &length, sizeof length) && writeAll(m_requests, a.data(), a.size());
        }
        Run run;
        if (!sent || !readAll(m_answers, &run, sizeof run))
            run.ok = false;
        return run;
    }

    // The launcher's own resident set, which every run's peak includes.
    long sizeKb()
    {
        return run({"/bin/true"}, {}).peakKb;
    }

private:
    static void serve(int requests, int answers)
    {
        for (;;) {
            std::uint32_t count = 0;
            if (!readAll(requests, &count, sizeof count))
                return;
            std::vector<std::string> args(count);
            for (std::string& a : args) {
                std::uint32_t length = 0;
                if (!readAll(requests, &length, sizeof length))
                    return;
                a.resize(length);
                if (!readAll(requests, a.data(), length))
                    return;
            }
            const std::string output = args.back();
            args.pop_back();
            const Run run = runOnce(args, output);
            if (!writeAll(answers, &run, sizeof run))
                return;
        }
    }

    pid_t m_pid = -1;
    int m_requests = -1;
    int m_answers = -1;
};

struct Tool {
    std::string name;
    // The command for one document; writes its text to `output` itself, or to standard
    // output when `toStdout`.
    std::vector<std::string> (*command)(const fs::path& program, const fs::path& page, const fs::path& outputFolder);
    bool toStdout;
    fs::path program;
};

std::optional<fs::path> inPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const fs::path candidate = fs::path(dirs.substr(start, end - start)) / name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Case {
    std::string name;
    std::vector<fs::path> pages;  // one process each
    bool peakBound = false;       // whether sorvane-cli's peak is held to 6 x the page + 30 MB
};

struct Totals {
    std::vector<double> wall, cpu;
    long peakKb = 0;
    bool ok = true;
};

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Launcher launcher;
    const fs::path scratch = bench::scratchFolder("peers");

    std::vector<Tool> tools;
    tools.push_back({"sorvane-cli",
                     [](const fs::path& program, const fs::path& page, const fs::path& out) {
                         return std::vector<std::string>{program.string(), "-q", "-o", out.string(), page.string()};
                     },
                     false, SORVANE_CLI});
    tools.push_back({"w3m -dump",
                     [](const fs::path& program, const fs::path& page, const fs::path&) {
                         return std::vector<std::string>{program.string(), "-dump", "-O", "UTF-8", page.string()};
                     },
                     true, {}});
    tools.push_back({"lynx -dump",
                     [](const fs::path& program, const fs::path& page, const fs::path&) {
                         return std::vector<std::string>{program.string(), "-dump", "-nolist",
                                                         "-display_charset=utf-8", page.string()};
                     },
                     true, {}});
    for (int i = 2; i < argc; ++i)
        tools.push_back({std::string("sorvane-cli ") + argv[i], tools[0].command, false, argv[i]});
    for (auto it = tools.begin() + 1; it != tools.end();) {
        if (it->name.starts_with("sorvane-cli")) {
            ++it;
            continue;
        }
        const std::string executable = it->name.substr(0, it->name.find(' '));
        if (auto found = inPath(executable)) {
            it->program = *found;
            ++it;
        } else {
            std::printf("%s is not installed: skipped (scripts/install-deps --bench installs it)\n", executable.c_str());
            it = tools.erase(it);
        }
    }

    std::printf("Generating the pages...\n");
    std::vector<Case> cases;
    cases.push_back({"150 pages of 8 KB, a process each", bench::writeChapters(scratch / "chapters", 150, 8 * 1024)});
    writeFile(scratch / "book.htm", bench::makeEnglishBookPage(10 << 20, 1));
    cases.push_back({"10 MB English book page", {scratch / "book.htm"}});
    writeFile(scratch / "novel.htm", bench::makeNovelPage(19 << 20, 2));
    cases.push_back({"19 MB GBK web novel page", {scratch / "novel.htm"}, true});

    std::vector<std::vector<Totals>> totals(cases.size(), std::vector<Totals>(tools.size()));
    for (int round = 0; round < rounds; ++round) {
        std::printf("Round %d of %d\n", round + 1, rounds);
        std::fflush(stdout);
        for (std::size_t c = 0; c < cases.size(); ++c)
            for (std::size_t t = 0; t < tools.size(); ++t) {
                const fs::path out = scratch / ("out-" + std::to_string(t));
                fs::create_directories(out);
                double wall = 0, cpu = 0;
                for (const fs::path& page : cases[c].pages) {
                    const fs::path text = tools[t].toStdout ? out / (page.stem().string() + ".txt") : fs::path();
                    const Run run = launcher.run(tools[t].command(tools[t].program, page, out), text.string());
                    wall += run.wall;
                    cpu += run.cpu;
                    totals[c][t].peakKb = std::max(totals[c][t].peakKb, run.peakKb);
                    totals[c][t].ok = totals[c][t].ok && run.ok;
                }
                totals[c][t].wall.push_back(wall);
                totals[c][t].cpu.push_back(cpu);
            }
    }

    std::printf("\nMedians of %d rounds (wall clock, CPU = user + system, peak resident set; peaks below the\n"
                "launcher's own %.1f MB read as that):\n",
                rounds, static_cast<double>(launcher.sizeKb()) / 1024.0);
    for (std::size_t c = 0; c < cases.size(); ++c) {
        std::uintmax_t bytes = 0;
        for (const fs::path& p : cases[c].pages)
            bytes += fs::file_size(p);
        std::printf("\n%s (%.1f MB):\n", cases[c].name.c_str(), static_cast<double>(bytes) / 1048576.0);
        const double ourWall = median(totals[c][0].wall);
        const double ourCpu = median(totals[c][0].cpu);
        for (std::size_t t = 0; t < tools.size(); ++t) {
            const Totals& r = totals[c][t];
            const double wall = median(r.wall);
            const double cpu = median(r.cpu);
            std::printf("  %-14s %8.3f s wall %8.3f s CPU %8.1f MB peak", tools[t].name.c_str(), wall, cpu,
                        static_cast<double>(r.peakKb) / 1024.0);
            if (t > 0)
                std::printf("   sorvane-cli / this: %.2f wall, %.2f CPU", wall > 0 ? ourWall / wall : 0,
                            cpu > 0 ? ourCpu / cpu : 0);
            if (!r.ok)
                std::printf("   (some runs failed)");
            std::printf("\n");
        }
        if (cases[c].peakBound) {
            const double mb = static_cast<double>(bytes) / 1048576.0;
            const double peak = static_cast<double>(totals[c][0].peakKb) / 1024.0;
            std::printf("  sorvane-cli peak %.1f MB against 6 x %.1f MB + 30 MB = %.1f MB: %s\n", peak, mb, 6 * mb + 30,
                        peak <= 6 * mb + 30 ? "within" : "OVER");
        }
    }
    return 0;
}
