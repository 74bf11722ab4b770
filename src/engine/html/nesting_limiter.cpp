#include "engine/html/nesting_limiter.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/ascii.h"
#include "engine/html/markup_tokenizer.h"

namespace sorvane {
namespace {

// What the limiter needs to know about a tag name, as bits.
enum TagFlag : std::uint32_t {
    Void = 1u << 0,           // no end tag, never open
    RawText = 1u << 1,        // content is text up to the matching end tag
    ClosesP = 1u << 2,        // its start tag closes an open <p>
    ScopeBoundary = 1u << 3,  // "has an element in scope" stops here
    Formatting = 1u << 4,     // kept in the list of active formatting elements
    Special = 1u << 5,        // the tree builder's "special" category
    BreaksForeign = 1u << 6,  // its start tag leaves SVG / MathML content
    Marker = 1u << 7,         // pushes a marker on the list of active formatting elements
    Integration = 1u << 8,    // an SVG / MathML element whose content is HTML again
    Heading = 1u << 9,
    Ignored = 1u << 10,       // html, head, body: never counted
    NoReconstruct = 1u << 11, // its start tag does not re-open formatting elements
    TablePart = 1u << 12,     // closes a <select> inside a table
    NoFrameset = 1u << 13,    // its start tag rules out a frameset
    TableOnly = 1u << 14,     // a table part, ignored outside tables
};

struct TagKind {
    std::uint16_t id = 0;  // 0 for names not in the table
    std::uint32_t flags = 0;
};

const std::unordered_map<std::string_view, TagKind>& tagKinds()
{
    static const auto* table = [] {
        auto* t = new std::unordered_map<std::string_view, TagKind>;
        auto add = [&](std::initializer_list<std::string_view> names, std::uint32_t flag) {
            for (std::string_view n : names) {
                TagKind& k = (*t)[n];
                if (k.id == 0)
                    k.id = static_cast<std::uint16_t>(t->size());
                k.flags |= flag;
            }
        };
        add({"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image", "img", "input",
             "keygen", "link", "meta", "param", "source", "track", "wbr"},
            Void | Special);
        add({"script", "style", "xmp", "iframe", "noembed", "noframes", "title", "textarea"}, RawText);
        add({"address", "article", "aside", "blockquote", "center", "details", "dialog", "dir", "div", "dl",
             "fieldset", "figcaption", "figure", "footer", "header", "hgroup", "main", "menu", "nav", "ol", "p",
             "search", "section", "summary", "ul", "h1", "h2", "h3", "h4", "h5", "h6", "pre", "listing", "form",
             "li", "dd", "dt", "plaintext", "table", "hr", "xmp"},
            ClosesP | Special);
        add({"applet", "caption", "html", "table", "td", "th", "marquee", "object", "template"},
            ScopeBoundary | Special);
        add({"foreignobject", "desc", "title", "mi", "mo", "mn", "ms", "mtext", "annotation-xml"},
            ScopeBoundary | Integration | Special);
        add({"a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong", "tt", "u"},
            Formatting);
        add({"body", "button", "colgroup", "frameset", "head", "iframe", "noembed", "noframes", "noscript",
             "script", "select", "style", "tbody", "textarea", "tfoot", "thead", "tr", "title", "xmp"},
            Special);
        add({"b", "big", "blockquote", "body", "br", "center", "code", "dd", "div", "dl", "dt", "em", "embed",
             "h1", "h2", "h3", "h4", "h5", "h6", "head", "hr", "i", "img", "li", "listing", "menu", "meta", "nobr",
             "ol", "p", "pre", "ruby", "s", "small", "span", "strong", "strike", "sub", "sup", "table", "tt", "u",
             "ul", "var"},
            BreaksForeign);
        add({"td", "th", "caption", "applet", "marquee", "object", "template"}, Marker);
        add({"h1", "h2", "h3", "h4", "h5", "h6"}, Heading);
        add({"html", "head", "body"}, Ignored);
        // Start tags that go in without re-opening formatting elements: block-level and
        // head elements, table parts, raw-text elements other than <xmp>, ruby parts.
        add({"address", "article", "aside", "blockquote", "center", "details", "dialog", "dir", "div", "dl",
             "fieldset", "figcaption", "figure", "footer", "header", "hgroup", "main", "menu", "nav", "ol", "p",
             "search", "section", "summary", "ul", "h1", "h2", "h3", "h4", "h5", "h6", "pre", "listing", "form",
             "li", "dd", "dt", "plaintext", "table", "hr", "base", "basefont", "bgsound", "link", "meta",
             "noframes", "script", "style", "template", "title", "textarea", "iframe", "noembed", "param",
             "source", "track", "caption", "col", "colgroup", "frame", "frameset", "tbody", "td", "tfoot", "th",
             "thead", "tr", "rb", "rp", "rt", "rtc", "html", "head", "body"},
            NoReconstruct);
        add({"caption", "table", "tbody", "tfoot", "thead", "tr", "td", "th"}, TablePart);
        add({"caption", "col", "colgroup", "tbody", "tfoot", "thead", "tr", "td", "th"}, TableOnly);
        add({"pre", "listing", "li", "dd", "dt", "button", "applet", "marquee", "object", "table", "area", "br",
             "embed", "img", "image", "keygen", "wbr", "input", "hr", "textarea", "xmp", "iframe", "select"},
            NoFrameset);
        add({"option", "optgroup", "svg", "math", "mglyph", "malignmark", "input", "keygen"}, 0);
        return t;
    }();
    return *table;
}

TagKind kindOf(std::string_view name)
{
    const auto& table = tagKinds();
    const auto it = table.find(name);
    return it == table.end() ? TagKind{} : it->second;
}

std::uint16_t idOf(std::string_view name)
{
    return kindOf(name).id;
}

// Follows the tree builder's stack of open elements and list of active formatting
// elements well enough to know, for every start tag, how deep the new element would be,
// and to keep the list short. Where the tree builder's behaviour depends on more than is
// followed here, the model keeps elements open that the parser may close, never the
// other way round, so the depth it counts is never less than the parser's.
class NestingLimiter {
public:
    NestingLimiter(std::string_view s, int maxDepth, size_t maxNodes)
        : m_s(s), m_max(static_cast<size_t>(std::max(maxDepth, 1))), m_maxNodes(maxNodes),
          m_openCount(tagKinds().size() + 1, 0)
    {
        m_p = idOf("p");
        m_li = idOf("li");
        m_dd = idOf("dd");
        m_dt = idOf("dt");
        m_td = idOf("td");
        m_th = idOf("th");
        m_tr = idOf("tr");
        m_caption = idOf("caption");
        m_option = idOf("option");
        m_optgroup = idOf("optgroup");
        m_ol = idOf("ol");
        m_ul = idOf("ul");
        m_button = idOf("button");
        m_svg = idOf("svg");
        m_math = idOf("math");
        m_plaintext = idOf("plaintext");
        m_groups[0] = idOf("tbody");
        m_groups[1] = idOf("thead");
        m_groups[2] = idOf("tfoot");
        m_address = idOf("address");
        m_div = idOf("div");
        m_a = idOf("a");
        m_nobr = idOf("nobr");
        m_select = idOf("select");
        m_template = idOf("template");
        m_table = idOf("table");
        m_frameset = idOf("frameset");
        m_noframes = idOf("noframes");
        m_script = idOf("script");
        m_textarea = idOf("textarea");
        m_input = idOf("input");
        m_keygen = idOf("keygen");
        m_br = idOf("br");
        m_annotationXml = idOf("annotation-xml");
        m_mglyph = idOf("mglyph");
        m_malignmark = idOf("malignmark");
        m_onStack.push_back(0);  // no element has uid 0
    }

