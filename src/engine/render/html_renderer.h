#pragma once
// The text a browser gives for a page's select-all and copy: every line break CR LF, a
// no-break space a plain space. None of these fail: bytes that do not decode become
// U+FFFD, and a page without content gives an empty text.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"
#include "engine/html/html_document.h"

namespace sorvane {
class PageStyle;
}

namespace sorvane {

// Renders a page, decoding it as a browser would (byte-order mark, <meta>, detection).
Text renderHtml(std::string_view bytes);

// The same, releasing `bytes` once decoded, so a long page in a legacy encoding is not
// held twice.
Text renderHtml(std::string&& bytes);

// Renders markup that is already UTF-8.
Text renderHtmlUtf8(std::string_view utf8);

// What a page taken out of a container (a saved page, a book) knows from outside itself.
struct HtmlContext {
    // The charset the container declares (an encoding label such as "gb2312").
    std::string declaredEncoding;
    // The encoding to take when the page declares none; empty: detect it.
    std::string fallbackEncoding;
    // The text of the sheet a <link rel="stylesheet" href> names, or nothing when the
    // container lacks it; unset: linked sheets are ignored.
    std::function<std::optional<std::string>(std::string_view href)> linkedStyleSheet;
    // Renders the parsed page in place of the innerText of its whole <body> (to show part
    // of it, say); unset: the whole body. `sizeHint` is the size of the markup.
    std::function<Text(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style,
                       std::size_t sizeHint)>
        renderPage;
};

// Renders a page with what its container says about it.
Text renderHtml(std::string_view bytes, const HtmlContext& context);

}  // namespace sorvane
