#pragma once
// The rendered text of an element: what a browser's innerText gives, with CR LF line
// breaks and a plain space for each no-break space.

#include <cstddef>
#include <functional>

#include "common/text.h"
#include "engine/render/css_style.h"
#include "engine/html/html_document.h"

namespace sorvane {

// Tells, for a node about to be rendered, whether it is left out with all it holds.
using NodeFilter = std::function<bool(HtmlDocument::Node node)>;

// The rendered text of `root`'s content, styled by `style`. `sizeHint` is the size of the
// page's markup, used to reserve the output. Nodes `leaveOut` names give nothing, as if
// they were not there. Never fails: content that cannot be shown gives no text.
Text collectInnerText(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style, std::size_t sizeHint,
                      const NodeFilter& leaveOut = {});

}  // namespace sorvane
