// The rendered text of an element, by the steps that define innerText. Two lists of
// steps are followed: the outer innerText steps ("innerText step N"), which join the
// items and turn required line break counts into line breaks, and the rendered text
// collection steps run on every node ("collection step N"), which give those items.
// The items are not kept as a list: LineBreakOutput writes them as they come.
#include "engine/render/inner_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include "common/ascii.h"

namespace sorvane {
namespace {

using Node = HtmlDocument::Node;

// What an HTML element is, apart from its style.
struct ElementNature {
    bool replaced = false;   // an atomic box whose children are never rendered
    bool skip = false;       // never rendered, whatever its style says
    bool paragraph = false;  // <p>: two required line breaks around it
    bool lineBreak = false;  // <br>
};

ElementNature natureOf(std::string_view n)
{
    auto is = [&](std::initializer_list<std::string_view> list) {
        return std::find(list.begin(), list.end(), n) != list.end();
    };
    ElementNature e;
    // <noscript> is shown only where scripts are off, and a browser runs them; a
    // template's content is not part of the document.
    e.skip = n == "noscript" || n == "template";
    e.replaced = is({"img", "input", "textarea", "iframe", "video", "audio", "canvas", "object", "embed", "meter",
                     "progress", "image"});
    e.paragraph = n == "p";
    e.lineBreak = n == "br";
    return e;
}

// Natures indexed by the parser's tag code.
const std::vector<ElementNature>& natureTable()
{
    static const std::vector<ElementNature> table = [] {
        std::vector<ElementNature> v(static_cast<std::size_t>(HtmlDocument::tagCodeCount()));
        for (int code = 0; code < HtmlDocument::tagCodeCount(); ++code)
            v[static_cast<std::size_t>(code)] = natureOf(HtmlDocument::tagNameOfCode(code));
        return v;
    }();
    return table;
}

bool isBlockLevel(Display d)
{
    return d == Display::Block || d == Display::Table || d == Display::TableCaption || d == Display::Flex;
}

bool isAtomicInline(Display d)
{
    return d == Display::InlineBlock || d == Display::InlineTable || d == Display::InlineFlex;
}

bool svgRenders(std::string_view n)
{
    return n == "svg" || n == "g" || n == "text" || n == "tspan" || n == "textpath" || n == "a" ||
           n == "switch" || n == "foreignobject";
}

bool svgIsText(std::string_view n)
{
    return n == "text" || n == "tspan" || n == "textpath";
}

// Which children of an element get boxes.
enum class ChildFilter : std::uint8_t {
    All,
    OptionsAndGroups,  // <select>: only its <option> and <optgroup> children
    Options,           // <optgroup>: only its <option> children
    Summary,           // a closed <details>: only its first <summary>
    SvgText,           // SVG outside a text element: only elements, no text
};

// What an element's children inherit and which of them get boxes.
struct Context {
    ComputedStyle style;
    ChildFilter filter = ChildFilter::All;
    bool tableWrapper = false;  // white space between table parts gets no box
    bool svgText = false;
};

// The box of one element.
struct Box {
    ComputedStyle style;
    bool replaced = false;
    bool paragraph = false;
    bool lineBreak = false;
    bool svgText = false;
    ChildFilter filter = ChildFilter::All;
};

// The items of the collection steps, written out as they come. Strings are appended
// as UTF-16 with LF written as CR LF; a required line break count waits until the
// next string, so runs of counts merge to their largest (innerText step 4) and counts
// at the start and at the end are dropped (innerText step 3). Empty strings never
// start a line (innerText step 2). Collapsible white space between strings waits here
// too, so it can be dropped at the end of a line. Units are written to a small buffer
// first and go to the text a buffer at a time.
class LineBreakOutput {
public:
    explicit LineBreakOutput(std::size_t reserve) { m_out.reserve(reserve); }

    Text take()
    {
        flush();
        return std::move(m_out);
    }

    // A required line break count.
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

