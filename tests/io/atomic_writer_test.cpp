// The one writer behind every file the program saves: parts, the settings file and the
// replacement list. Each writer is driven through its own entry point, so a caller that
// stops using the shared writer, or passes it the wrong options, shows here.

#include "io/atomic_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "engine/output/part_writer.h"
#include "io/codepage.h"
#include "settings/ini_file.h"
#include "settings/list_file.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

struct Writer {
    const char* name;
    std::function<Status(const std::filesystem::path&)> write;  // writes a few KB to the file
    std::string oldBytes;                                         // a file that writer would have made
};

std::vector<Writer> writers()
{
    const std::string big(4000, 'x');
    return {
        {"shared writer, synced", [big](const auto& f) { return writeFileAtomically(f, big); }, "old"},
        {"shared writer, not synced",
         [big](const auto& f) {
             WriteOptions options;
             options.durable = false;
             return writeFileAtomically(f, big, options);
         },
         "old"},
        {"part",
         [](const auto& f) {
             std::size_t lost = 0;
             return writePart(f, Text(2000, u'字'), lost);
         },
         "\xD7\xD6\r\n"},
        {"part of a book",
         [](const auto& f) {
             std::size_t lost = 0;
             FileCommit commit(kPartWriteOptions);
             const Status written = writePart(commit, f, Text(2000, u'字'), lost);
             return written ? commit.commit() : written;
         },
         "\xD7\xD6\r\n"},
        {"settings", [big](const auto& f) { return Write_INI(f, "SET", "USE_PATH", big); }, "[SET]\r\nUSE_PATH=/old\r\n"},
        {"replacement list",
         [](const auto& f) { return saveListFile(f, ReplacementList(100, ReplacementRow{u"很长的搜索文字", u"替换", "Y"})); },
         "8040\r\n\r\n"},
    };
}

mode_t modeOf(const std::filesystem::path& file)
{
    struct stat st {};
    EXPECT_EQ(::lstat(file.c_str(), &st), 0) << file;
    return st.st_mode & 07777;
}

// A write that fails halfway (the file size limit, which binds root too) or cannot start
// (the folder is a file) leaves the old file as it was and no temporary file behind.
TEST(AtomicWriter, FailedWriteKeepsTheOldFile)
{
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        ScratchFolder dir;
        const auto file = dir / "target";
        writeFile(file, w.oldBytes);
        Status st = Ok{};
        {
            test::FileSizeLimit limit(64);
            ASSERT_TRUE(limit.active());
            st = w.write(file);
        }
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(st.error().code, ErrorCode::Unwritable);
        EXPECT_EQ(st.error().where, file.string());
        EXPECT_NE(st.error().message.find("文件太大"), std::string::npos) << st.error().message;  // EFBIG
        EXPECT_EQ(readFile(file), w.oldBytes);
        EXPECT_EQ(test::entryCount(dir.path()), 1u);

        writeFile(dir / "plain", "x");
        const Status below = w.write(dir / "plain" / "target");
        ASSERT_FALSE(below.ok());
        EXPECT_EQ(below.error().code, ErrorCode::Unwritable);
        EXPECT_EQ(readFile(dir / "plain"), "x");

        // And the same writer succeeds once nothing stands in its way.
        ASSERT_TRUE(w.write(file).ok());
        EXPECT_NE(readFile(file), w.oldBytes);
        EXPECT_EQ(test::entryCount(dir.path()), 2u);
    }
}

// A replaced file keeps its mode (and its owner, where the process may set it); a new
// file gets the default mode.
TEST(AtomicWriter, ReplacedFileKeepsModeAndOwner)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool root = test::runningAsRoot();
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        for (const mode_t mode : {0600, 0640, 0604, 0755}) {
            SCOPED_TRACE(mode);
            ScratchFolder dir;
            const auto file = dir / "target";
            writeFile(file, w.oldBytes);
            ASSERT_EQ(::chmod(file.c_str(), mode), 0);
            if (root) {
                ASSERT_EQ(::chown(file.c_str(), 4321, 8765), 0);
            }
            ASSERT_TRUE(w.write(file).ok());
            EXPECT_NE(readFile(file), w.oldBytes);
            EXPECT_EQ(modeOf(file), mode);
            if (root) {
                struct stat st {};
                ASSERT_EQ(::stat(file.c_str(), &st), 0);
                EXPECT_EQ(st.st_uid, 4321u);
                EXPECT_EQ(st.st_gid, 8765u);
            }
        }
        ScratchFolder dir;
        ASSERT_TRUE(w.write(dir / "new").ok());
        EXPECT_EQ(modeOf(dir / "new"), 0666 & ~mask);
    }
}

// What stands under the name: a folder or a pipe is refused and left alone; a link is
// followed by the settings writers and replaced by the part writer (the file it points
// to stays as it was).
TEST(AtomicWriter, WhatStandsUnderTheName)
{
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        ScratchFolder dir;
        std::filesystem::create_directory(dir / "folder");
        ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
        for (const char* name : {"folder", "pipe"}) {
            // The settings writers read the file first and fail there (Unreadable).
            const Status st = w.write(dir / name);
            ASSERT_FALSE(st.ok()) << name;
            EXPECT_FALSE(st.error().message.empty()) << name;
        }
        EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
        EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));

        writeFile(dir / "real", w.oldBytes);
        std::filesystem::create_symlink("real", dir / "link");
        ASSERT_TRUE(w.write(dir / "link").ok());
        const bool replacesLink = std::string(w.name).starts_with("part");
        EXPECT_EQ(std::filesystem::is_symlink(dir / "link"), !replacesLink);
        EXPECT_EQ(readFile(dir / "real") == w.oldBytes, replacesLink);
        EXPECT_EQ(test::entryCount(dir.path()), 4u);
    }
}

TEST(AtomicWriter, ReadOnlyFileIsRefused)
{
    if (test::runningAsRoot())
        GTEST_SKIP() << "permission bits do not stop root";
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        ScratchFolder dir;
        writeFile(dir / "target", w.oldBytes);
        ASSERT_EQ(::chmod((dir / "target").c_str(), 0444), 0);
        const Status st = w.write(dir / "target");
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(readFile(dir / "target"), w.oldBytes);
        EXPECT_EQ(modeOf(dir / "target"), 0444u);
    }
}

}  // namespace
}  // namespace sorvane
