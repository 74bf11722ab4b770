#include "engine/render/style_sheet.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "common/ascii.h"

namespace sorvane {
namespace {

using Node = HtmlDocument::Node;

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

// The sheet with each comment replaced by a space; a comment left open ends the sheet.
std::string withoutComments(std::string_view css)
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

// One past the '}' that closes the block whose '{' is at `open`, or the end of the
// sheet when the block is left open.
size_t blockEnd(std::string_view s, size_t open)
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

// A character of a type, class or id name; escapes are not read.
bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
}  // namespace

bool StyleDeclarations::empty() const
{
    return !display && !visible && !whiteSpace && !transform && !floated && !positioned;
}

void StyleDeclarations::mergeFrom(const StyleDeclarations& o)
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

void parseDeclarations(std::string_view text, StyleDeclarations& normal, StyleDeclarations* important)
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
        StyleDeclarations& into = isImportant && important ? *important : normal;
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

// Media types only: empty, "all" or "screen" (with "only") apply; a query with a
// condition is taken not to, as the width and features of a page are unknown here.
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

// Rules are read as far as they decide what text is shown. Names match without regard
// to case, as they do in the quirks mode most old pages are in.
void StyleSheet::addSheet(std::string_view css)
{
    parseRules(withoutComments(css));
}

// Reads the rules of a sheet in one pass without recursion: a block of an
// @media rule that applies is read in place, its '}' only lowering the count of
// open @media blocks, so any depth of nesting costs no stack and no re-reading.
// Every other block is skipped once, to its matching '}'.
void StyleSheet::parseRules(std::string_view s)
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

void StyleSheet::addRule(std::string_view selectors, std::string_view declarations)
{
    StyleDeclarations normal, important;
    parseDeclarations(declarations, normal, &important);
    if (normal.empty() && important.empty())
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

bool StyleSheet::parseSelector(std::string_view s, Rule& rule)
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

void StyleSheet::index(Rule&& rule)
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

void StyleSheet::addCandidates(const Index& map, const std::string& key) const
{
    const auto it = map.find(key);
    if (it != map.end())
        m_candidates.insert(m_candidates.end(), it->second.begin(), it->second.end());
}

// Rules are indexed by the id, first class or tag of their last compound, so an element
// tries only the rules that could match it; each rule tried, element visited and class
// name compared counts against the budget.
void StyleSheet::match(const HtmlDocument& doc, Node n, StyleDeclarations& normal, StyleDeclarations& important) const
{
    if (m_steps > m_budget)
        return;
    m_candidates.clear();
    addCandidates(m_byTag, toLowerAscii(doc.tagName(n)));
    m_candidates.insert(m_candidates.end(), m_universal.begin(), m_universal.end());
    if (auto id = HtmlDocument::attribute(n, "id"))
        addCandidates(m_byId, toLowerAscii(trimAscii(*id)));
    if (auto cls = HtmlDocument::attribute(n, "class"))
        for (std::string_view list = *cls; !list.empty();)
            if (const std::string_view one = nextAsciiToken(list); !one.empty())
                addCandidates(m_byClass, toLowerAscii(one));
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
    // Rules are numbered in order of appearance; a stable sort by specificity keeps that
    // order among equals.
    std::stable_sort(m_matched.begin(), m_matched.end(),
                     [&](size_t a, size_t b) { return m_rules[a].specificity < m_rules[b].specificity; });
    for (size_t i : m_matched) {
        normal.mergeFrom(m_rules[i].normal);
        important.mergeFrom(m_rules[i].important);
    }
}

// Whether the class list holds `cls`. Every name compared counts against the budget,
// checked before each comparison: a compound of many classes against an element of
// many classes costs their product, whatever the number of rules.
bool StyleSheet::hasClass(std::string_view list, std::string_view cls) const
{
    while (!list.empty()) {
        const std::string_view one = nextAsciiToken(list);
        if (one.empty())
            break;
        if (++m_steps > m_budget)
            return false;
        ++m_classComparisons;
        if (equalsNoCaseAscii(one, cls))
            return true;
    }
    return false;
}

bool StyleSheet::matchesCompound(const HtmlDocument& doc, Node n, const Compound& c) const
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
bool StyleSheet::matches(const HtmlDocument& doc, Node n, const std::vector<Compound>& sel) const
{
    if (!matchesCompound(doc, n, sel.back()))
        return false;
    Node at = n;
    for (size_t k = sel.size() - 1; k-- > 0;) {
        const bool child = sel[k + 1].child;
        Node p = HtmlDocument::parent(at);
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
}  // namespace sorvane
