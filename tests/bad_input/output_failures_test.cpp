// Outputs that cannot be written: a read-only folder, a folder on a read-only file
// system, a folder that is a file, a full disk (a small file system, the file size limit
// of "ulimit -f", /dev/full for standard output). Each conversion must fail with its
// error, the program must keep running, and every file that was there before, an older
// output of the same name included, must be left exactly as it was. A run ended by a
// signal must leave no temporary file behind either.

#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input_support.h"
#include "common/text.h"
#include "engine/convert/ch_txt.h"
#include "io/codepage.h"
#include "settings/ini_file.h"
#include "settings/list_file.h"

namespace sorvane {
namespace {

using test::FileSizeLimit;
using test::fingerprint;
using test::inFolder;
using test::readFile;
using test::runCli;
using test::ScratchFolder;
using test::writeFile;

// About `paragraphs` * 40 bytes of UTF-8 markup; its output is about two thirds of that.
std::string chineseDocument(int paragraphs)
{
    std::string html = "<meta charset=utf-8>\n";
    for (int i = 0; i < paragraphs; ++i)
        html += "<p>第" + std::to_string(i) + "段：写不下的文字内容。</p>\n";
    return html;
}

// A folder holding a source, an older output of it and a file of the user's.
void prepare(const std::filesystem::path& folder, const std::string& source)
{
    writeFile(folder / "book.htm", source);
    writeFile(folder / "book.txt", encodeCp936(u"上一次转换的结果\r\n").bytes);
    writeFile(folder / "读者的笔记.txt", "keep");
}

bool noTemporaryLeft(const std::filesystem::path& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("."))
            return false;
    return true;
}

TEST(BadOutput, ReadOnlyFolder)
{
    if (test::runningAsRoot())
        GTEST_SKIP() << "root writes into folders without write permission; the read-only file system "
                        "and the folder that is a file cover this case for root";
    ScratchFolder dir;
    const auto folder = dir / "只读";
    std::filesystem::create_directory(folder);
    prepare(folder, chineseDocument(10));
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto before = fingerprint(dir.path());

    const auto report = ch_txt(folder / "book.htm", 0, {}, {}, EngineContext{});
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Unwritable);
    EXPECT_EQ(fingerprint(dir.path()), before);

    const auto run = runCli({"只读/book.htm"}, inFolder(dir.path()));
    ASSERT_TRUE(run.exited) << test::describe(run);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(report.error().message), std::string::npos) << run.err;
    EXPECT_EQ(fingerprint(dir.path()), before);
}

TEST(BadOutput, FolderThatIsAFile)
{
    ScratchFolder dir;
    writeFile(dir / "程序", "a file where the program folder should be");
    writeFile(dir / "book.htm", chineseDocument(5));
    const auto before = fingerprint(dir.path());

    // The preview writes into the program folder, here a path below a regular file.
    EngineContext context;
    context.programFolder = dir / "程序" / "sub";
    const auto report = ch_txt(dir / "book.htm", 1, {}, {}, context);
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Unwritable);
    EXPECT_EQ(report.error().where, (context.programFolder / "TEMP.TXT").string());
    EXPECT_EQ(fingerprint(dir.path()), before);

    // An output name taken by a folder.
    std::filesystem::create_directory(dir / "book.txt");
    writeFile(dir / "book.txt" / "inside", "keep");
    const auto withFolder = fingerprint(dir.path());
    const auto blocked = ch_txt(dir / "book.htm", 0, {}, {}, EngineContext{});
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().code, ErrorCode::Unwritable);
    EXPECT_EQ(fingerprint(dir.path()), withFolder);
    const auto run = runCli({"book.htm"}, inFolder(dir.path()));
    ASSERT_TRUE(run.exited) << test::describe(run);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(fingerprint(dir.path()), withFolder);
}

TEST(BadOutput, FileSizeLimitIsLikeAFullDisk)
{
    ScratchFolder dir;
    prepare(dir.path(), chineseDocument(2000));  // output about 50 KB
    const auto before = fingerprint(dir.path());
    {
        FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        const auto report = ch_txt(dir / "book.htm", 0, {}, {}, EngineContext{});
        ASSERT_FALSE(report.ok());
        EXPECT_EQ(report.error().code, ErrorCode::Unwritable) << report.error().describe();
        EXPECT_EQ(report.error().where, (dir / "book.txt").string());

        // Split into parts: the parts that fit are written, the first that does not fit
        // fails, and nothing that was there before is touched.
        ConversionParams params;
        params.maxSize = "12";
        const auto split = ch_txt(dir / "book.htm", 0, params, {}, EngineContext{});
        ASSERT_FALSE(split.ok());
    }
    const auto after = fingerprint(dir.path());
    EXPECT_EQ(test::lostOrChanged(before, after), "");
    EXPECT_TRUE(noTemporaryLeft(dir.path()));

    // The command line under "ulimit -f": it must report the failure, not be killed by
    // SIGXFSZ.
    ScratchFolder cliDir;
    prepare(cliDir.path(), chineseDocument(2000));
    const auto cliBefore = fingerprint(cliDir.path());
    auto options = inFolder(cliDir.path());
    options.fileSizeLimit = 16 * 1024;
    const auto run = runCli({"book.htm"}, options);
    ASSERT_TRUE(run.exited) << test::describe(run);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("book.txt"), std::string::npos) << run.err;
    EXPECT_EQ(fingerprint(cliDir.path()), cliBefore);
    EXPECT_TRUE(noTemporaryLeft(cliDir.path()));
}