    // The start of an atomic inline box: a space before it is kept, and spaces after
    // it are not at the start of a line.
    void atomicBoundary()
    {
        if (m_pendingSpace) {
            beginString();
            put(u' ');
        }
        m_pendingSpace = false;
        m_lineStart = false;
    }

    // The end of an atomic inline box: a space pending at the end of its content is
    // dropped (its own line ends there), and spaces after it are not at the start of a
    // line.
    void afterAtomic()
    {
        m_pendingSpace = false;
        m_lineStart = false;
    }

    void lineFeed()
    {
        m_pendingSpace = false;
        beginString();
        put(u'\r');
        put(u'\n');
        m_lineStart = true;
    }

    void tab()
    {
        beginString();
        put(u'\t');
    }

    // A text node's text after the white-space processing rules (collection step 4).
    void text(std::string_view s, WhiteSpace ws);

private:
    static constexpr std::size_t kBuffer = 4096;

    void put(char16_t c)
    {
        if (m_buffered == kBuffer)
            flush();
        m_buffer[m_buffered++] = c;
    }

    void flush()
    {
        m_out.append(m_buffer.data(), m_buffered);
        m_buffered = 0;
    }

    // Starts a non-empty string: required line breaks before it become line breaks.
    void beginString()
    {
        if (m_pendingBreaks) {
            if (m_buffered != 0 || !m_out.empty())
                for (int i = 0; i < m_pendingBreaks; ++i) {
                    put(u'\r');
                    put(u'\n');
                }
            m_pendingBreaks = 0;
        }
    }

    void flushSpace()
    {
        if (m_pendingSpace) {
            m_pendingSpace = false;
            put(u' ');
        }
    }

    // A run of characters that are not white space, as UTF-16: a no-break space becomes
    // a plain space, as a browser's plain-text copy gives it, and a NUL, which in the
    // parser's text stands for a character reference out of Unicode's range, U+FFFD.
    // A piece of up to kBuffer / 2 bytes at a time, ending at a character's end: no
    // byte gives more than one unit, so the piece fits in the buffer once it is flushed.
    void putRun(std::string_view run)
    {
        while (!run.empty()) {
            std::size_t n = std::min(run.size(), kBuffer / 2);
            if (n < run.size())
                while (n > 1 && (static_cast<unsigned char>(run[n]) & 0xC0) == 0x80)
                    --n;
            if (m_buffered + n > kBuffer)
                flush();
            m_buffered += convertRun(run.substr(0, n), m_buffer.data() + m_buffered);
            run.remove_prefix(n);
        }
    }

    static std::size_t convertRun(std::string_view run, char16_t* out)
    {
        const auto* s = reinterpret_cast<const std::uint8_t*>(run.data());
        const auto length = static_cast<std::int32_t>(run.size());
        char16_t* const start = out;
        for (std::int32_t k = 0; k < length;) {
            if (s[k] < 0x80) {
                // Eight ASCII bytes, none of them NUL, at a time.
                if (k + 8 <= length) {
                    std::uint64_t eight;
                    std::memcpy(&eight, s + k, sizeof eight);
                    constexpr std::uint64_t ones = 0x0101010101010101ULL;
                    constexpr std::uint64_t highs = 0x8080808080808080ULL;
                    if (((eight | ((eight - ones) & ~eight)) & highs) == 0) {
                        for (int j = 0; j < 8; ++j)
                            out[j] = static_cast<char16_t>(s[k + j]);
                        out += 8;
                        k += 8;
                        continue;
                    }
                }
                *out++ = s[k] != 0 ? static_cast<char16_t>(s[k]) : u'\uFFFD';
                ++k;
                continue;
            }
            UChar32 c;
            U8_NEXT_OR_FFFD(s, k, length, c);
            if (c == 0xA0) {
                *out++ = u' ';
            } else if (U_IS_BMP(c)) {
                *out++ = static_cast<char16_t>(c);
            } else {
                *out++ = U16_LEAD(c);
                *out++ = U16_TRAIL(c);
            }
        }
        return static_cast<std::size_t>(out - start);
    }

