#include "io/file_reader.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::ScratchFolder;
using test::writeFile;

TEST(FileReader, ReadsRegularFilesAndRefusesTheRest)
{
    ScratchFolder dir;
    std::string big;
    for (int i = 0; big.size() < 300000; ++i)
        big += std::to_string(i) + ',';
    writeFile(dir / "big", big);
    writeFile(dir / "empty", "");
    writeFile(dir / "nul", std::string("a\0b", 3));
    std::filesystem::create_symlink("big", dir / "link");
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero");
    std::filesystem::create_symlink("gone", dir / "dangling");
    std::filesystem::create_symlink("loop-b", dir / "loop-a");
    std::filesystem::create_symlink("loop-a", dir / "loop-b");

    struct Case {
        const char* name;
        std::optional<std::string> bytes;  // nothing: refused with `error`
        ErrorCode error;
    };
    const Case cases[] = {
        {"big", big, {}},
        {"empty", "", {}},
        {"nul", std::string("a\0b", 3), {}},
        {"link", big, {}},
        {"folder", std::nullopt, ErrorCode::Unreadable},
        {"pipe", std::nullopt, ErrorCode::Unreadable},
        {"zero", std::nullopt, ErrorCode::Unreadable},
        {"dangling", std::nullopt, ErrorCode::NotFound},
        {"loop-a", std::nullopt, ErrorCode::NotFound},
        {"missing", std::nullopt, ErrorCode::NotFound},
        {"big/below-a-file", std::nullopt, ErrorCode::NotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<std::string> read = readWholeFile(dir / c.name);
        if (c.bytes) {
            ASSERT_TRUE(read.ok()) << read.error().describe();
            EXPECT_TRUE(*read == *c.bytes) << read->size();
        } else {
            ASSERT_FALSE(read.ok());
            EXPECT_EQ(read.error().code, c.error) << read.error().describe();
            EXPECT_EQ(read.error().where, (dir / c.name).string());
            EXPECT_FALSE(read.error().message.empty());
        }
    }
}

// The check sees exactly the first bytes asked for (all of a shorter file), and a refusal
// ends the read with its own error.
TEST(FileReader, HeadCheckSeesThePrefix)
{
    ScratchFolder dir;
    const std::string content = "0123456789";
    writeFile(dir / "ten", content);
    for (const std::size_t head : {0u, 1u, 9u, 10u, 11u, 4096u}) {
        SCOPED_TRACE(head);
        std::string seen;
        int calls = 0;
        const Result<std::string> read = readWholeFile(dir / "ten", head, [&](std::string_view h) -> std::optional<Error> {
            seen = h;
            ++calls;
            return std::nullopt;
        });
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(*read, content);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(seen, content.substr(0, head));

        const Result<std::string> refused = readWholeFile(dir / "ten", head, [](std::string_view h) -> std::optional<Error> {
            return Error{ErrorCode::BinaryInput, "refused " + std::to_string(h.size()), {}};
        });
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().code, ErrorCode::BinaryInput);
        EXPECT_EQ(refused.error().message, "refused " + std::to_string(std::min<std::size_t>(head, 10)));
        EXPECT_EQ(refused.error().where, (dir / "ten").string());
    }
    // A file that is refused before the check never reaches it.
    bool called = false;
    const auto missing = readWholeFile(dir / "missing", 4, [&](std::string_view) -> std::optional<Error> {
        called = true;
        return std::nullopt;
    });
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(called);
}

// A regular file and a pipe swapped under one name for a second while it is read over
// and over: each read gives the file or refuses the pipe, and none waits for a writer.
// The reads run in a child process with a time limit, so a read that hangs fails the
// test instead of stalling it.
// The size cap, at its boundary, for a file (refused before reading) and for a stream
// (read up to the cap, then refused): ten bytes under caps of 9, 10 and 11.
TEST(FileReader, InputPastTheCapIsRefused)
{
    ScratchFolder dir;
    const std::string ten = "0123456789";
    writeFile(dir / "ten", ten);
    for (const std::size_t cap : {std::size_t{0}, std::size_t{9}, std::size_t{10}, std::size_t{11}}) {
        SCOPED_TRACE(cap);
        const bool fits = cap >= ten.size();
        const auto file = readWholeFile(dir / "ten", 0, {}, cap);
        EXPECT_EQ(file.ok(), fits);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        ASSERT_EQ(::write(fds[1], ten.data(), ten.size()), static_cast<ssize_t>(ten.size()));
        ::close(fds[1]);
        const auto stream = readWholeStream(fds[0], "stdin", 4, [](std::string_view) { return std::nullopt; }, cap);
        ::close(fds[0]);
        EXPECT_EQ(stream.ok(), fits);
        if (fits) {
            EXPECT_EQ(*file, ten);
            EXPECT_EQ(*stream, ten);
        } else {
            EXPECT_EQ(file.error().code, ErrorCode::BadInput);
            EXPECT_EQ(stream.error().code, ErrorCode::BadInput);
            EXPECT_EQ(stream.error().where, "stdin");
        }
    }
}

TEST(FileReader, PipeSwappedInIsRefusedNotWaitedOn)
{
    ScratchFolder dir;
    const auto name = dir / "doc";
    const auto file = dir / "file";
    const auto pipe = dir / "pipe";
    const auto next = dir / "next";
    writeFile(file, "text");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    ASSERT_EQ(::link(file.c_str(), name.c_str()), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(10);
        std::atomic<bool> stop{false};
        // Hard links of the two prepared entries, renamed over the name in turn (a rename
        // between two links of one file does nothing, hence the unlink).
        std::thread swapper([&] {
            while (!stop) {
                for (const auto* entry : {&pipe, &file}) {
                    ::unlink(next.c_str());
                    if (::link(entry->c_str(), next.c_str()) == 0)
                        ::rename(next.c_str(), name.c_str());
                }
            }
        });
        int bad = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < end) {
            const Result<std::string> read = readWholeFile(name);
            if (read.ok() ? *read != "text" : read.error().code != ErrorCode::Unreadable)
                ++bad;
        }
        stop = true;
        swapper.join();
        ::_exit(bad == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << " (SIGALRM: a read waited on the pipe)";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a read gave something other than the file or a refusal";
}

}  // namespace
}  // namespace sorvane
