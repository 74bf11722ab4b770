// Long runs of text reach the parser as placeholders and are read from the page when the
// text is collected: the tree must be exactly the one the parser builds from the page as
// it is, and with bare <br>s left in the text, the rendered text must be. The page as it
// is is had by putting a character placeholders are made of into a comment before it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "engine/html/html_document.h"
#include "engine/html/nesting_limiter.h"
#include "engine/html/spared_text.h"
#include "engine/render/html_renderer.h"

namespace sorvane {
namespace {

// Every node but comments, in document order: kind, namespace and name, or text.
std::string dump(const HtmlDocument& doc)
{
    std::string out;
    std::vector<std::pair<HtmlDocument::Node, int>> stack{{doc.documentNode(), 0}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        const HtmlNodeKind kind = HtmlDocument::kind(node);
        if (kind == HtmlNodeKind::Comment)
            continue;
        out += std::string(static_cast<std::size_t>(depth), ' ');
        if (kind == HtmlNodeKind::Element)
            out += "<" + std::to_string(static_cast<int>(HtmlDocument::ns(node))) + std::string(doc.tagName(node)) + ">";
        else if (kind != HtmlNodeKind::Document)
            out += std::to_string(static_cast<int>(kind)) + "[" + std::string(doc.textOf(node)) + "]";
        out += "\n";
        for (std::size_t i = HtmlDocument::childCount(node); i-- > 0;)
            stack.emplace_back(HtmlDocument::child(node, i), depth + 1);
    }
    return out;
}

TEST(SparedText, TreesAreThoseOfThePageAsItIs)
{
    const std::string l = "The quick brown fox jumps over the lazy dog, 敏捷的棕色狐狸跳过了懒狗";
    const struct {
        const char* name;
        std::string html;
        bool spared;
    } cases[] = {
        {"references", "<p>" + l + "&amp;" + l + " &notit; " + l + "&#x41;" + l + "&amp" + l + "</p>", true},
        {"line breaks", "<p>" + l + "\r\n" + l + "\r" + l + "\n\r" + l + "</p><pre>\r\n" + l + "\r\n</pre>", true},
        {"characters the parser replaces",
         "<p>" + l + std::string(1, '\0') + l + "\x01" + l + "\x7F" + l + "\xC2\x85" + l + "\xEF\xB7\x90" + l +
             "\xEF\xBF\xBF" + l + "\xC0\xAF" + l + "\xED\xA0\x80" + l + "\xE4\xB8" + l + "\xF4\x90\x80\x80" + l +
             "\xE4\xB8\x41" + l + "\xEE\x80" + "</p><p>" + l + "\xE6\x96</p>",
         true},
        {"tables", "<table> " + l + "<tr><td>" + l + "</td> " + l + "</tr>" + l + "</table><table><colgroup> " + l,
         true},
        {"select", "<select>" + l + "<option>" + l + "<optgroup>" + l + "</select>", true},
        {"before and in the head",
         l + "<!DOCTYPE html><html> " + l + "<head>" + l + "<title>" + l + "</title>" + l + "<body>" + l, true},
        {"noscript in the head", "<html><head><noscript> " + l + "</noscript></head><body>" + l, true},
        {"after the body", "<body>x</body> " + l + "</html>\n" + l, true},
        {"frameset", "<frameset> " + l + " <frame>" + l + "</frameset> " + l + "<noframes>" + l, false},
        {"foreign content", "<svg><text>" + l + "</text>" + l + "<desc>" + l + "</desc></svg><math><mi>" + l +
                                "</mi><mtext>" + l + "</mtext></math>" + l,
         true},
        {"formatting re-opened", "<p><b>" + l + "<p>" + l + "</b>" + l + "<i><div>" + l + "</i>" + l, true},
        {"'<' as text, and a tag cut off", "<p>" + l + " < " + l + "<3" + l + "</p><p>" + l + "<div class=\"" + l,
         true},
        {"pre and listing", "<pre>\n" + l + "</pre><listing>\n\n" + l + "</listing><textarea>\n" + l + "</textarea>",
         true},
        {"raw text", "<script>" + l + "</script><style>" + l + "</style><xmp>" + l + "</xmp><iframe>" + l +
                         "</iframe><plaintext>" + l + "<p>" + l,
         false},
        {"template", "<template>" + l + "<p>" + l + "</template>" + l, true},
        {"CDATA", "<svg><![CDATA[" + l + "]]>" + l + "</svg>", true},
        {"placeholder characters in the page", "<p>" + l + "&#x10FFFC;" + l + "\xF4\x8F\xBF\xBD" + l + "</p>", false},
        {"a reference to a placeholder character", "<p>" + l + "&#1114109" + l + "</p>", false},
        {"references and line breaks at every offset of an eight-byte word", [&l] {
             std::string html = "<p>" + l;
             for (int k = 0; k < 17; ++k)
                 html += std::string(static_cast<std::size_t>(k), 'a') + "&amp;" + std::string(static_cast<std::size_t>(k), 'b') +
                         "\r\n" + std::string(static_cast<std::size_t>(k), 'c') + "&#x4E2D;" + l;
             return html + "</p>";
         }(),
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string asItIs = "<!--\xF4\x8F\xBF\xBF-->" + c.html;
        EXPECT_EQ(dump(HtmlDocument(c.html)), dump(HtmlDocument(asItIs)));
        const LimitedMarkup limited = limitMarkup(c.html, kMaxNestingDepth, parserNodeCap(c.html.size()));
        const std::string_view markup = limited.markup ? std::string_view(*limited.markup) : c.html;
        EXPECT_EQ(spareTextRuns(markup, limited, false).has_value(), c.spared);
    }
}

TEST(SparedText, BareLineBreaksLeftInTheTextRenderAsElements)
{
    const std::string l = "The quick brown fox jumps over the lazy dog, 敏捷的棕色狐狸跳过了懒狗";
    const std::string lines = l + "<br>" + l + "<br />\n<br/>&nbsp;&nbsp;" + l + "<BR>\r\n" + l + "<br>";
    const struct {
        const char* name;
        std::string html;
        bool inText;  // whether the parser leaves <br>s in the text
    } cases[] = {
        {"a web novel", "<div id=content>&nbsp;&nbsp;&nbsp;&nbsp;" + lines + "&#12288;&#x3000;" + lines + "</div>", true},
        {"before the body and after it", lines + "<body>" + lines + "</body>" + lines + "</html>" + lines, true},
        {"in the head", "<html><head><title>t</title>\n<br>" + lines + "<noscript><br>" + lines, true},
        {"hidden, pre and pre-line", "<div style='visibility:hidden'>" + lines + "</div><pre>\n" + lines +
                                         "</pre><p style='white-space:pre-line'>\n" + lines + "\n</p>",
         true},
        {"text-transform", "<p style='text-transform:capitalize'>" + lines + "</p><p style='text-transform:uppercase' "
                           "lang=tr>i" + lines + "</p>",
         true},
        {"white space between table parts", "<div style='display:table;white-space:pre'>" + l + "<br>\n<br> \n<br>" +
                                                l + "<br>\n</div>",
         true},
        {"formatting elements", "<b>" + lines + "<p>" + lines + "</b>" + lines + "<i>" + l + "</i><br>" + l, true},
        {"cells and tables", "<table><tr><td>" + lines + "</td></tr><tr>" + lines + "</table><table>" + l + "<br>" +
                                 l + "<caption>" + lines + "</table>",
         true},
        {"select and closed details", "<select><option>" + lines + "</select><details>" + lines + "<summary>" +
                                          lines + "</summary>" + lines + "</details>",
         true},
        {"SVG and MathML", "<svg><text>" + l + "<br>" + l + "</text></svg><math><mi>" + l + "<br>" + l + "</mi></math>",
         false},
        {"a <br> with attributes", "<p>" + l + "<br class=x>" + l + "<br style='display:none'>" + l + "</p>", false},
        {"a rule for <br>", "<style>br { display: none }</style><p>" + lines + "</p>", true},
        {"a rule for any element", "<style>div > * { visibility: hidden }</style><div>" + lines + "</div>", true},
        {"rules that cannot apply to a bare <br>", "<style>br.a, #b, .c br.d { display: none }</style>" + lines, true},
        {"references a run may not hold", l + "&copy;<br>" + l + "&#10;<br>&#128;<br>" + l + "&notit;<br>" + l +
                                              "&amp<br>" + l,
         true},
        {"a frameset", "<frameset>" + lines + "</frameset>" + lines, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(renderHtmlUtf8(c.html), renderHtmlUtf8("<!--\xF4\x8F\xBF\xBF-->" + c.html));
        EXPECT_EQ(HtmlDocument(c.html, kMaxNestingDepth, BareLineBreaks::InText).lineBreaksInText(), c.inText);
    }
}

// Text and line breaks as a reader gets them, a break written as "|".
struct Events : HtmlTextReader {
    std::string out;
    void text(std::string_view piece) override { out += piece; }
    void lineBreak() override { out += "|"; }
};

std::vector<std::string> readAll(const HtmlDocument& doc, const std::vector<HtmlDocument::Node>& nodes)
{
    std::vector<std::string> texts;
    for (HtmlDocument::Node n : nodes) {
        Events e;
        doc.readText(n, e);
        texts.push_back(e.out);
    }
    return texts;
}

std::vector<HtmlDocument::Node> textNodes(const HtmlDocument& doc)
{
    std::vector<HtmlDocument::Node> nodes;
    std::vector<HtmlDocument::Node> stack{doc.documentNode()};
    while (!stack.empty()) {
        const HtmlDocument::Node n = stack.back();
        stack.pop_back();
        const HtmlNodeKind kind = HtmlDocument::kind(n);
        if (kind == HtmlNodeKind::Text || kind == HtmlNodeKind::Whitespace || kind == HtmlNodeKind::CData)
            nodes.push_back(n);
        for (std::size_t i = HtmlDocument::childCount(n); i-- > 0;)
            stack.push_back(HtmlDocument::child(n, i));
    }
    return nodes;
}

// A page read twice keeps what the first reading decoded: the second gives the same
// text and line breaks, and so does a reading started while another is under way.
TEST(SparedText, TextKeptFromTheFirstReadingIsReadAgainTheSame)
{
    const std::string l = "The quick brown fox jumps over the lazy dog, 敏捷的棕色狐狸跳过了懒狗";
    const std::string page = "<div id=content>&nbsp;&nbsp;" + l + "<br>\r\n<br />" + l + "&amp;&#x3000;" + l +
                             "<br><br>" + l + "</div><p>" + l + "\r\n" + l + "&lt;</p><ul><li>" + l + "</li></ul>";
    const HtmlDocument fresh(page, kMaxNestingDepth, BareLineBreaks::InText);
    const std::vector<std::string> expected = readAll(fresh, textNodes(fresh));
    ASSERT_GE(expected.size(), 3u);
    ASSERT_NE(expected.front().find('|'), std::string::npos);

    const HtmlDocument kept(page, kMaxNestingDepth, BareLineBreaks::InText);
    kept.keepReadText();
    const std::vector<HtmlDocument::Node> nodes = textNodes(kept);
    EXPECT_EQ(readAll(kept, nodes), expected);
    EXPECT_EQ(readAll(kept, nodes), expected);

    // A reader that reads the last node whenever it is given text.
    struct Nested : Events {
        const HtmlDocument& doc;
        HtmlDocument::Node other;
        std::string inner;
        Nested(const HtmlDocument& d, HtmlDocument::Node o) : doc(d), other(o) {}
        void text(std::string_view piece) override
        {
            Events e;
            doc.readText(other, e);
            inner = e.out;
            Events::text(piece);
        }
    };
    for (const HtmlDocument* doc : {&fresh, &kept}) {
        const std::vector<HtmlDocument::Node> all = textNodes(*doc);
        Nested nested(*doc, all.back());
        doc->readText(all.front(), nested);
        EXPECT_EQ(nested.out, expected.front());
        EXPECT_EQ(nested.inner, expected.back());
    }
}

}  // namespace
}  // namespace sorvane