    LimitedMarkup run()
    {
        MarkupTokenizer tokenizer(m_s, kMaxAttributes);
        MarkupToken t;
        size_t textFrom = 0;  // where text may start (not inside raw text)
        LimitedMarkup result;
        while (tokenizer.next(t)) {
            if (m_templateDepth > 0) {
                skipTemplate(t);
                textFrom = t.end;
                continue;
            }
            // Past the node cap, the parser gets nothing more: the rest is cut off where
            // the tokenizer reads text, outside raw text.
            if (m_nodes >= m_maxNodes && !m_rawText) {
                rewrite(textFrom, m_s.size(), "");
                result.restFrom = textFrom;
                result.restInHiddenSvg = inHiddenSvg();
                break;
            }
            if (t.begin > textFrom) {
                characters(m_s.substr(textFrom, t.begin - textFrom));
                dataText(textFrom, t.begin, result);
            }
            textFrom = t.end;
            switch (t.kind) {
            case MarkupTokenKind::StartTag: {
                m_name = t.name;
                const bool bare = bareLineBreak(t);
                startTag(t, tokenizer);
                if (bare && m_copied <= t.begin)
                    dataLineBreak(t.begin, t.end, result);
                if (m_rawText)
                    textFrom = m_s.size();  // up to the end tag, the text is raw
                break;
            }
            case MarkupTokenKind::EndTag:
                m_name = t.name;
                endTag(t);
                break;
            case MarkupTokenKind::CData:
                characters(m_s.substr(t.contentBegin, t.contentEnd - t.contentBegin));
                cdata(t);
                break;
            case MarkupTokenKind::Comment:
                ++m_nodes;
                break;
            default:
                break;
            }
            if (m_rawText && t.kind == MarkupTokenKind::EndTag)
                m_rawText = false;
            tokenizer.setForeignContent(inForeign());
        }
        if (m_templateDepth > 0)
            rewrite(m_templateFrom, m_s.size(), "");  // an unclosed template holds the rest
        else if (result.restFrom == std::string_view::npos && textFrom < m_s.size())
            dataText(textFrom, m_s.size(), result);  // the text after the last tag
        if (m_rewritten) {
            m_out.append(m_s.substr(m_copied));
            result.markup = std::move(m_out);
        }
        return result;
    }

private:
    struct Open {
        Open(std::string n, TagKind k, bool f = false) : name(std::move(n)), kind(k), foreign(f) {}
        std::string name;
        TagKind kind;
        bool foreign = false;
        bool integration = false;  // an SVG / MathML element whose content is HTML
        bool textIntegration = false;  // a MathML text integration point
        std::uint32_t uid = 0;
        std::vector<std::string> dropEnds;  // end tags still to come for closed siblings
    };
    struct Entry {  // of the list of active formatting elements
        bool marker = false;
        std::string name;
        std::string key;  // name and attributes, for the "three of a kind" rule
        TagKind kind;
        std::uint32_t uid = 0;
    };

    // The parser, in a CDATA section inside a table in SVG or MathML, can fail an
    // internal check and abort. Its content is plain text, so it is handed over as
    // escaped text.
    void cdata(const MarkupToken& t)
    {
        const std::string_view content = m_s.substr(t.contentBegin, t.contentEnd - t.contentBegin);
        std::string escaped;
        escaped.reserve(content.size());
        for (char c : content) {
            if (c == '&')
                escaped += "&amp;";
            else if (c == '<')
                escaped += "&lt;";
            else
                escaped.push_back(c);
        }
        rewrite(t.begin, t.end, escaped);
    }