TEST(BadOutput, StandardOutputOnAFullDevice)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    ScratchFolder dir;
    writeFile(dir / "book.htm", chineseDocument(200));
    const auto before = fingerprint(dir.path());
    for (const char* mode : {"--stdout", "--raw"}) {
        SCOPED_TRACE(mode);
        auto options = inFolder(dir.path());
        options.stdoutPath = "/dev/full";
        const auto run = runCli({mode, "book.htm"}, options);
        ASSERT_TRUE(run.exited) << test::describe(run);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("无法写入标准输出"), std::string::npos) << run.err;
        EXPECT_EQ(fingerprint(dir.path()), before);
    }
}

// A source name at the file-name length limit: the first part fits, the name of a later
// part ("_" and its line index added) does not. The parts are one commit: none is
// written, the failure names the part, and nothing else changes.
TEST(BadOutput, PartNameTooLong)
{
    ScratchFolder dir;
    std::string stem;
    for (int i = 0; i < 83; ++i)
        stem += "长";  // 249 bytes
    stem += "ab";
    const std::string name = stem + ".htm";  // 255 bytes, the longest name most file systems allow
    std::string html = "<meta charset=utf-8>";
    for (int i = 0; i < 300; ++i)
        html += "<p>第" + std::to_string(i) + "段的文字内容，足够长。</p>";
    writeFile(dir / name, html);
    const auto before = fingerprint(dir.path());

    ConversionParams params;
    params.maxSize = "0.5";
    const auto report = ch_txt(dir / name, 0, params, {}, EngineContext{});
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Unwritable);
    EXPECT_TRUE(report.error().where.starts_with((dir / stem).string() + "_")) << report.error().where;
    const auto after = fingerprint(dir.path());
    EXPECT_EQ(test::lostOrChanged(before, after), "");
    EXPECT_EQ(test::added(before, after), std::vector<std::string>{});

    const auto run = runCli({"--max-size", "0.5", name}, inFolder(dir.path()));
    ASSERT_TRUE(run.exited) << test::describe(run);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(report.error().message), std::string::npos) << run.err;
    EXPECT_EQ(test::lostOrChanged(after, fingerprint(dir.path())), "");
}

// What a child process saw, written to a file outside its private mounts.
struct ChildReport {
    std::filesystem::path file;
    void add(const std::string& line) const { writeFile(file, readFile(file) + line + "\n"); }
};

std::string codeName(const Status& status)
{
    if (status.ok())
        return "ok";
    switch (status.error().code) {
    case ErrorCode::DiskFull:
        return "DiskFull";
    case ErrorCode::Unwritable:
        return "Unwritable";
    default:
        return "other: " + status.error().describe();
    }
}

template <typename T>
std::string codeName(const Result<T>& result)
{
    return result.ok() ? "ok" : codeName(Status(result.error()));
}

TEST(BadOutput, FullAndReadOnlyFileSystems)
{
    ScratchFolder dir;
    const auto mountPoint = dir / "disk";
    std::filesystem::create_directory(mountPoint);
    ChildReport report{dir / "report.txt"};

    // A 48 KiB file system that holds the source (about 36 KB) but not its output.
    const int full = test::runWithSmallFileSystem(mountPoint, 48 * 1024, [&](const std::filesystem::path& disk) {
        prepare(disk, chineseDocument(900));
        writeFile(disk / "KELDRAN.INI", "[SET]\r\nMAX_L=5\r\n");
        writeFile(disk / "KELDRAN.DAT", "8040\r\n8041\r\n");
        const auto before = fingerprint(disk);
        report.add("engine " + codeName(ch_txt(disk / "book.htm", 0, {}, {}, EngineContext{})));
        report.add(std::string("engine kept ") + (fingerprint(disk) == before ? "yes" : "no"));
        const auto run = runCli({(disk / "book.htm").string()}, inFolder(dir.path()));
        report.add("cli " + std::to_string(run.exited) + " " + std::to_string(run.status));
        report.add(std::string("cli kept ") + (fingerprint(disk) == before ? "yes" : "no"));
        // Fill what is left, then save the settings and the list.
        writeFile(disk / "filler", std::string(64 * 1024, 'x'));
        const auto filled = fingerprint(disk);
        report.add("ini " + codeName(Write_INI(disk / "KELDRAN.INI", "SET", "USE_PATH", std::string(8000, 'p'))));
        ReplacementList list(200, ReplacementRow{u"很长的搜索文字很长的搜索文字", u"替换", "Y"});
        report.add("list " + codeName(saveListFile(disk / "KELDRAN.DAT", list)));
        report.add(std::string("settings kept ") + (fingerprint(disk) == filled ? "yes" : "no"));
        report.add(std::string("no temporary ") + (noTemporaryLeft(disk) ? "yes" : "no"));
        return 0;
    });
    if (full < 0)
        GTEST_SKIP() << "this system does not allow a private mount namespace (needs root or user namespaces)";
    EXPECT_EQ(full, 0);
    EXPECT_EQ(readFile(report.file),
              "engine DiskFull\nengine kept yes\ncli 1 1\ncli kept yes\n"
              "ini DiskFull\nlist DiskFull\nsettings kept yes\nno temporary yes\n");

    // A read-only file system: nothing can be created there, whoever runs the program.
    std::filesystem::remove(report.file);
    const int readOnly = test::runWithSmallFileSystem(mountPoint, 1024 * 1024, [&](const std::filesystem::path& disk) {
        prepare(disk, chineseDocument(20));
        writeFile(disk / "KELDRAN.INI", "[SET]\r\nMAX_L=5\r\n");
        if (!test::remountReadOnly(disk))
            return 2;
        const auto before = fingerprint(disk);
        report.add("engine " + codeName(ch_txt(disk / "book.htm", 0, {}, {}, EngineContext{})));
        const auto run = runCli({(disk / "book.htm").string()}, inFolder(dir.path()));
        report.add("cli " + std::to_string(run.exited) + " " + std::to_string(run.status));
        report.add("ini " + codeName(Write_INI(disk / "KELDRAN.INI", "SET", "MAX_L", "6")));
        report.add("ini reads " + Read_INI(disk / "KELDRAN.INI", "SET", "MAX_L"));
        report.add(std::string("kept ") + (fingerprint(disk) == before ? "yes" : "no"));
        return 0;
    });
    ASSERT_EQ(readOnly, 0);
    EXPECT_EQ(readFile(report.file), "engine Unwritable\ncli 1 1\nini Unwritable\nini reads 5\nkept yes\n");
}

