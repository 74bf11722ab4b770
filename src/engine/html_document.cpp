// The only file that includes the HTML parser's header.
#include "engine/html_document.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

namespace sorvane {

struct HtmlDocument::Impl {
    GumboOutput* output = nullptr;
    std::string flattened;  // the markup the parser saw, when it had to be rewritten
};

namespace {

const GumboNode* asGumbo(HtmlDocument::Node node)
{
    return static_cast<const GumboNode*>(node);
}

const GumboVector* childrenOf(const GumboNode* node)
{
    switch (node->type) {
    case GUMBO_NODE_DOCUMENT:
        return &node->v.document.children;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        return &node->v.element.children;
    default:
        return nullptr;
    }
}

}  // namespace


namespace {

bool inList(std::string_view name, std::initializer_list<std::string_view> list)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

bool isVoid(std::string_view n)
{
    return inList(n, {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image",
                      "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

bool isRawText(std::string_view n)
{
    return inList(n, {"script", "style", "xmp", "iframe", "noembed", "noframes", "title", "textarea"});
}

bool closesParagraph(std::string_view n)
{
    return inList(n, {"address", "article", "aside", "blockquote", "center", "details", "dialog", "dir",
                      "div", "dl", "fieldset", "figcaption", "figure", "footer", "header", "hgroup", "main",
                      "menu", "nav", "ol", "p", "search", "section", "summary", "ul", "h1", "h2", "h3", "h4",
                      "h5", "h6", "pre", "listing", "form", "li", "dd", "dt", "plaintext", "table", "hr",
                      "xmp"});
}

bool isScopeBoundary(std::string_view n)
{
    return inList(n, {"applet", "caption", "html", "table", "td", "th", "marquee", "object", "template",
                      "foreignobject", "desc", "title", "mi", "mo", "mn", "ms", "mtext", "annotation-xml"});
}

bool isFormatting(std::string_view n)
{
    return inList(n, {"a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong",
                      "tt", "u"});
}

bool isSpecial(std::string_view n)
{
    return isScopeBoundary(n) || isVoid(n) || closesParagraph(n) ||
           inList(n, {"body", "button", "colgroup", "frameset", "head", "iframe", "noembed", "noframes",
                      "noscript", "script", "select", "style", "tbody", "textarea", "tfoot", "thead",
                      "tr"});
}

bool breaksOutOfForeign(std::string_view n)
{
    return inList(n, {"b", "big", "blockquote", "body", "br", "center", "code", "dd", "div", "dl", "dt",
                      "em", "embed", "h1", "h2", "h3", "h4", "h5", "h6", "head", "hr", "i", "img", "li",
                      "listing", "menu", "meta", "nobr", "ol", "p", "pre", "ruby", "s", "small", "span",
                      "strong", "strike", "sub", "sup", "table", "tt", "u", "ul", "var"});
}

bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool matchesNoCase(std::string_view s, size_t pos, std::string_view lower)
{
    if (pos + lower.size() > s.size())
        return false;
    for (size_t i = 0; i < lower.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[pos + i])) != lower[i])
            return false;
    return true;
}

class NestingLimiter {
public:
    NestingLimiter(std::string_view s, int maxDepth) : m_s(s), m_max(static_cast<size_t>(std::max(maxDepth, 1))) {}

    std::optional<std::string> run()
    {
        size_t pos = 0;
        const size_t n = m_s.size();
        while (pos < n) {
            const void* lt = std::memchr(m_s.data() + pos, '<', n - pos);
            if (!lt)
                break;
            pos = static_cast<size_t>(static_cast<const char*>(lt) - m_s.data());
            pos = tag(pos);
        }
        if (!m_rewritten)
            return std::nullopt;
        m_out.append(m_s.substr(m_copied));
        return std::move(m_out);
    }

private:
    struct Open {
        std::string name;
        bool foreign = false;
        std::vector<std::string> dropEnds;  // end tags still to come for closed siblings
    };

    // Handles the markup at `pos` (a '<'); returns where scanning goes on.
    size_t tag(size_t pos)
    {
        const size_t n = m_s.size();
        if (m_s.compare(pos, 4, "<!--") == 0) {
            if (pos + 4 < n && m_s[pos + 4] == '>')
                return pos + 5;
            if (m_s.compare(pos + 4, 2, "->") == 0)
                return pos + 6;
            size_t end = m_s.find("--", pos + 4);
            while (end != std::string_view::npos) {
                if (end + 2 < n && m_s[end + 2] == '>')
                    return end + 3;
                if (m_s.compare(end + 2, 2, "!>") == 0)
                    return end + 4;
                end = m_s.find("--", end + 1);
            }
            return n;
        }
        if (inForeign() && m_s.compare(pos, 9, "<![CDATA[") == 0) {
            const size_t end = m_s.find("]]>", pos + 9);
            return end == std::string_view::npos ? n : end + 3;
        }
        if (pos + 1 >= n)
            return n;
        const char next = m_s[pos + 1];
        if (next == '!' || next == '?' || (next == '/' && (pos + 2 >= n || !isLetter(m_s[pos + 2])))) {
            const size_t end = m_s.find('>', pos + 1);
            return end == std::string_view::npos ? n : end + 1;
        }
        const bool endTag = next == '/';
        const size_t nameStart = pos + (endTag ? 2 : 1);
        if (!isLetter(m_s[nameStart]))
            return pos + 1;
        size_t i = nameStart;
        std::string name;
        while (i < n && !isAsciiSpace(m_s[i]) && m_s[i] != '/' && m_s[i] != '>') {
            name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(m_s[i]))));
            ++i;
        }
        // Attributes: quoted values may hold '>'.
        const size_t attributesStart = i;
        bool selfClosing = false;
        while (i < n && m_s[i] != '>') {
            const char c = m_s[i];
            if (c == '=') {
                ++i;
                while (i < n && isAsciiSpace(m_s[i]))
                    ++i;
                if (i < n && (m_s[i] == '"' || m_s[i] == '\'')) {
                    const size_t close = m_s.find(m_s[i], i + 1);
                    i = close == std::string_view::npos ? n : close + 1;
                }
                selfClosing = false;
                continue;
            }
            selfClosing = c == '/';
            ++i;
        }
        if (i >= n)
            return n;  // a tag cut off at the end is dropped by the tokenizer
        const size_t after = i + 1;
        if (endTag)
            return endTagSeen(pos, after, name);
        return startTagSeen(pos, after, name, m_s.substr(attributesStart, i - attributesStart), selfClosing);
    }

