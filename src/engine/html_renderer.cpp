// The text of a rendered HTML document, as the rendered-text collection steps that
// define innerText produce it, with the HTML standard's default stylesheet and the
// elements' own style attributes deciding what is a block, a table part, an inline
// box or hidden.
#include "engine/html_renderer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "common/ascii.h"
#include "engine/encoding_detect.h"
#include "engine/html_document.h"

namespace sorvane {
namespace {

using Node = HtmlDocument::Node;

enum class Display : std::uint8_t {
    None,
    Inline,
    Block,  // block, list-item, flow-root, and any block-level box without a kind of its own
    InlineBlock,
    Table,
    InlineTable,
    TableRowGroup,
    TableRow,
    TableCell,
    TableCaption,
    TableColumn,
    Contents,
    Flex,  // flex and grid containers: their children are blockified
    InlineFlex,
};

enum class WhiteSpace : std::uint8_t { Normal, Pre, Nowrap, PreWrap, PreLine, BreakSpaces };
enum class Transform : std::uint8_t { None, Upper, Lower, Capitalize };

// What the default stylesheet and the element's nature say about a tag.
struct TagInfo {
    Display display = Display::Inline;
    std::int8_t whiteSpace = -1;  // -1 inherit, else a WhiteSpace
    bool replaced = false;        // an atomic box whose children are never rendered
    bool skip = false;            // never rendered, whatever its style says
    bool paragraph = false;       // <p>: two required line breaks around it
    bool lineBreak = false;       // <br>
};

TagInfo defaultInfo(std::string_view n)
{
    TagInfo t;
    auto is = [&](std::initializer_list<std::string_view> list) {
        return std::find(list.begin(), list.end(), n) != list.end();
    };
    if (is({"area", "base", "basefont", "datalist", "head", "link", "meta", "noembed", "noframes", "param",
            "rp", "script", "style", "title", "frameset", "frame"}))
        t.display = Display::None;
    else if (is({"noscript", "template"}))
        t.skip = true;
    else if (is({"html", "body", "address", "blockquote", "center", "dialog", "div", "figure", "figcaption",
                 "footer", "form", "header", "hr", "legend", "listing", "main", "p", "plaintext", "pre",
                 "search", "xmp", "details", "summary", "dir", "dd", "dl", "dt", "menu", "ol", "ul", "li",
                 "h1", "h2", "h3", "h4", "h5", "h6", "hgroup", "nav", "section", "article", "aside",
                 "fieldset", "optgroup", "option"}))
        t.display = Display::Block;
    else if (n == "table")
        t.display = Display::Table;
    else if (n == "caption")
        t.display = Display::TableCaption;
    else if (n == "colgroup" || n == "col")
        t.display = Display::TableColumn;
    else if (is({"thead", "tbody", "tfoot"}))
        t.display = Display::TableRowGroup;
    else if (n == "tr")
        t.display = Display::TableRow;
    else if (n == "td" || n == "th")
        t.display = Display::TableCell;
    else if (is({"img", "input", "textarea", "iframe", "video", "audio", "canvas", "object", "embed", "meter",
                 "progress", "image"}))
        t.replaced = true;
    else if (n == "button" || n == "marquee")
        t.display = Display::InlineBlock;
    if (is({"pre", "listing", "plaintext", "xmp"}))
        t.whiteSpace = static_cast<std::int8_t>(WhiteSpace::Pre);
    else if (n == "textarea")
        t.whiteSpace = static_cast<std::int8_t>(WhiteSpace::PreWrap);
    else if (n == "nobr")
        t.whiteSpace = static_cast<std::int8_t>(WhiteSpace::Nowrap);
    t.paragraph = n == "p";
    t.lineBreak = n == "br";
    return t;
}

// Tag information indexed by the parser's tag code.
const std::vector<TagInfo>& tagTable()
{
    static const std::vector<TagInfo> table = [] {
        std::vector<TagInfo> v(static_cast<size_t>(HtmlDocument::tagCodeCount()));
        for (int code = 0; code < HtmlDocument::tagCodeCount(); ++code)
            v[static_cast<size_t>(code)] = defaultInfo(HtmlDocument::tagNameOfCode(code));
        return v;
    }();
    return table;
}

// The declarations of a style attribute that decide what text is shown.
// The declarations of a style attribute or a style-sheet rule that decide what text is
// shown; unset fields leave the value as it was.
struct InlineStyle {
    std::optional<Display> display;
    std::optional<bool> visible;
    std::optional<WhiteSpace> whiteSpace;
    std::optional<Transform> transform;
    std::optional<bool> floated;     // float: left / right
    std::optional<bool> positioned;  // position: absolute / fixed

    // A float or an absolutely positioned box is blockified.
    bool outOfFlow() const { return floated.value_or(false) || positioned.value_or(false); }

