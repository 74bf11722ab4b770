#pragma once
// Renders an HTML document to the text a browser's select-all + copy yields, following
// the rendered-text collection steps that define innerText, applied to the body.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"

namespace sorvane {

// Decodes `bytes` as a browser would (BOM, then the <meta> prescan, then detection) and
// renders the document. Every line break is CR LF; a no-break space becomes a space.
Text renderHtml(std::string_view bytes);

// The same, releasing the bytes as soon as they are decoded, so a long page in a legacy
// encoding is not held twice.
Text renderHtml(std::string&& bytes);

// Renders markup that is already UTF-8 (invalid sequences become U+FFFD).
Text renderHtmlUtf8(std::string_view utf8);

// What a page taken out of a container (a saved page, a book) knows from outside itself.
struct HtmlContext {
    // The charset the container declares for the page (an encoding label such as
    // "gb2312"): it wins over the page's <meta>, a byte-order mark wins over it.
    std::string declaredEncoding;
    // The encoding to take when neither a byte-order mark, a declaration nor a <meta>
    // names one, instead of guessing; empty: guess as for a loose page.
    std::string fallbackEncoding;
    // The text of the style sheet a <link rel="stylesheet" href="..."> names, or nothing
    // when it is not in the container. Such sheets count as if written in a <style>
    // element where the link stands. Without it, linked sheets are ignored.
    std::function<std::optional<std::string>(std::string_view href)> linkedStyleSheet;
};

// Renders a page with what its container says about it.
Text renderHtml(std::string_view bytes, const HtmlContext& context);

}  // namespace sorvane
