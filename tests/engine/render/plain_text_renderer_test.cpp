#include "engine/render/plain_text_renderer.h"

#include <string>

#include <gtest/gtest.h>

#include "engine/encoding/utf8_check.h"
#include "io/codepage.h"

namespace sorvane {
namespace {

TEST(PlainTextRenderer, Decoding)
{
    struct Case {
        const char* name;
        std::string bytes;
        Text expected;
    };
    const std::string gbkText = encodeCp936(u"中文，第一章").bytes;
    const Case cases[] = {
        {"utf-8", "中文abc", u"中文abc"},
        {"utf-8 with BOM", "\xEF\xBB\xBF中文", u"中文"},                     // the BOM is not text
        {"utf-16le BOM", std::string("\xFF\xFE\x2D\x4E\x41\x00", 6), u"中A"},
        {"utf-16be BOM", std::string("\xFE\xFF\x4E\x2D\x00\x41", 6), u"中A"},
        {"code page 936", gbkText, u"中文，第一章"},                          // not valid UTF-8
        {"ascii", "plain", u"plain"},
        {"empty", "", u""},
        {"BOM only", "\xEF\xBB\xBF", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(renderPlainText(c.bytes), c.expected);
    }
}

TEST(PlainTextRenderer, LineBreaksBecomeCrLf)
{
    struct Case {
        Text in;
        Text out;
    };
    const Case cases[] = {
        {u"a\r\nb", u"a\r\nb"},   {u"a\nb", u"a\r\nb"},     {u"a\rb", u"a\r\nb"},
        {u"a\n\nb", u"a\r\n\r\nb"}, {u"a\r\rb", u"a\r\n\r\nb"}, {u"a\n\r\nb", u"a\r\n\r\nb"},
        {u"a\r\n\nb", u"a\r\n\r\nb"}, {u"\r", u"\r\n"},      {u"\n", u"\r\n"},
        {u"a\r", u"a\r\n"},       {u"a\tb\u3000", u"a\tb\u3000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normaliseLineBreaks(c.in), c.out);
    EXPECT_EQ(renderPlainText("一\n二\r三\r\n"), u"一\r\n二\r\n三\r\n");
}

TEST(PlainTextRenderer, Utf8Validity)
{
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"ascii only, longer than eight bytes", true},
        {"\xE4\xB8\xAD", true},              // 中
        {"\xF0\x9F\x98\x80", true},          // U+1F600
        {"\xC0\xAF", false},                 // overlong
        {"\xE0\x80\xAF", false},             // overlong, three bytes
        {"\xED\xA0\x80", false},             // surrogate
        {"\xF4\x90\x80\x80", false},         // past U+10FFFF
        {"\xE4\xB8", false},                 // cut off
        {"abcdefgh\xE4\xB8", false},         // cut off after the fast ASCII path
        {"\x80", false},                     // lone continuation byte
        {"\xD6\xD0\xCE\xC4", false},         // code page 936 bytes of 中文
    };
    for (const Case& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

}  // namespace
}  // namespace sorvane