    void mergeFrom(const InlineStyle& o)
    {
        if (o.display)
            display = o.display;
        if (o.visible)
            visible = o.visible;
        if (o.whiteSpace)
            whiteSpace = o.whiteSpace;
        if (o.transform)
            transform = o.transform;
        if (o.floated)
            floated = o.floated;
        if (o.positioned)
            positioned = o.positioned;
    }
};

std::optional<Display> parseDisplay(std::string_view v)
{
    static const std::pair<std::string_view, Display> single[] = {
        {"none", Display::None},
        {"inline", Display::Inline},
        {"block", Display::Block},
        {"list-item", Display::Block},
        {"flow-root", Display::Block},
        {"run-in", Display::Block},
        {"inline-block", Display::InlineBlock},
        {"table", Display::Table},
        {"inline-table", Display::InlineTable},
        {"table-row-group", Display::TableRowGroup},
        {"table-header-group", Display::TableRowGroup},
        {"table-footer-group", Display::TableRowGroup},
        {"table-row", Display::TableRow},
        {"table-cell", Display::TableCell},
        {"table-caption", Display::TableCaption},
        {"table-column", Display::TableColumn},
        {"table-column-group", Display::TableColumn},
        {"contents", Display::Contents},
        {"flex", Display::Flex},
        {"grid", Display::Flex},
        {"inline-flex", Display::InlineFlex},
        {"inline-grid", Display::InlineFlex},
        {"ruby", Display::Inline},
        {"ruby-base", Display::Inline},
        {"ruby-text", Display::Inline},
        {"ruby-base-container", Display::Inline},
        {"ruby-text-container", Display::Inline},
    };
    for (const auto& [name, d] : single)
        if (v == name)
            return d;
    // Two keywords: an outer ("block", "inline") and an inner display type.
    const size_t space = v.find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    const std::string_view outer = v.substr(0, space);
    std::string_view inner = trimAscii(v.substr(space + 1));
    if (inner.ends_with(" list-item") || inner == "list-item")
        return Display::Block;
    const bool inlineOuter = outer == "inline";
    if (!inlineOuter && outer != "block" && outer != "run-in")
        return std::nullopt;
    if (inner == "flow")
        return inlineOuter ? Display::Inline : Display::Block;
    if (inner == "flow-root")
        return inlineOuter ? Display::InlineBlock : Display::Block;
    if (inner == "table")
        return inlineOuter ? Display::InlineTable : Display::Table;
    if (inner == "flex" || inner == "grid")
        return inlineOuter ? Display::InlineFlex : Display::Flex;
    if (inner == "ruby")
        return inlineOuter ? Display::Inline : Display::Block;
    return std::nullopt;
}

std::optional<WhiteSpace> parseWhiteSpace(std::string_view v)
{
    if (v == "normal")
        return WhiteSpace::Normal;
    if (v == "pre")
        return WhiteSpace::Pre;
    if (v == "nowrap")
        return WhiteSpace::Nowrap;
    if (v == "pre-wrap")
        return WhiteSpace::PreWrap;
    if (v == "pre-line")
        return WhiteSpace::PreLine;
    if (v == "break-spaces")
        return WhiteSpace::BreakSpaces;
    return std::nullopt;
}

// Reads "name: value; ..." declarations into `normal`, and those marked !important into
// `important` when given (else into `normal` as well).
void parseDeclarations(std::string_view text, InlineStyle& normal, InlineStyle* important = nullptr)
{
    std::string lowered;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(';', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view decl = text.substr(pos, end - pos);
        pos = end + 1;
        const size_t colon = decl.find(':');
        if (colon == std::string_view::npos)
            continue;
        lowered.assign(decl);
        for (char& c : lowered)
            c = toLowerAscii(c);
        const std::string_view low = lowered;
        const std::string_view name = trimAscii(low.substr(0, colon));
        std::string_view value = trimAscii(low.substr(colon + 1));
        bool isImportant = false;
        if (const size_t bang = value.find('!'); bang != std::string_view::npos) {
            isImportant = trimAscii(value.substr(bang + 1)) == "important";
            value = trimAscii(value.substr(0, bang));
        }
        InlineStyle& into = isImportant && important ? *important : normal;
        if (name == "display") {
            if (auto d = parseDisplay(value))
                into.display = d;
        } else if (name == "visibility") {
            if (value == "visible")
                into.visible = true;
            else if (value == "hidden" || value == "collapse")
                into.visible = false;
        } else if (name == "white-space") {
            if (auto w = parseWhiteSpace(value))
                into.whiteSpace = w;
        } else if (name == "text-transform") {
            if (value == "none")
                into.transform = Transform::None;
            else if (value == "uppercase")
                into.transform = Transform::Upper;
            else if (value == "lowercase")
                into.transform = Transform::Lower;
            else if (value == "capitalize")
                into.transform = Transform::Capitalize;
        } else if (name == "float") {
            into.floated = value == "left" || value == "right" || value == "inline-start" || value == "inline-end";
        } else if (name == "position") {
            into.positioned = value == "absolute" || value == "fixed";
        }
    }
}

// Whether a media query list applies to a screen: empty, "all" or "screen" (with
// "only"); queries with conditions are taken not to.
bool mediaApplies(std::string_view media)
{
    const std::string m = toLowerAscii(trimAscii(media));
    if (m.empty())
        return true;
    if (m.find('(') != std::string::npos)
        return false;
    size_t pos = 0;
    while (pos <= m.size()) {
        size_t end = m.find(',', pos);
        if (end == std::string::npos)
            end = m.size();
        std::string_view q = trimAscii(std::string_view(m).substr(pos, end - pos));
        if (q.starts_with("only "))
            q = trimAscii(q.substr(5));
        if (q == "all" || q == "screen")
            return true;
        pos = end + 1;
    }
    return false;
}

// The rules of a page's <style> sheets, as far as they decide what text is shown: type,
// class and id selectors, compound and joined by descendant or child combinators, with
// the display, visibility, white-space, text-transform, float and position properties.
// Rules with other selectors (pseudo-classes, attributes, sibling combinators) and media
// queries with conditions are left out. Names match without regard to case, as they do
// in the quirks mode most old pages are in.
class StyleSheet {
public:
    bool empty() const { return m_rules.empty(); }

    // Limits the work of matching, in rules tried, ancestors visited and class names
    // compared; past it, rules no longer match. Keeps a hostile sheet from taking time that grows with its size
    // times the document's.
    void setBudget(std::size_t steps) { m_budget = steps; }

    void addSheet(std::string_view css)
    {
        std::string text = withoutComments(css);
        parseRules(text);
    }

