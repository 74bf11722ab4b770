// Encoding decisions: labels, the <meta> prescan, and the order BOM > meta > UTF-8 >
// detector > code page 936; decoding never loses the text after a bad sequence.
#include <gtest/gtest.h>

#include "io/codepage.h"
#include "engine/encoding/encoding_detect.h"
#include "engine/encoding/utf8_check.h"
#include "engine/render/html_renderer.h"
#include "engine/render/plain_text_renderer.h"

namespace sorvane {
namespace {

using Source = DocumentEncoding::Source;

TEST(EncodingLabels, MapAsTheEncodingStandardDoes)
{
    const struct {
        const char* label;
        const char* expected;  // nullptr: no encoding
    } cases[] = {
        {"gb2312", "windows-936"},    {"GBK", "windows-936"},     {"x-gbk", "windows-936"},
        {"chinese", "windows-936"},   {"csgb2312", "windows-936"}, {"iso-ir-58", "windows-936"},
        {"GB_2312-80", "windows-936"}, {" gb2312 ", "windows-936"}, {"\tGb2312\n", "windows-936"},
        {"gb18030", "GB18030"},       {"big5", "Big5-HKSCS"},     {"Shift_JIS", "windows-31j"},
        {"sjis", "windows-31j"},      {"euc-jp", "EUC-JP"},       {"euc-kr", "windows-949"},
        {"iso-8859-1", "windows-1252"}, {"latin1", "windows-1252"}, {"ascii", "windows-1252"},
        {"US-ASCII", "windows-1252"}, {"windows-1251", "windows-1251"}, {"iso-8859-2", "ISO-8859-2"},
        {"koi8-r", "KOI8-R"},         {"koi8-u", "KOI8-U"},       {"utf-16", "UTF-16LE"},
        {"utf-16be", "UTF-16BE"},     {"UTF8", "UTF-8"},          {"iso-8859-8-i", "ISO-8859-8"},
        {"hz-gb-2312", nullptr},      {"iso-2022-kr", nullptr},   {"replacement", nullptr},
        {"gb 2312", nullptr},         {"", nullptr},              {"utf-7", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto got = encodingForLabel(c.label);
        if (c.expected)
            EXPECT_EQ(got.value_or("(none)"), c.expected);
        else
            EXPECT_FALSE(got.has_value()) << *got;
    }
}

TEST(MetaPrescan, FindsDeclarationsAsTheHtmlStandardDescribes)
{
    const struct {
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"<meta charset=gbk>", "windows-936"},
        {"<META CHARSET=\"GB2312\">", "windows-936"},
        {"<meta charset='big5'/>", "Big5-HKSCS"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">", "windows-936"},
        {"<meta content=\"text/html; charset=gb2312\" http-equiv=\"Content-Type\">", "windows-936"},
        {"<meta http-equiv=Content-Type content='text/html;charset = \"euc-jp\"'>", "EUC-JP"},
        // content without http-equiv does not count
        {"<meta content=\"text/html; charset=gb2312\">", nullptr},
        // a declared UTF-16 is taken as UTF-8; x-user-defined as windows-1252
        {"<meta charset=utf-16le>", "UTF-8"},
        {"<meta charset=x-user-defined>", "windows-1252"},
        // comments and attribute values are skipped over
        {"<!-- <meta charset=big5> --><meta charset=gbk>", "windows-936"},
        {"<div title='<meta charset=big5>'><meta charset=euc-kr>", "windows-949"},
        {"<!--><meta charset=big5>", "Big5-HKSCS"},
        // the first usable declaration wins; an unknown label is skipped
        {"<meta charset=nonsense><meta charset=gbk>", "windows-936"},
        {"<meta charset=gbk><meta charset=big5>", "windows-936"},
        // the first of two equal attributes counts
        {"<meta charset=gbk charset=big5>", "windows-936"},
        {"<metadata charset=gbk>", nullptr},
        {"<meta\tcharset=gbk>", "windows-936"},
        // past the first 1024 bytes nothing is looked at
        {std::string(1020, ' ') + "<meta charset=gbk>", nullptr},
        {std::string(1000, ' ') + "<meta charset=gbk>", "windows-936"},
        // cut off inside the tag
        {"<meta charset=\"gbk", nullptr},
        {"<!-- never closed <meta charset=gbk>", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 80));
        const auto got = prescanMetaCharset(c.bytes);
        if (c.expected)
            EXPECT_EQ(got.value_or("(none)"), c.expected);
        else
            EXPECT_FALSE(got.has_value()) << *got;
    }
}

TEST(EncodingDetection, FollowsBomThenMetaThenUtf8ThenDetectorThenCodePage936)
{
    const std::string gbkChinese = "\xD6\xD0\xCE\xC4\xB5\xC4\xCE\xC4\xD7\xD6";  // 中文的文字
    std::string longLegacy;
    for (int i = 0; i < 200; ++i)
        longLegacy += "<p>" + gbkChinese + "\xA3\xAC\xCB\xFB\xCB\xB5\xA3\xBA\xA1\xB0\xBA\xC3\xA1\xA3\xA1\xB1</p>\n";
    const struct {
        const char* name;
        std::string bytes;
        const char* encoding;
        Source source;
    } cases[] = {
        {"utf-8 bom beats meta", "\xEF\xBB\xBF<meta charset=gbk>", "UTF-8", Source::Bom},
        {"utf-16le bom", "\xFF\xFE<\0p\0>\0", "UTF-16LE", Source::Bom},
        {"utf-16be bom", "\xFE\xFF\0<\0p\0>", "UTF-16BE", Source::Bom},
        {"meta beats valid utf-8", "<meta charset=gbk>\xE4\xB8\xAD", "windows-936", Source::Meta},
        {"no label, valid utf-8", "<p>\xE4\xB8\xAD\xE6\x96\x87</p>", "UTF-8", Source::Utf8Valid},
        {"pure ascii", "<p>hello</p>", "UTF-8", Source::Utf8Valid},
        {"replacement label ignored", "<meta charset=hz-gb-2312><p>\xE4\xB8\xAD</p>", "UTF-8", Source::Utf8Valid},
        {"undeclared gbk", longLegacy, "GB18030", Source::Detector},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DocumentEncoding e = detectEncoding(c.bytes);
        EXPECT_EQ(e.name, c.encoding);
        EXPECT_EQ(e.source, c.source);
    }
}

TEST(EncodingDetection, ChecksUtf8ValidityOverTheWholeFile)
{
    // A long book whose first non-ASCII byte is 700 KB in.
    std::string page = "<html><body>";
    while (page.size() < 700 * 1024)
        page += "<p>The quick brown fox jumps over the lazy dog.</p>\n";
    std::string utf8 = page + "<p>\xE4\xB8\xAD\xE6\x96\x87</p></body></html>";
    EXPECT_EQ(detectEncoding(utf8).source, Source::Utf8Valid);
    const Text text = renderHtml(utf8);
    EXPECT_TRUE(text.ends_with(u"\r\n\r\n中文")) << toUtf8(text.substr(text.size() - 20));

    // The same book with GBK bytes 700 KB in is not UTF-8.
    std::string gbk = page + "<p>\xD6\xD0\xCE\xC4</p></body></html>";
    const DocumentEncoding e = detectEncoding(gbk);
    EXPECT_NE(e.name, "UTF-8");
    EXPECT_TRUE(renderHtml(gbk).ends_with(u"中文"));
}

TEST(EncodingDetection, ShortUndeclaredTextFallsBackToCodePage936)
{
    const struct {
        const char* name;
        std::string bytes;
        const char* text;
    } cases[] = {
        // a few GBK characters: too little for the detector, but they pair up as GBK
        {"two gbk characters", "<p>\xC4\xE3\xBA\xC3</p>", "你好"},
        {"gbk with euro", "<p>\x80\xD6\xD0</p>", "€中"},
        // a lone lead byte at the end cannot be GBK: the detector's answer stands
        {"western", "<p>Caf\xE9 cr\xE8me, \xE0 la gare: na\xEFve fa\xE7" "ade.</p>", "Café crème, à la gare: naïve façade."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toUtf8(renderHtml(c.bytes)), c.text);
    }
    EXPECT_EQ(detectEncoding("<p>\xC4\xE3\xBA\xC3</p>").name, cp936Name);
}

TEST(EncodingDetection, ShortGbkThatIsValidUtf8ReadsAsChinese)
{
    // Common Chinese whose GBK bytes happen to form valid UTF-8: read as UTF-8 they are
    // spacing modifier letters, combining marks, Hebrew points or letters of several
    // scripts mixed ("时说" gives "ʱ˵").
    const char* texts[] = {
        "时说", "一些", "一直", "小说", "同时", "水平", "为什么", "一千元", "说一些",
        "要学一些", "水平一直说什么", "小说 一些 时说", "为什么一直说一些",
        "一些学员平时一直说为什么要说时时一位小说",
        // beside Latin letters, its UTF-8 reading holding rare characters still
        "app时说", "时说app", "Windows一直说",
    };
    for (const char* utf8 : texts) {
        SCOPED_TRACE(utf8);
        const std::string gbk = encodeCp936(fromUtf8(utf8)).bytes;
        ASSERT_TRUE(isValidUtf8(gbk)) << "the case no longer tests what it is for";
        EXPECT_EQ(toUtf8(renderPlainText(gbk)), utf8);
        EXPECT_EQ(toUtf8(renderHtml("<html><body><p>" + gbk + "</p></body></html>")), utf8);
        EXPECT_EQ(toUtf8(renderHtml("<title>" + gbk + "</title><div>" + gbk + "</div>")), utf8);
    }
}

TEST(EncodingDetection, ShortRealUtf8StaysUtf8)
{
    // Real text, some of which also pairs up as GBK characters ("é" is the GBK of "茅").
    const char* texts[] = {
        "时说",       "中文",          "你好，世界！", "café",    "Ele é bom", "ação",   "naïve",
        "Müller",     "señor",         "Straße",      "Ångström", "crème brûlée", "¿Qué?", "ô",
        "São Paulo",  "😀",            "👍🏽 ok",      "Привет",  "Ελληνικά",  "日本語", "한국어",
        "½ cup",      "±5°C",          "“quoted”",    "€10",     "§3 ©2024",
        // scripts mixed, but read as GBK they glue Han inside Latin words ("na茂ve 惟mega")
        "naïve Ωmega", "naïve Σ", "café Ωmega", "Ωmega naïve",
    };
    for (const char* utf8 : texts) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(toUtf8(renderPlainText(utf8)), utf8);
        const std::string page = std::string("<p>") + utf8 + "</p>";
        EXPECT_EQ(detectEncoding(page).name, "UTF-8");
        EXPECT_EQ(toUtf8(renderHtml(page)), utf8);
    }
}

