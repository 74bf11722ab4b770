// Element-dense pages: the parser keeps every node until the page is rendered, so the
// markup it is given stops at a node cap, and the text of the rest is shown without its
// markup. Nothing of the text may be lost, and the rest keeps its line breaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/html/html_document.h"
#include "engine/render/html_renderer.h"
#include "engine/html/markup_as_text.h"
#include "engine/html/nesting_limiter.h"

namespace sorvane {
namespace {

std::string repeat(std::string_view s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out.append(s);
    return out;
}

// How many nodes the parser made of the page, walked without recursion.
std::size_t nodeCount(const HtmlDocument& doc)
{
    std::size_t count = 0;
    std::vector<HtmlDocument::Node> stack{doc.documentNode()};
    while (!stack.empty()) {
        const HtmlDocument::Node node = stack.back();
        stack.pop_back();
        ++count;
        for (std::size_t i = 0; i < HtmlDocument::childCount(node); ++i)
            stack.push_back(HtmlDocument::child(node, i));
    }
    return count;
}

std::size_t count(TextView text, TextView what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != TextView::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

TEST(NodeCap, DensePagesStayUnderTheCapAndKeepTheirTextAndLines)
{
    // Each case is denser than the cap allows; every unit puts one 'x' on a line of its
    // own, before the cut and after it.
    const std::size_t n = parserNodeCap(0);
    const struct {
        const char* name;
        std::string html;
    } cases[] = {
        {"nested divs", repeat("<div>x", n)},
        {"closed paragraphs", repeat("<p>x</p>", n)},
        {"br runs", "<p>" + repeat("x<br>", n)},
        {"list items", "<ul>" + repeat("<li>x", n)},
        {"table rows", "<table>" + repeat("<tr><td>x", n)},
        {"comments between lines", repeat("<!---->x<br>", n)},
        {"unclosed formatting", repeat("<b><p>x", n)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HtmlDocument doc(c.html);
        // Beyond the cap: what the tag read at the cap adds (formatting elements
        // re-opened, a row group and a row implied), the document, <html>, <head> and
        // <body>, and the rest as one block of one text node.
        EXPECT_LE(nodeCount(doc), parserNodeCap(c.html.size()) + kMaxActiveFormatting + 3 + 4 + 2);
        const Text text = renderHtmlUtf8(c.html);
        EXPECT_EQ(count(text, u"x"), n);
        EXPECT_EQ(count(text, u"xx"), 0u);  // no two units run together on a line
        EXPECT_TRUE(text.ends_with(u"x"));
    }
}

TEST(NodeCap, TheRestShowsWhatTheParserWouldHaveShown)
{
    const std::string dense = repeat("<div>x", parserNodeCap(0));
    // Scripts, styles and comments of the rest stay hidden, references are resolved,
    // a '<' that starts no tag is text, and raw text shows as written.
    const Text tail = renderHtmlUtf8(dense + "<div>after<script>var s = '<p>hidden';</script><style>p{}</style>"
                                             "<!-- hidden --> a &amp; b &lt; c < d<xmp><b>&amp;</b></xmp>end");
    EXPECT_TRUE(tail.ends_with(u"after a & b < c < d\r\n<b>&amp;</b>\r\nend")) << toUtf8(tail.substr(tail.size() - 60));
    EXPECT_EQ(tail.find(u"hidden"), Text::npos);
    // Text inside SVG outside its text elements is not shown, as before the cut.
    const Text svg = renderHtmlUtf8("<svg>" + repeat("<g>x", parserNodeCap(0)) + "<text>shown</text></svg>end");
    EXPECT_EQ(count(svg, u"x"), 0u);
    EXPECT_NE(svg.find(u"shown"), Text::npos);
    EXPECT_TRUE(svg.ends_with(u"end"));
    // A page under the cap is not touched.
    const std::string small = repeat("<div>x", 1000);
    EXPECT_FALSE(limitMarkup(small, kMaxNestingDepth, parserNodeCap(small.size())).restFrom < small.size());
}

TEST(NodeCap, MarkupAsText)
{
    const struct {
        const char* markup;
        MarkupTextFor use;
        const char* text;
    } cases[] = {
        {"a<b>b</b><div>c</div>d", MarkupTextFor::CutOffRest, "ab\nc\nd"},
        {"a<b>b</b><div>c</div>d", MarkupTextFor::FailedPage, "ab<br>c<br>d"},
        {"one<br><br>two", MarkupTextFor::CutOffRest, "one\n\ntwo"},
        {"  spaced \n\t out  ", MarkupTextFor::CutOffRest, " spaced out"},
        {"  spaced \n out", MarkupTextFor::FailedPage, "  spaced \n out"},
        {"<p title='a>b'>t</p>", MarkupTextFor::CutOffRest, "t"},
        {"x<template><p>never</p></template>y", MarkupTextFor::CutOffRest, "xy"},
        {"<textarea>no<p></textarea>yes", MarkupTextFor::CutOffRest, "yes"},
        {"<svg><g>no</g><text>yes</text></svg>", MarkupTextFor::CutOffRest, "yes"},
        {"<svg><g>kept</g></svg>", MarkupTextFor::FailedPage, "kept"},
        {"<svg><![CDATA[a<b&c]]></svg>", MarkupTextFor::FailedPage, "a&lt;b&amp;c"},
        {"<plaintext><p>&amp;", MarkupTextFor::CutOffRest, "&lt;p>&amp;amp;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(markupAsText(c.markup, c.use), c.text) << c.markup;
}

}  // namespace
}  // namespace sorvane
