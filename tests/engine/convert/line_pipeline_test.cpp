#include "engine/convert/line_pipeline.h"

#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sorvane {
namespace {

Text join(const std::vector<Text>& lines)
{
    Text out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += u"\r\n";
        out += lines[i];
    }
    return out;
}

std::vector<Text> tableLines(const LineTable& table)
{
    std::vector<Text> out;
    for (size_t i = 0; i < table.entries.size(); ++i)
        out.push_back(table.lineText(i));
    return out;
}

// The lines of a part's content (every line ends in CR LF).
std::vector<Text> partLines(const Text& content)
{
    std::vector<Text> out;
    size_t from = 0;
    while (from < content.size()) {
        const size_t end = content.find(u"\r\n", from);
        EXPECT_NE(end, Text::npos) << "a part must end in CR LF";
        if (end == Text::npos)
            break;
        out.push_back(content.substr(from, end - from));
        from = end + 2;
    }
    return out;
}

// Blank-line rules on a pattern: '.' a blank line, any other letter a text line.
// Returns the pattern of the lines that stay.
std::string keptPattern(const std::string& pattern, std::int64_t head, std::int64_t headBlank,
                        std::int64_t restBlank)
{
    Text text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (i > 0)
            text += u"\r\n";
        if (pattern[i] != '.')
            text += static_cast<char16_t>(pattern[i]);
    }
    LineTable table = splitLines(text);
    markHeadBlankLines(table, head, headBlank);
    markRestBlankLines(table, head, restBlank);
    std::string kept;
    for (size_t i = 0; i < table.entries.size(); ++i)
        if (table.entries[i].mark != LineMark::Dropped)
            kept += pattern[i];
    return kept;
}

TEST(SelectionBlocker, CutOnlyAtItsPositions)
{
    // p: 1-based position of "onselectstart"; gap: characters before "return false".
    struct Case {
        size_t p;
        size_t gap;
        bool cut;
    };
    const Case cases[] = {
        {10, 2, false},  // too early
        {11, 2, true},   // first position that counts
        {40, 0, false},  // q = 1: directly after
        {40, 1, true},   // q = 2
        {40, 8, true},   // q = 9
        {40, 9, false},  // q = 10
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("p=" + std::to_string(c.p) + " gap=" + std::to_string(c.gap));
        const Text before(c.p - 1, u'a');
        const Text gap(c.gap, u'=');
        const Text after = u" style=x>正文";
        Text text = before + u"onselectstart" + gap + u"return false\"" + after;
        const Text original = text;
        EXPECT_EQ(removeSelectionBlocker(text), c.cut);
        EXPECT_EQ(text, c.cut ? before + after : original);
    }
}

TEST(SelectionBlocker, CaseFirstOccurrenceAndEndOfText)
{
    const Text prefix = u"<body id=1 ";
    Text mixed = prefix + u"OnSelectStart=\"Return FALSE\">x";
    EXPECT_TRUE(removeSelectionBlocker(mixed));
    EXPECT_EQ(mixed, prefix + u">x");

    // The first occurrence is too early; a later one is not looked at.
    Text early = u"onselectstart=\"return false\" 0123456789 onselectstart=\"return false\"";
    const Text earlyCopy = early;
    EXPECT_FALSE(removeSelectionBlocker(early));
    EXPECT_EQ(early, earlyCopy);

    // "return false" at the very end: there is no character after it to cut.
    Text atEnd = prefix + u"onselectstart=\"return false";
    EXPECT_TRUE(removeSelectionBlocker(atEnd));
    EXPECT_EQ(atEnd, prefix);
}