TEST(Decoding, InvalidSequencesBecomeReplacementCharactersAndNothingAfterIsLost)
{
    const struct {
        const char* name;
        std::string bytes;
        Text expected;
    } cases[] = {
        // GBK declared, a lead byte without its trail byte in the middle
        {"gbk broken pair", "<meta charset=gbk><p>\xD6\xD0\xD6<b>\xCE\xC4</b>end</p>", u"中\uFFFD文end"},
        // GBK declared and cut off inside a character
        {"gbk truncated", "<meta charset=gbk><p>\xD6\xD0\xCE", u"中\uFFFD"},
        // invalid UTF-8 under a UTF-8 label
        {"utf-8 invalid", "<meta charset=utf-8><p>a\xFF" "b\xE4\xB8" "c</p>", u"a\uFFFDb\uFFFDc"},
        // UTF-16LE with a lone surrogate and an odd last byte
        {"utf-16 lone surrogate", std::string("\xFF\xFE<\0p\0>\0a\0\x00\xD8" "b\0c", 15), u"a\uFFFDb\uFFFD"},
        // windows-1252 bytes: the euro sign and curly quotes
        {"windows-1252", "<meta charset=windows-1252><p>\x80 \x93x\x94</p>", u"€ “x”"},
        // a label ICU reads as Shift_JIS
        {"shift_jis", "<meta charset=shift_jis><p>\x93\xFA\x96\x7B</p>", u"日本"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toUtf8(renderHtml(c.bytes)), toUtf8(c.expected));
    }
}