    // The cascaded declarations for element `n`: rules in order of specificity and then
    // of appearance; `important` collects the !important ones.
    void match(const HtmlDocument& doc, HtmlDocument::Node n, InlineStyle& normal, InlineStyle& important) const
    {
        if (m_steps > m_budget)
            return;
        m_candidates.clear();
        const std::string_view tag = doc.tagName(n);
        addCandidates(m_byTag, toLowerAscii(tag));
        for (size_t i : m_universal)
            m_candidates.push_back(i);
        if (auto id = HtmlDocument::attribute(n, "id"))
            addCandidates(m_byId, toLowerAscii(trimAscii(*id)));
        if (auto cls = HtmlDocument::attribute(n, "class")) {
            std::string_view list = *cls;
            while (!list.empty()) {
                size_t start = 0;
                while (start < list.size() && isAsciiSpace(list[start]))
                    ++start;
                size_t end = start;
                while (end < list.size() && !isAsciiSpace(list[end]))
                    ++end;
                if (end > start)
                    addCandidates(m_byClass, toLowerAscii(list.substr(start, end - start)));
                list.remove_prefix(end);
            }
        }
        if (m_candidates.empty())
            return;
        m_steps += m_candidates.size();
        if (m_steps > m_budget)
            return;
        std::sort(m_candidates.begin(), m_candidates.end());
        m_candidates.erase(std::unique(m_candidates.begin(), m_candidates.end()), m_candidates.end());
        m_matched.clear();
        for (size_t i : m_candidates)
            if (matches(doc, n, m_rules[i].selector))
                m_matched.push_back(i);
        // Rules are numbered in order of appearance; a stable sort by specificity
        // keeps that order among equals.
        std::stable_sort(m_matched.begin(), m_matched.end(),
                         [&](size_t a, size_t b) { return m_rules[a].specificity < m_rules[b].specificity; });
        for (size_t i : m_matched) {
            normal.mergeFrom(m_rules[i].normal);
            important.mergeFrom(m_rules[i].important);
        }
    }

private:
    struct Compound {
        std::string tag;  // empty: any
        std::string id;
        std::vector<std::string> classes;
        bool child = false;  // joined to the compound before it by '>' (else descendant)
    };
    struct Rule {
        std::vector<Compound> selector;  // left to right
        std::uint32_t specificity = 0;
        InlineStyle normal;
        InlineStyle important;
    };

    static std::string withoutComments(std::string_view css)
    {
        std::string out;
        out.reserve(css.size());
        size_t pos = 0;
        while (pos < css.size()) {
            const size_t open = css.find("/*", pos);
            if (open == std::string_view::npos) {
                out.append(css.substr(pos));
                break;
            }
            out.append(css.substr(pos, open - pos));
            const size_t close = css.find("*/", open + 2);
            if (close == std::string_view::npos)
                break;
            pos = close + 2;
            out.push_back(' ');
        }
        return out;
    }

    // The end of the block whose '{' is at `open` (one past its '}').
    static size_t blockEnd(std::string_view s, size_t open)
    {
        int depth = 0;
        for (size_t i = open; i < s.size(); ++i) {
            if (s[i] == '{')
                ++depth;
            else if (s[i] == '}' && --depth == 0)
                return i + 1;
        }
        return s.size();
    }

    // Reads the rules of a sheet in one pass without recursion: a block of an
    // @media rule that applies is read in place, its '}' only lowering the count of
    // open @media blocks, so any depth of nesting costs no stack and no re-reading.
    // Every other block is skipped once, to its matching '}'.
    void parseRules(std::string_view s)
    {
        size_t openMedia = 0;
        size_t pos = 0;
        while (pos < s.size()) {
            const size_t open = s.find_first_of("{;}", pos);
            if (open == std::string_view::npos)
                return;
            if (s[open] == '}') {
                if (openMedia > 0)
                    --openMedia;  // the end of an @media block: its rules are read
                pos = open + 1;  // else stray text
                continue;
            }
            if (s[open] == ';') {
                pos = open + 1;  // an @-statement such as @import or @charset, or stray text
                continue;
            }
            const std::string_view prelude = trimAscii(s.substr(pos, open - pos));
            if (prelude.starts_with('@') && toLowerAscii(prelude.substr(0, 6)) == "@media" &&
                mediaApplies(prelude.substr(6))) {
                ++openMedia;
                pos = open + 1;
                continue;
            }
            const size_t end = blockEnd(s, open);
            if (!prelude.starts_with('@')) {
                // A block left open at the end of the sheet ends there.
                const bool closed = s[end - 1] == '}';
                addRule(prelude, s.substr(open + 1, end - open - 1 - (closed ? 1 : 0)));
            }
            pos = end;
        }
    }

    void addRule(std::string_view selectors, std::string_view declarations)
    {
        InlineStyle normal, important;
        parseDeclarations(declarations, normal, &important);
        auto isEmpty = [](const InlineStyle& st) {
            return !st.display && !st.visible && !st.whiteSpace && !st.transform && !st.floated && !st.positioned;
        };
        if (isEmpty(normal) && isEmpty(important))
            return;
        size_t pos = 0;
        while (pos <= selectors.size()) {
            size_t end = selectors.find(',', pos);
            if (end == std::string_view::npos)
                end = selectors.size();
            Rule rule;
            if (parseSelector(trimAscii(selectors.substr(pos, end - pos)), rule)) {
                rule.normal = normal;
                rule.important = important;
                index(std::move(rule));
            }
            pos = end + 1;
        }
    }

    static bool isNameChar(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               static_cast<unsigned char>(c) >= 0x80;
    }

