// The RTF reader on small documents, one property each: what is shown, what is left out,
// how bytes are decoded and how hostile counts and nesting are handled.
#include <gtest/gtest.h>

#include <string>

#include "engine/readers/rtf_reader.h"

namespace sorvane {
namespace {

std::string read(const std::string& rtf)
{
    return toUtf8(rtfText(rtf));
}

struct RtfCase {
    const char* what;
    std::string rtf;
    std::string text;  // UTF-8, CR LF
};

TEST(RtfReader, ReadsTheVisibleText)
{
    const RtfCase cases[] = {
        {"paragraphs, no breaks kept at the ends", R"({\rtf1\par one\par\par two\par})", "one\r\n\r\ntwo"},
        {"line break and tab", R"({\rtf1 a\line b\tab c})", "a\r\nb\tc"},
        {"escaped braces and backslash", R"({\rtf1 \{x\}\\y})", "{x}\\y"},
        {"a backslash before a line end is a paragraph", "{\\rtf1 a\\\r\nb}", "a\r\n\r\nb"},
        {"raw line ends are not text", "{\\rtf1 a\r\nb\nc}", "abc"},
        {"no-break space, no-break and optional hyphen", R"({\rtf1 a\~b\_c\-d})", "a b-cd"},
        {"special characters", R"({\rtf1 \emdash\lquote x\rquote\bullet})", "\u2014\u2018x\u2019\u2022"},
        {"hidden text and its end", R"({\rtf1 a{\v hid}b\v c\v0 d})", "abd"},
        {"\\plain ends hidden text", R"({\rtf1 \v x\plain y})", "y"},
        {"deleted revision left out, inserted kept", R"({\rtf1 keep{\deleted gone}{\revised new}})", "keepnew"},
        {"unknown optional destination", R"({\rtf1 a{\*\unknownthing b}c})", "ac"},
        {"known destinations left out", R"({\rtf1 {\info{\title t}}{\header h}{\footerr f}{\annotation n}a})", "a"},
        {"field shows its result, not its code", R"({\rtf1 {\field{\*\fldinst PAGE}{\fldrslt 7}}})", "7"},
        {"unknown control words ignored", R"({\rtf1 \b\i0\fs24 \averyveryverylongcontrolwordnameoverthirtytwo x})", "x"},
        {"table: empty cells keep their tabs", R"({\rtf1 \intbl a\cell\cell b\cell\row\intbl c\cell d\cell\row})",
         "a\t\tb\r\nc\td"},
        {"rows with empty first cells stay rows", R"({\rtf1 p\par\trowd\intbl\cell b\cell\row\trowd\intbl\cell\cell\row)"
                                                  R"(\trowd\intbl c\cell\cell\trowd\row\pard q})",
         "p\r\n\r\n\tb\r\n\t\r\nc\t\r\n\r\nq"},
        {"paragraphs in a cell are lines", R"({\rtf1 \intbl a\par b\cell c\cell\row\pard after})",
         "a\r\nb\tc\r\n\r\nafter"},
        {"footnotes follow the body", R"({\rtf1 one{\chftn}{\footnote{\chftn} n1}\par two{\chftn}{\footnote{\chftn} n2}})",
         "one[1]\r\n\r\ntwo[2]\r\n\r\n[1] n1\r\n\r\n[2] n2"},
        {"text after the document's last brace is ignored", R"({\rtf1 a}b)", "a"},
        {"cut off in an escape", R"({\rtf1 ab\'d)", "ab"},
        {"cut off in a control word", R"({\rtf1 ab\pa)", "ab"},
        {"bad hex escape", R"({\rtf1 a\'zzb})", "azzb"},
    };
    for (const RtfCase& c : cases)
        EXPECT_EQ(read(c.rtf), c.text) << c.what;
}

TEST(RtfReader, DecodesBytesInTheCodePageOfTheFont)
{
    const std::string fonts = R"({\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset134 S;}{\f2\fcharset136 M;})"
                              R"({\f3\fcharset128 J;}{\f4\cpg1251 C;}{\f5\fcharset1 D;}})";
    const RtfCase cases[] = {
        {"document code page", R"({\rtf1\ansi\ansicpg936 \'d6\'d0})", "中"},
        {"default code page is 1252", R"({\rtf1\ansi caf\'e9})", "café"},
        {"a pair split over two escapes and a literal trail byte", R"({\rtf1\ansicpg936 \'e9F\'86\'b4})", "镕喆"},
        {"GBK font in a 1252 document", R"({\rtf1\ansicpg1252)" + fonts + R"(\f1 \'d6\'d0\f0 \'e9})", "中é"},
        {"Big5 font", R"({\rtf1\ansicpg1252)" + fonts + R"(\f2 \'a4\'a4\'a4\'e5})", "中文"},
        {"Shift_JIS font", R"({\rtf1\ansicpg1252)" + fonts + R"(\f3 \'82\'a0})", "あ"},
        {"\\cpg in the font table", R"({\rtf1\ansicpg1252)" + fonts + R"(\f4 \'c0})", "А"},
        {"default charset follows the document", R"({\rtf1\ansicpg936)" + fonts + R"(\f5 \'d6\'d0})", "中"},
        {"font scoped by its group", R"({\rtf1\ansicpg1252)" + fonts + R"({\f2 \'a4\'a4}\'e9})", "中é"},
        {"\\deff picks the default font", R"({\rtf1\ansicpg1252\deff1)" + fonts + R"(\'d6\'d0})", "中"},
        {"an undeclared font uses the document's", R"({\rtf1\ansicpg936)" + fonts + R"(\f9 \'d6\'d0})", "中"},
        {"unknown code page reads as 1252", R"({\rtf1\ansicpg99999 caf\'e9})", "café"},
        {"Mac charset", R"({\rtf1\mac caf\'8e})", "café"},
    };
    for (const RtfCase& c : cases)
        EXPECT_EQ(read(c.rtf), c.text) << c.what;
}

TEST(RtfReader, UnicodeEscapesSkipTheirStandIns)
{
    const RtfCase cases[] = {
        {"one stand-in by default", R"({\rtf1 \u20013?\u25991?})", "中文"},
        {"negative values and surrogate pairs", R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600"},
        {"\\uc2 skips an escaped double-byte stand-in", R"({\rtf1\ansicpg936\uc2 \u20013\'d6\'d0x})", "中x"},
        {"\\uc0 skips nothing", R"({\rtf1\uc0 \u20013 x})", "中x"},
        {"\\uc is scoped by its group", R"({\rtf1 {\uc2 \u20013 ab}\u25991?c})", "中文c"},
        {"stand-ins end at a group end", R"({\rtf1\uc3 {\u20013 a}bc})", "中bc"},
        {"a control word counts as a stand-in", R"({\rtf1\uc1 \u20013\'3fx})", "中x"},
        {"a huge skip count stops at the group's end", R"({\rtf1 {\uc99999999999999999999 \u20013 abc}def})", "中def"},
        {"\\upr shows its Unicode twin", R"({\rtf1 {\upr{ansi}{\*\ud{\u20013?}}}})", "中"},
    };
    for (const RtfCase& c : cases)
        EXPECT_EQ(read(c.rtf), c.text) << c.what;
}

TEST(RtfReader, NumbersListsAndShowsSymbolFonts)
{
    // A list table: list 7 numbers "1." then "1.1" (one level shown in Roman under a
    // legal level), list 8 is a bullet in Symbol; \ls1 and \ls2 stand for them.
    const std::string head =
        R"({\rtf1\ansi\ansicpg936{\fonttbl{\f0\fcharset134 S;}{\f1\fcharset2 Symbol;}{\f2\fcharset2 Wingdings;}})"
        R"({\*\listtable{\list{\listlevel\levelnfc1\levelstartat1\levelfollow1{\leveltext\'02\'00.;})"
        R"({\levelnumbers\'01;}}{\listlevel\levelnfc0\levelstartat1\levellegal{\leveltext\'03\'00.\'01;})"
        R"({\levelnumbers\'01\'03;}}{\listname ;}\listid7})"
        R"({\list{\listlevel\levelnfc23{\leveltext\'01\u-3913 ?;}{\levelnumbers;}\f1}\listid8}})"
        R"({\*\listoverridetable{\listoverride\listid7\listoverridecount0\ls1}{\listoverride\listid8\ls2}})";
    const RtfCase cases[] = {
        {"levels, legal numbering, restart and follow", head + R"(\pard\ls1 a\par\pard\ls1\ilvl1 b\par)"
                                                       R"(\pard\ls1 c\par\pard\ls1\ilvl1 d\par\pard e})",
         "I. a\r\n1.1\tb\r\nII. c\r\n2.1\td\r\n\r\ne"},
        {"a bullet in Symbol", head + R"(\pard\ls2 x\par})", "\u2022\tx"},
        {"the writer's \\listtext wins", head + R"({\listtext\f1 \'b7\tab}\pard\ls2 y\par})", "\u2022\ty"},
        {"an unknown list numbers nothing", head + R"(\pard\ls9 z\par})", "z"},
        {"Wingdings and Symbol text", head + R"({\f2 \'a7\'d8}{\f1 a\'b7})", "\u25AA\u27A2\u03B1\u2022"},
        {"a lone A0 in GBK is a space", R"({\rtf1\ansicpg936 a\'a0b\'d6\'d0})", "a b\u4E2D"},
    };
    for (const RtfCase& c : cases)
        EXPECT_EQ(read(c.rtf), c.text) << c.what;
}

TEST(RtfReader, RendersWrappedHtml)
{
    // The page is the markup of the \htmltag destinations with the text outside
    // \htmlrtf parts; what only the RTF rendering shows is left out.
    const std::string rtf =
        R"({\rtf1\ansi\ansicpg936\fromhtml1 \deff0{\fonttbl{\f0\fswiss Arial;}})"
        R"({\*\htmltag19 <html>}{\*\htmltag50 <body>}\htmlrtf \lang2052 RTF only\par \htmlrtf0 )"
        R"({\*\htmltag64 <p><span class=x>Chinese Patent Application No.</span>}\htmlrtf {\htmlrtf0 )"
        R"({\*\htmltag84 &nbsp;}\htmlrtf\'a0\htmlrtf0 2024\htmlrtf }\htmlrtf0{\*\htmltag72 </p>}\htmlrtf\par\htmlrtf0 )"
        R"({\*\htmltag64 <p>}\'d6\'d0\'ce\'c4\par{\*\htmltag72 </p>}{\*\htmltag58 </body>}{\*\htmltag27 </html>}})";
    EXPECT_EQ(read(rtf), "Chinese Patent Application No. 2024\r\n\r\n\u4E2D\u6587");
    // Without \fromhtml the tags are not text.
    EXPECT_EQ(read(R"({\rtf1 {\*\htmltag64 <p>}a})"), "a");
}

TEST(RtfReader, HostileCountsAndNestingStayBounded)
{
    // Binary data is skipped by its count, even when it holds braces and backslashes, and
    // a count past the end of the document ends it.
    EXPECT_EQ(read(std::string("{\\rtf1 a{\\bin6 }}\\{\\x}b}")), "ab");
    EXPECT_EQ(read("{\\rtf1 a{\\bin99999999999999999999 bcd}}"), "a");
    EXPECT_EQ(read("{\\rtf1 a{\\bin-5 b}c}"), "abc");

    // Groups nested far past the limit: the text inside still shows, the groups close in
    // order, and text after them is read in the outer state again.
    const int depth = 100000;
    std::string deep = "{\\rtf1 a";
    for (int i = 0; i < depth; ++i)
        deep += i == depth / 2 ? "{\\v " : "{";
    deep += "x";
    for (int i = 0; i < depth; ++i)
        deep += "}";
    deep += "b}";
    EXPECT_EQ(read(deep), "ab");

    std::string shallow = "{\\rtf1 ";
    for (int i = 0; i < depth; ++i)
        shallow += "{";
    shallow += "deep";
    EXPECT_EQ(read(shallow), "deep");
}

TEST(RtfReader, RecognisesTheSignature)
{
    EXPECT_TRUE(looksLikeRtf("{\\rtf1\\ansi"));
    EXPECT_TRUE(looksLikeRtf("\xEF\xBB\xBF \r\n{\\rtf"));
    EXPECT_FALSE(looksLikeRtf("{\\rt"));
    EXPECT_FALSE(looksLikeRtf("x{\\rtf1"));
    EXPECT_FALSE(looksLikeRtf("<html>{\\rtf1"));
}

}  // namespace
}  // namespace sorvane