    // Records the text [from, to) of the input as a span of the output, which holds it
    // unchanged: every rewrite so far lies before it.
    void dataText(size_t from, size_t to, LimitedMarkup& result) const
    {
        if (m_framesetMode || from < m_copied)
            return;
        const size_t begin = m_rewritten ? m_out.size() + (from - m_copied) : from;
        result.text.push_back(MarkupSpan{begin, begin + (to - from)});
    }

    // A <br> without attributes where the tree builder does for it what it does for text
    // (re-opens formatting elements, inserts it where text would go, rules out a
    // frameset) and nothing else: not in SVG or MathML, which it leaves, not in a select,
    // which ignores it, not in a table, row group or row, which put it before the table.
    bool bareLineBreak(const MarkupToken& t) const
    {
        if (t.name != "br" || t.attributeCount != 0 || m_framesetMode || inForeign() || inSelect())
            return false;
        const std::uint16_t context = tableContext();
        return context == 0 || context == m_td || context == m_th || context == m_caption;
    }

    // Records the <br> tag [from, to) of the input as it stands in the output, which holds
    // it unchanged.
    void dataLineBreak(size_t from, size_t to, LimitedMarkup& result) const
    {
        const size_t begin = m_rewritten ? m_out.size() + (from - m_copied) : from;
        result.lineBreaks.push_back(MarkupSpan{begin, begin + (to - from)});
    }

    // Text outside raw text: in a body, the tree builder re-opens formatting elements
    // before it, and text other than white space rules out a frameset.
    void characters(std::string_view text)
    {
        ++m_nodes;
        if (m_framesetMode)
            return;
        if (m_framesetOk && !trimAscii(text).empty())
            m_framesetOk = false;
        if (!inForeign() && !inSelect())
            reconstruct();
    }

    bool inForeign() const { return !m_stack.empty() && m_stack.back().foreign; }

    // Whether text here is inside SVG, outside the elements whose text SVG shows.
    bool inHiddenSvg() const
    {
        for (size_t k = m_stack.size(); k-- > 0;) {
            const Open& o = m_stack[k];
            if (!o.foreign || o.integration || o.name == "text" || o.name == "tspan" || o.name == "textpath" ||
                o.kind.id == m_math)
                return false;
            if (o.kind.id == m_svg)
                return true;
        }
        return false;
    }

    bool isHtml(const Open& o, std::uint16_t id) const { return !o.foreign && o.kind.id == id; }

    // Whether the tree builder is in its "in select" mode: a <select> is open with no
    // <template> above it.
    bool inSelect() const
    {
        if (m_openCount[m_select] == 0)
            return false;
        for (size_t k = m_stack.size(); k-- > 0;) {
            if (isHtml(m_stack[k], m_select))
                return true;
            if (isHtml(m_stack[k], m_template))
                return false;
        }
        return false;
    }

    void push(Open&& o)
    {
        ++m_nodes;
        o.uid = static_cast<std::uint32_t>(m_onStack.size());
        m_onStack.push_back(1);
        ++m_openCount[o.kind.id];
        m_stack.push_back(std::move(o));
    }

    // Pops the open elements above index k and k itself.
    void popTo(size_t k)
    {
        for (size_t j = k; j < m_stack.size(); ++j) {
            const Open& o = m_stack[j];
            --m_openCount[o.kind.id];
            m_onStack[o.uid] = 0;
            if (!o.foreign && (o.kind.flags & Marker))
                clearToMarker();
        }
        m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(k), m_stack.end());
    }

    void removeAt(size_t k)
    {
        const Open& o = m_stack[k];
        --m_openCount[o.kind.id];
        m_onStack[o.uid] = 0;
        m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(k));
    }

    std::optional<size_t> stackIndexOf(std::uint32_t uid) const
    {
        if (!m_onStack[uid])
            return std::nullopt;
        for (size_t k = m_stack.size(); k-- > 0;)
            if (m_stack[k].uid == uid)
                return k;
        return std::nullopt;
    }

    void clearToMarker()
    {
        while (!m_formatting.empty()) {
            const bool marker = m_formatting.back().marker;
            m_formatting.pop_back();
            if (marker)
                break;
        }
    }

    size_t listStart() const
    {
        for (size_t j = m_formatting.size(); j-- > 0;)
            if (m_formatting[j].marker)
                return j + 1;
        return 0;
    }

    // Index of the nearest open HTML element with this id above any scope boundary.
    std::optional<size_t> inScope(std::uint16_t id, std::uint16_t extra1 = 0, std::uint16_t extra2 = 0) const
    {
        if (id == 0 || m_openCount[id] == 0)
            return std::nullopt;
        for (size_t k = m_stack.size(); k-- > 0;) {
            const Open& o = m_stack[k];
            if (!o.foreign && o.kind.id == id)
                return k;
            if ((o.kind.flags & ScopeBoundary) || (extra1 && o.kind.id == extra1) || (extra2 && o.kind.id == extra2))
                return std::nullopt;
        }
        return std::nullopt;
    }

    void closeIfInScope(std::uint16_t id, std::uint16_t extra1 = 0, std::uint16_t extra2 = 0)
    {
        if (auto k = inScope(id, extra1, extra2))
            popTo(*k);
    }

