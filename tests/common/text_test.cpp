#include "common/text.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(Text, Utf8AndUtf16)
{
    struct Case {
        std::string utf8;
        Text utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"中文　标点，", u"中文　标点，"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // a surrogate pair
        {"\r\n\t", u"\r\n\t"},
        {std::string("a\0b", 3), Text(u"a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fromUtf8(c.utf8), c.utf16);
        EXPECT_EQ(toUtf8(c.utf16), c.utf8);
    }
    // Invalid input becomes U+FFFD; the rest is kept.
    EXPECT_EQ(fromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(fromUtf8("a\xE4\xB8"), u"a\uFFFD");
    EXPECT_EQ(toUtf8(Text(u"x\xD800y", 3)), "x\xEF\xBF\xBDy");  // lone surrogate
}

TEST(Text, AppendUtf8DecodesAsTheWholeStringConversionDoes)
{
    for (const std::string utf8 : {"", "abc", "中文　标点，", "\xF0\x9F\x98\x80", "a\xFF" "b", "a\xE4\xB8",
                                   "\xE4\xB8\xE4\xB8\xAD", "\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80"}) {
        SCOPED_TRACE(utf8);
        Text out = u"前";
        appendUtf8(out, utf8);
        EXPECT_EQ(out, u"前" + fromUtf8(utf8));
    }
}

}  // namespace
}  // namespace sorvane