    bool inForeign() const { return !m_stack.empty() && m_stack.back().foreign; }

    static bool integrationPoint(const Open& o)
    {
        return o.foreign && inList(o.name, {"foreignobject", "desc", "title", "mi", "mo", "mn", "ms", "mtext",
                                            "annotation-xml"});
    }

    static bool isMarker(std::string_view n)
    {
        return inList(n, {"td", "th", "caption", "applet", "object", "marquee", "template"});
    }

    // Pops the open elements above index k and k itself.
    void popTo(size_t k)
    {
        for (size_t j = k; j < m_stack.size(); ++j) {
            if (!m_stack[j].foreign && isMarker(m_stack[j].name) && !m_markers.empty()) {
                m_formatting.resize(std::min(m_formatting.size(), m_markers.back()));
                m_markers.pop_back();
            }
        }
        m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(k), m_stack.end());
    }

    size_t formattingSinceMarker() const
    {
        return m_formatting.size() - (m_markers.empty() ? 0 : m_markers.back());
    }

    void removeLastFormatting(std::string_view name)
    {
        const size_t from = m_markers.empty() ? 0 : m_markers.back();
        for (size_t j = m_formatting.size(); j-- > from;) {
            if (std::string_view(m_formatting[j]).substr(0, m_formatting[j].find(' ')) == name) {
                m_formatting.erase(m_formatting.begin() + static_cast<std::ptrdiff_t>(j));
                return;
            }
        }
    }

    // Models the list of active formatting elements, which the tree builder re-opens
    // (clones) inside every new block: the list is kept short so that a long run of
    // different unclosed formatting elements cannot multiply the tree. Returns false
    // when the start tag is to be dropped.
    bool addFormatting(const std::string& name, std::string_view attributes)
    {
        while (!attributes.empty() && (isAsciiSpace(attributes.back()) || attributes.back() == '/'))
            attributes.remove_suffix(1);
        std::string key = name + ' ';
        key.append(attributes);
        const size_t from = m_markers.empty() ? 0 : m_markers.back();
        // Three identical entries at most, the earliest giving way.
        size_t same = 0, earliest = 0;
        for (size_t j = m_formatting.size(); j-- > from;) {
            if (m_formatting[j] == key) {
                ++same;
                earliest = j;
            }
        }
        if (same >= 3)
            m_formatting.erase(m_formatting.begin() + static_cast<std::ptrdiff_t>(earliest));
        if (formattingSinceMarker() >= kMaxActiveFormatting)
            return false;
        m_formatting.push_back(std::move(key));
        return true;
    }

    static constexpr size_t kMaxActiveFormatting = 12;

    // Index of the nearest open element named `name` above any scope boundary.
    std::optional<size_t> inScope(std::string_view name, std::initializer_list<std::string_view> moreBoundaries = {})
    {
        for (size_t k = m_stack.size(); k-- > 0;) {
            const Open& o = m_stack[k];
            if (!o.foreign && o.name == name)
                return k;
            if (isScopeBoundary(o.name) || inList(o.name, moreBoundaries))
                return std::nullopt;
        }
        return std::nullopt;
    }

    void closeIfInScope(std::string_view name, std::initializer_list<std::string_view> moreBoundaries = {})
    {
        if (auto k = inScope(name, moreBoundaries))
            popTo(*k);
    }

    void impliedEnds(const std::string& name)
    {
        if (closesParagraph(name))
            closeIfInScope("p", {"button"});
        if (name == "li") {
            closeIfInScope("li", {"ol", "ul"});
        } else if (name == "dd" || name == "dt") {
            for (size_t k = m_stack.size(); k-- > 0;) {
                const std::string& o = m_stack[k].name;
                if (o == "dd" || o == "dt") {
                    popTo(k);
                    break;
                }
                if (isSpecial(o) && o != "address" && o != "div" && o != "p")
                    break;
            }
        } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
            const std::string& top = m_stack.empty() ? name : m_stack.back().name;
            if (m_stack.size() && top.size() == 2 && top[0] == 'h' && top[1] >= '1' && top[1] <= '6')
                m_stack.pop_back();
        } else if (name == "option" || name == "optgroup") {
            if (!m_stack.empty() && m_stack.back().name == "option")
                m_stack.pop_back();
            if (name == "optgroup" && !m_stack.empty() && m_stack.back().name == "optgroup")
                m_stack.pop_back();
        } else if (name == "td" || name == "th") {
            if (auto k = inScope("td"))
                popTo(*k);
            else if (auto h = inScope("th"))
                popTo(*h);
        } else if (name == "tr") {
            closeIfInScope("tr");
        } else if (name == "tbody" || name == "thead" || name == "tfoot") {
            for (const char* g : {"tbody", "thead", "tfoot"})
                closeIfInScope(g);
        } else if (name == "a" || name == "nobr" || name == "button") {
            closeIfInScope(name);
            if (name != "button")
                removeLastFormatting(name);
        }
    }

    size_t startTagSeen(size_t pos, size_t after, const std::string& name, std::string_view attributes,
                        bool selfClosing)
    {
        if (name == "html" || name == "head" || name == "body")
            return after;
        if (inForeign() && breaksOutOfForeign(name)) {
            while (!m_stack.empty() && m_stack.back().foreign && !integrationPoint(m_stack.back()))
                m_stack.pop_back();
        }
        const bool foreign = (inForeign() && !integrationPoint(m_stack.back())) || name == "svg" || name == "math";
        if (!foreign) {
            impliedEnds(name);
            if (isVoid(name))
                return after;
            if (name == "plaintext")
                return m_s.size();
            if (isFormatting(name) && !addFormatting(name, attributes)) {
                rewrite(pos, after, "");
                return after;
            }
            if (isMarker(name))
                m_markers.push_back(m_formatting.size());
        } else if (selfClosing) {
            return after;
        }
        if (m_stack.size() >= m_max) {
            // Too deep: close the innermost element so the new one becomes its sibling.
            Open closed = std::move(m_stack.back());
            m_stack.pop_back();
            std::string replacement = "</" + closed.name + ">";
            replacement.append(m_s.substr(pos, after - pos));
            rewrite(pos, after, replacement);
            Open opened{name, foreign, std::move(closed.dropEnds)};
            opened.dropEnds.push_back(std::move(closed.name));
            m_stack.push_back(std::move(opened));
        } else {
            m_stack.push_back(Open{name, foreign, {}});
        }
        if (!foreign && isRawText(name))
            return skipRawText(after, name);
        return after;
    }

    // Skips the content of a raw-text element up to its end tag (left for the scanner).
    size_t skipRawText(size_t pos, std::string_view name)
    {
        const size_t n = m_s.size();
        for (;;) {
            const size_t lt = m_s.find("</", pos);
            if (lt == std::string_view::npos)
                return n;
            const size_t end = lt + 2 + name.size();
            if (matchesNoCase(m_s, lt + 2, name) && (end >= n || isAsciiSpace(m_s[end]) || m_s[end] == '/' || m_s[end] == '>'))
                return lt;
            pos = lt + 2;
        }
    }

    size_t endTagSeen(size_t pos, size_t after, const std::string& name)
    {
        if (name == "html" || name == "head" || name == "body")
            return after;
        if (isFormatting(name))
            removeLastFormatting(name);
        if (!m_stack.empty() && !m_stack.back().dropEnds.empty() && m_stack.back().dropEnds.back() == name) {
            // The end tag of an element closed early to keep the depth limit.
            m_stack.back().dropEnds.pop_back();
            rewrite(pos, after, "");
            return after;
        }
        const bool special = isSpecial(name) || isFormatting(name);
        for (size_t k = m_stack.size(); k-- > 0;) {
            Open& o = m_stack[k];
            if (o.name == name) {
                std::vector<std::string> pending = std::move(o.dropEnds);
                popTo(k);
                if (!pending.empty() && !m_stack.empty()) {
                    auto& into = m_stack.back().dropEnds;
                    if (into.empty())
                        into = std::move(pending);
                    else
                        into.insert(into.end(), pending.begin(), pending.end());
                }
                break;
            }
            if (o.foreign)
                continue;
            if (special ? isScopeBoundary(o.name) : isSpecial(o.name))
                break;
        }
        return after;
    }

    // Replaces the markup [from, to) by `with` in the output.
    void rewrite(size_t from, size_t to, std::string_view with)
    {
        if (!m_rewritten) {
            m_rewritten = true;
            m_out.reserve(m_s.size() + m_s.size() / 8);
        }
        m_out.append(m_s.substr(m_copied, from - m_copied));
        m_out.append(with);
        m_copied = to;
    }

    std::string_view m_s;
    size_t m_max;
    std::vector<Open> m_stack;
    std::vector<std::string> m_formatting;  // "name attributes" of active formatting elements
    std::vector<size_t> m_markers;          // list sizes where markers were pushed
    bool m_rewritten = false;
    std::string m_out;
    size_t m_copied = 0;
};

}  // namespace