    // Re-opens the formatting elements of the list that are no longer open, as the tree
    // builder does before text and most start tags.
    void reconstruct()
    {
        if (m_formatting.empty())
            return;
        size_t j = m_formatting.size();
        while (j > 0 && !m_formatting[j - 1].marker && !m_onStack[m_formatting[j - 1].uid])
            --j;
        for (; j < m_formatting.size(); ++j) {
            Entry& e = m_formatting[j];
            push(Open{e.name, e.kind});
            e.uid = m_stack.back().uid;
        }
    }

    // The key of a formatting element for the "three of a kind" rule: its name and its
    // attributes, sorted, the first of a name winning.
    std::string formattingKey(const MarkupToken& t) const
    {
        std::vector<std::pair<std::string, std::string_view>> attributes;
        attributes.reserve(t.attributes.size());
        for (const MarkupAttribute& a : t.attributes) {
            std::string name = toLowerAscii(m_s.substr(a.nameBegin, a.nameEnd - a.nameBegin));
            std::string_view value = m_s.substr(a.valueBegin, a.valueEnd - a.valueBegin);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
                value = value.substr(1, value.size() - 2);
            attributes.emplace_back(std::move(name), value);
        }
        std::stable_sort(attributes.begin(), attributes.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        std::string key = t.name;
        for (size_t i = 0; i < attributes.size(); ++i) {
            if (i > 0 && attributes[i].first == attributes[i - 1].first)
                continue;
            key += ' ';
            key += attributes[i].first;
            key += '=';
            key.append(attributes[i].second);
        }
        return key;
    }

    // Whether a formatting element of this key can go into the list: at most three of
    // a kind are kept (the earliest giving way), and the list holds at most
    // kMaxActiveFormatting entries, so that a long run of different unclosed formatting
    // elements cannot make the tree builder re-open them inside every later block.
    bool formattingFits(const std::string& key) const
    {
        const size_t from = listStart();
        size_t same = 0;
        for (size_t j = from; j < m_formatting.size(); ++j)
            same += m_formatting[j].key == key;
        return m_formatting.size() - from - (same >= 3 ? 1 : 0) < kMaxActiveFormatting;
    }

    void addFormatting(std::string&& key, std::uint32_t uid)
    {
        const size_t from = listStart();
        size_t same = 0, earliest = 0;
        for (size_t j = m_formatting.size(); j-- > from;) {
            if (m_formatting[j].key == key) {
                ++same;
                earliest = j;
            }
        }
        if (same >= 3)
            m_formatting.erase(m_formatting.begin() + static_cast<std::ptrdiff_t>(earliest));
        m_formatting.push_back(Entry{false, m_name, std::move(key), kindOf(m_name), uid});
    }

    static bool isSpecial(const Open& o) { return o.kind.flags & (Special | Integration); }

    // The adoption agency: the end tag of a formatting element, and the <a> and <nobr>
    // start tags that close an earlier one. Returns false when there is no such element
    // in the list, so that the end tag is handled as any other.
    bool adoptionAgency(std::string_view subject)
    {
        if (!m_stack.empty() && !m_stack.back().foreign && m_stack.back().name == subject) {
            const std::uint32_t uid = m_stack.back().uid;
            if (std::none_of(m_formatting.begin(), m_formatting.end(),
                             [&](const Entry& e) { return !e.marker && e.uid == uid; })) {
                popTo(m_stack.size() - 1);
                return true;
            }
        }
        for (int outer = 0; outer < 8; ++outer) {
            const size_t from = listStart();
            size_t fe = m_formatting.size();
            for (size_t j = m_formatting.size(); j-- > from;) {
                if (m_formatting[j].name == subject) {
                    fe = j;
                    break;
                }
            }
            if (fe == m_formatting.size())
                return outer > 0;
            const auto k = stackIndexOf(m_formatting[fe].uid);
            if (!k) {
                m_formatting.erase(m_formatting.begin() + static_cast<std::ptrdiff_t>(fe));
                return true;
            }
            for (size_t j = *k + 1; j < m_stack.size(); ++j)
                if (m_stack[j].kind.flags & ScopeBoundary)
                    return true;  // not in scope: ignored
            size_t fb = *k + 1;
            while (fb < m_stack.size() && !isSpecial(m_stack[fb]))
                ++fb;
            if (fb == m_stack.size()) {
                popTo(*k);
                m_formatting.erase(m_formatting.begin() + static_cast<std::ptrdiff_t>(fe));
                return true;
            }
            // Between the formatting element and the furthest block, elements not in
            // the list leave the stack, and so do those in it past the third.
            int inner = 0;
            for (size_t j = fb; j-- > *k + 1;) {
                ++inner;
                const std::uint32_t uid = m_stack[j].uid;
                auto entry = std::find_if(m_formatting.begin(), m_formatting.end(),
                                          [&](const Entry& e) { return !e.marker && e.uid == uid; });
                if (inner > 3 && entry != m_formatting.end()) {
                    if (static_cast<size_t>(entry - m_formatting.begin()) < fe)
                        --fe;
                    m_formatting.erase(entry);
                    entry = m_formatting.end();
                }
                if (entry == m_formatting.end()) {
                    removeAt(j);
                    --fb;
                }
            }
            // The formatting element moves to just above the furthest block.
            Open moved = std::move(m_stack[*k]);
            m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(*k));
            m_stack.insert(m_stack.begin() + static_cast<std::ptrdiff_t>(fb), std::move(moved));
        }
        return true;
    }

