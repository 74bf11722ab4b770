// Files written as one set: none is in place before the commit, all are after it, and a
// set abandoned (a refused file, or no commit) leaves the old files and no temporary one.

#include "io/file_commit.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

TEST(FileCommit, FilesAppearTogetherOrNotAtAll)
{
    const struct {
        const char* name;
        bool folderInTheWay;  // the second file's name is a folder
        bool commit;
    } cases[] = {{"committed", false, true}, {"second refused", true, true}, {"abandoned", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        writeFile(dir / "a", "old a");
        if (c.folderInTheWay)
            std::filesystem::create_directory(dir / "b");
        const std::size_t before = test::entryCount(dir.path());
        bool made = false;
        {
            FileCommit commit(WriteOptions{.durable = false, .throughLinks = false});
            ASSERT_TRUE(commit.add(dir / "a", "new a").ok());
            const Status second = commit.add(dir / "b", "new b");
            ASSERT_EQ(second.ok(), !c.folderInTheWay);
            EXPECT_EQ(readFile(dir / "a"), "old a");
            EXPECT_EQ(std::filesystem::is_regular_file(dir / "b"), false);
            if (second.ok() && c.commit) {
                const Status committed = commit.commit();
                ASSERT_TRUE(committed.ok()) << committed.error().describe();
                made = true;
            }
        }
        EXPECT_EQ(readFile(dir / "a"), made ? "new a" : "old a");
        if (made) {
            EXPECT_EQ(readFile(dir / "b"), "new b");
        }
        EXPECT_EQ(test::entryCount(dir.path()), made ? 2u : before);
    }
}

// A rename that fails half way (the second name became a folder after it was checked)
// puts back what the first rename replaced, and removes it when it is new.
TEST(FileCommit, AFailedRenameLeavesTheOldFilesWhole)
{
    for (const bool aExisted : {true, false}) {
        SCOPED_TRACE(aExisted ? "a replaced" : "a new");
        ScratchFolder dir;
        if (aExisted)
            writeFile(dir / "a", "old a");
        FileCommit commit(WriteOptions{.durable = false, .throughLinks = false});
        ASSERT_TRUE(commit.add(dir / "a", "new a").ok());
        ASSERT_TRUE(commit.add(dir / "b", "new b").ok());
        std::filesystem::create_directory(dir / "b");
        writeFile(dir / "b" / "inside", "x");
        const Status committed = commit.commit();
        ASSERT_FALSE(committed.ok());
        EXPECT_EQ(committed.error().where, (dir / "b").string());
        EXPECT_EQ(std::filesystem::exists(dir / "a"), aExisted);
        if (aExisted) {
            EXPECT_EQ(readFile(dir / "a"), "old a");
        }
        EXPECT_EQ(test::entryCount(dir.path()), aExisted ? 2u : 1u);  // no temporary file left
    }
}

}  // namespace
}  // namespace sorvane
