// The only file that includes the HTML parser's header.
#include "engine/html/html_document.h"

#include <gumbo.h>
#include <setjmp.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/ascii.h"
#include "engine/html/markup_as_text.h"
#include "engine/html/parser_arena.h"
#include "engine/html/spared_text.h"

namespace sorvane {

struct HtmlDocument::Impl {
    ParserArena arena;
    GumboOutput* output = nullptr;
    std::string clamped;    // the page with overflowing numeric references spelled &#xFFFD;
    std::string flattened;  // the markup the parser saw, when it had to be rewritten
    std::string spared;     // the markup with long runs of text as placeholders
    std::vector<std::string_view> runs;  // what the placeholders stand for
    bool lineBreaksInText = false;
    std::string rest;       // the text of the part cut off at the node cap, as a page
    bool fallback = false;  // the parser failed on the page; its text was parsed instead

    // Decoded text kept by keepReadText: every node's pieces, in order, in one string; a
    // piece of length kBreak is a line break.
    struct KeptPiece {
        std::uint32_t offset;
        std::uint32_t length;
    };
    static constexpr std::uint32_t kBreak = UINT32_MAX;
    bool keep = false;
    std::string keptText;
    std::vector<KeptPiece> keptPieces;
    std::unordered_map<Node, std::pair<std::size_t, std::size_t>> keptNodes;  // first piece, count
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

// The part of the page cut off at the node cap: its text, with a line break where a
// tag started a line, is parsed as a page of its own (one text node, whatever the
// markup was) and its block is moved to the end of the document's body, so it shows
// after everything else in a context of its own.
void appendRest(ParserArena& arena, GumboOutput* output, const GumboOptions& options, std::string& page,
                std::string_view rest, bool restInHiddenSvg)
{
    page = "<!DOCTYPE html><body><sorvane-rest style=\"display:block;white-space:pre-line\">" +
           markupAsText(rest, MarkupTextFor::CutOffRest, restInHiddenSvg);
    const GumboOutput* restOutput = parseGuarded(options, page);
    if (!restOutput)
        return;
    GumboNode* block = nullptr;
    for (GumboNode* n = restOutput->root; n && !block;) {
        const GumboVector& children = n->v.element.children;
        GumboNode* next = nullptr;
        for (unsigned i = 0; i < children.length && !next; ++i) {
            auto* c = static_cast<GumboNode*>(children.data[i]);
            if (c->type != GUMBO_NODE_ELEMENT)
                continue;
            if (c->v.element.tag == GUMBO_TAG_BODY)
                next = c;
            else if (c->v.element.tag == GUMBO_TAG_UNKNOWN)
                block = c;
        }
        n = next;
    }
    if (!block)
        return;
    GumboNode* into = output->root;
    const GumboVector& top = into->v.element.children;
    for (unsigned i = 0; i < top.length; ++i) {
        auto* c = static_cast<GumboNode*>(top.data[i]);
        if (c->type == GUMBO_NODE_ELEMENT && c->v.element.tag == GUMBO_TAG_BODY)
            into = c;
    }
    GumboVector& children = into->v.element.children;
    auto** data = static_cast<void**>(ParserArena::allocate(&arena, (children.length + 1) * sizeof(void*)));
    if (children.length > 0)
        std::memcpy(data, children.data, children.length * sizeof(void*));
    data[children.length] = block;
    block->parent = into;
    block->index_within_parent = children.length;
    children.data = data;
    children.capacity = children.length + 1;
    ++children.length;
}

}  // namespace

HtmlDocument::HtmlDocument(std::string_view utf8, int maxDepth, BareLineBreaks lineBreaks)
    : m_impl(std::make_unique<Impl>())
{
    if (auto clamped = clampNumericReferences(utf8)) {
        m_impl->clamped = std::move(*clamped);
        utf8 = m_impl->clamped;
    }
    std::string_view rest;
    bool restInHiddenSvg = false;
    std::optional<SparedText> spared;
    if (maxDepth > 0) {
        LimitedMarkup limited = limitMarkup(utf8, maxDepth, parserNodeCap(utf8.size()));
        if (limited.restFrom < utf8.size())
            rest = utf8.substr(limited.restFrom);
        restInHiddenSvg = limited.restInHiddenSvg;
        if (limited.markup) {
            m_impl->flattened = std::move(*limited.markup);
            utf8 = m_impl->flattened;
        }
        spared = spareTextRuns(utf8, limited, lineBreaks == BareLineBreaks::InText);
    }
    std::string_view parsed = utf8;
    if (spared) {
        m_impl->spared = std::move(spared->markup);
        m_impl->runs = std::move(spared->runs);
        parsed = m_impl->spared;
        for (std::string_view run : m_impl->runs)
            m_impl->lineBreaksInText = m_impl->lineBreaksInText || run.find('<') != std::string_view::npos;
    }
    GumboOptions options = kGumboDefaultOptions;
    // With error recording on, every parse error keeps a copy of the stack of open
    // elements: deep or badly broken markup would take gigabytes.
    options.max_errors = 0;
    options.stop_on_first_error = false;
    options.allocator = &ParserArena::allocate;
    options.deallocator = &ParserArena::release;
    options.userdata = &m_impl->arena;
    m_impl->output = parseGuarded(options, parsed);
    if (!m_impl->output) {
        // Parse what the library can surely handle: the page's text with its markup
        // taken out, so no text is lost.
        m_impl->fallback = true;
        m_impl->runs.clear();
        m_impl->lineBreaksInText = false;
        m_impl->arena.reset();
        m_impl->flattened = markupAsText(utf8, MarkupTextFor::FailedPage);
        m_impl->output = parseGuarded(options, m_impl->flattened);
        if (!m_impl->output) {
            m_impl->arena.reset();
            m_impl->output = parseGuarded(options, std::string_view());
        }
    }
    if (!rest.empty())
        appendRest(m_impl->arena, m_impl->output, options, m_impl->rest, rest, restInHiddenSvg);
}

bool HtmlDocument::parsedWholly() const
{
    return !m_impl->fallback;
}

bool HtmlDocument::lineBreaksInText() const
{
    return m_impl->lineBreaksInText;
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

std::vector<HtmlDocument::Node> HtmlDocument::elementsNamed(std::string_view name) const
{
    std::vector<Node> found;
    std::vector<Node> stack{documentNode()};
    while (!stack.empty()) {
        const Node n = stack.back();
        stack.pop_back();
        if (kind(n) == HtmlNodeKind::Element && tagName(n) == name)
            found.push_back(n);
        for (std::size_t i = childCount(n); i-- > 0;)
            stack.push_back(child(n, i));
    }
    return found;
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
    return std::string_view(s, ParserArena::stringLength(s));
}

}  // namespace

std::optional<std::string_view> HtmlDocument::attribute(Node node, const char* name)
{
    // The parser writes every attribute name in lower case but a few of SVG and MathML
    // ("viewBox"), none of which is asked for, and the names asked for are lower case: a
    // plain comparison finds what a comparison without case would, for a fraction of its
    // cost (styles and the cleaner ask several times for every element).
    const GumboVector& attributes = asGumbo(node)->v.element.attributes;
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto* a = static_cast<const GumboAttribute*>(attributes.data[i]);
        if (std::strcmp(a->name, name) == 0)
            return parserString(a->value);
    }
    return std::nullopt;
}

