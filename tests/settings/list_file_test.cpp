#include "settings/list_file.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

ReplacementRow row(std::u16string search, std::u16string replacement, std::string keep = "Y")
{
    return ReplacementRow{std::move(search), std::move(replacement), std::move(keep)};
}

// (search, replacement) pairs of a loaded list; every loaded row must be permanent.
std::vector<std::pair<std::u16string, std::u16string>> pairs(const ReplacementList& list)
{
    std::vector<std::pair<std::u16string, std::u16string>> out;
    for (const ReplacementRow& r : list) {
        EXPECT_EQ(r.keep, "Y");
        out.emplace_back(r.search, r.replacement);
    }
    return out;
}

TEST(ListFile, SavesPermanentRowsInListOrder)
{
    ScratchFolder dir;
    const auto dat = dir / "KELDRAN.DAT";
    const ReplacementList list = {
        row(u"A", u""),
        row(u"temp", u"x", "N"),
        row(u"中", u" "),
        row(u"lower", u"y", "y"),   // only an upper-case "Y" is permanent
        row(u"", u"lost?"),          // would end the list on loading: not written
        row(u"广告", u"\u3000"),
    };
    ASSERT_TRUE(saveListFile(dat, list).ok());
    EXPECT_EQ(readFile(dat), "8040\r\n\r\n56CF\r\n801F\r\n" + std::string("39E238E5\r\n21A0\r\n"));
    using P = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(pairs(loadListFile(dat)), (std::vector<P>{{u"A", u""}, {u"中", u" "}, {u"广告", u"\u3000"}}));

    // Saving an empty list leaves an empty file, and loading it an empty list.
    ASSERT_TRUE(saveListFile(dat, {}).ok());
    EXPECT_EQ(readFile(dat), "");
    EXPECT_TRUE(loadListFile(dat).empty());
    EXPECT_EQ(test::entryCount(dir.path()), 1u);
}

TEST(ListFile, LoadsHandWrittenFiles)
{
    using P = std::pair<std::u16string, std::u16string>;
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<P> rows;
    };
    const Case cases[] = {
        {"pairs", "8040\r\n\r\n56CF\r\n801F\r\n", {{u"A", u""}, {u"中", u" "}}},
        {"odd last line", "8040\r\n801F\r\n56CF\r\n", {{u"A", u" "}, {u"中", u"中"}}},
        {"odd, no line end", "8040\r\n801F\r\n56CF", {{u"A", u" "}, {u"中", u"中"}}},
        {"empty search line ends", "8040\r\n801F\r\n\r\n56CF\r\n801F\r\n", {{u"A", u" "}}},
        {"empty first line", "\r\n8040\r\n801F\r\n", {}},
        {"LF line ends", "8040\n801F\n56CF\n\n", {{u"A", u" "}, {u"中", u""}}},
        {"damaged groups", "80G0\r\n80\r\n", {{u"?", u"?"}}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        writeFile(dir / "KELDRAN.DAT", c.bytes);
        EXPECT_EQ(pairs(loadListFile(dir / "KELDRAN.DAT")), c.rows) << c.name;
        // Loading never changes the file.
        EXPECT_EQ(readFile(dir / "KELDRAN.DAT"), c.bytes) << c.name;
    }

    ScratchFolder dir;
    EXPECT_TRUE(loadListFile(dir / "KELDRAN.DAT").empty());  // absent
    std::filesystem::create_directory(dir / "KELDRAN.DAT");
    EXPECT_TRUE(loadListFile(dir / "KELDRAN.DAT").empty());  // a folder
}

// A file whose reading stopped early is saved back without what followed the stop, so
// the caller saves only when the list changed; a load-save round trip of a well-formed
// file gives the same bytes.
TEST(ListFile, LoadThenSaveGivesTheSameBytes)
{
    ScratchFolder dir;
    const auto dat = dir / "KELDRAN.DAT";
    const std::string bytes = "8040\r\n\r\n56CF\r\n801F\r\n7FFF\r\n21A0807F\r\n";
    writeFile(dat, bytes);
    ASSERT_TRUE(saveListFile(dat, loadListFile(dat)).ok());
    EXPECT_EQ(readFile(dat), bytes);

    writeFile(dat, "8040\r\n801F\r\n\r\n56CF\r\n801F\r\n");
    ASSERT_TRUE(saveListFile(dat, loadListFile(dat)).ok());
    EXPECT_EQ(readFile(dat), "8040\r\n801F\r\n");
}

}  // namespace
}  // namespace sorvane
