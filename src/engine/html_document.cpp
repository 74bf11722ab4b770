// The only file that includes the HTML parser's header.
#include "engine/html_document.h"

#include <gumbo.h>
#include <setjmp.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

namespace sorvane {

namespace {

// Memory for the parser: small blocks come from large chunks and are released all at
// once with the document, which spares a free() for every node and string of a long
// page; large blocks (growing buffers) are ordinary heap blocks, freed as the parser
// asks, and the ones still alive are freed with the document.
class ParserArena {
public:
    ParserArena() = default;
    ParserArena(const ParserArena&) = delete;
    ParserArena& operator=(const ParserArena&) = delete;
    ~ParserArena() { reset(); }

    // Releases every block.
    void reset()
    {
        for (Large* l = m_large.next; l != &m_large;) {
            Large* next = l->next;
            std::free(l);
            l = next;
        }
        m_large.next = m_large.prev = &m_large;
        for (char* c : m_chunks)
            std::free(c);
        m_chunks.clear();
        m_next = nullptr;
        m_left = 0;
        m_chunkSize = kFirstChunk;
    }

    static void* allocate(void* self, size_t size) { return static_cast<ParserArena*>(self)->take(size); }
    static void release(void* self, void* p) { static_cast<ParserArena*>(self)->give(p); }

private:
    static constexpr size_t kHeader = 16;      // keeps 16-byte alignment
    static constexpr size_t kSmall = 1024;     // larger blocks go to the heap
    static constexpr size_t kFirstChunk = 64 * 1024;  // chunks double up to kLastChunk,
    static constexpr size_t kLastChunk = 1 << 20;     // so a small page stays small
    static constexpr std::uint64_t kSmallTag = 0x5A5A5A5A5A5A5A5AULL;
    static constexpr std::uint64_t kLargeTag = 0xA5A5A5A5A5A5A5A5ULL;

    struct Large {
        Large* prev;
        Large* next;
        std::uint64_t pad;
        std::uint64_t tag;
    };
    static_assert(sizeof(Large) == 32);

    void* take(size_t size)
    {
        if (size > kSmall) {
            auto* l = static_cast<Large*>(std::malloc(sizeof(Large) + size));
            if (!l)
                throw std::bad_alloc();
            l->tag = kLargeTag;
            l->next = m_large.next;
            l->prev = &m_large;
            m_large.next->prev = l;
            m_large.next = l;
            return l + 1;
        }
        const size_t need = kHeader + ((size + 15) & ~size_t{15});
        if (need > m_left) {
            char* chunk = static_cast<char*>(std::malloc(m_chunkSize));
            if (!chunk)
                throw std::bad_alloc();
            m_chunks.push_back(chunk);
            m_next = chunk;
            m_left = m_chunkSize;
            m_chunkSize = std::min(m_chunkSize * 2, kLastChunk);
        }
        char* block = m_next;
        m_next += need;
        m_left -= need;
        std::memcpy(block + kHeader - 8, &kSmallTag, 8);
        return block + kHeader;
    }

    void give(void* p)
    {
        if (!p)
            return;
        std::uint64_t tag;
        std::memcpy(&tag, static_cast<char*>(p) - 8, 8);
        if (tag != kLargeTag)
            return;  // small blocks go with the arena
        Large* l = static_cast<Large*>(p) - 1;
        l->prev->next = l->next;
        l->next->prev = l->prev;
        std::free(l);
    }

