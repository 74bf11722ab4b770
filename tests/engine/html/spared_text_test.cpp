// Long runs of text reach the parser as placeholders and are put back afterwards: the
// tree must be exactly the one the parser builds from the page as it is. The page as it
// is is had by putting a character placeholders are made of into a comment before it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/html/html_document.h"
#include "engine/html/nesting_limiter.h"
#include "engine/html/spared_text.h"

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
            out += std::to_string(static_cast<int>(kind)) + "[" + std::string(HtmlDocument::text(node)) + "]";
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
             "\xEF\xBF\xBF" + l + "\xC0\xAF" + l + "\xED\xA0\x80" + l + "\xE4\xB8" + l + "\xF4\x90\x80\x80" + l,
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string asItIs = "<!--\xF4\x8F\xBF\xBF-->" + c.html;
        EXPECT_EQ(dump(HtmlDocument(c.html)), dump(HtmlDocument(asItIs)));
        const LimitedMarkup limited = limitMarkup(c.html, kMaxNestingDepth, parserNodeCap(c.html.size()));
        const std::string_view markup = limited.markup ? std::string_view(*limited.markup) : c.html;
        EXPECT_EQ(spareTextRuns(markup, limited.text).has_value(), c.spared);
    }
}

}  // namespace
}  // namespace sorvane
