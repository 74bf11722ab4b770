// Feeds arbitrary bytes to the HTML renderer: encoding detection, the nesting limiter,
// the parser and the text collection. Besides the sanitizers' checks, the text must
// hold CR LF line breaks only and no no-break space, and the tree the parser builds must
// keep within the caps the limiter sets (depth, elements per tag of the markup, and
// nodes). The text of markup, for the parts the parser is not given, must hold no
// markup but its own line breaks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/html/html_document.h"
#include "engine/render/html_renderer.h"
#include "engine/html/markup_as_text.h"
#include "engine/html/nesting_limiter.h"
#include "engine/convert/renderer.h"

namespace {

// Traps when the parser's tree for `markup`, limited to `maxDepth`, is deeper than the
// cap allows (by <html>, <body>, re-opened formatting elements and misnesting repairs)
// or holds more elements than the tags can account for.
void checkShape(std::string_view markup, int maxDepth)
{
    const sorvane::HtmlDocument doc(markup, maxDepth);
    std::size_t deepest = 0, elements = 0;
    std::vector<std::pair<sorvane::HtmlDocument::Node, std::size_t>> stack{{doc.documentNode(), 0}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        if (sorvane::HtmlDocument::kind(node) == sorvane::HtmlNodeKind::Element) {
            deepest = std::max(deepest, depth);
            ++elements;
        }
        for (std::size_t i = 0; i < sorvane::HtmlDocument::childCount(node); ++i)
            stack.emplace_back(sorvane::HtmlDocument::child(node, i), depth + 1);
    }
    const std::size_t tags = static_cast<std::size_t>(std::count(markup.begin(), markup.end(), '<'));
    if (deepest > static_cast<std::size_t>(maxDepth) + 2 + sorvane::kMaxActiveFormatting + 4)
        __builtin_trap();
    if (elements > (sorvane::kMaxActiveFormatting + 2) * (tags + 1))
        __builtin_trap();
}

// Traps when the markup cut off at a small node cap makes the parser build more nodes
// than the cap allows: the tag read at the cap may add re-opened formatting elements
// and an implied row group and row, and the parser adds the document, <html>, <head>
// and <body>.
void checkNodeCap(std::string_view markup)
{
    constexpr std::size_t kCap = 16;
    const sorvane::LimitedMarkup limited = sorvane::limitMarkup(markup, sorvane::kMaxNestingDepth, kCap);
    if (limited.restFrom != std::string_view::npos && limited.restFrom > markup.size())
        __builtin_trap();
    const sorvane::HtmlDocument doc(limited.markup ? std::string_view(*limited.markup) : markup, 0);
    std::size_t nodes = 0;
    std::vector<sorvane::HtmlDocument::Node> stack{doc.documentNode()};
    while (!stack.empty()) {
        const auto node = stack.back();
        stack.pop_back();
        ++nodes;
        for (std::size_t i = 0; i < sorvane::HtmlDocument::childCount(node); ++i)
            stack.push_back(sorvane::HtmlDocument::child(node, i));
    }
    if (limited.restFrom != std::string_view::npos && nodes > kCap + sorvane::kMaxActiveFormatting + 3 + 4)
        __builtin_trap();
}

// Traps when the text of markup holds markup: '<' only as the line breaks it adds.
void checkMarkupText(std::string_view markup)
{
    const std::string failed = sorvane::markupAsText(markup, sorvane::MarkupTextFor::FailedPage);
    for (std::size_t at = failed.find('<'); at != std::string::npos; at = failed.find('<', at + 1))
        if (failed.compare(at, 4, "<br>") != 0)
            __builtin_trap();
    if (sorvane::markupAsText(markup, sorvane::MarkupTextFor::CutOffRest, markup.size() % 2 == 1).find('<') !=
        std::string::npos)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)sorvane::documentKind("page", bytes);
    const sorvane::Text text = sorvane::renderHtml(bytes);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))
            __builtin_trap();
        if (c == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            __builtin_trap();
        if (c == 0xA0)
            __builtin_trap();
    }
    // A small limit makes the limiter rewrite often; the result must still parse and
    // keep within the caps.
    if (auto limited = sorvane::limitNestingDepth(bytes, 4))
        (void)sorvane::renderHtmlUtf8(*limited);
    checkShape(bytes, 4);
    checkShape(bytes, sorvane::kMaxNestingDepth);
    checkNodeCap(bytes);
    checkMarkupText(bytes);
    return 0;
}