    Text m_out;
    std::array<char16_t, kBuffer> m_buffer;
    std::size_t m_buffered = 0;
    std::uint8_t m_pendingBreaks = 0;
    bool m_pendingSpace = false;
    bool m_lineStart = true;
};

// Runs of white space collapse to one space, dropped at the start and at the end of a
// line, unless `ws` preserves them; line feeds are kept by the white-space values that
// keep them.
void LineBreakOutput::text(std::string_view s, WhiteSpace ws)
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
                put(static_cast<char16_t>(c == '\f' ? ' ' : c));
                m_lineStart = false;
            } else if (!m_lineStart) {
                m_pendingSpace = true;
            }
            continue;
        }
        beginString();
        flushSpace();
        // A single space between two characters that are not white space comes out as
        // itself under every white-space value, so words and the spaces between them go
        // out as one run.
        size_t end = i;
        while (end < s.size()) {
            if (!isAsciiSpace(s[end]))
                ++end;
            else if (s[end] == ' ' && end + 1 < s.size() && !isAsciiSpace(s[end + 1]))
                end += 2;
            else
                break;
        }
        putRun(s.substr(i, end - i));
        i = end;
        m_lineStart = false;
    }
}

class InnerTextCollector {
public:
    // The text takes at most one UTF-16 unit for each byte of the page (more only where
    // line breaks outnumber the bytes that make them, as in a <pre> of blank lines).
    // That much room is reserved at once: only the part written is ever touched, and the
    // text is never copied as it grows.
    InnerTextCollector(const HtmlDocument& doc, const PageStyle& style, std::size_t sizeHint,
                       const NodeFilter& leaveOut)
        : m_doc(doc), m_style(style), m_natures(natureTable()), m_leaveOut(leaveOut), m_out(sizeHint)
    {
    }

    Text run(Node root)
    {
        // The root's own style: white space, text-transform and the language inherit
        // from it. A hidden <body> or <html> is shown all the same: pages that hide it
        // until a script reveals them would otherwise give no text at all.
        Context ctx;
        for (Node n : {m_doc.documentElement(), root})
            if (n && HtmlDocument::kind(n) == HtmlNodeKind::Element)
                ctx.style = m_style.compute(n, ctx.style);
        ctx.style.visible = true;
        // innerText step 1: the collection steps on each child of the root, in tree order.
        m_stack.push_back(Frame{root, 0, HtmlDocument::childCount(root), ctx, {}, {}});
        walk();
        return m_out.take();
    }

private:
    // An element whose children are being visited; the steps that follow its children
    // run when it is left.
    struct Frame {
        Node node;
        size_t next;
        size_t count;
        Context ctx;  // for the children
        Box box;
        struct {
            std::uint8_t breaks = 0;
            bool blockLevel = false;
            bool atomic = false;
            bool cell = false;
            bool row = false;
            bool sawSummary = false;
        } on;
    };