    std::vector<char*> m_chunks;
    char* m_next = nullptr;
    size_t m_left = 0;
    size_t m_chunkSize = kFirstChunk;
    Large m_large{&m_large, &m_large, 0, 0};
};

}  // namespace

struct HtmlDocument::Impl {
    ParserArena arena;
    GumboOutput* output = nullptr;
    std::string flattened;  // the markup the parser saw, when it had to be rewritten
    bool fallback = false;  // the parser failed on the page; its text was parsed instead
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
    Ignored = 1u << 10,  // html, head, body: never counted
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
            ScopeBoundary | Integration);
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
        add({"td", "th", "caption", "applet", "object", "marquee", "template"}, Marker);
        add({"h1", "h2", "h3", "h4", "h5", "h6"}, Heading);
        add({"html", "head", "body"}, Ignored);
        add({"option", "optgroup", "tr", "tbody", "thead", "tfoot", "svg", "math"}, 0);
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
    NestingLimiter(std::string_view s, int maxDepth)
        : m_s(s), m_max(static_cast<size_t>(std::max(maxDepth, 1))), m_openCount(tagKinds().size() + 1, 0)
    {
        m_p = idOf("p");
        m_li = idOf("li");
        m_dd = idOf("dd");
        m_dt = idOf("dt");
        m_td = idOf("td");
        m_th = idOf("th");
        m_tr = idOf("tr");
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
    }

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
        TagKind kind;
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
        if (m_s.compare(pos, 9, "<![CDATA[") == 0) {
            // The parser's CDATA handling can fail an internal check (and abort) when
            // a CDATA section in SVG or MathML sits inside a table. Its content is
            // plain text, so it is handed over as escaped text; outside SVG and MathML
            // the section is a bogus comment up to the first '>', handed over as an
            // empty comment.
            if (inForeign()) {
                const size_t end = m_s.find("]]>", pos + 9);
                const size_t stop = end == std::string_view::npos ? n : end + 3;
                const std::string_view content = m_s.substr(pos + 9, (end == std::string_view::npos ? n : end) - pos - 9);
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
                rewrite(pos, stop, escaped);
                return stop;
            }
            const size_t gt = m_s.find('>', pos + 9);
            const size_t stop = gt == std::string_view::npos ? n : gt + 1;
            rewrite(pos, stop, "<!---->");
            return stop;
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
        m_name.clear();
        while (i < n && !isAsciiSpace(m_s[i]) && m_s[i] != '/' && m_s[i] != '>') {
            m_name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(m_s[i]))));
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
        const TagKind kind = kindOf(m_name);
        if (endTag)
            return endTagSeen(pos, after, kind);
        return startTagSeen(pos, after, kind, m_s.substr(attributesStart, i - attributesStart), selfClosing);
    }

    bool inForeign() const { return !m_stack.empty() && m_stack.back().foreign; }

    static bool integrationPoint(const Open& o) { return o.foreign && (o.kind.flags & Integration); }

    void push(Open&& o)
    {
        ++m_openCount[o.kind.id];
        m_stack.push_back(std::move(o));
    }

    // Pops the open elements above index k and k itself.
    void popTo(size_t k)
    {
        for (size_t j = k; j < m_stack.size(); ++j) {
            const Open& o = m_stack[j];
            --m_openCount[o.kind.id];
            if (!o.foreign && (o.kind.flags & Marker) && !m_markers.empty()) {
                m_formatting.resize(std::min(m_formatting.size(), m_markers.back()));
                m_markers.pop_back();
            }
        }
        m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(k), m_stack.end());
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

    size_t formattingSinceMarker() const { return m_formatting.size() - (m_markers.empty() ? 0 : m_markers.back()); }

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

    // The end tags the tree builder implies before this start tag.
    void impliedEnds(const TagKind& kind)
    {
        const std::uint16_t id = kind.id;
        if (kind.flags & ClosesP)
            closeIfInScope(m_p, m_button);
        if (id == 0)
            return;
        if (id == m_li) {
            closeIfInScope(m_li, m_ol, m_ul);
        } else if (id == m_dd || id == m_dt) {
            if (m_openCount[m_dd] + m_openCount[m_dt] == 0)
                return;
            for (size_t k = m_stack.size(); k-- > 0;) {
                const Open& o = m_stack[k];
                if (o.kind.id == m_dd || o.kind.id == m_dt) {
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
            if (id == m_optgroup && !m_stack.empty() && m_stack.back().kind.id == m_optgroup)
                popTo(m_stack.size() - 1);
        } else if (id == m_td || id == m_th) {
            if (auto k = inScope(m_td))
                popTo(*k);
            else if (auto h = inScope(m_th))
                popTo(*h);
        } else if (id == m_tr) {
            closeIfInScope(m_tr);
        } else if (id == m_groups[0] || id == m_groups[1] || id == m_groups[2]) {
            for (std::uint16_t g : m_groups)
                closeIfInScope(g);
        } else if (id == m_a || id == m_nobr || id == m_button) {
            closeIfInScope(id);
            if (id != m_button)
                removeLastFormatting(m_name);
        }
    }

    size_t startTagSeen(size_t pos, size_t after, const TagKind& kind, std::string_view attributes, bool selfClosing)
    {
        if (kind.flags & Ignored)
            return after;
        if (inForeign() && (kind.flags & BreaksForeign)) {
            while (!m_stack.empty() && m_stack.back().foreign && !integrationPoint(m_stack.back()))
                popTo(m_stack.size() - 1);
        }
        const bool foreign =
            (inForeign() && !integrationPoint(m_stack.back())) || kind.id == m_svg || kind.id == m_math;
        if (!foreign) {
            impliedEnds(kind);
            if (kind.flags & Void)
                return after;
            if (kind.id == m_plaintext)
                return m_s.size();
            if ((kind.flags & Formatting) && !addFormatting(m_name, attributes)) {
                rewrite(pos, after, "");
                return after;
            }
            if (kind.flags & Marker)
                m_markers.push_back(m_formatting.size());
        } else if (selfClosing) {
            return after;
        }
        if (m_stack.size() >= m_max) {
            // Too deep: close the innermost element so the new one becomes its sibling.
            const std::string closedName = m_stack.back().name;
            std::vector<std::string> pending = std::move(m_stack.back().dropEnds);
            popTo(m_stack.size() - 1);
            std::string replacement = "</" + closedName + ">";
            replacement.append(m_s.substr(pos, after - pos));
            rewrite(pos, after, replacement);
            pending.push_back(closedName);
            push(Open{m_name, kind, foreign, std::move(pending)});
        } else {
            push(Open{m_name, kind, foreign, {}});
        }
        if (!foreign && (kind.flags & RawText))
            return skipRawText(after, m_stack.back().name);
        return after;
    }

    // Skips the content of a raw-text element up to its end tag (left for the scanner).
    size_t skipRawText(size_t pos, std::string_view name) const
    {
        const size_t n = m_s.size();
        for (;;) {
            const size_t lt = m_s.find("</", pos);
            if (lt == std::string_view::npos)
                return n;
            const size_t end = lt + 2 + name.size();
            if (matchesNoCase(m_s, lt + 2, name) &&
                (end >= n || isAsciiSpace(m_s[end]) || m_s[end] == '/' || m_s[end] == '>'))
                return lt;
            pos = lt + 2;
        }
    }

    size_t endTagSeen(size_t pos, size_t after, const TagKind& kind)
    {
        if (kind.flags & Ignored)
            return after;
        if (kind.flags & Formatting)
            removeLastFormatting(m_name);
        if (!m_stack.empty() && !m_stack.back().dropEnds.empty() && m_stack.back().dropEnds.back() == m_name) {
            // The end tag of an element closed early to keep the depth limit.
            m_stack.back().dropEnds.pop_back();
            rewrite(pos, after, "");
            return after;
        }
        // Known HTML names that are not open anywhere need no search.
        if (kind.id != 0 && m_openCount[kind.id] == 0)
            return after;
        const bool special = kind.flags & (Special | Formatting);
        for (size_t k = m_stack.size(); k-- > 0;) {
            Open& o = m_stack[k];
            if (o.name == m_name) {
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
            if (special ? (o.kind.flags & ScopeBoundary) : (o.kind.flags & Special))
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
    std::vector<int> m_openCount;  // open elements per known tag id
    std::string m_name;            // lower-case name of the tag being handled
    std::vector<std::string> m_formatting;  // "name attributes" of active formatting elements
    std::vector<size_t> m_markers;          // list sizes where markers were pushed
    bool m_rewritten = false;
    std::string m_out;
    size_t m_copied = 0;
    std::uint16_t m_p, m_li, m_dd, m_dt, m_td, m_th, m_tr, m_option, m_optgroup, m_ol, m_ul, m_button, m_svg,
        m_math, m_plaintext, m_address, m_div, m_a, m_nobr;
    std::uint16_t m_groups[3];
};

}  // namespace

std::optional<std::string> limitNestingDepth(std::string_view utf8, int maxDepth)
{
    return NestingLimiter(utf8, maxDepth).run();
}

namespace {

// The parser library is built with its internal checks on: a check that fails calls
// abort(). Parsing runs under a SIGABRT handler that jumps back to the parse call of
// this thread, so one page the library cannot handle is reported instead of ending the
// program. Everything the parser allocated belongs to the document's arena and is
// released with it.
thread_local sigjmp_buf* t_parseEscape = nullptr;
struct sigaction g_previousAbortAction {};

void onAbort(int sig)
{
    if (sigjmp_buf* escape = t_parseEscape) {
        t_parseEscape = nullptr;
        siglongjmp(*escape, 1);
    }
    // Not inside a parse: whatever handled SIGABRT before (by default, the end of the
    // program) handles it.
    sigaction(sig, &g_previousAbortAction, nullptr);
    raise(sig);
}

void installAbortHandler()
{
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = onAbort;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_NODEFER;
        sigaction(SIGABRT, &action, &g_previousAbortAction);
        return true;
    }();
    (void)installed;
}

GumboOutput* parseGuarded(const GumboOptions& options, std::string_view utf8)
{
    installAbortHandler();
    sigjmp_buf escape;
    if (sigsetjmp(escape, 1) != 0)
        return nullptr;  // the parser gave up
    t_parseEscape = &escape;
    GumboOutput* output = gumbo_parse_with_options(&options, utf8.data(), utf8.size());
    t_parseEscape = nullptr;
    return output;
}

// The text of a page with its markup taken out, for when the parser fails on the page:
// comments, scripts and styles are dropped, the tags that start a line become <br>,
// CDATA sections become text,
// other tags disappear, character references are kept for the parser to resolve.
std::string textWithoutMarkup(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    const size_t n = s.size();
    while (pos < n) {
        const size_t lt = s.find('<', pos);
        out.append(s.substr(pos, (lt == std::string_view::npos ? n : lt) - pos));
        if (lt == std::string_view::npos)
            break;
        pos = lt;
        if (s.compare(pos, 4, "<!--") == 0) {
            const size_t end = s.find("-->", pos + 4);
            pos = end == std::string_view::npos ? n : end + 3;
            continue;
        }
        if (s.compare(pos, 9, "<![CDATA[") == 0) {
            const size_t end = s.find("]]>", pos + 9);
            for (char c : s.substr(pos + 9, (end == std::string_view::npos ? n : end) - pos - 9))
                out += c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
            pos = end == std::string_view::npos ? n : end + 3;
            continue;
        }
        const bool endTag = pos + 1 < n && s[pos + 1] == '/';
        size_t i = pos + (endTag ? 2 : 1);
        if (i >= n || !(isLetter(s[i]) || (!endTag && (s[i] == '!' || s[i] == '?')))) {
            out += "&lt;";
            ++pos;
            continue;
        }
        std::string name;
        while (i < n && !isAsciiSpace(s[i]) && s[i] != '/' && s[i] != '>')
            name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(s[i++]))));
        const size_t gt = s.find('>', i);
        pos = gt == std::string_view::npos ? n : gt + 1;
        const TagKind kind = kindOf(name);
        if (!endTag && (name == "script" || name == "style")) {
            // Skip the content up to the end tag.
            for (size_t at = pos;;) {
                const size_t close = s.find("</", at);
                if (close == std::string_view::npos) {
                    pos = n;
                    break;
                }
                if (matchesNoCase(s, close + 2, name)) {
                    const size_t end = s.find('>', close);
                    pos = end == std::string_view::npos ? n : end + 1;
                    break;
                }
                at = close + 2;
            }
        } else if ((kind.flags & ClosesP) || name == "br" || name == "tr" || name == "td" || name == "th") {
            out += "<br>";
        }
    }
    return out;
}

}  // namespace