    static bool parseSelector(std::string_view s, Rule& rule)
    {
        if (s.empty())
            return false;
        size_t i = 0;
        bool child = false;
        std::uint32_t ids = 0, classes = 0, types = 0;
        while (i < s.size()) {
            Compound c;
            c.child = child;
            bool any = false;
            while (i < s.size() && !isAsciiSpace(s[i]) && s[i] != '>') {
                const char k = s[i];
                size_t j = (k == '.' || k == '#') ? i + 1 : i;
                if (k == '*') {
                    any = true;
                    ++i;
                    continue;
                }
                const size_t start = j;
                while (j < s.size() && isNameChar(s[j]))
                    ++j;
                if (j == start)
                    return false;  // ':', '[', '+', '~' or anything else we do not match
                const std::string name = toLowerAscii(s.substr(start, j - start));
                if (k == '.') {
                    c.classes.push_back(name);
                    ++classes;
                } else if (k == '#') {
                    if (!c.id.empty())
                        return false;
                    c.id = name;
                    ++ids;
                } else {
                    if (!c.tag.empty() || !c.id.empty() || !c.classes.empty())
                        return false;
                    c.tag = name;
                    ++types;
                }
                any = true;
                i = j;
            }
            if (!any)
                return false;
            rule.selector.push_back(std::move(c));
            child = false;
            while (i < s.size() && (isAsciiSpace(s[i]) || s[i] == '>')) {
                if (s[i] == '>')
                    child = true;
                ++i;
            }
            if (i == s.size() && child)
                return false;
        }
        rule.specificity = (std::min(ids, 255u) << 16) | (std::min(classes, 255u) << 8) | std::min(types, 255u);
        return true;
    }

    void index(Rule&& rule)
    {
        const size_t i = m_rules.size();
        const Compound& last = rule.selector.back();
        if (!last.id.empty())
            m_byId[last.id].push_back(i);
        else if (!last.classes.empty())
            m_byClass[last.classes.front()].push_back(i);
        else if (!last.tag.empty())
            m_byTag[last.tag].push_back(i);
        else
            m_universal.push_back(i);
        m_rules.push_back(std::move(rule));
    }

    void addCandidates(const std::unordered_map<std::string, std::vector<size_t>>& map, const std::string& key) const
    {
        const auto it = map.find(key);
        if (it != map.end())
            m_candidates.insert(m_candidates.end(), it->second.begin(), it->second.end());
    }

    // Whether the class list holds `cls`; every name compared counts against the budget.
    bool hasClass(std::string_view list, std::string_view cls) const
    {
        size_t pos = 0;
        while (pos < list.size()) {
            ++m_steps;
            while (pos < list.size() && isAsciiSpace(list[pos]))
                ++pos;
            size_t end = pos;
            while (end < list.size() && !isAsciiSpace(list[end]))
                ++end;
            if (end > pos && equalsNoCaseAscii(list.substr(pos, end - pos), cls))
                return true;
            pos = end;
        }
        return false;
    }

    bool matchesCompound(const HtmlDocument& doc, HtmlDocument::Node n, const Compound& c) const
    {
        if (HtmlDocument::kind(n) != HtmlNodeKind::Element)
            return false;
        ++m_steps;
        if (!c.tag.empty() && !equalsNoCaseAscii(doc.tagName(n), c.tag))
            return false;
        if (!c.id.empty()) {
            const auto id = HtmlDocument::attribute(n, "id");
            if (!id || !equalsNoCaseAscii(trimAscii(*id), c.id))
                return false;
        }
        if (!c.classes.empty()) {
            const auto cls = HtmlDocument::attribute(n, "class");
            if (!cls)
                return false;
            for (const std::string& one : c.classes)
                if (m_steps > m_budget || !hasClass(*cls, one))
                    return false;
        }
        return true;
    }

    // Right to left: the last compound on the element, the others on its ancestors.
    bool matches(const HtmlDocument& doc, HtmlDocument::Node n, const std::vector<Compound>& sel) const
    {
        if (!matchesCompound(doc, n, sel.back()))
            return false;
        HtmlDocument::Node at = n;
        for (size_t k = sel.size() - 1; k-- > 0;) {
            const bool child = sel[k + 1].child;
            HtmlDocument::Node p = HtmlDocument::parent(at);
            bool found = false;
            while (p && HtmlDocument::kind(p) == HtmlNodeKind::Element) {
                if (++m_steps > m_budget)
                    return false;
                if (matchesCompound(doc, p, sel[k])) {
                    found = true;
                    break;
                }
                if (child)
                    break;
                p = HtmlDocument::parent(p);
            }
            if (!found)
                return false;
            at = p;
        }
        return true;
    }

