// Markup written to get past the renderer's caps: a character reference that puts a NUL
// into the parser's text, style sheets nested far deeper than the stack allows, tags
// spelled so that a careless pre-pass misreads them, and tags with huge attribute counts.
// The caps are checked against the parser's own tree, not against the pre-pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/text.h"
#include "engine/html/html_document.h"
#include "engine/render/html_renderer.h"
#include "support/test_text.h"

namespace sorvane {
namespace {

using test::repeat;

// What the parser built: the depth of the deepest element (the <html> element is at
// depth 1) and how many elements there are.
struct TreeShape {
    size_t depth = 0;
    size_t elements = 0;
};

TreeShape shapeOf(const HtmlDocument& doc)
{
    TreeShape shape;
    std::vector<std::pair<HtmlDocument::Node, size_t>> stack{{doc.documentNode(), 0}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        if (HtmlDocument::kind(node) == HtmlNodeKind::Element) {
            shape.depth = std::max(shape.depth, depth);
            ++shape.elements;
        }
        for (size_t i = 0; i < HtmlDocument::childCount(node); ++i)
            stack.emplace_back(HtmlDocument::child(node, i), depth + 1);
    }
    return shape;
}

size_t tagCount(std::string_view html)
{
    return static_cast<size_t>(std::count(html.begin(), html.end(), '<'));
}

// The parser's depth may pass the cap by <html> and <body>, by the formatting elements
// it re-opens at once and by the few its misnesting repairs add.
constexpr size_t kDepthSlack = 2 + kMaxActiveFormatting + 4;

// Each tag gives at most one element, the implied ones and the re-opened formatting
// elements that come with it.
constexpr size_t kElementsPerTag = kMaxActiveFormatting + 2;

TEST(HostileMarkup, NumericReferencePastUnicodeGivesReplacementCharacter)
{
    for (const char* reference : {"&#x80000000;", "&#xFFFFFFFF;", "&#2147483648;", "&#x110000;"}) {
        SCOPED_TRACE(reference);
        std::string html = std::string("<pre>line 0 ") + reference + "\n";
        Text expected = u"line 0 \uFFFD\r\n";
        for (int i = 1; i < 1000; ++i) {
            html += "line " + std::to_string(i) + "\n";
            expected += fromUtf8("line " + std::to_string(i)) + u"\r\n";
        }
        html += "</pre><p title=\"a" + std::string(reference) + "b\">end";
        expected += u"\r\n\r\nend";  // the line feed ending the <pre>, then the paragraph
        EXPECT_EQ(toUtf8(renderHtmlUtf8(html)), toUtf8(expected));
    }
    // In an attribute the value is read whole as well, the reference as U+FFFD.
    const HtmlDocument doc(std::string("<p title=\"a&#x80000000;b\">x"));
    const HtmlDocument::Node p = HtmlDocument::child(doc.body(), 0);
    EXPECT_EQ(HtmlDocument::attribute(p, "title"), std::string_view("a\xEF\xBF\xBD" "b"));
}

TEST(HostileMarkup, DeeplyNestedMediaRulesNeitherRecurseNorLoseRules)
{
    // 30,000 nested @media blocks would overflow the stack if each level recursed.
    const std::string deep = "<style>" + repeat("@media{", 30000) + ".x{display:none}" + repeat("}", 30000) +
                             "</style><p class=x>hidden</p><p>shown";
    EXPECT_EQ(renderHtmlUtf8(deep), u"shown");
    // Rules inside nested blocks apply only when every enclosing query applies; rules
    // after a block that does not apply are read again.
    const std::string nested =
        "<style>@media screen{@media print{.a{display:none}} .b{display:none} @media all{.c{display:none}}}"
        "@media print{.d{display:none}}.e{display:none}</style>"
        "<p class=a>a<p class=b>b<p class=c>c<p class=d>d<p class=e>e";
    EXPECT_EQ(renderHtmlUtf8(nested), u"a\r\n\r\nd");
}

TEST(HostileMarkup, TagSpellingsThatHideMarkupFromThePrePassAreCapped)
{
    // Each of these once made the pre-pass skip what followed while the parser read it
    // as markup: attribute names starting with '=' or holding quotes, raw-text elements
    // the parser ignores inside <select>, and formatting elements misnested around
    // blocks.
    const char* openers[] = {"<p =\">",           "<p ='>",          "<p\n=\">",        "<p / =\"x>",
                             "<select><xmp>",     "<select><iframe>", "<select><noembed>",
                             "<select><plaintext>", "<select><style>", "<math><xmp>"};
    for (const char* opener : openers) {
        SCOPED_TRACE(opener);
        const std::string divs = std::string(opener) + "</select></math>" + repeat("<div>", 20000) + "x";
        const HtmlDocument deep(divs);
        EXPECT_LE(shapeOf(deep).depth, kMaxNestingDepth + kDepthSlack);

        std::string formatting = opener;
        for (int i = 0; i < 3000; ++i)
            formatting += "<b id=" + std::to_string(i) + ">";
        formatting += repeat("<p>x", 3000);
        const HtmlDocument wide(formatting);
        EXPECT_LE(shapeOf(wide).elements, kElementsPerTag * tagCount(formatting));
    }
    // Formatting elements closed around a block leave the block open: the repair nests
    // one more level each time.
    const HtmlDocument misnested(repeat("<b><div></b>", 20000) + "x");
    EXPECT_LE(shapeOf(misnested).depth, kMaxNestingDepth + kDepthSlack);
    const HtmlDocument tables(repeat("<table><td>", 20000) + "x");
    EXPECT_LE(shapeOf(tables).depth, kMaxNestingDepth + kDepthSlack);
}

TEST(HostileMarkup, GeneratedMarkupNeverPassesTheCapsInTheParsersOwnTree)
{
    // Random sequences of tags chosen for how the tree builder treats them (implied end
    // tags, tables, selects, foreign content, raw text, templates, framesets), with a
    // small cap so that it is reached often.
    static const char* const pieces[] = {
        "<div>", "</div>", "<b>", "</b>", "<i id=1>", "</i>", "<p>", "</p>", "<a href=x>", "</a>", "<table>",
        "</table>", "<tr>", "<td>", "</td>", "<th>", "<select>", "</select>", "<option>", "<xmp>", "</xmp>",
        "<textarea>", "</textarea>", "<svg>", "</svg>", "<math>", "<mi>", "<title>", "</title>",
        "<foreignObject>", "<desc>", "<annotation-xml encoding=text/html>", "<mglyph>", "<script>",
        "</script>", "<!--", "-->", "<style>", "</style>", "x", " ", "<li>", "<ul>", "<nobr>", "</nobr>",
        "<font color=red>", "</font>", "<span>", "<template>", "</template>", "<frameset>", "<noframes>",
        "<plaintext>", "<iframe>", "<noembed>", "<button>", "<h1>", "</h1>", "<dd>", "<dt>", "<caption>",
        "<object>", "</object>", "<marquee>", "<br>", "</br>", "<p =\">", "<p / =\"x>", "<s>", "<u>", "<em>",
        "<code>", "<![CDATA[", "]]>", "<?x>", "<input>", "<img>", "<tbody>", "<colgroup>", "<col>", "<body>",
        "<pre>", "<dl>", "<rb>", "<ruby>", "<applet>", "</tr>", "</li>", "</p>"};
    constexpr int kCap = 8;
    std::mt19937 random(20261207);
    for (int round = 0; round < 1500; ++round) {
        std::string html;
        const size_t favourite = random() % std::size(pieces);
        const int length = 100 + static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) {
            html += pieces[random() % 3 == 0 ? favourite : random() % std::size(pieces)];
            if (random() % 8 == 0)
                html += "<b id=" + std::to_string(random() % 500) + ">";
        }
        const HtmlDocument doc(html, kCap);
        const TreeShape shape = shapeOf(doc);
        ASSERT_LE(shape.depth, kCap + kDepthSlack) << html;
        ASSERT_LE(shape.elements, kElementsPerTag * (tagCount(html) + 1)) << html;
    }
}

TEST(HostileMarkup, AttributesPastTheCapNeverReachTheParser)
{
    std::string distinct = "<p";
    for (size_t i = 0; i < 100000; ++i)
        distinct += " a" + std::to_string(i) + "=\"v" + std::to_string(i) + "\"";
    distinct += " style=display:none>hidden</p><p>shown";
    const HtmlDocument doc(distinct);
    const HtmlDocument::Node p = HtmlDocument::child(doc.body(), 0);
    EXPECT_EQ(HtmlDocument::attribute(p, "a0"), "v0");
    EXPECT_EQ(HtmlDocument::attribute(p, "a999"), "v999");
    EXPECT_FALSE(HtmlDocument::attribute(p, "a1000").has_value());
    // The later style attribute is cut off with the rest, so the paragraph shows.
    EXPECT_EQ(renderHtmlUtf8(distinct), u"hidden\r\n\r\nshown");
    // Repeats count towards the cap too; the first of a name wins, as in the parser.
    const std::string repeated = "<p" + repeat(" x=1", 2000000) + ">a<p" + repeat(" y", 5000) + "/>b";
    EXPECT_EQ(renderHtmlUtf8(repeated), u"a\r\n\r\nb");
    // End tags lose theirs.
    EXPECT_EQ(renderHtmlUtf8("<p>a</p" + repeat(" z", 5000) + ">b"), u"a\r\n\r\nb");
}

TEST(HostileMarkup, LongLanguageValuesStillChooseTheCaseRules)
{
    // Only the primary language subtag decides the case rules, however long the value.
    const std::string junk = repeat("-abcdefgh", 20000);
    EXPECT_EQ(renderHtmlUtf8("<p lang=\"tr" + junk + "\" style=text-transform:uppercase>i</p>"), u"\u0130");
    EXPECT_EQ(renderHtmlUtf8("<p lang=\"en" + junk + "\" style=text-transform:uppercase>i</p>"), u"I");
    EXPECT_EQ(renderHtmlUtf8("<div lang=TR-tr>" + repeat("<p style=text-transform:uppercase>i</p>", 3) + "</div>"),
              u"\u0130\r\n\r\n\u0130\r\n\r\n\u0130");
}

}  // namespace
}  // namespace sorvane
