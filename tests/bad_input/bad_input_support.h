#pragma once
// Helpers for the bad-input suite: a fresh folder per test, a fingerprint of a folder to
// prove that nothing in it was lost or changed, and runs of the built sorvane-cli with a
// time limit, an optional file size limit and standard output sent where the test says.

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "support/scratch_folder.h"

namespace sorvane::test {

// Whether this build runs under AddressSanitizer, where the largest inputs are shrunk to
// keep the suite quick.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

// Every entry below a folder (symbolic links not followed) with what it is: a folder and
// its permission bits, a link and its target, or a file with its permission bits, size
// and a 64-bit FNV-1a hash of its content.
using FolderPrint = std::map<std::string, std::string>;

inline std::string fileFingerprint(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::uint64_t hash = 14695981039346656037ull;
    std::uint64_t size = 0;
    char buffer[1 << 16];
    while (in) {
        in.read(buffer, sizeof buffer);
        const std::streamsize n = in.gcount();
        for (std::streamsize i = 0; i < n; ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ull;
        }
        size += static_cast<std::uint64_t>(n);
    }
    return std::to_string(size) + ":" + std::to_string(hash);
}

inline void addEntries(const std::filesystem::path& root, const std::filesystem::path& folder, FolderPrint& print)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(root).string();
        struct stat st {};
        if (::lstat(entry.path().c_str(), &st) != 0) {
            print[name] = "vanished";
            continue;
        }
        const std::string mode = std::to_string(st.st_mode & 07777);
        if (S_ISLNK(st.st_mode)) {
            print[name] = "link " + std::filesystem::read_symlink(entry.path()).string();
        } else if (S_ISDIR(st.st_mode)) {
            print[name] = "folder " + mode;
            addEntries(root, entry.path(), print);
        } else if (S_ISREG(st.st_mode)) {
            print[name] = "file " + mode + " " + fileFingerprint(entry.path());
        } else {
            print[name] = "special " + mode;
        }
    }
}

inline FolderPrint fingerprint(const std::filesystem::path& folder)
{
    FolderPrint print;
    addEntries(folder, folder, print);
    return print;
}

// The entries of `before` that are missing or different in `after`, one per line; empty
// when nothing was lost or changed.
inline std::string lostOrChanged(const FolderPrint& before, const FolderPrint& after)
{
    std::string out;
    for (const auto& [name, what] : before) {
        const auto it = after.find(name);
        if (it == after.end())
            out += "lost: " + name + "\n";
        else if (it->second != what)
            out += "changed: " + name + " (" + what + " -> " + it->second + ")\n";
    }
    return out;
}

// The names in `after` that `before` did not have.
inline std::vector<std::string> added(const FolderPrint& before, const FolderPrint& after)
{
    std::vector<std::string> names;
    for (const auto& [name, what] : after)
        if (!before.contains(name))
            names.push_back(name);
    return names;
}

struct CliRun {
    bool exited = false;  // ended by exit(), not by a signal or the time limit
    int status = -1;      // its exit status
    int signal = 0;       // the signal that ended it
    std::string out;
    std::string err;
    long peakKb = 0;      // its largest resident set, in KB
};

struct CliOptions {
    std::filesystem::path workingFolder;    // where it runs; also holds its captured output
    rlim_t fileSizeLimit = RLIM_INFINITY;   // as "ulimit -f" would set it
    std::string stdoutPath;                 // standard output goes here when set (e.g. /dev/full)
    unsigned timeLimitSeconds = 120;        // killed by SIGALRM after this long
    rlim_t addressSpaceLimit = RLIM_INFINITY;  // as "ulimit -v" would set it (ignored under
                                               // the sanitizers, which reserve terabytes)
};

inline CliOptions inFolder(const std::filesystem::path& folder)
{
    CliOptions options;
    options.workingFolder = folder;
    return options;
}

// Runs sorvane-cli with `args` as a shell with "ulimit -f" would: SIGXFSZ at its default
// action, so a process that does not guard against the limit is killed by it.
inline CliRun runCli(const std::vector<std::string>& args, const CliOptions& options)
{
    const std::filesystem::path outFile = options.workingFolder / ".cli-stdout";
    const std::filesystem::path errFile = options.workingFolder / ".cli-stderr";
    const std::string outPath = options.stdoutPath.empty() ? outFile.string() : options.stdoutPath;
    const std::string errPath = errFile.string();
    const std::string folder = options.workingFolder.string();
    std::vector<std::string> argv{SORVANE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);

    CliRun run;
    const pid_t pid = ::fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec.
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0)
            ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::signal(SIGXFSZ, SIG_DFL);
        ::signal(SIGALRM, SIG_DFL);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = options.fileSizeLimit;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (!kSanitized && options.addressSpaceLimit != RLIM_INFINITY) {
            ::getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = options.addressSpaceLimit;
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::alarm(options.timeLimitSeconds);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.peakKb = usage.ru_maxrss;
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (options.stdoutPath.empty())
        run.out = readFile(outFile);
    run.err = readFile(errFile);
    std::error_code ec;
    std::filesystem::remove(outFile, ec);
    std::filesystem::remove(errFile, ec);
    return run;
}

inline std::string describe(const CliRun& run)
{
    std::string s = run.exited ? "exit status " + std::to_string(run.status)
                               : "ended by signal " + std::to_string(run.signal);
    return s + "; stderr: " + run.err;
}

// Runs `work` in a child process that has a private mount namespace with a small memory
// file system of `bytes` mounted on `mountPoint` (which must exist); `work` gets the
// mount point and returns the child's exit status. Returns that status, or -1 when the
// system does not allow the mount (no privilege to create a namespace), so the caller can
// skip. The mount vanishes with the child.
inline int runWithSmallFileSystem(const std::filesystem::path& mountPoint, std::size_t bytes,
                                  const std::function<int(const std::filesystem::path&)>& work)
{
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0)
            ::_exit(200);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(200);
        if (::mount("sorvane-test", mountPoint.c_str(), "tmpfs", 0, options.c_str()) != 0)
            ::_exit(200);
        ::_exit(work(mountPoint));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status))
        return 300 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return WEXITSTATUS(status) == 200 ? -1 : WEXITSTATUS(status);
}

// Makes the file system mounted at `mountPoint` read-only (inside runWithSmallFileSystem).
inline bool remountReadOnly(const std::filesystem::path& mountPoint)
{
    return ::mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

}  // namespace sorvane::test