std::optional<std::string> limitNestingDepth(std::string_view utf8, int maxDepth)
{
    return NestingLimiter(utf8, maxDepth).run();
}

HtmlDocument::HtmlDocument(std::string_view utf8, int maxDepth) : m_impl(std::make_unique<Impl>())
{
    if (auto flattened = limitNestingDepth(utf8, maxDepth)) {
        m_impl->flattened = std::move(*flattened);
        utf8 = m_impl->flattened;
    }
    GumboOptions options = kGumboDefaultOptions;
    // With error recording on, every parse error keeps a copy of the stack of open
    // elements: deep or badly broken markup would take gigabytes.
    options.max_errors = 0;
    options.stop_on_first_error = false;
    m_impl->output = gumbo_parse_with_options(&options, utf8.data(), utf8.size());
}

HtmlDocument::~HtmlDocument()
{
    if (m_impl->output)
        gumbo_destroy_output(&kGumboDefaultOptions, m_impl->output);
}

HtmlDocument::Node HtmlDocument::documentNode() const
{
    return m_impl->output->document;
}

HtmlDocument::Node HtmlDocument::documentElement() const
{
    return m_impl->output->root;
}

HtmlDocument::Node HtmlDocument::body() const
{
    const GumboNode* root = m_impl->output->root;
    const GumboVector& children = root->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* c = static_cast<const GumboNode*>(children.data[i]);
        if (c->type == GUMBO_NODE_ELEMENT && c->v.element.tag == GUMBO_TAG_BODY)
            return c;
    }
    return nullptr;
}

