#pragma once
// The rendered text of an element: what a browser's innerText gives, with CR LF line
// breaks and a plain space for each no-break space.

#include <cstddef>

#include "common/text.h"
#include "engine/render/css_style.h"
#include "engine/html/html_document.h"

namespace sorvane {

// The rendered text of `root`'s content, styled by `style`. `sizeHint` is the size of the
// page's markup, used to reserve the output. Never fails: content that cannot be shown
// gives no text.
Text collectInnerText(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style, std::size_t sizeHint);

}  // namespace sorvane
