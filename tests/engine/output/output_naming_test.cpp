#include "engine/output/output_naming.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(OutputNaming, BasePathFromSourceAndNamingIndex)
{
    struct Case {
        const char* source;
        int naming;
        const char* expected;
    };
    const Case cases[] = {
        {"/a/ch1.htm", 0, "/a/ch1.txt"},
        {"/a/ch1.htm", -1, "/a/ch1.txt"},
        {"/a/ch1.htm", 2, "/a/ch001.txt"},          // width 3
        {"/a/ch0001.htm", 2, "/a/ch0001.txt"},      // already longer than the width
        {"/a/ch01.htm", 2, "/a/ch001.txt"},         // leading zeros count as digits
        {"/books/chap7.htm", 2, "/books/chap007.txt"},
        {"/books/vol12345.html", 2, "/books/vol12345.txt"},
        {"/books/intro.htm", 2, "/books/intro.txt"},
        {"/a/ch12.htm", 1, "/a/ch12.txt"},          // width 2, already two digits
        {"/a/ch12.htm", 7, "/a/ch00000012.txt"},    // width 8
        {"/a/ch12.htm", 8, "/a/ch000000012.txt"},   // width 9, the last item of the box
        {"/a/ch5", 3, "/a/ch0005.txt"},             // no extension
        {"/a/7.htm", 3, "/a/0007.txt"},             // the scan stops at the '/'
        {"/docs.old/readme", 0, "/docs.old/readme.txt"},  // a '.' before the last '/' is no extension
        {"/docs.old/readme", 2, "/docs.old/readme.txt"},
        {"/x/a.b.htm", 0, "/x/a.b.txt"},            // only the last extension goes
        {"/x/v2.1.htm", 2, "/x/v2.001.txt"},
        {"/a/ch1.txt", 0, "/a/ch1.txt"},            // maps onto itself (refused by ch_txt)
        {"/a/名字3.htm", 1, "/a/名字03.txt"},
        {"/b/d.fb2.zip", 0, "/b/d.txt"},            // a packed book loses both extensions
        {"/b/D.FB2.ZIP", 0, "/b/D.txt"},
        {"/b/chap7.fb2.zip", 2, "/b/chap007.txt"},
        {"/b/.fb2.zip", 0, "/b/.fb2.txt"},          // no name before them: only the last goes
        {"/b/d.zip", 0, "/b/d.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " naming " + std::to_string(c.naming));
        EXPECT_EQ(outputBasePath(c.source, namingWidth(c.naming)).string(), c.expected);
    }
}

TEST(OutputNaming, AnOutputFolderTakesTheNameOnly)
{
    struct Case {
        const char* source;
        int naming;
        const char* folder;
        const char* expected;
    };
    const Case cases[] = {
        {"/a/ch1.htm", 0, "", "/a/ch1.txt"},
        {"/a/ch1.htm", 0, "/out", "/out/ch1.txt"},
        {"/a/ch1.htm", 2, "/out/", "/out/ch001.txt"},
        {"/docs.old/readme", 0, "/out", "/out/readme.txt"},
        {"/a/ch1.txt", 0, "/out/sub", "/out/sub/ch1.txt"},  // a .txt source no longer maps onto itself
        {"rel/ch7.htm", 2, "o", "o/ch007.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source + std::string(" -> ") + c.folder);
        EXPECT_EQ(outputBasePath(c.source, namingWidth(c.naming), c.folder).string(), c.expected);
    }
}

TEST(OutputNaming, PartNamesCarryTheStartIndexWithAtLeastFourDigits)
{
    struct Case {
        const char* base;
        std::size_t start;
        const char* expected;
    };
    const Case cases[] = {
        {"/b/chap007.txt", 0, "/b/chap007.txt"},
        {"/b/chap007.txt", 7, "/b/chap007_0007.txt"},
        {"/b/chap007.txt", 153, "/b/chap007_0153.txt"},
        {"/b/chap007.txt", 9999, "/b/chap007_9999.txt"},
        {"/b/chap007.txt", 12345, "/b/chap007_12345.txt"},  // never cut
        {"/b/chap007.txt", 40000, "/b/chap007_40000.txt"},
        {"/prog/TEMP.TXT", 153, "/prog/TEMP_0153.txt"},      // the preview's scratch parts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(partPath(c.base, c.start).string(), c.expected);
    }
}

}  // namespace
}  // namespace sorvane