HtmlNodeKind HtmlDocument::kind(Node node)
{
    switch (asGumbo(node)->type) {
    case GUMBO_NODE_DOCUMENT:
        return HtmlNodeKind::Document;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        return HtmlNodeKind::Element;
    case GUMBO_NODE_TEXT:
        return HtmlNodeKind::Text;
    case GUMBO_NODE_WHITESPACE:
        return HtmlNodeKind::Whitespace;
    case GUMBO_NODE_CDATA:
        return HtmlNodeKind::CData;
    case GUMBO_NODE_COMMENT:
        break;
    }
    return HtmlNodeKind::Comment;
}

std::size_t HtmlDocument::childCount(Node node)
{
    const GumboVector* v = childrenOf(asGumbo(node));
    return v ? v->length : 0;
}

HtmlDocument::Node HtmlDocument::child(Node node, std::size_t index)
{
    return childrenOf(asGumbo(node))->data[index];
}

HtmlDocument::Node HtmlDocument::parent(Node node)
{
    return asGumbo(node)->parent;
}

int HtmlDocument::tagCode(Node node)
{
    const GumboTag tag = asGumbo(node)->v.element.tag;
    return tag == GUMBO_TAG_UNKNOWN ? unknownTag : static_cast<int>(tag);
}

int HtmlDocument::tagCodeCount()
{
    return static_cast<int>(GUMBO_TAG_UNKNOWN);
}

