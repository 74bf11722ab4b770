// Hostile markup: deep nesting, endlessly re-opened formatting elements, huge runs of
// tags. Nothing may be lost or crash; how fast and in how much memory each kind renders
// is measured by the hostile-scaling benchmark, which generates the same inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/html/html_document.h"
#include "engine/render/html_renderer.h"

namespace sorvane {
namespace {

std::string repeat(std::string_view s, int n)
{
    std::string out;
    out.reserve(s.size() * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        out.append(s);
    return out;
}

// Depth of the deepest element of the parsed document, walked without recursion.
size_t treeDepth(const std::string& html)
{
    const HtmlDocument doc(html);
    size_t deepest = 0;
    std::vector<std::pair<HtmlDocument::Node, size_t>> stack{{doc.documentNode(), 0}};
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, depth);
        for (size_t i = 0; i < HtmlDocument::childCount(node); ++i)
            stack.emplace_back(HtmlDocument::child(node, i), depth + 1);
    }
    return deepest;
}

size_t count(TextView text, char16_t c)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), c));
}

TEST(HtmlSafety, DeepAndRepeatedMarkupLosesNoText)
{
    constexpr int n = 100000;
    const struct {
        const char* name;
        std::string html;
        size_t xs;  // how many 'x' the text must hold
    } cases[] = {
        {"nested divs", repeat("<div>x", n), n},
        {"nested and closed divs", repeat("<div>x", n) + repeat("</div>", n), n},
        {"nested spans", repeat("<span>x", n), n},
        {"nested tables", repeat("<table><tr><td>x", n / 10), n / 10},
        {"re-opened formatting", [] {
             std::string s;
             for (int i = 0; i < n / 4; ++i)
                 s += "<b id=" + std::to_string(i) + "><p>x";
             return s;
         }(), n / 4},
        {"unclosed fonts", repeat("<font color=red>x", n), n},
        {"divs in tables", repeat("<div><table></div>x", n / 10), n / 10},
        {"svg nesting", "<svg>" + repeat("<g>x", n), 0},
        {"list items", repeat("<ul><li>x", n), n},
        {"long table", "<table>" + repeat("<tr><td>x<td>x", n / 2), n},
        {"long row", "<table><tr>" + repeat("<td>x", n), n},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Text text = renderHtmlUtf8(c.html);
        EXPECT_EQ(count(text, u'x'), c.xs);
    }
}

TEST(HtmlSafety, HostileStyleSheetStillRendersTheRest)
{
    // Twenty thousand rules that all apply to twenty thousand deep elements.
    const std::string html = "<style>" + repeat(".a .b{display:none}\n", 20000) + "</style>" +
                             repeat("<div class=a>", 400) + repeat("<p class=b>x", 20000) + "<p>end";
    const Text text = renderHtmlUtf8(html);
    EXPECT_TRUE(text.ends_with(u"end"));
}

TEST(HtmlSafety, ParserFailureKeepsTheText)
{
    // CDATA in an SVG title inside a table makes the parser library fail an internal
    // check. The markup as it is: the document falls back to the page's text.
    const std::string crash = "<p>before</p><table><svg><title><![CDATA[a&b]]>K</title></svg></table><p>after";
    const HtmlDocument raw(crash, 0);
    EXPECT_FALSE(raw.parsedWholly());
    const HtmlDocument::Node body = raw.body();
    ASSERT_NE(body, nullptr);
    std::string text;
    for (size_t i = 0; i < HtmlDocument::childCount(body); ++i) {
        const HtmlDocument::Node c = HtmlDocument::child(body, i);
        if (HtmlDocument::kind(c) == HtmlNodeKind::Text)
            text += HtmlDocument::text(c);
    }
    EXPECT_EQ(text, "beforea&bKafter");
    // Through the renderer, the CDATA section is handed to the parser as text and the
    // page parses.
    const HtmlDocument limited(crash);
    EXPECT_TRUE(limited.parsedWholly());
    EXPECT_EQ(renderHtmlUtf8(crash), u"before\r\n\r\nafter");
    // An abort outside a parse still ends a process.
    EXPECT_DEATH(std::abort(), "");
}

TEST(HtmlSafety, NestingIsLimitedBeforeParsing)
{
    // Shallow documents are passed on untouched.
    EXPECT_FALSE(limitNestingDepth("<div><p>a<b>b</b></p></div>").has_value());
    EXPECT_FALSE(limitNestingDepth(repeat("<p>a", 5000)).has_value());
    EXPECT_FALSE(limitNestingDepth(repeat("<li>a", 5000)).has_value());
    EXPECT_FALSE(limitNestingDepth(repeat("<div>a</div>", 5000)).has_value());
    EXPECT_FALSE(limitNestingDepth(repeat("<td>a", 5000)).has_value());
    // Markup inside comments, scripts, styles, titles and text areas opens nothing.
    EXPECT_FALSE(limitNestingDepth("<!--" + repeat("<div>", 2000) + "-->").has_value());
    EXPECT_FALSE(limitNestingDepth("<script>" + repeat("<div>", 2000) + "</script>").has_value());
    EXPECT_FALSE(limitNestingDepth("<textarea>" + repeat("<div>", 2000) + "</textarea>").has_value());
    EXPECT_FALSE(limitNestingDepth("<title>" + repeat("<div>", 2000) + "</title>").has_value());
    EXPECT_FALSE(limitNestingDepth("<plaintext>" + repeat("<div>", 2000)).has_value());
    EXPECT_FALSE(limitNestingDepth("<div title='" + repeat("<div>", 2000) + "'>").has_value());

    // Deep documents are cut down to the limit.
    for (int limit : {1, 4, 64, kMaxNestingDepth}) {
        SCOPED_TRACE(limit);
        const std::string deep = repeat("<div>x", 3 * limit + 10) + repeat("</div>", 3 * limit + 10) + "<p>after";
        const auto limited = limitNestingDepth(deep, limit);
        ASSERT_TRUE(limited.has_value());
        // document, html, body and the limited elements, plus a text node
        EXPECT_LE(treeDepth(*limited), static_cast<size_t>(limit) + 4);
        // The end tags of the elements closed early are dropped, so what follows the
        // deep part is still where it was.
        const HtmlDocument doc(*limited, limit);
        const HtmlDocument::Node body = doc.body();
        const HtmlDocument::Node last = HtmlDocument::child(body, HtmlDocument::childCount(body) - 1);
        EXPECT_EQ(doc.tagName(last), "p");
        const Text text = renderHtmlUtf8(*limited);
        EXPECT_EQ(count(text, u'x'), static_cast<size_t>(3 * limit + 10));
        EXPECT_TRUE(text.ends_with(u"x\r\n\r\nafter"));
    }
    // The parser applies the limit on its own.
    EXPECT_LE(treeDepth(repeat("<div>", 20000)), static_cast<size_t>(kMaxNestingDepth) + 4);
}

}  // namespace
}  // namespace sorvane