TEST(LineSplit, BreaksTrimmingAndTheFinalLine)
{
    struct Case {
        Text text;
        std::vector<Text> lines;
    };
    const Case cases[] = {
        {u"", {u""}},                              // an empty text is one blank line
        {u"a", {u"a"}},
        {u"a\r\nb", {u"a", u"b"}},
        {u"a\r\n", {u"a", u""}},                   // the text's own last break adds a blank line
        {u"a\rb", {u"a", u"b"}},                   // lone CR ends a line
        {u"a\nb", {u"a\nb"}},                      // lone LF stays inside
        {u"a\r\r\nb", {u"a", u"", u"b"}},
        {u"  x y  ", {u"x y"}},                    // only blanks are trimmed
        {u"\u3000x\u3000", {u"\u3000x\u3000"}},    // ideographic spaces stay
        {u"\tx\t", {u"\tx\t"}},                    // so do tabs
        {u"   \r\n\u3000", {u"", u"\u3000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(tableLines(splitLines(c.text)), c.lines);
    }
}

TEST(SeparatorLines, LongRunsOfOneCharacterAreShortened)
{
    struct Case {
        Text line;
        std::int64_t maxRun;
        Text expected;
        bool separator;
    };
    const Case cases[] = {
        {u"==========", 6, u"======", true},
        {u"= = = = = = = =", 6, u"======", true},    // blanks removed from the copy
        {u"=\u3000=\u3000=\u3000=\u3000=\u3000=\u3000=", 6, u"======", true},
        {u"=======", 6, u"======", true},             // 7 > 6
        {u"======", 6, u"======", false},             // 6 is not longer than 6
        {u"=====", 6, u"=====", false},
        {u"=-=-=-=-=-", 6, u"=-=-=-=-=-", false},     // two different characters
        {u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000", 6, u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000",
         false},                                      // nothing left in the copy
        {u"\t\t\t\t\t\t\t\t", 6, u"\t\t\t\t\t\t", true},  // tabs are one character repeated
        {u"**********", 0, u"**********", false},     // rule off
        {u"**********", -3, u"**********", false},
        {u"一一一一一一一一一一", 3, u"一一一", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.maxRun));
        LineTable table = splitLines(c.line);
        shortenSeparatorLines(table, c.maxRun);
        EXPECT_EQ(table.lineText(0), c.expected);
        EXPECT_EQ(table.entries[0].mark == LineMark::Separator, c.separator);
    }
}

TEST(BlankLines, HeadAndRestRules)
{
    struct Case {
        const char* pattern;
        std::int64_t head, headBlank, restBlank;
        const char* kept;
    };
    const Case cases[] = {
        // No head: the rest rule covers everything from line 0.
        {"a..b...c", 0, 1, 1, "a.b.c"},
        {"..a..b..", 0, 1, 0, "ab"},
        {"a..b...c", 0, 1, 2, "a..b..c"},
        // Head of 5 with 0 blanks: every blank run reached in the head goes, through H.
        {"..a...b....c", 5, 0, 1, "ab.c"},
        // A run the head rule reaches keeps its first K lines, wherever it ends.
        {"a.......b", 3, 1, 2, "a.b"},
        // A run starting after H - 1 - K keeps its lines before H and K more.
        {"ab......c", 3, 1, 1, "ab..c"},
        {"ab......c", 3, 1, 0, "ab.c"},
        // Head rule only: K blanks allowed at the very start too.
        {"...a", 9, 1, 0, ".a"},
        {"...a", 9, 0, 0, "a"},
        // Head longer than the table; the rest rule then does nothing.
        {"a..b", 100, 1, 0, "a.b"},
        // Huge values and negative ones.
        {"a..b...c", 0, 1, 1000000000000LL, "a..b...c"},
        {"a..b...c", 1000000000000LL, 1, 0, "a.b.c"},
        {"a..b...c", 0, 1, -2, "abc"},          // a negative count allows no blank line
        {"a..b...c", -4, 1, 1, "a.b.c"},        // a negative head is no head
        {"a..b...c", std::numeric_limits<std::int64_t>::min(), 1, 1, "a.b.c"},  // "-1e300"
        {"a..b...c", 3, std::numeric_limits<std::int64_t>::max(), 1, "a..b.c"},
        {"........", 0, 1, 1, "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " H=" + std::to_string(c.head) + " K1=" +
                     std::to_string(c.headBlank) + " K2=" + std::to_string(c.restBlank));
        EXPECT_EQ(keptPattern(c.pattern, c.head, c.headBlank, c.restBlank), c.kept);
    }
}

TEST(Parts, IndentAndSizeLimit)
{
    // Indent only lines longer than 4 characters; separators never.
    {
        LineTable table = splitLines(join({u"abcd", u"abcde", u"　　", u"==========", u""}));
        shortenSeparatorLines(table, 6);
        const auto parts = splitParts(table, 0);
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(partLines(parts[0].content),
                  (std::vector<Text>{u"abcd", u"　　abcde", u"　　", u"======", u""}));
    }

    // Limit 102: a part holds its first line plus at most 102 counted characters.
    std::vector<Text> lines{u"head"};
    for (int i = 0; i < 35; ++i)
        lines.push_back(u"abc");
    {
        const auto parts = splitParts(splitLines(join(lines)), 102);
        ASSERT_EQ(parts.size(), 2u);
        EXPECT_EQ(parts[0].start, 0u);
        EXPECT_EQ(partLines(parts[0].content).size(), 35u);  // head + 34 * 3 = exactly 102
        EXPECT_EQ(parts[1].start, 35u);
        EXPECT_EQ(partLines(parts[1].content), (std::vector<Text>{u"abc"}));
    }

    // The indent counts: "　　abcde" is 7, so "ab" brings the total to 16 > 14.
    {
        const auto parts = splitParts(splitLines(join({u"x", u"abcde", u"abcde", u"ab"})), 14);
        ASSERT_EQ(parts.size(), 2u);
        EXPECT_EQ(parts[1].start, 3u);
    }
}

TEST(Parts, LongLinesStartParts)
{
    const Text longLine(200, u'长');
    const auto lines = [](const LineTable&, const TextPart& p) { return partLines(p.content); };
    // A first line longer than the limit is not counted.
    {
        const LineTable table = splitLines(join({longLine, u"abc", u"abc"}));
        const auto parts = splitParts(table, 102);
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(lines(table, parts[0]).size(), 3u);
    }
    // A long line later closes the part before it and begins the next, uncounted there.
    {
        const LineTable table = splitLines(join({u"a", longLine, u"b", longLine}));
        const auto parts = splitParts(table, 102);
        ASSERT_EQ(parts.size(), 3u);
        EXPECT_EQ(parts[1].start, 1u);
        EXPECT_EQ(lines(table, parts[1]), (std::vector<Text>{u"　　" + longLine, u"b"}));
        EXPECT_EQ(parts[2].start, 3u);
        EXPECT_EQ(lines(table, parts[2]), (std::vector<Text>{u"　　" + longLine}));
    }
    // Dropped lines are not counted, but the start index counts them.
    {
        LineTable table = splitLines(join({u"a", u"", u"", u"", longLine}));
        markRestBlankLines(table, 0, 0);
        const auto parts = splitParts(table, 102);
        ASSERT_EQ(parts.size(), 2u);
        EXPECT_EQ(parts[1].start, 4u);
        EXPECT_EQ(lines(table, parts[0]), (std::vector<Text>{u"a"}));
    }
}

TEST(CleanupParams, TextsAreReadByTheirNumberValue)
{
    struct Case {
        const char* maxSize;
        std::int64_t limit;
    };
    const Case cases[] = {
        {"", 0},          {"0", 0},          {"0.05", 0},   // 51 characters is below 100
        {"0.09", 0},      {"0.1", 102},      {"1", 1024},   {" 2K", 2048},
        {"-4", 0},        {"abc", 0},        {"3000000", 3072000000LL},
        {"0.0977", 100},  // 100.04 rounds to 100, the smallest limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxSize);
        ConversionParams params;
        params.maxSize = c.maxSize;
        EXPECT_EQ(cleanupParams(params).sizeLimit, c.limit);
    }
    ConversionParams params;
    params.maxRun = "6.5";  // half to even
    params.head = "  3 lines";
    params.headBlank = "x";
    params.restBlank = "2.5";
    const CleanupParams p = cleanupParams(params);
    EXPECT_EQ(p.maxRun, 6);
    EXPECT_EQ(p.head, 3);
    EXPECT_EQ(p.headBlank, 0);
    EXPECT_EQ(p.restBlank, 2);
}

TEST(ConvertText, Cp936PassComesBeforeTheReplacementList)
{
    ConversionParams params;
    // U+1F600 is one character outside code page 936, U+0E01 another; the euro sign is in it.
    const Text text = u"a\U0001F600b\u0E01c\u20AC";
    {
        const ConvertedText out = convertText(text, params, {});
        EXPECT_EQ(out.lostCharacters, 2u);
        ASSERT_EQ(out.parts.size(), 1u);
        EXPECT_EQ(out.parts[0].content, u"　　a?b?c\u20AC\r\n");
    }
    {
        // The list sees the '?' marks already.
        const ReplacementList list{{u"?", u"_", "Y"}};
        const ConvertedText out = convertText(text, params, list);
        EXPECT_EQ(out.parts[0].content, u"　　a_b_c\u20AC\r\n");
    }
    {
        // A replacement text the code page lacks is lost too, and counted.
        const ReplacementList list{{u"b", u"\u0E01", "N"}};
        const ConvertedText out = convertText(u"abcb", params, list);
        EXPECT_EQ(out.lostCharacters, 2u);
        EXPECT_EQ(out.parts[0].content, u"a?c?\r\n");
    }
    {
        // Invisible characters a replacement brings in (soft hyphen, zero-width space)
        // are left out as the file leaves them out: they neither count towards a line's
        // length nor show in the text a replacement is picked from.
        const ReplacementList list{{u"b", u"x\u00ADy\u200B", "N"}};
        const ConvertedText out = convertText(u"abcb", params, list);
        EXPECT_EQ(out.lostCharacters, 0u);
        EXPECT_EQ(out.parts[0].content, u"　　axycxy\r\n");
    }
}

TEST(ConvertText, StepsRunInOrder)
{
    ConversionParams params;
    params.maxRun = "6";
    params.head = "0";
    params.restBlank = "1";
    // The list runs before the fragment cut and the line split: it turns "|" into line
    // breaks and "~" into "=", and the separator rule then sees the "=" run.
    const ReplacementList list{{u"|", u"\r\n", "Y"}, {u"~", u"=", "N"}};
    const Text text = u"<p id=\"x\" onselectstart=\"return false\">标题|~~~~~~~~~~||| 正文第一段内容 |end";
    const ConvertedText out = convertText(text, params, list);
    ASSERT_EQ(out.parts.size(), 1u);
    EXPECT_EQ(partLines(out.parts[0].content),
              (std::vector<Text>{u"　　<p id=\"x\" >标题", u"======", u"", u"　　正文第一段内容", u"end"}));
    EXPECT_EQ(out.lines, 6u);
}

TEST(ConvertText, EmptyDocument)
{
    ConversionParams params;
    EXPECT_EQ(convertText(u"", params, {}).parts[0].content, u"\r\n");
    params.restBlank = "0";
    const ConvertedText none = convertText(u"", params, {});
    ASSERT_EQ(none.parts.size(), 1u);
    EXPECT_EQ(none.parts[0].content, u"");
    EXPECT_EQ(none.lines, 1u);
}

TEST(ConvertText, BeyondSixteenBitCounters)
{
    // 40,000 lines, a 40,000-character limit on runs and a 3,000,000 K size.
    Text text;
    for (int i = 0; i < 40000; ++i)
        text += u"第" + Text(1, static_cast<char16_t>(u'0' + i % 10)) + u"行\r\n";
    text += Text(50000, u'=');
    ConversionParams params;
    params.maxRun = "40000";
    params.maxSize = "3000000";
    const ConvertedText out = convertText(text, params, {});
    EXPECT_EQ(out.lines, 40001u);
    ASSERT_EQ(out.parts.size(), 1u);
    const auto lines = partLines(out.parts[0].content);
    ASSERT_EQ(lines.size(), 40001u);
    EXPECT_EQ(lines[39999], u"第9行");
    EXPECT_EQ(lines[40000], Text(40000, u'='));

    // Split at 1 K: the part names carry five-digit start indexes late in the table.
    params.maxSize = "1";
    const ConvertedText split = convertText(text, params, {});
    ASSERT_GT(split.parts.size(), 100u);
    EXPECT_GE(split.parts[split.parts.size() - 2].start, 10000u);
    size_t total = 0;
    for (const TextPart& p : split.parts)
        total += partLines(p.content).size();
    EXPECT_EQ(total, 40001u);  // nothing lost or doubled between parts
}

}  // namespace
}  // namespace sorvane