    std::vector<Rule> m_rules;
    std::unordered_map<std::string, std::vector<size_t>> m_byId, m_byClass, m_byTag;
    std::vector<size_t> m_universal;
    mutable std::vector<size_t> m_candidates, m_matched;
    std::size_t m_budget = SIZE_MAX;
    mutable std::size_t m_steps = 0;
};

bool isBlockLevel(Display d)
{
    return d == Display::Block || d == Display::Table || d == Display::TableCaption || d == Display::Flex;
}

bool isAtomicInline(Display d)
{
    return d == Display::InlineBlock || d == Display::InlineTable || d == Display::InlineFlex;
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

// Which children of an element get boxes.
enum class ChildFilter : std::uint8_t {
    All,
    OptionsAndGroups,  // <select>: only its <option> and <optgroup> children
    Options,           // <optgroup>: only its <option> children
    Summary,           // a closed <details>: only its first <summary>
    SvgText,           // SVG outside a text element: only elements, no text
};

// What an element's children inherit, and what its own box is.
struct Context {
    bool visible = true;
    WhiteSpace whiteSpace = WhiteSpace::Normal;
    Transform transform = Transform::None;
    std::string_view lang;  // the language case mapping follows
    ChildFilter filter = ChildFilter::All;
    bool blockifyChildren = false;
    bool tableWrapper = false;  // white space between table parts gets no box
    bool svg = false;
    bool svgText = false;
};

// The resolved box of one element.
struct Box {
    Display display = Display::Inline;
    bool visible = true;
    WhiteSpace whiteSpace = WhiteSpace::Normal;
    Transform transform = Transform::None;
    std::string_view lang;
    bool replaced = false;
    bool paragraph = false;
    bool lineBreak = false;
    bool svg = false;
    bool svgText = false;
    ChildFilter filter = ChildFilter::All;
};

bool svgRenders(std::string_view n)
{
    return n == "svg" || n == "g" || n == "text" || n == "tspan" || n == "textpath" || n == "a" ||
           n == "switch" || n == "foreignobject";
}

bool svgIsText(std::string_view n)
{
    return n == "text" || n == "tspan" || n == "textpath";
}

class TextCollector {
public:
    explicit TextCollector(const HtmlDocument& doc, const HtmlContext* context = nullptr)
        : m_doc(doc), m_tags(tagTable()), m_context(context)
    {
        collectStyleSheets();
    }

    Text run(Node root, size_t sizeHint)
    {
        // Most of a page's bytes are usually its text; UTF-8 takes one to three bytes
        // for each UTF-16 unit.
        m_out.reserve(sizeHint / 3);
        m_sheet.setBudget(std::size_t{4'000'000} + 16 * sizeHint);
        Context ctx;
        // The root's own style: white space and text-transform inherit from it. A hidden
        // <body> or <html> is shown all the same: pages that hide it until a script
        // reveals them would otherwise give no text at all.
        for (Node n : {m_doc.documentElement(), root}) {
            if (!n || HtmlDocument::kind(n) != HtmlNodeKind::Element)
                continue;
            InlineStyle s;
            InlineStyle important;
            if (!m_sheet.empty())
                m_sheet.match(m_doc, n, s, important);
            if (auto style = HtmlDocument::attribute(n, "style"))
                parseDeclarations(*style, s);
            s.mergeFrom(important);
            if (s.whiteSpace)
                ctx.whiteSpace = *s.whiteSpace;
            if (s.transform)
                ctx.transform = *s.transform;
            if (auto lang = HtmlDocument::attribute(n, "lang"))
                ctx.lang = *lang;
            ctx.blockifyChildren = s.display == Display::Flex || s.display == Display::InlineFlex;
        }
        m_stack.push_back(Frame{root, 0, HtmlDocument::childCount(root), ctx, {}, {}});
        walk();
        return std::move(m_out);
    }

private:
    struct Frame {
        Node node;
        size_t next;
        size_t count;
        Context ctx;  // for the children
        Box box;
        // Exit actions.
        struct {
            std::uint8_t breaks = 0;
            bool blockLevel = false;
            bool atomic = false;
            bool cell = false;
            bool row = false;
            bool sawSummary = false;
        } on;
    };

    void walk()
    {
        while (!m_stack.empty()) {
            Frame& f = m_stack.back();
            if (f.next == f.count) {
                leave(f);
                m_stack.pop_back();
                continue;
            }
            const Node c = HtmlDocument::child(f.node, f.next++);
            switch (HtmlDocument::kind(c)) {
            case HtmlNodeKind::Element:
                enter(c, f);  // may grow the stack: f is not used after this
                break;
            case HtmlNodeKind::Whitespace:
                if (f.ctx.tableWrapper)
                    break;
                [[fallthrough]];
            case HtmlNodeKind::Text:
            case HtmlNodeKind::CData:
                if (f.ctx.visible && f.ctx.filter == ChildFilter::All && (!f.ctx.svg || f.ctx.svgText)) {
                    if (f.ctx.transform == Transform::None)
                        text(HtmlDocument::text(c), f.ctx.whiteSpace);
                    else
                        text(transformed(HtmlDocument::text(c), f.ctx.transform, f.ctx.lang), f.ctx.whiteSpace);
                }
                break;
            default:
                break;
            }
        }
    }

    // The locale whose case rules apply to a `lang` value. Case mapping depends on the
    // language alone, so only the primary subtag (at most 8 letters) is read, and one
    // locale is made per distinct language: a long `lang` value costs nothing per text.
    const icu::Locale& localeFor(std::string_view lang)
    {
        std::string language;
        for (char c : lang) {
            if (!isAsciiAlpha(c) || language.size() == 8)
                break;
            language.push_back(toLowerAscii(c));
        }
        auto it = m_locales.find(language);
        if (it == m_locales.end())
            it = m_locales.emplace(language, icu::Locale(language.c_str())).first;
        return it->second;
    }

    // The text after text-transform, with the case rules of the element's language.
    std::string transformed(std::string_view utf8, Transform transform, std::string_view lang)
    {
        icu::UnicodeString u = icu::UnicodeString::fromUTF8(
            icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
        const icu::Locale& locale = localeFor(lang);
        if (transform == Transform::Upper) {
            u.toUpper(locale);
        } else if (transform == Transform::Lower) {
            u.toLower(locale);
        } else {
            // Capitalize: the first letter of every word in title case.
            bool wordStart = true;
            icu::UnicodeString out;
            for (int32_t i = 0; i < u.length();) {
                const UChar32 c = u.char32At(i);
                i += U16_LENGTH(c);
                if (u_isalpha(c) || u_isdigit(c)) {
                    out.append(wordStart ? u_totitle(c) : c);
                    wordStart = false;
                } else {
                    out.append(c);
                    wordStart = u_isspace(c) || c == 0xA0;
                }
            }
            u = out;
        }
        std::string result;
        u.toUTF8String(result);
        return result;
    }

    const TagInfo& info(Node n, std::string_view& name, TagInfo& scratch) const
    {
        const int code = HtmlDocument::tagCode(n);
        if (code != HtmlDocument::unknownTag) {
            name = HtmlDocument::tagNameOfCode(code);
            return m_tags[static_cast<size_t>(code)];
        }
        name = m_doc.tagName(n);
        scratch = TagInfo{};
        return scratch;
    }

    // Resolves the box of element `n` whose parent's children context is `parent`.
    // Returns nothing when the element gets no box at all (display: none, filtered).
    std::optional<Box> resolve(Node n, const Context& parent, bool* isSummary = nullptr) const
    {
        std::string_view name;
        TagInfo scratch;
        const HtmlNamespace ns = HtmlDocument::ns(n);
        const TagInfo& t = ns == HtmlNamespace::Html ? info(n, name, scratch) : scratch;
        if (ns != HtmlNamespace::Html)
            name = m_doc.tagName(n);
        if (isSummary)
            *isSummary = ns == HtmlNamespace::Html && name == "summary";

        switch (parent.filter) {
        case ChildFilter::All:
        case ChildFilter::SvgText:
            break;
        case ChildFilter::OptionsAndGroups:
            if (name != "option" && name != "optgroup")
                return std::nullopt;
            break;
        case ChildFilter::Options:
            if (name != "option")
                return std::nullopt;
            break;
        case ChildFilter::Summary:
            if (name != "summary")
                return std::nullopt;
            break;
        }

        Box box;
        box.visible = parent.visible;
        box.whiteSpace = parent.whiteSpace;
        box.transform = parent.transform;
        box.lang = parent.lang;
        if (auto lang = HtmlDocument::attribute(n, "lang"))
            box.lang = *lang;
        if (ns == HtmlNamespace::Svg || (parent.svg && ns != HtmlNamespace::Html)) {
            if (!svgRenders(name))
                return std::nullopt;
            box.svg = name != "foreignobject";
            box.svgText = parent.svgText || svgIsText(name);
            // The <svg> element itself is an atomic inline box; its parts are inline.
            box.display = name == "svg" && !parent.svg ? Display::InlineBlock : Display::Inline;
            box.filter = box.svgText || !box.svg ? ChildFilter::All : ChildFilter::SvgText;
        } else {
            if (t.skip)
                return std::nullopt;
            box.display = t.display;
            box.replaced = t.replaced;
            box.paragraph = t.paragraph && ns == HtmlNamespace::Html;
            box.lineBreak = t.lineBreak;
            if (t.whiteSpace >= 0)
                box.whiteSpace = static_cast<WhiteSpace>(t.whiteSpace);
            if (ns == HtmlNamespace::Html) {
                if (HtmlDocument::attribute(n, "hidden"))
                    box.display = Display::None;
                if (name == "input") {
                    if (auto type = HtmlDocument::attribute(n, "type"); type && equalsNoCaseAscii(*type, "hidden"))
                        box.display = Display::None;
                } else if (name == "dialog") {
                    if (!HtmlDocument::attribute(n, "open"))
                        box.display = Display::None;
                } else if (name == "select") {
                    box.filter = ChildFilter::OptionsAndGroups;
                } else if (name == "optgroup") {
                    box.filter = ChildFilter::Options;
                } else if (name == "details") {
                    if (!HtmlDocument::attribute(n, "open"))
                        box.filter = ChildFilter::Summary;
                } else if (name == "audio") {
                    if (!HtmlDocument::attribute(n, "controls"))
                        box.display = Display::None;
                } else if ((name == "td" || name == "th") && HtmlDocument::attribute(n, "nowrap")) {
                    box.whiteSpace = WhiteSpace::Nowrap;
                }
            }
        }
        // Style sheet rules, then the style attribute, then !important sheet rules.
        InlineStyle s;
        InlineStyle important;
        if (!m_sheet.empty() && ns == HtmlNamespace::Html)
            m_sheet.match(m_doc, n, s, important);
        if (auto style = HtmlDocument::attribute(n, "style"))
            parseDeclarations(*style, s);
        s.mergeFrom(important);
        if (s.display)
            box.display = *s.display;
        if (s.visible)
            box.visible = *s.visible;
        if (s.whiteSpace)
            box.whiteSpace = *s.whiteSpace;
        if (s.transform)
            box.transform = *s.transform;
        const bool outOfFlow = s.outOfFlow();
        if (box.display == Display::None)
            return std::nullopt;
        if ((outOfFlow || parent.blockifyChildren) && box.display != Display::Contents)
            box.display = blockified(box.display);
        return box;
    }

    void enter(Node n, Frame& parentFrame)
    {
        bool isSummary = false;
        std::optional<Box> resolved = resolve(n, parentFrame.ctx, &isSummary);
        if (parentFrame.ctx.filter == ChildFilter::Summary) {
            if (!resolved || parentFrame.on.sawSummary)
                return;
            parentFrame.on.sawSummary = true;
        }
        if (!resolved)
            return;
        const Box box = *resolved;
        const Context parentCtx = parentFrame.ctx;

        if (box.lineBreak) {
            if (box.visible)
                lineFeed();
            return;
        }
        const bool blockLevel = isBlockLevel(box.display);
        std::uint8_t breaks = 0;
        if (box.visible && box.display != Display::Contents) {
            if (box.paragraph)
                breaks = 2;
            else if (blockLevel)
                breaks = 1;
        }
        if (breaks)
            requireBreaks(breaks);
        else if (blockLevel)
            lineBoundary();

        const bool atomic = !blockLevel && (box.replaced || isAtomicInline(box.display));
        if (atomic)
            atomicBoundary();
        if (box.replaced) {
            // Replaced content (images, form controls, embedded documents) gives no text.
            if (breaks)
                requireBreaks(breaks);
            else if (blockLevel)
                lineBoundary();
            return;
        }

        Frame f{n, 0, HtmlDocument::childCount(n), parentCtx, box, {}};
        f.ctx.visible = box.visible;
        f.ctx.whiteSpace = box.whiteSpace;
        f.ctx.transform = box.transform;
        f.ctx.lang = box.lang;
        f.ctx.filter = box.filter;
        f.ctx.svg = box.svg;
        f.ctx.svgText = box.svgText;
        if (box.display != Display::Contents) {
            f.ctx.blockifyChildren = box.display == Display::Flex || box.display == Display::InlineFlex;
            f.ctx.tableWrapper = box.display == Display::Table || box.display == Display::InlineTable ||
                                 box.display == Display::TableRowGroup || box.display == Display::TableRow ||
                                 box.display == Display::TableColumn;
        }
        if (box.display == Display::TableColumn) {
            f.count = 0;  // columns hold no content boxes
        }
        f.on.breaks = breaks;
        f.on.blockLevel = blockLevel;
        f.on.atomic = atomic;
        f.on.cell = box.display == Display::TableCell;
        f.on.row = box.display == Display::TableRow;
        if (f.on.cell || f.on.atomic)
            lineBoundary();
        m_stack.push_back(f);
    }

    void leave(const Frame& f)
    {
        if (f.on.atomic) {
            m_pendingSpace = false;
            m_lineStart = false;
        }
        if (f.on.cell) {
            lineBoundary();
            if (f.box.visible && hasLaterSibling(f.node, Display::TableCell))
                emit(u"\t");
        }
        if (f.on.row) {
            lineBoundary();
            if (f.box.visible && !isLastRow(f.node))
                lineFeed();
        }
        if (f.on.breaks)
            requireBreaks(f.on.breaks);
        else if (f.on.blockLevel)
            lineBoundary();
    }

    // Whether an element after `n` among its siblings gets a box of kind `d`.
    bool hasLaterSibling(Node n, Display d) const
    {
        const Node parent = HtmlDocument::parent(n);
        if (!parent)
            return false;
        const size_t count = HtmlDocument::childCount(parent);
        const Context plain;
        for (size_t i = HtmlDocument::indexInParent(n) + 1; i < count; ++i) {
            const Node c = HtmlDocument::child(parent, i);
            if (HtmlDocument::kind(c) != HtmlNodeKind::Element)
                continue;
            if (auto box = resolve(c, plain); box && box->display == d)
                return true;
        }
        return false;
    }

    // Whether `row` is the last row of its table: no later row beside it, nor in a
    // later row group of the same table.
    bool isLastRow(Node row) const
    {
        if (hasLaterSibling(row, Display::TableRow))
            return false;
        const Node group = HtmlDocument::parent(row);
        if (!group || HtmlDocument::kind(group) != HtmlNodeKind::Element)
            return true;
        const Context plain;
        const auto groupBox = resolve(group, plain);
        if (!groupBox || groupBox->display != Display::TableRowGroup)
            return true;
        const Node table = HtmlDocument::parent(group);
        if (!table)
            return true;
        const size_t count = HtmlDocument::childCount(table);
        for (size_t i = HtmlDocument::indexInParent(group) + 1; i < count; ++i) {
            const Node g = HtmlDocument::child(table, i);
            if (HtmlDocument::kind(g) != HtmlNodeKind::Element)
                continue;
            const auto box = resolve(g, plain);
            if (!box || box->display != Display::TableRowGroup)
                continue;
            const size_t rows = HtmlDocument::childCount(g);
            for (size_t r = 0; r < rows; ++r) {
                const Node c = HtmlDocument::child(g, r);
                if (HtmlDocument::kind(c) != HtmlNodeKind::Element)
                    continue;
                if (auto rb = resolve(c, plain); rb && rb->display == Display::TableRow)
                    return false;
            }
        }
        return true;
    }

    // --- The list of strings and required line break counts, built as it goes. ---

    // A required line break count: runs of them merge to their largest, and those at the
    // start and at the end of the text are dropped.
    void requireBreaks(std::uint8_t count)
    {
        m_pendingBreaks = std::max(m_pendingBreaks, count);
        lineBoundary();
    }

    // The start or end of a line box: pending collapsible spaces are dropped, and
    // spaces that follow are at the start of a line.
    void lineBoundary()
    {
        m_pendingSpace = false;
        m_lineStart = true;
    }

    // An atomic inline box: a space before it is kept, and spaces after it are not at
    // the start of a line.
    void atomicBoundary()
    {
        if (m_pendingSpace)
            emit(u" ");
        m_pendingSpace = false;
        m_lineStart = false;
    }

    void lineFeed()
    {
        m_pendingSpace = false;
        emit(u"\n");
        m_lineStart = true;
    }

    // Starts a non-empty string: required line breaks before it become line feeds.
    void beginString()
    {
        if (m_pendingBreaks) {
            if (!m_out.empty())
                for (int i = 0; i < m_pendingBreaks; ++i)
                    m_out += u"\r\n";
            m_pendingBreaks = 0;
        }
    }

    void emit(std::u16string_view s)
    {
        beginString();
        for (char16_t c : s) {
            if (c == u'\n')
                m_out += u"\r\n";
            else
                m_out.push_back(c);
        }
    }

    void flushSpace()
    {
        if (m_pendingSpace) {
            m_pendingSpace = false;
            m_out.push_back(u' ');
        }
    }

    // A text node's text after the white-space processing rules.
    void text(std::string_view s, WhiteSpace ws)
    {
        if (s.empty())
            return;
        const bool preserve = ws == WhiteSpace::Pre || ws == WhiteSpace::PreWrap || ws == WhiteSpace::BreakSpaces;
        const bool keepLineFeeds = preserve || ws == WhiteSpace::PreLine;
        size_t i = 0;
        while (i < s.size()) {
            const char c = s[i];
            if (c == '\n' || c == '\r') {
                // The parser has turned CR LF and CR into LF already; a CR from a
                // character reference counts as a line break as well.
                ++i;
                if (c == '\r' && i < s.size() && s[i] == '\n')
                    ++i;
                if (keepLineFeeds) {
                    if (preserve && m_pendingSpace) {
                        beginString();
                        flushSpace();
                    }
                    lineFeed();
                } else if (!m_lineStart) {
                    m_pendingSpace = true;
                }
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\f') {
                ++i;
                if (preserve) {
                    beginString();
                    flushSpace();
                    m_out.push_back(static_cast<char16_t>(c == '\f' ? ' ' : c));
                    m_lineStart = false;
                } else if (!m_lineStart) {
                    m_pendingSpace = true;
                }
                continue;
            }
            beginString();
            flushSpace();
            // A run of characters that are not white space.
            size_t end = i;
            while (end < s.size() && !isAsciiSpace(s[end]))
                ++end;
            const size_t from = m_out.size();
            appendUtf8(m_out, s.substr(i, end - i));
            for (size_t k = from; k < m_out.size(); ++k) {
                if (m_out[k] == 0xA0)
                    m_out[k] = u' ';  // a browser's plain-text copy gives a plain space
                else if (m_out[k] == 0)
                    m_out[k] = 0xFFFD;  // a NUL in the parser's text stands for a character
                                        // reference out of Unicode's range
            }
            i = end;
            m_lineStart = false;
        }
    }

    // Reads every <style> element of the page (CSS, for screens) into the style sheet.
    void collectStyleSheets()
    {
        std::vector<Node> stack{m_doc.documentNode()};
        while (!stack.empty()) {
            const Node n = stack.back();
            stack.pop_back();
            if (HtmlDocument::kind(n) != HtmlNodeKind::Element && HtmlDocument::kind(n) != HtmlNodeKind::Document)
                continue;
            if (HtmlDocument::kind(n) == HtmlNodeKind::Element && HtmlDocument::ns(n) == HtmlNamespace::Html &&
                m_doc.tagName(n) == "style") {
                const auto type = HtmlDocument::attribute(n, "type");
                const auto media = HtmlDocument::attribute(n, "media");
                if ((!type || trimAscii(*type).empty() || equalsNoCaseAscii(trimAscii(*type), "text/css")) &&
                    (!media || mediaApplies(*media))) {
                    for (size_t i = 0; i < HtmlDocument::childCount(n); ++i) {
                        const Node t = HtmlDocument::child(n, i);
                        if (HtmlDocument::kind(t) == HtmlNodeKind::Text || HtmlDocument::kind(t) == HtmlNodeKind::Whitespace)
                            m_sheet.addSheet(HtmlDocument::text(t));
                    }
                }
                continue;
            }
            if (m_context && m_context->linkedStyleSheet && HtmlDocument::kind(n) == HtmlNodeKind::Element &&
                HtmlDocument::ns(n) == HtmlNamespace::Html && m_doc.tagName(n) == "link") {
                addLinkedStyleSheet(n);
                continue;
            }
            // Children pushed last first, so sheets are read in document order.
            for (size_t i = HtmlDocument::childCount(n); i-- > 0;)
                stack.push_back(HtmlDocument::child(n, i));
        }
    }

    // A <link rel="stylesheet"> whose sheet the container holds (not an alternate sheet,
    // which a browser leaves off until the reader picks it).
    void addLinkedStyleSheet(Node n)
    {
        const auto rel = HtmlDocument::attribute(n, "rel");
        const auto href = HtmlDocument::attribute(n, "href");
        const auto media = HtmlDocument::attribute(n, "media");
        if (!rel || !href || (media && !mediaApplies(*media)))
            return;
        bool sheet = false, alternate = false;
        std::string_view list = *rel;
        while (!list.empty()) {
            size_t start = 0;
            while (start < list.size() && isAsciiSpace(list[start]))
                ++start;
            size_t end = start;
            while (end < list.size() && !isAsciiSpace(list[end]))
                ++end;
            sheet = sheet || equalsNoCaseAscii(list.substr(start, end - start), "stylesheet");
            alternate = alternate || equalsNoCaseAscii(list.substr(start, end - start), "alternate");
            list.remove_prefix(end);
        }
        if (sheet && !alternate)
            if (const auto css = m_context->linkedStyleSheet(trimAscii(*href)))
                m_sheet.addSheet(*css);
    }

    const HtmlDocument& m_doc;
    const std::vector<TagInfo>& m_tags;
    const HtmlContext* m_context = nullptr;
    std::unordered_map<std::string, icu::Locale> m_locales;  // by language subtag
    StyleSheet m_sheet;
    std::vector<Frame> m_stack;
    Text m_out;
    std::uint8_t m_pendingBreaks = 0;
    bool m_pendingSpace = false;
    bool m_lineStart = true;
};

}  // namespace

Text renderHtmlUtf8(std::string_view utf8)
{
    const HtmlDocument doc(utf8);
    HtmlDocument::Node root = doc.body();
    if (!root)
        root = doc.documentElement();
    if (!root)
        return {};
    return TextCollector(doc).run(root, utf8.size());
}

Text renderHtml(std::string_view bytes, const HtmlContext& context)
{
    DocumentEncoding encoding = detectEncoding(bytes);
    if (encoding.source != DocumentEncoding::Source::Bom) {
        std::optional<std::string> chosen;
        if (!context.declaredEncoding.empty())
            chosen = encodingForLabel(context.declaredEncoding);
        if (!chosen && encoding.source != DocumentEncoding::Source::Meta && !context.fallbackEncoding.empty())
            chosen = encodingForLabel(context.fallbackEncoding);
        if (chosen) {
            encoding.name = *chosen;
            encoding.source = DocumentEncoding::Source::Meta;
        }
    }
    const std::string decoded = encoding.name == "UTF-8" ? std::string() : decodeDocumentToUtf8(bytes, encoding);
    const std::string_view utf8 = encoding.name == "UTF-8" ? bytes.substr(encoding.bomLength) : std::string_view(decoded);
    const HtmlDocument doc(utf8);
    HtmlDocument::Node root = doc.body();
    if (!root)
        root = doc.documentElement();
    if (!root)
        return {};
    return TextCollector(doc, &context).run(root, utf8.size());
}

Text renderHtml(std::string&& bytes)
{
    const DocumentEncoding encoding = detectEncoding(bytes);
    if (encoding.name == "UTF-8")
        return renderHtmlUtf8(std::string_view(bytes).substr(encoding.bomLength));
    const std::string utf8 = decodeDocumentToUtf8(bytes, encoding);
    std::string().swap(bytes);  // the undecoded bytes are no longer needed
    return renderHtmlUtf8(utf8);
}

Text renderHtml(std::string_view bytes)
{
    const DocumentEncoding encoding = detectEncoding(bytes);
    if (encoding.name == "UTF-8")
        return renderHtmlUtf8(bytes.substr(encoding.bomLength));
    const std::string utf8 = decodeDocumentToUtf8(bytes, encoding);
    return renderHtmlUtf8(utf8);
}

}  // namespace sorvane
