#include "common/replacement_list.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(ReplacementList, RowsApplyInOrderOnEachOthersResult)
{
    struct Case {
        const char* name;
        ReplacementList list;
        Text text;
        Text expected;
    };
    const Case cases[] = {
        {"later row sees earlier output", {{u"a", u"b", "Y"}, {u"b", u"c", "N"}}, u"ab", u"cc"},
        {"order matters", {{u"b", u"c", "Y"}, {u"a", u"b", "Y"}}, u"ab", u"bc"},
        {"empty search changes nothing", {{u"", u"x", "Y"}}, u"abc", u"abc"},
        {"empty replacement deletes", {{u"广告", u"", "Y"}}, u"正文广告正文广告", u"正文正文"},
        {"case-sensitive", {{u"Abc", u"x", "Y"}}, u"abc Abc ABC", u"abc x ABC"},
        {"non-overlapping, left to right", {{u"aa", u"b", "Y"}}, u"aaaaa", u"bba"},
        {"replacement containing the search", {{u"a", u"aa", "Y"}}, u"aba", u"aabaa"},
        {"line breaks", {{u"\r\n\r\n", u"\r\n", "Y"}}, u"a\r\n\r\n\r\nb", u"a\r\n\r\nb"},
        {"no rows", {}, u"abc", u"abc"},
        {"no match", {{u"z", u"y", "Y"}}, u"abc", u"abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text text = c.text;
        applyReplacements(text, c.list);
        EXPECT_EQ(text, c.expected);
    }
}

}  // namespace
}  // namespace sorvane