    // The end tags the tree builder implies before this start tag.
    void impliedEnds(const TagKind& kind)
    {
        const std::uint16_t id = kind.id;
        if (kind.flags & ClosesP)
            closeIfInScope(m_p, m_button);
        if (id == 0)
            return;
        if (id == m_li || id == m_dd || id == m_dt) {
            // The nearest open list item of the kind closes, unless a special element
            // other than <address>, <div> and <p> comes first.
            const bool li = id == m_li;
            if (li ? m_openCount[m_li] == 0 : m_openCount[m_dd] + m_openCount[m_dt] == 0)
                return;
            for (size_t k = m_stack.size(); k-- > 0;) {
                const Open& o = m_stack[k];
                if (!o.foreign && (li ? o.kind.id == m_li : (o.kind.id == m_dd || o.kind.id == m_dt))) {
                    popTo(k);
                    break;
                }
                if ((o.kind.flags & Special) && o.kind.id != m_address && o.kind.id != m_div && o.kind.id != m_p)
                    break;
            }
        } else if (kind.flags & Heading) {
            if (!m_stack.empty() && (m_stack.back().kind.flags & Heading))
                popTo(m_stack.size() - 1);
        } else if (id == m_option || id == m_optgroup) {
            if (!m_stack.empty() && m_stack.back().kind.id == m_option)
                popTo(m_stack.size() - 1);
        } else if (id == m_td || id == m_th) {
            if (auto k = inScope(m_td))
                popTo(*k);
            else if (auto h = inScope(m_th))
                popTo(*h);
        } else if (id == m_tr) {
            if (auto k = inScope(m_td))
                popTo(*k);
            else if (auto h = inScope(m_th))
                popTo(*h);
            closeIfInScope(m_tr);
        } else if (id == m_groups[0] || id == m_groups[1] || id == m_groups[2]) {
            for (std::uint16_t g : m_groups)
                closeIfInScope(g);
        } else if (id == m_a) {
            if (adoptionAgency("a")) {
                // What is left of the earlier <a> goes from the list and the stack.
                const size_t from = listStart();
                for (size_t j = m_formatting.size(); j-- > from;) {
                    if (m_formatting[j].name == "a") {
                        if (auto k = stackIndexOf(m_formatting[j].uid))
                            removeAt(*k);
                        m_formatting.erase(m_formatting.begin() + static_cast<std::ptrdiff_t>(j));
                        break;
                    }
                }
            }
        } else if (id == m_nobr) {
            reconstruct();
            if (inScope(m_nobr))
                adoptionAgency("nobr");  // then re-opened once more, by the caller
        } else if (id == m_button) {
            closeIfInScope(m_button);
        }
    }

    // The tag as the parser is to see it: with its attributes past the cap left out.
    std::string cappedTag(const MarkupToken& t) const
    {
        if (t.kind == MarkupTokenKind::EndTag)
            return "</" + t.name + ">";
        std::string out = "<" + t.name;
        for (const MarkupAttribute& a : t.attributes) {
            out += ' ';
            out.append(m_s.substr(a.nameBegin, a.nameEnd - a.nameBegin));
            if (a.valueEnd > a.valueBegin) {
                out += '=';
                out.append(m_s.substr(a.valueBegin, a.valueEnd - a.valueBegin));
            }
        }
        out += t.selfClosing ? " />" : ">";
        return out;
    }

    void pushTag(Open&& o)
    {
        push(std::move(o));
    }

    // Before a start tag at the depth limit: closes the innermost element, so that
    // whatever the tag opens becomes its sibling, and remembers to drop the end tag the
    // closed element would have had.
    void closeInnermost()
    {
        const std::string closedName = m_stack.back().name;
        const std::uint32_t closedUid = m_stack.back().uid;
        std::vector<std::string> pending = std::move(m_stack.back().dropEnds);
        popTo(m_stack.size() - 1);
        // A formatting element closed so leaves the list as well.
        const auto entry = std::find_if(m_formatting.begin(), m_formatting.end(),
                                        [&](const Entry& e) { return !e.marker && e.uid == closedUid; });
        if (entry != m_formatting.end())
            m_formatting.erase(entry);
        m_prefix += "</" + closedName + ">";
        // Dropped last in first out: this element's end tag comes before those of the
        // elements it was a sibling of, and after those of elements closed before it.
        pending.push_back(closedName);
        if (!m_pendingDrops.empty())
            pending.insert(pending.end(), m_pendingDrops.begin(), m_pendingDrops.end());
        m_pendingDrops = std::move(pending);
    }

    // Handles a start tag and hands it to the parser: as it is, with its attributes
    // capped, after the end tag of an element closed to keep the depth limit, or not at
    // all.
    void startTag(const MarkupToken& t, MarkupTokenizer& tokenizer)
    {
        m_prefix.clear();
        m_pendingDrops.clear();
        m_dropTag = false;
        if (!(kindOf(m_name).flags & Ignored))
            while (m_stack.size() >= m_max)
                closeInnermost();
        startTagSeen(t, tokenizer);
        if (!m_pendingDrops.empty() && !m_stack.empty()) {
            // Moved, not copied: at the depth limit every start tag hands the list on.
            auto& into = m_stack.back().dropEnds;
            if (into.empty())
                into = std::move(m_pendingDrops);
            else
                into.insert(into.end(), m_pendingDrops.begin(), m_pendingDrops.end());
        }
        const bool capped = t.attributeCount > kMaxAttributes;
        if (m_prefix.empty() && !capped && !m_dropTag)
            return;
        std::string replacement = std::move(m_prefix);
        if (!m_dropTag)
            replacement += capped ? cappedTag(t) : std::string(m_s.substr(t.begin, t.end - t.begin));
        rewrite(t.begin, t.end, replacement);
        if (m_templateDepth > 0)
            m_templateFrom = t.end;
    }