TEST(Decoding, PieceByPieceDecodingEqualsOnePass)
{
    // Pages over several 64 KB pieces whose multi-byte characters and broken sequences
    // fall everywhere; decoding to UTF-8 in pieces must equal one whole pass.
    const struct {
        const char* encoding;
        std::string unit;
    } cases[] = {
        {"windows-936", "\xD6\xD0<b>\xCE\xC4</b>\xD6\n\x80\xFF>"},
        {"GB18030", "\x81\x30\x81\x30<\xD6\xD0>\x81\x30\n"},
        {"Big5-HKSCS", "\xA4\xA4<i>\xA4\xE5\xA4</i>\n"},
        {"windows-31j", "\x93\xFA<\x96\x7B>\x82\n"},
        {"windows-1252", "caf\xE9 <\x93x\x94>\n"},
        {"UTF-16LE", std::string("<\0\x2D\x4E\n\0", 6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoding);
        std::string page;
        for (int i = 0; page.size() < 300 * 1024; ++i) {
            page += c.unit;
            page.append(static_cast<size_t>(i % 7), 'a');
        }
        const DocumentEncoding e{c.encoding, DocumentEncoding::Source::Meta, 0};
        const std::string pieces = decodeDocumentToUtf8(page, e);
        EXPECT_TRUE(pieces == toUtf8(decodeDocument(page, e)));
        EXPECT_GT(pieces.size(), page.size() / 2);
    }
}

}  // namespace
}  // namespace sorvane
