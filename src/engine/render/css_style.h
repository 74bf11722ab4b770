#pragma once
// The computed style of a page's elements, as far as it decides what text is shown: the
// default style of HTML elements, the page's style sheets and style attributes, and the
// cascade that gives each element its computed display, visibility, white-space,
// text-transform, float and position.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/html/html_document.h"
#include "engine/render/style_sheet.h"

namespace sorvane {

// An element's computed style, and what its children inherit.
struct ComputedStyle {
    Display display = Display::Inline;
    bool visible = true;
    WhiteSpace whiteSpace = WhiteSpace::Normal;
    Transform transform = Transform::None;
    bool floated = false;
    bool positioned = false;
    std::string_view lang;            // the language case mapping follows
    bool inSvg = false;               // SVG content, outside a <foreignObject>
    bool blockifiesChildren = false;  // a flex or grid container, or contents inside one
};

// The text of a linked style sheet, or nothing when it cannot be had.
using StyleSheetLoader = std::function<std::optional<std::string>(std::string_view href)>;

// The style of one document: its <style> sheets (and linked ones, when `loader` is
// given) are read on construction.
class PageStyle {
public:
    PageStyle(const HtmlDocument& doc, const StyleSheetLoader* loader, std::size_t matchBudget);

    // The computed style of element `n`, whose parent's is `parent`.
    ComputedStyle compute(HtmlDocument::Node n, const ComputedStyle& parent) const;

    // Whether the page's sheets may style an element of this name without attributes
    // otherwise than its default style and its parent do.
    bool mayStyleBare(std::string_view tag) const { return m_sheet.mayApplyToBare(tag); }

    // Whether an element of namespace `ns` under `parent` is SVG content.
    static bool isSvgContent(HtmlNamespace ns, const ComputedStyle& parent)
    {
        return ns == HtmlNamespace::Svg || (parent.inSvg && ns != HtmlNamespace::Html);
    }

private:
    void collectStyleSheets(const StyleSheetLoader* loader);
    void addLinkedStyleSheet(HtmlDocument::Node link, const StyleSheetLoader& loader);

    const HtmlDocument& m_doc;
    StyleSheet m_sheet;
    // The links asked for and the linked sheets read so far: a sheet linked again, under
    // the same address or another, is not parsed again (its rules are already there).
    std::unordered_set<std::string> m_linksAsked;
    std::unordered_set<std::string> m_linkedSheets;
};

}  // namespace sorvane
