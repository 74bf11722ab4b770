#pragma once
// Renders an HTML document to the text a browser's select-all + copy yields, following
// the rendered-text collection steps that define innerText, applied to the body.

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

}  // namespace sorvane