    // Collection step 1 for every node: children in tree order, without recursion, so
    // the depth of a document costs no stack.
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
            if (m_leaveOut && m_leaveOut(c))
                continue;
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
                // Collection steps 2 and 3: text that is hidden or gets no box gives
                // nothing; step 4: its text after white-space processing and
                // text-transform.
                if (f.ctx.style.visible && f.ctx.filter == ChildFilter::All && (!f.ctx.style.inSvg || f.ctx.svgText)) {
                    TextPieces pieces(*this, f.ctx);
                    m_doc.readText(c, pieces);
                    pieces.finish();
                }
                break;
            default:
                break;
            }
        }
    }

    // A text node's text, and the <br>s the parser left in it (each a line feed, as the
    // element gives: its box is the text's, visible when the text is). Where each piece
    // between them must be treated as the text node it stands for (text-transform, white
    // space between table parts), the pieces are gathered first.
    class TextPieces : public HtmlTextReader {
    public:
        TextPieces(InnerTextCollector& collector, const Context& ctx)
            : m_collector(collector), m_ctx(ctx),
              m_gather(ctx.style.transform != Transform::None || ctx.tableWrapper)
        {
        }

        void text(std::string_view piece) override
        {
            if (m_gather)
                m_node.append(piece);
            else
                m_collector.m_out.text(piece, m_ctx.style.whiteSpace);
        }

        void lineBreak() override
        {
            finish();
            m_collector.m_out.lineFeed();
        }

        // The gathered piece, as a text node of its own.
        void finish()
        {
            if (!m_gather)
                return;
            // White space alone between table parts gets no box.
            const bool blank = std::all_of(m_node.begin(), m_node.end(), isAsciiSpace);
            if (!(blank && m_ctx.tableWrapper)) {
                if (m_ctx.style.transform == Transform::None)
                    m_collector.m_out.text(m_node, m_ctx.style.whiteSpace);
                else
                    m_collector.m_out.text(
                        m_collector.transformed(m_node, m_ctx.style.transform, m_ctx.style.lang),
                        m_ctx.style.whiteSpace);
            }
            m_node.clear();
        }

    private:
        InnerTextCollector& m_collector;
        const Context& m_ctx;
        const bool m_gather;
        std::string m_node;
    };

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

    // Resolves the box of element `n` whose parent's children context is `parent`.
    // Returns nothing when the element gets no box at all (display: none, filtered).
    std::optional<Box> resolve(Node n, const Context& parent) const
    {
        const HtmlNamespace ns = HtmlDocument::ns(n);
        const int code = ns == HtmlNamespace::Html ? HtmlDocument::tagCode(n) : HtmlDocument::unknownTag;
        const std::string_view name =
            code != HtmlDocument::unknownTag ? HtmlDocument::tagNameOfCode(code) : m_doc.tagName(n);

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

        const bool svg = PageStyle::isSvgContent(ns, parent.style);
        ElementNature nature;
        if (svg) {
            if (!svgRenders(name))
                return std::nullopt;
        } else if (ns == HtmlNamespace::MathMl) {
            // What a formula is written in for machines is not shown.
            if (name == "annotation" || name == "annotation-xml")
                return std::nullopt;
        } else if (code != HtmlDocument::unknownTag) {
            nature = m_natures[static_cast<size_t>(code)];
            if (nature.skip)
                return std::nullopt;
        }

        Box box;
        box.style = m_style.compute(n, parent.style);
        if (box.style.display == Display::None)
            return std::nullopt;
        if (svg) {
            box.svgText = parent.svgText || svgIsText(name);
            box.filter = box.svgText || !box.style.inSvg ? ChildFilter::All : ChildFilter::SvgText;
            // Each <text> is laid out as a block of its own, so its text is a line of
            // its own; <tspan> and <textPath> run on inside it.
            if (name == "text" && !parent.svgText)
                box.style.display = Display::Block;
        } else if (ns == HtmlNamespace::MathMl) {
            // A formula set apart (display="block") is a line of its own; an inline
            // one runs on in its sentence.
            const auto display = HtmlDocument::attribute(n, "display");
            if (name == "math" && display && equalsNoCaseAscii(*display, "block"))
                box.style.display = Display::Block;
        } else {
            box.replaced = nature.replaced;
            box.paragraph = nature.paragraph;
            box.lineBreak = nature.lineBreak;
            if (ns == HtmlNamespace::Html) {
                if (name == "select")
                    box.filter = ChildFilter::OptionsAndGroups;
                else if (name == "optgroup")
                    box.filter = ChildFilter::Options;
                else if (name == "details" && !HtmlDocument::attribute(n, "open"))
                    box.filter = ChildFilter::Summary;
            }
        }
        return box;
    }

    // The collection steps of an element that come before its children.
    void enter(Node n, Frame& parentFrame)
    {
        std::optional<Box> resolved = resolve(n, parentFrame.ctx);
        if (parentFrame.ctx.filter == ChildFilter::Summary) {
            if (!resolved || parentFrame.on.sawSummary)
                return;
            parentFrame.on.sawSummary = true;
        }
        // Collection step 3: an element that is not rendered gives nothing.
        if (!resolved)
            return;
        const Box box = *resolved;
        const Context parentCtx = parentFrame.ctx;
        const Display display = box.style.display;
        const bool visible = box.style.visible;

        // Collection step 5: a <br> gives a line feed (step 2: unless it is hidden).
        if (box.lineBreak) {
            if (visible)
                m_out.lineFeed();
            return;
        }
        // Collection steps 8 and 9: a <p> has two required line breaks around it, any
        // other block-level box one; a hidden box has none (step 2).
        const bool blockLevel = isBlockLevel(display);
        std::uint8_t breaks = 0;
        if (visible && display != Display::Contents) {
            if (box.paragraph)
                breaks = 2;
            else if (blockLevel)
                breaks = 1;
        }
        if (breaks)
            m_out.requireBreaks(breaks);
        else if (blockLevel)
            m_out.lineBoundary();

        const bool atomic = !blockLevel && (box.replaced || isAtomicInline(display));
        if (atomic)
            m_out.atomicBoundary();
        if (box.replaced) {
            // Replaced content (images, form controls, embedded documents) gives no text.
            if (breaks)
                m_out.requireBreaks(breaks);
            else if (blockLevel)
                m_out.lineBoundary();
            return;
        }

        Frame f{n, 0, HtmlDocument::childCount(n), parentCtx, box, {}};
        f.ctx.style = box.style;
        f.ctx.filter = box.filter;
        f.ctx.svgText = box.svgText;
        if (display != Display::Contents)
            f.ctx.tableWrapper = display == Display::Table || display == Display::InlineTable ||
                                 display == Display::TableRowGroup || display == Display::TableRow ||
                                 display == Display::TableColumn;
        if (display == Display::TableColumn)
            f.count = 0;  // columns hold no content boxes
        f.on.breaks = breaks;
        f.on.blockLevel = blockLevel;
        f.on.atomic = atomic;
        f.on.cell = display == Display::TableCell;
        f.on.row = display == Display::TableRow;
        if (f.on.cell || f.on.atomic)
            m_out.lineBoundary();
        m_stack.push_back(f);
    }

    // The collection steps of an element that come after its children.
    void leave(const Frame& f)
    {
        if (f.on.atomic)
            m_out.afterAtomic();
        // Collection step 6: a tab after a cell that is not the last of its row.
        if (f.on.cell) {
            m_out.lineBoundary();
            if (f.box.style.visible && hasLaterSibling(f.node, Display::TableCell))
                m_out.tab();
        }
        // Collection step 7: a line feed after a row that is not the last of its table.
        if (f.on.row) {
            m_out.lineBoundary();
            if (f.box.style.visible && !isLastRow(f.node))
                m_out.lineFeed();
        }
        // Collection steps 8 and 9: the required line breaks after the box.
        if (f.on.breaks)
            m_out.requireBreaks(f.on.breaks);
        else if (f.on.blockLevel)
            m_out.lineBoundary();
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
            if (auto box = resolve(c, plain); box && box->style.display == d)
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
        if (!groupBox || groupBox->style.display != Display::TableRowGroup)
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
            if (!box || box->style.display != Display::TableRowGroup)
                continue;
            const size_t rows = HtmlDocument::childCount(g);
            for (size_t r = 0; r < rows; ++r) {
                const Node c = HtmlDocument::child(g, r);
                if (HtmlDocument::kind(c) != HtmlNodeKind::Element)
                    continue;
                if (auto rb = resolve(c, plain); rb && rb->style.display == Display::TableRow)
                    return false;
            }
        }
        return true;
    }

    const HtmlDocument& m_doc;
    const PageStyle& m_style;
    const std::vector<ElementNature>& m_natures;
    const NodeFilter& m_leaveOut;
    std::unordered_map<std::string, icu::Locale> m_locales;  // by language subtag
    std::vector<Frame> m_stack;
    LineBreakOutput m_out;
};

}  // namespace

Text collectInnerText(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style, std::size_t sizeHint,
                      const NodeFilter& leaveOut)
{
    return InnerTextCollector(doc, style, sizeHint, leaveOut).run(root);
}

}  // namespace sorvane