HtmlDocument::HtmlDocument(std::string_view utf8, int maxDepth) : m_impl(std::make_unique<Impl>())
{
    if (maxDepth > 0) {
        if (auto flattened = limitNestingDepth(utf8, maxDepth)) {
            m_impl->flattened = std::move(*flattened);
            utf8 = m_impl->flattened;
        }
    }
    GumboOptions options = kGumboDefaultOptions;
    // With error recording on, every parse error keeps a copy of the stack of open
    // elements: deep or badly broken markup would take gigabytes.
    options.max_errors = 0;
    options.stop_on_first_error = false;
    options.allocator = &ParserArena::allocate;
    options.deallocator = &ParserArena::release;
    options.userdata = &m_impl->arena;
    m_impl->output = parseGuarded(options, utf8);
    if (!m_impl->output) {
        // Parse what the library can surely handle: the page's text with its markup
        // taken out, so no text is lost.
        m_impl->fallback = true;
        m_impl->arena.reset();
        m_impl->flattened = textWithoutMarkup(utf8);
        m_impl->output = parseGuarded(options, m_impl->flattened);
        if (!m_impl->output) {
            m_impl->arena.reset();
            m_impl->output = parseGuarded(options, std::string_view());
        }
    }
}

bool HtmlDocument::parsedWholly() const
{
    return !m_impl->fallback;
}

// The arena releases the whole tree at once.
HtmlDocument::~HtmlDocument() = default;

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

std::size_t HtmlDocument::indexInParent(Node node)
{
    return asGumbo(node)->index_within_parent;
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