std::vector<std::string> temporaryFiles(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".sorvane-"))
            names.push_back(entry.path().filename().string());
    return names;
}

// Starts sorvane-cli in `folder` with its output going to `stdoutFd` (closed here) and,
// with `holdMarker`, the writer stopping at its first temporary file until killed: it
// creates the marker file then. Returns the process id.
pid_t startCli(const std::filesystem::path& folder, std::vector<std::string> args, int stdoutFd,
               const std::string& holdMarker)
{
    std::vector<std::string> argv{SORVANE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    const std::string dir = folder.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(stdoutFd, 1);
        ::dup2(null, 2);
        if (!holdMarker.empty())
            ::setenv("SORVANE_TEST_HOLD_TEMPORARY", holdMarker.c_str(), 1);
        const struct rlimit noCore {0, 0};  // SIGQUIT would dump one into the folder
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::alarm(120);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    ::close(stdoutFd);
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Every signal that ends the program by default, while a part is being written: the
// program ends by that signal, as before, and the temporary file it was writing is gone.
// (SIGXFSZ is ignored, so a write past "ulimit -f" fails and is reported instead.) The writer is
// held with its temporary file in place, so the signal always comes at that moment.
TEST(BadOutput, InterruptedRunLeavesNoTemporaryFile)
{
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM,
                          SIGPROF, SIGRTMIN, SIGRTMAX}) {
        SCOPED_TRACE(strsignal(sig));
        ScratchFolder dir;
        const auto folder = dir / "books";
        std::filesystem::create_directory(folder);
        prepare(folder, chineseDocument(50));
        writeFile(folder / "second.htm", chineseDocument(60));
        const auto before = fingerprint(folder);
        const auto marker = dir / "holding";

        const int out = ::open("/dev/null", O_WRONLY);
        const pid_t pid = startCli(folder, {"--jobs", "1", "book.htm", "second.htm"}, out, marker.string());
        ASSERT_GT(pid, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const bool held = std::filesystem::exists(marker);
        // The moment the test is about: a temporary file beside the sources.
        const auto whileHeld = temporaryFiles(folder);
        ::kill(pid, sig);
        const int status = waitFor(pid);
        ASSERT_TRUE(held) << "the writer never reached its temporary file";
        EXPECT_EQ(whileHeld.size(), 1u);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(temporaryFiles(folder), std::vector<std::string>{});
        EXPECT_EQ(test::lostOrChanged(before, fingerprint(folder)), "");
    }
}

// The same through a real pipe whose reader has gone, as with "sorvane-cli ... | head":
// the program ends by SIGPIPE at its first line of output while the other worker may be
// writing, and no temporary file is left, whatever the moment.
TEST(BadOutput, ClosedPipeLeavesNoTemporaryFile)
{
    ScratchFolder dir;
    std::vector<std::string> args{"--jobs", "2"};
    for (int i = 0; i < 40; ++i) {
        const std::string name = "doc" + std::to_string(i) + ".htm";
        writeFile(dir / name, chineseDocument(300));
        args.push_back(name);
    }
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);  // no one reads: the first line written raises SIGPIPE
    const pid_t pid = startCli(dir.path(), args, fds[1], "");
    ASSERT_GT(pid, 0);
    const int status = waitFor(pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGPIPE);
    EXPECT_EQ(temporaryFiles(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace sorvane