// The long runs of text the parser was spared are read from the page itself.
void HtmlDocument::keepReadText() const
{
    Impl& impl = *m_impl;
    if (impl.keep)
        return;
    impl.keep = true;
    // Decoded text is seldom longer than its markup: room for all of it at once.
    std::size_t size = 0;
    for (std::string_view run : impl.runs)
        size += run.size();
    impl.keptText.reserve(size);
}

void HtmlDocument::readText(Node node, HtmlTextReader& reader) const
{
    const std::string_view parsed = parserString(asGumbo(node)->v.text.text);
    if (m_impl->runs.empty() || !holdsSparedRuns(parsed)) {
        reader.text(parsed);
        return;
    }
    Impl& impl = *m_impl;
    if (!impl.keep) {
        readSparedText(parsed, impl.runs, reader);
        return;
    }
    if (const auto kept = impl.keptNodes.find(node); kept != impl.keptNodes.end()) {
        const auto [first, count] = kept->second;
        for (std::size_t i = first; i < first + count; ++i) {
            const Impl::KeptPiece piece = impl.keptPieces[i];
            if (piece.length == Impl::kBreak)
                reader.lineBreak();
            else
                reader.text(std::string_view(impl.keptText).substr(piece.offset, piece.length));
        }
        return;
    }
    // Read once, kept, and passed on as it is kept: the text between two line breaks as
    // one piece, where decoding gives it in many (a reference is a piece of its own).
    struct Keeper : HtmlTextReader {
        Impl& impl;
        HtmlTextReader& next;
        std::size_t open;  // where the text since the last break starts in keptText
        Keeper(Impl& i, HtmlTextReader& n) : impl(i), next(n), open(i.keptText.size()) {}
        void text(std::string_view piece) override { impl.keptText.append(piece); }
        void lineBreak() override
        {
            close();
            impl.keptPieces.push_back({0, Impl::kBreak});
            next.lineBreak();
        }
        void close()
        {
            if (impl.keptText.size() > open) {
                const auto length = static_cast<std::uint32_t>(impl.keptText.size() - open);
                impl.keptPieces.push_back({static_cast<std::uint32_t>(open), length});
                next.text(std::string_view(impl.keptText).substr(open, length));
            }
            open = impl.keptText.size();
        }
    };
    // Offsets are 32 bits: past a gigabyte of kept text, nodes are read as before.
    if (impl.keptText.size() >= (std::size_t{1} << 30)) {
        readSparedText(parsed, impl.runs, reader);
        return;
    }
    const std::size_t first = impl.keptPieces.size();
    Keeper keeper(impl, reader);
    readSparedText(parsed, impl.runs, keeper);
    keeper.close();
    impl.keptNodes.emplace(node, std::make_pair(first, impl.keptPieces.size() - first));
}

std::string_view HtmlDocument::text(Node node)
{
    return parserString(asGumbo(node)->v.text.text);
}

std::string_view HtmlDocument::textOf(Node node) const
{
    const std::string_view parsed = parserString(asGumbo(node)->v.text.text);
    if (m_impl->runs.empty() || !holdsSparedRuns(parsed))
        return parsed;
    struct Joined : HtmlTextReader {
        std::string& out;
        explicit Joined(std::string& o) : out(o) {}
        void text(std::string_view piece) override { out.append(piece); }
        void lineBreak() override { out.push_back('\n'); }
    } joined(m_text);
    m_text.clear();
    readSparedText(parsed, m_impl->runs, joined);
    return m_text;
}

}  // namespace sorvane