    // Inside a template left out: finds its end tag, counting the templates nested in it,
    // and leaves out everything up to there. Raw text is not followed here, so an end
    // tag the parser would take as text ends the template early rather than late: the
    // rest of the page is never hidden by it.
    void skipTemplate(const MarkupToken& t)
    {
        if (t.name != "template")
            return;
        if (t.kind == MarkupTokenKind::StartTag) {
            ++m_templateDepth;
        } else if (t.kind == MarkupTokenKind::EndTag && --m_templateDepth == 0) {
            rewrite(m_templateFrom, t.end, "");
        }
    }

    void startTagSeen(const MarkupToken& t, MarkupTokenizer& tokenizer)
    {
        const TagKind kind = kindOf(m_name);
        if ((kind.flags & Ignored) && !inForeign()) {
            if (m_name == "body")
                m_framesetOk = false;
            return;
        }
        if (m_framesetMode)
            return framesetStartTag(kind, tokenizer);
        if (!inForeign() && inSelect() && !selectStartTag(kind))
            return;
        // In SVG or MathML, a start tag makes an HTML element only at an integration
        // point; some tags leave the foreign content altogether.
        auto htmlHere = [&] {
            if (!inForeign())
                return true;
            const Open& current = m_stack.back();
            return current.integration ||
                   (current.textIntegration && kind.id != m_mglyph && kind.id != m_malignmark);
        };
        // A formatting element past the list's cap is dropped before anything else
        // happens: the parser never sees it, so nothing it would cause may be followed.
        std::string key;
        if ((kind.flags & Formatting) && (htmlHere() || (kind.flags & BreaksForeign) ||
                                            (m_name == "font" && fontBreaksOut(t)))) {
            key = formattingKey(t);
            if (!formattingFits(key)) {
                m_dropTag = true;
                return;
            }
        }
        const bool breaksOut = (kind.flags & BreaksForeign) || (m_name == "font" && fontBreaksOut(t));
        if (!htmlHere() && breaksOut) {
            while (!m_stack.empty() && m_stack.back().foreign && !m_stack.back().integration &&
                   !m_stack.back().textIntegration)
                popTo(m_stack.size() - 1);
        }
        const bool foreign = !htmlHere() || kind.id == m_svg || kind.id == m_math;
        if (!foreign && (kind.flags & Ignored)) {
            if (m_name == "body")
                m_framesetOk = false;
            return;
        }
        if (!foreign && kind.id == m_template) {
            // A template's content is never shown, and the parser's handling of it
            // differs from other elements' in many ways: the parser does not get it.
            m_templateDepth = 1;
            m_dropTag = true;
            return;
        }
        if (foreign) {
            if (!inForeign())
                reconstruct();
            if (t.selfClosing) {
                ++m_nodes;
                return;
            }
            Open o{m_name, kind, true};
            const bool svg = kind.id == m_svg || (kind.id != m_math && !isMathContext());
            if (svg)
                o.integration = m_name == "foreignobject" || m_name == "desc" || m_name == "title";
            else if (kind.id == m_annotationXml)
                o.integration = htmlAnnotation(t);
            else
                o.textIntegration = m_name == "mi" || m_name == "mo" || m_name == "mn" || m_name == "ms" ||
                                    m_name == "mtext";
            pushTag(std::move(o));
            return;
        }
        if (kind.id == m_frameset) {
            // A frameset replaces the body when nothing has ruled it out; the tree
            // builder then closes every open element and ignores all but framesets.
            if (!m_framesetOk || m_openCount[m_template] > 0)
                return;
            if (!m_stack.empty())
                popTo(0);
            m_framesetMode = true;
            return framesetStartTag(kind, tokenizer);
        }
        if (kind.id == m_table) {
            // A table started right in a table, row group or row ends that table.
            const std::uint16_t context = tableContext();
            if (context == m_table || context == m_tr || isRowGroup(context)) {
                for (size_t k = m_stack.size(); k-- > 0;) {
                    if (isHtml(m_stack[k], m_table)) {
                        popWithPending(k);
                        break;
                    }
                }
            }
        }
        if (kind.flags & TableOnly) {
            // Table parts open only inside a table (or a template), and the tree builder
            // adds the row group and the row a cell needs.
            const std::uint16_t context = tableContext();
            if (context == 0)
                return;
            if (context == m_table && (kind.id == m_td || kind.id == m_th || kind.id == m_tr))
                pushImplied("tbody");
            if ((context == m_table || isRowGroup(context)) && (kind.id == m_td || kind.id == m_th))
                pushImplied("tr");
        }
        impliedEnds(kind);
        if (!(kind.flags & NoReconstruct))
            reconstruct();
        if ((kind.flags & NoFrameset) && !(kind.id == m_input && hiddenInput(t)))
            m_framesetOk = false;
        if (kind.flags & Void) {
            ++m_nodes;
            return;
        }
        pushTag(Open{m_name, kind});
        if (kind.flags & Formatting)
            addFormatting(std::move(key), m_stack.back().uid);
        if (kind.flags & Marker)
            m_formatting.push_back(Entry{true, {}, {}, {}, 0});
        // Raw text, where the tree builder switches the tokenizer to it; its content
        // is one text node.
        if (kind.id == m_plaintext || (kind.flags & RawText))
            ++m_nodes;
        if (kind.id == m_plaintext) {
            tokenizer.setContent(MarkupContent::PlainText, m_name);
            m_rawText = true;
        } else if (kind.flags & RawText) {
            const bool rcdata = m_name == "title" || kind.id == m_textarea;
            tokenizer.setContent(kind.id == m_script ? MarkupContent::ScriptData
                                 : rcdata             ? MarkupContent::RcData
                                                      : MarkupContent::RawText,
                                 m_name);
            m_rawText = true;
        }
    }

