#include "engine/render/css_style.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "common/ascii.h"

namespace sorvane {
namespace {

using Node = HtmlDocument::Node;

// The default style of an HTML element, by its local name.
struct DefaultStyle {
    Display display = Display::Inline;
    std::optional<WhiteSpace> whiteSpace;  // unset: inherited
};

DefaultStyle defaultStyle(std::string_view n)
{
    DefaultStyle d;
    auto is = [&](std::initializer_list<std::string_view> list) {
        return std::find(list.begin(), list.end(), n) != list.end();
    };
    if (is({"area", "base", "basefont", "datalist", "head", "link", "meta", "noembed", "noframes", "param",
            "rp", "script", "style", "title", "frameset", "frame"}))
        d.display = Display::None;
    else if (is({"html", "body", "address", "blockquote", "center", "dialog", "div", "figure", "figcaption",
                 "footer", "form", "header", "hr", "legend", "listing", "main", "p", "plaintext", "pre",
                 "search", "xmp", "details", "summary", "dir", "dd", "dl", "dt", "menu", "ol", "ul", "li",
                 "h1", "h2", "h3", "h4", "h5", "h6", "hgroup", "nav", "section", "article", "aside",
                 "fieldset", "optgroup", "option"}))
        d.display = Display::Block;
    else if (n == "table")
        d.display = Display::Table;
    else if (n == "caption")
        d.display = Display::TableCaption;
    else if (n == "colgroup" || n == "col")
        d.display = Display::TableColumn;
    else if (is({"thead", "tbody", "tfoot"}))
        d.display = Display::TableRowGroup;
    else if (n == "tr")
        d.display = Display::TableRow;
    else if (n == "td" || n == "th")
        d.display = Display::TableCell;
    else if (n == "button" || n == "marquee")
        d.display = Display::InlineBlock;
    if (is({"pre", "listing", "plaintext", "xmp"}))
        d.whiteSpace = WhiteSpace::Pre;
    else if (n == "textarea")
        d.whiteSpace = WhiteSpace::PreWrap;
    else if (n == "nobr")
        d.whiteSpace = WhiteSpace::Nowrap;
    return d;
}

// Default styles indexed by the parser's tag code, so an element's costs no name lookup.
const std::vector<DefaultStyle>& defaultStyles()
{
    static const std::vector<DefaultStyle> table = [] {
        std::vector<DefaultStyle> v(static_cast<std::size_t>(HtmlDocument::tagCodeCount()));
        for (int code = 0; code < HtmlDocument::tagCodeCount(); ++code)
            v[static_cast<std::size_t>(code)] = defaultStyle(HtmlDocument::tagNameOfCode(code));
        return v;
    }();
    return table;
}

// What an HTML element's attributes say of its style before any sheet: hidden elements,
// closed dialogs, audio without controls, and cells that must not wrap.
void applyAttributeHints(Node n, std::string_view name, ComputedStyle& s)
{
    if (HtmlDocument::attribute(n, "hidden"))
        s.display = Display::None;
    if (name == "input") {
        if (auto type = HtmlDocument::attribute(n, "type"); type && equalsNoCaseAscii(*type, "hidden"))
            s.display = Display::None;
    } else if (name == "dialog") {
        if (!HtmlDocument::attribute(n, "open"))
            s.display = Display::None;
    } else if (name == "audio") {
        if (!HtmlDocument::attribute(n, "controls"))
            s.display = Display::None;
    } else if ((name == "td" || name == "th") && HtmlDocument::attribute(n, "nowrap")) {
        s.whiteSpace = WhiteSpace::Nowrap;
    }
}

bool isFlexContainer(Display d)
{
    return d == Display::Flex || d == Display::InlineFlex;
}


// The box kind a float, an absolutely positioned box or a flex item gets.
Display blockified(Display d)
{
    switch (d) {
    case Display::Inline:
    case Display::InlineBlock:
    case Display::TableRowGroup:
    case Display::TableRow:
    case Display::TableCell:
    case Display::TableCaption:
    case Display::TableColumn:
        return Display::Block;
    case Display::InlineTable:
        return Display::Table;
    case Display::InlineFlex:
        return Display::Flex;
    default:
        return d;
    }
}

}  // namespace


PageStyle::PageStyle(const HtmlDocument& doc, const StyleSheetLoader* loader, std::size_t matchBudget)
    : m_doc(doc)
{
    collectStyleSheets(loader);
    m_sheet.setBudget(matchBudget);
}

// Defaults, then the attributes' hints, then the cascade: sheet rules, the style
// attribute, !important sheet rules. Inherited values come from `parent`.
ComputedStyle PageStyle::compute(Node n, const ComputedStyle& parent) const
{
    ComputedStyle s;
    s.visible = parent.visible;
    s.whiteSpace = parent.whiteSpace;
    s.transform = parent.transform;
    s.lang = parent.lang;
    if (auto lang = HtmlDocument::attribute(n, "lang"))
        s.lang = *lang;
    const HtmlNamespace ns = HtmlDocument::ns(n);
    if (isSvgContent(ns, parent)) {
        // The outermost <svg> is an atomic inline box; its parts are inline.
        const std::string_view name = m_doc.tagName(n);
        s.inSvg = name != "foreignobject";
        s.display = name == "svg" && !parent.inSvg ? Display::InlineBlock : Display::Inline;
    } else if (ns == HtmlNamespace::Html) {
        if (const int code = HtmlDocument::tagCode(n); code != HtmlDocument::unknownTag) {
            const DefaultStyle& d = defaultStyles()[static_cast<std::size_t>(code)];
            s.display = d.display;
            if (d.whiteSpace)
                s.whiteSpace = *d.whiteSpace;
            applyAttributeHints(n, HtmlDocument::tagNameOfCode(code), s);
        } else {
            // Elements the parser has no code for, such as <dialog>, keep their hints.
            applyAttributeHints(n, m_doc.tagName(n), s);
        }
    }

    StyleDeclarations declared;
    StyleDeclarations important;
    if (!m_sheet.empty() && ns == HtmlNamespace::Html)
        m_sheet.match(m_doc, n, declared, important);
    if (auto style = HtmlDocument::attribute(n, "style"))
        parseDeclarations(*style, declared);
    declared.mergeFrom(important);
    if (declared.display)
        s.display = *declared.display;
    if (declared.visible)
        s.visible = *declared.visible;
    if (declared.whiteSpace)
        s.whiteSpace = *declared.whiteSpace;
    if (declared.transform)
        s.transform = *declared.transform;
    s.floated = declared.floated.value_or(false);
    s.positioned = declared.positioned.value_or(false);

    // A float, an absolutely positioned box and a flex or grid item are blockified.
    if ((s.floated || s.positioned || parent.blockifiesChildren) && s.display != Display::Contents)
        s.display = blockified(s.display);
    // A contents box has no box of its own: its children are items of its parent's.
    s.blockifiesChildren = s.display == Display::Contents ? parent.blockifiesChildren : isFlexContainer(s.display);
    return s;
}

// Reads every <style> element of the page (CSS, for screens) in document order, and the
// linked sheets where their <link> stands.
void PageStyle::collectStyleSheets(const StyleSheetLoader* loader)
{
    std::vector<Node> stack{m_doc.documentNode()};
    while (!stack.empty()) {
        const Node n = stack.back();
        stack.pop_back();
        const HtmlNodeKind kind = HtmlDocument::kind(n);
        if (kind != HtmlNodeKind::Element && kind != HtmlNodeKind::Document)
            continue;
        const bool html = kind == HtmlNodeKind::Element && HtmlDocument::ns(n) == HtmlNamespace::Html;
        if (html && m_doc.tagName(n) == "style") {
            const auto type = HtmlDocument::attribute(n, "type");
            const auto media = HtmlDocument::attribute(n, "media");
            if ((!type || trimAscii(*type).empty() || equalsNoCaseAscii(trimAscii(*type), "text/css")) &&
                (!media || mediaApplies(*media))) {
                for (size_t i = 0; i < HtmlDocument::childCount(n); ++i) {
                    const Node t = HtmlDocument::child(n, i);
                    if (HtmlDocument::kind(t) == HtmlNodeKind::Text || HtmlDocument::kind(t) == HtmlNodeKind::Whitespace)
                        m_sheet.addSheet(m_doc.textOf(t));
                }
            }
            continue;
        }
        if (html && loader && *loader && m_doc.tagName(n) == "link") {
            addLinkedStyleSheet(n, *loader);
            continue;
        }
        // Children pushed last first, so sheets are read in document order.
        for (size_t i = HtmlDocument::childCount(n); i-- > 0;)
            stack.push_back(HtmlDocument::child(n, i));
    }
}

// A <link rel="stylesheet"> whose sheet can be had; not an alternate sheet, which a
// browser leaves off until the reader picks it.
void PageStyle::addLinkedStyleSheet(Node n, const StyleSheetLoader& loader)
{
    const auto rel = HtmlDocument::attribute(n, "rel");
    const auto href = HtmlDocument::attribute(n, "href");
    const auto media = HtmlDocument::attribute(n, "media");
    if (!rel || !href || (media && !mediaApplies(*media)))
        return;
    bool sheet = false, alternate = false;
    for (std::string_view list = *rel; !list.empty();) {
        const std::string_view one = nextAsciiToken(list);
        sheet = sheet || equalsNoCaseAscii(one, "stylesheet");
        alternate = alternate || equalsNoCaseAscii(one, "alternate");
    }
    if (!sheet || alternate || !m_linksAsked.emplace(trimAscii(*href)).second)
        return;
    if (auto css = loader(trimAscii(*href)))
        if (const auto added = m_linkedSheets.insert(std::move(*css)); added.second)
            m_sheet.addSheet(*added.first);
}

}  // namespace sorvane
