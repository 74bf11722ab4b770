// The only file that includes the HTML parser's header.
#include "engine/html_document.h"

#include <gumbo.h>
#include <setjmp.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "common/ascii.h"

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

    // The size a block was asked for. The parser hands out each decoded text and
    // attribute value as a block of its length plus a terminating NUL, so this gives
    // the length of a text that holds NUL bytes.
    static size_t requestedSize(const void* p)
    {
        std::uint64_t size;
        std::memcpy(&size, static_cast<const char*>(p) - 16, 8);
        return static_cast<size_t>(size);
    }

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
        std::uint64_t size;  // as asked for; at the same place as a small block's
        std::uint64_t tag;
    };
    static_assert(sizeof(Large) == 32);

    void* take(size_t size)
    {
        if (size > kSmall) {
            auto* l = static_cast<Large*>(std::malloc(sizeof(Large) + size));
            if (!l)
                throw std::bad_alloc();
            l->size = size;
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
        const std::uint64_t requested = size;
        std::memcpy(block, &requested, 8);
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
    std::string clamped;    // the page with overflowing numeric references spelled &#xFFFD;
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
        if (i >= n || !(isAsciiAlpha(s[i]) || (!endTag && (s[i] == '!' || s[i] == '?')))) {
            out += "&lt;";
            ++pos;
            continue;
        }
        std::string name;
        while (i < n && !isAsciiSpace(s[i]) && s[i] != '/' && s[i] != '>')
            name.push_back(toLowerAscii(s[i++]));
        const size_t gt = s.find('>', i);
        pos = gt == std::string_view::npos ? n : gt + 1;
        if (!endTag && (name == "script" || name == "style")) {
            // Skip the content up to the end tag.
            for (size_t at = pos;;) {
                const size_t close = s.find("</", at);
                if (close == std::string_view::npos) {
                    pos = n;
                    break;
                }
                if (hasNoCaseAt(s, close + 2, name)) {
                    const size_t end = s.find('>', close);
                    pos = end == std::string_view::npos ? n : end + 1;
                    break;
                }
                at = close + 2;
            }
        } else if (closesParagraph(name) || name == "br" || name == "tr" || name == "td" || name == "th") {
            out += "<br>";
        }
    }
    return out;
}

// The parser misreads a numeric character reference whose value overflows its own
// arithmetic (&#xFFFFFFFF; swallows the reference and the line break after it). Every
// reference past the last code point is spelled &#xFFFD; instead, which is what the
// parser must give for it anyway. Returns the rewritten text, or nothing when no
// reference needed it.
std::optional<std::string> clampNumericReferences(std::string_view s)
{
    std::optional<std::string> out;
    size_t copied = 0;
    for (size_t pos = s.find("&#"); pos != std::string_view::npos; pos = s.find("&#", pos + 2)) {
        size_t i = pos + 2;
        const bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
        if (hex)
            ++i;
        const size_t digitsStart = i;
        std::uint64_t value = 0;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && (c >= 'a' && c <= 'f'))
                digit = c - 'a' + 10;
            else if (hex && (c >= 'A' && c <= 'F'))
                digit = c - 'A' + 10;
            if (digit < 0)
                break;
            if (value <= 0x10FFFF)
                value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
        }
        if (i == digitsStart || value <= 0x10FFFF)
            continue;
        if (!out)
            out.emplace().reserve(s.size());
        out->append(s.substr(copied, pos - copied));
        out->append("&#xFFFD");
        copied = i;
        pos = i - 2;
    }
    if (out)
        out->append(s.substr(copied));
    return out;
}

}  // namespace

HtmlDocument::HtmlDocument(std::string_view utf8, int maxDepth) : m_impl(std::make_unique<Impl>())
{
    if (auto clamped = clampNumericReferences(utf8)) {
        m_impl->clamped = std::move(*clamped);
        utf8 = m_impl->clamped;
    }
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
        c = toLowerAscii(c);
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

namespace {

// A decoded string of the parser, read by its length: a numeric character reference
// the parser mishandles can put a NUL into it, and a C-string reading would end the
// text there. Every string the parser hands out comes from the arena as its length
// plus a terminating NUL; anything that does not look so is read up to its first NUL.
std::string_view parserString(const char* s)
{
    const size_t shortest = std::strlen(s);
    const size_t size = ParserArena::requestedSize(s);
    if (size > shortest + 1 && s[size - 1] == '\0')
        return std::string_view(s, size - 1);
    return std::string_view(s, shortest);
}

}  // namespace

std::optional<std::string_view> HtmlDocument::attribute(Node node, const char* name)
{
    const GumboAttribute* a = gumbo_get_attribute(&asGumbo(node)->v.element.attributes, name);
    if (!a)
        return std::nullopt;
    return parserString(a->value);
}

std::string_view HtmlDocument::text(Node node)
{
    return parserString(asGumbo(node)->v.text.text);
}

}  // namespace sorvane