    // A start tag once a frameset replaced the body: only framesets nest, <frame> is
    // void and <noframes> holds raw text; everything else is ignored.
    void framesetStartTag(const TagKind& kind, MarkupTokenizer& tokenizer)
    {
        if (kind.id != m_frameset && kind.id != m_noframes)
            return;
        pushTag(Open{m_name, kind});
        if (kind.id == m_noframes) {
            tokenizer.setContent(MarkupContent::RawText, m_name);
            m_rawText = true;
        }
    }

    // A <font> with a colour, face or size leaves SVG and MathML content.
    bool fontBreaksOut(const MarkupToken& t) const
    {
        for (const MarkupAttribute& a : t.attributes) {
            const std::string_view name = m_s.substr(a.nameBegin, a.nameEnd - a.nameBegin);
            if (equalsNoCaseAscii(name, "color") || equalsNoCaseAscii(name, "face") || equalsNoCaseAscii(name, "size"))
                return true;
        }
        return false;
    }

    bool hiddenInput(const MarkupToken& t) const
    {
        for (const MarkupAttribute& a : t.attributes) {
            if (!equalsNoCaseAscii(m_s.substr(a.nameBegin, a.nameEnd - a.nameBegin), "type"))
                continue;
            std::string_view v = m_s.substr(a.valueBegin, a.valueEnd - a.valueBegin);
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\''))
                v = v.substr(1, v.size() - 2);
            return equalsNoCaseAscii(v, "hidden");
        }
        return false;
    }

    // Whether the open <select> sits in a table: table parts then close it.
    bool selectInTable() const
    {
        bool belowSelect = false;
        for (size_t k = m_stack.size(); k-- > 0;) {
            const Open& o = m_stack[k];
            if (isHtml(o, m_select))
                belowSelect = true;
            else if (belowSelect && isHtml(o, m_table))
                return true;
            else if (isHtml(o, m_template))
                return false;
        }
        return false;
    }

    bool isRowGroup(std::uint16_t id) const { return id == m_groups[0] || id == m_groups[1] || id == m_groups[2]; }

    // The table element that decides how the tree builder handles table parts: the
    // nearest open table, row group, row, cell, caption or column group (or a template),
    // or 0 when there is none and table parts are ignored.
    std::uint16_t tableContext() const
    {
        if (m_openCount[m_table] == 0 && m_openCount[m_template] == 0)
            return 0;
        for (size_t k = m_stack.size(); k-- > 0;) {
            const Open& o = m_stack[k];
            if (!o.foreign && (o.kind.flags & (TableOnly | TablePart)))
                return o.kind.id;
            if (isHtml(o, m_template))
                return o.kind.id;
        }
        return 0;
    }

    void pushImplied(std::string_view name)
    {
        push(Open{std::string(name), kindOf(name)});
    }

    bool isMathContext() const
    {
        for (size_t k = m_stack.size(); k-- > 0;) {
            const Open& o = m_stack[k];
            if (!o.foreign)
                return false;
            if (o.kind.id == m_svg)
                return false;
            if (o.kind.id == m_math)
                return true;
        }
        return false;
    }

    // An <annotation-xml> holds HTML when its encoding says so.
    bool htmlAnnotation(const MarkupToken& t) const
    {
        for (const MarkupAttribute& a : t.attributes) {
            if (!equalsNoCaseAscii(m_s.substr(a.nameBegin, a.nameEnd - a.nameBegin), "encoding"))
                continue;
            std::string_view v = m_s.substr(a.valueBegin, a.valueEnd - a.valueBegin);
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\''))
                v = v.substr(1, v.size() - 2);
            return equalsNoCaseAscii(v, "text/html") || equalsNoCaseAscii(v, "application/xhtml+xml");
        }
        return false;
    }

    // A start tag inside a <select>: returns true when it is to be handled as in the
    // body (after the <select> is closed where the tree builder closes it), false when
    // it is done with (ignored, or an <option> or <optgroup> opened).
    bool selectStartTag(const TagKind& kind)
    {
        const std::uint16_t id = kind.id;
        auto popSelect = [&] {
            for (size_t k = m_stack.size(); k-- > 0;)
                if (isHtml(m_stack[k], m_select))
                    return popTo(k);
        };
        if (id == m_option || id == m_optgroup) {
            if (!m_stack.empty() && isHtml(m_stack.back(), m_option))
                popTo(m_stack.size() - 1);
            if (id == m_optgroup && !m_stack.empty() && isHtml(m_stack.back(), m_optgroup))
                popTo(m_stack.size() - 1);
            push(Open{m_name, kind});
            return false;
        }
        if (id == m_select) {
            popSelect();
            return false;
        }
        if (id == m_input || id == m_keygen || id == m_textarea || ((kind.flags & TablePart) && selectInTable())) {
            popSelect();
            return true;
        }
        return id == m_script || id == m_template;
    }

    // Handles an end tag and hands it to the parser: as it is, without its attributes
    // when they are too many, or not at all.
    void endTag(const MarkupToken& t)
    {
        m_dropTag = false;
        endTagSeen();
        if (m_dropTag)
            rewrite(t.begin, t.end, "");
        else if (t.attributeCount > kMaxAttributes)
            rewrite(t.begin, t.end, cappedTag(t));
    }

    void endTagSeen()
    {
        const TagKind kind = kindOf(m_name);
        if (kind.flags & Ignored)
            return;
        if (!m_stack.empty() && !m_stack.back().dropEnds.empty() && m_stack.back().dropEnds.back() == m_name) {
            // The end tag of an element closed early to keep the depth limit.
            m_stack.back().dropEnds.pop_back();
            m_dropTag = true;
            return;
        }
        if (m_framesetMode) {
            if ((kind.id == m_frameset || kind.id == m_noframes) && !m_stack.empty() &&
                m_stack.back().kind.id == kind.id)
                popTo(m_stack.size() - 1);
            return;
        }
        if (kind.id == m_br && !inForeign()) {
            reconstruct();  // "</br>" is a <br>
            ++m_nodes;
            return;
        }
        if (kind.id == m_p && m_openCount[m_p] == 0)
            ++m_nodes;  // "</p>" with no open paragraph makes an empty one
        if (inSelect() && !inForeign()) {
            // Inside a <select> only these end tags do anything.
            if (kind.id == m_optgroup) {
                if (m_stack.size() >= 2 && isHtml(m_stack.back(), m_option) &&
                    isHtml(m_stack[m_stack.size() - 2], m_optgroup))
                    popTo(m_stack.size() - 1);
                if (!m_stack.empty() && isHtml(m_stack.back(), m_optgroup))
                    popTo(m_stack.size() - 1);
                return;
            }
            if (kind.id == m_option) {
                if (!m_stack.empty() && isHtml(m_stack.back(), m_option))
                    popTo(m_stack.size() - 1);
                return;
            }
            if (kind.id != m_select && kind.id != m_template && !(kind.flags & TablePart))
                return;
        }
        if ((kind.flags & Formatting) && !inForeign() && adoptionAgency(m_name))
            return;
        // Known HTML names that are not open anywhere need no search.
        if (kind.id != 0 && m_openCount[kind.id] == 0)
            return;
        const bool special = kind.flags & (Special | Formatting);
        // Table parts close in table scope: through cells, up to the nearest table.
        const bool tableScope = (kind.flags & TablePart) && !inForeign();
        for (size_t k = m_stack.size(); k-- > 0;) {
            Open& o = m_stack[k];
            if (tableScope) {
                if (isHtml(o, kind.id)) {
                    popWithPending(k);
                    break;
                }
                if (isHtml(o, m_table) || isHtml(o, m_template))
                    break;
                continue;
            }
            if (o.name == m_name) {
                popWithPending(k);
                break;
            }
            if (o.foreign)
                continue;
            if (special ? (o.kind.flags & ScopeBoundary) : (o.kind.flags & Special))
                break;
        }
    }

    // Pops the open elements down to index k; the end tags still to be dropped for
    // siblings closed early go to the element that is then innermost.
    void popWithPending(size_t k)
    {
        std::vector<std::string> pending = std::move(m_stack[k].dropEnds);
        popTo(k);
        if (!pending.empty() && !m_stack.empty()) {
            auto& into = m_stack.back().dropEnds;
            into.insert(into.end(), pending.begin(), pending.end());
        }
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
    size_t m_maxNodes;
    size_t m_nodes = 0;  // nodes the parser makes of the markup handed over, counted high
    std::vector<Open> m_stack;
    std::vector<int> m_openCount;     // open elements per known tag id
    std::vector<char> m_onStack;      // per element uid: whether it is open
    std::string m_name;               // lower-case name of the tag being handled
    std::vector<Entry> m_formatting;  // the list of active formatting elements
    bool m_rawText = false;           // the last start tag switched to raw text
    // The start tag being handled: end tags to put before it, end tags to drop later,
    // whether it is left out.
    std::string m_prefix;
    std::vector<std::string> m_pendingDrops;
    bool m_dropTag = false;
    size_t m_templateDepth = 0;  // templates open in the part left out
    size_t m_templateFrom = 0;   // where that part starts
    bool m_framesetOk = true;    // no content yet that rules out a frameset
    bool m_framesetMode = false;  // a frameset replaced the body
    bool m_rewritten = false;
    std::string m_out;
    size_t m_copied = 0;
    std::uint16_t m_p, m_li, m_dd, m_dt, m_td, m_th, m_tr, m_caption, m_option, m_optgroup, m_ol, m_ul, m_button, m_svg,
        m_math, m_plaintext, m_address, m_div, m_a, m_nobr, m_select, m_template, m_table, m_frameset,
        m_noframes, m_script, m_textarea, m_input, m_keygen, m_br, m_annotationXml, m_mglyph, m_malignmark;
    std::uint16_t m_groups[3];
};

}  // namespace

LimitedMarkup limitMarkup(std::string_view utf8, int maxDepth, std::size_t maxNodes)
{
    return NestingLimiter(utf8, maxDepth, maxNodes).run();
}

std::optional<std::string> limitNestingDepth(std::string_view utf8, int maxDepth)
{
    return limitMarkup(utf8, maxDepth, SIZE_MAX).markup;
}

std::size_t parserNodeCap(std::size_t inputBytes)
{
    return kParserNodesBase + inputBytes / kInputBytesPerExtraNode;
}

bool closesParagraph(std::string_view name)
{
    return kindOf(name).flags & ClosesP;
}

}  // namespace sorvane