std::string_view HtmlDocument::tagNameOfCode(int code)
{
    if (code < 0 || code >= tagCodeCount())
        return {};
    return gumbo_normalized_tagname(static_cast<GumboTag>(code));
}

std::string_view HtmlDocument::tagName(Node node) const
{
    const int code = tagCode(node);
    if (code != unknownTag)
        return tagNameOfCode(code);
    GumboStringPiece piece = asGumbo(node)->v.element.original_tag;
    if (!piece.data || piece.length == 0)
        return {};
    gumbo_tag_from_original_text(&piece);
    std::string name(piece.data, piece.length);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *m_unknownNames.insert(std::move(name)).first;
}

HtmlNamespace HtmlDocument::ns(Node node)
{
    switch (asGumbo(node)->v.element.tag_namespace) {
    case GUMBO_NAMESPACE_SVG:
        return HtmlNamespace::Svg;
    case GUMBO_NAMESPACE_MATHML:
        return HtmlNamespace::MathMl;
    case GUMBO_NAMESPACE_HTML:
        break;
    }
    return HtmlNamespace::Html;
}

std::optional<std::string_view> HtmlDocument::attribute(Node node, const char* name)
{
    const GumboAttribute* a = gumbo_get_attribute(&asGumbo(node)->v.element.attributes, name);
    if (!a)
        return std::nullopt;
    return std::string_view(a->value);
}

std::string_view HtmlDocument::text(Node node)
{
    return asGumbo(node)->v.text.text;
}

}  // namespace sorvane
