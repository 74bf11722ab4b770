#include "engine/clean/block_scores.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string_view>

#include "engine/clean/text_marks.h"

namespace sorvane::clean {
namespace {

using Node = HtmlDocument::Node;

// Class and id words that name the running text of a page, and words that name what a
// site puts around it. Short words count only as a whole word of the attribute ("nr",
// "ad"); longer ones anywhere in it ("chaptercontent", "footer_nav").
constexpr std::string_view kStoryParts[] = {"content", "article", "chapter", "booktext", "novel",
                                                         "story",   "zhengwen", "yuedu", "txtbox"};
constexpr std::string_view kStoryWords[] = {"nr", "nr1", "zw", "txt", "text", "cont", "con", "body", "entry"};
constexpr std::string_view kFurnitureParts[] = {
    "nav",    "menu",     "footer",   "header",   "sidebar",    "comment",  "banner",  "share",   "recommend",
    "tuijian", "copyright", "bottom", "toolbar", "breadcrumb", "crumb",   "pager",   "pagination", "pagedown",
    "pageup", "link",     "login",    "search",   "advert",     "guanggao", "notice",  "related", "widget",
    "popup",  "bookinfo", "intro",    "setting"};
constexpr std::string_view kFurnitureWords[] = {"ad", "ads", "gg", "top", "foot", "head", "tip",
                                                              "tips", "hot", "rank", "list", "info"};

bool holdsPart(std::string_view value, std::string_view part)
{
    return value.find(part) != std::string_view::npos;
}

struct ClassWords {
    float weight = 1;    // by the words of the class and id: story parts up, furniture down
    bool title = false;  // the class or id names a title
};

// What an element's class and id words say of it, read once from the attributes
// (lower-cased, at most their first 200 bytes).
ClassWords classWords(Node n)
{
    bool story = false;
    bool furniture = false;
    bool title = false;
    for (const char* attribute : {"class", "id"}) {
        const std::optional<std::string_view> raw = HtmlDocument::attribute(n, attribute);
        if (!raw || raw->empty())
            continue;
        char buffer[200];
        const std::size_t size = std::min(raw->size(), sizeof buffer);
        for (std::size_t i = 0; i < size; ++i) {
            const char c = (*raw)[i];
            buffer[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
        const std::string_view value(buffer, size);
        for (std::string_view p : kStoryParts)
            story = story || holdsPart(value, p);
        for (std::string_view p : kFurnitureParts)
            furniture = furniture || holdsPart(value, p);
        title = title || holdsPart(value, "title") || holdsPart(value, "chaptername") || holdsPart(value, "zjname");
        // Whole words: runs of letters and digits.
        std::size_t i = 0;
        while (i < value.size()) {
            while (i < value.size() && !std::isalnum(static_cast<unsigned char>(value[i])))
                ++i;
            std::size_t e = i;
            while (e < value.size() && std::isalnum(static_cast<unsigned char>(value[e])))
                ++e;
            const std::string_view word(value.data() + i, e - i);
            if (!word.empty()) {
                story = story || std::find(std::begin(kStoryWords), std::end(kStoryWords), word) != std::end(kStoryWords);
                furniture =
                    furniture || std::find(std::begin(kFurnitureWords), std::end(kFurnitureWords), word) !=
                                    std::end(kFurnitureWords);
            }
            i = e;
        }
    }
    ClassWords out;
    if (story)
        out.weight *= 1.5f;
    if (furniture)
        out.weight *= 0.3f;
    out.title = title;
    return out;
}

bool isContainer(Display d)
{
    return d == Display::Block || d == Display::Flex || d == Display::TableCell || d == Display::TableCaption ||
           d == Display::InlineBlock || d == Display::InlineFlex;
}

struct Frame {
    Node node;
    std::size_t next;
    std::size_t count;
    ComputedStyle style;
    std::int32_t index;      // this element's stats
    std::int32_t container;  // the nearest container at or above it
    bool inLink;
};

class StatsWalk {
public:
    StatsWalk(const HtmlDocument& doc, const PageStyle& style) : m_doc(doc), m_style(style) {}

    std::vector<BlockStats> run(Node root)
    {
        ComputedStyle rootStyle;
        for (Node n : {m_doc.documentElement(), root})
            if (n && HtmlDocument::kind(n) == HtmlNodeKind::Element)
                rootStyle = m_style.compute(n, rootStyle);
        rootStyle.visible = true;
        m_blocks.reserve(512);
        BlockStats first;
        first.node = root;
        first.container = true;
        m_blocks.push_back(first);
        m_stack.push_back(Frame{root, 0, HtmlDocument::childCount(root), rootStyle, 0, 0, false});
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
            case HtmlNodeKind::Text:
            case HtmlNodeKind::CData:
                if (f.style.visible)
                    countTextNode(c, f);
                break;
            default:
                break;
            }
        }
        // Sums from the leaves up: children come after their parent.
        for (std::size_t i = m_blocks.size(); i-- > 1;) {
            const BlockStats& b = m_blocks[i];
            BlockStats& p = m_blocks[static_cast<std::size_t>(b.parent)];
            p.chars += b.chars;
            p.linkChars += b.linkChars;
            p.punctuation += b.punctuation;
            p.links += b.links;
            p.chapterLinks += b.chapterLinks;
            p.chapterLinkChars += b.chapterLinkChars;
        }
        return std::move(m_blocks);
    }

private:
    void enter(Node n, const Frame& parent)
    {
        const int code = HtmlDocument::ns(n) == HtmlNamespace::Html ? HtmlDocument::tagCode(n) : HtmlDocument::unknownTag;
        const std::string_view name = code != HtmlDocument::unknownTag ? HtmlDocument::tagNameOfCode(code) : m_doc.tagName(n);
        if (name == "noscript" || name == "template" || name == "script" || name == "style")
            return;
        if (name == "br") {
            ++m_blocks[static_cast<std::size_t>(parent.container)].lineBreaks;
            return;
        }
        const ComputedStyle style = m_style.compute(n, parent.style);
        if (style.display == Display::None)
            return;
        BlockStats b;
        b.node = n;
        b.parent = parent.index;
        b.depth = m_blocks[static_cast<std::size_t>(parent.index)].depth + 1;
        b.firstChar = m_chars;
        b.container = isContainer(style.display);
        b.link = name == "a" && HtmlDocument::attribute(n, "href").has_value();
        const ClassWords words = classWords(n);
        b.heading = name == "h1" || name == "h2" || name == "h3" || words.title;
        b.paragraph = name == "p";
        b.classWeight = words.weight;
        const auto index = static_cast<std::int32_t>(m_blocks.size());
        m_blocks.push_back(b);
        const bool opaque = name == "img" || name == "input" || name == "textarea" || name == "iframe" ||
                            name == "object" || name == "embed" || name == "video" || name == "audio" ||
                            name == "canvas";
        if (b.link && !parent.inLink)
            m_linkText.clear();
        m_stack.push_back(Frame{n, 0, opaque ? 0 : HtmlDocument::childCount(n), style, index,
                                b.container ? index : parent.container, parent.inLink || b.link});
    }

    void leave(const Frame& f)
    {
        BlockStats& b = m_blocks[static_cast<std::size_t>(f.index)];
        b.end = static_cast<std::uint32_t>(m_blocks.size());
        if (!b.link)
            return;
        b.links = 1;
        if (findChapterMark(m_linkText)) {
            b.chapterLinks = 1;
            b.chapterLinkChars = static_cast<std::uint32_t>(trimBlanks(m_linkText).size());
        }
        m_linkText.clear();
    }

    // A text node's text, and the bare <br>s the parser left in it (each a line break of
    // the nearest block, as a <br> element is). The counts gather in the reader and reach
    // the blocks once a node: a node comes in many small pieces (every reference is one).
    void countTextNode(Node node, const Frame& f)
    {
        struct Pieces : HtmlTextReader {
            StatsWalk& walk;
            bool inLink;
            std::uint32_t chars = 0;
            std::uint32_t punctuation = 0;
            std::uint32_t lineBreaks = 0;
            Pieces(StatsWalk& w, bool link) : walk(w), inLink(link) {}
            void text(std::string_view piece) override
            {
                if (inLink)
                    walk.countLinkText(piece, chars);
                else
                    countPlainText(piece, chars, punctuation);
            }
            void lineBreak() override { ++lineBreaks; }
        } pieces(*this, f.inLink);
        m_doc.readText(node, pieces);
        m_blocks[static_cast<std::size_t>(f.container)].lineBreaks += pieces.lineBreaks;
        m_chars += pieces.chars;
        BlockStats& own = m_blocks[static_cast<std::size_t>(f.index)];
        own.chars += pieces.chars;
        if (f.inLink) {
            own.linkChars += pieces.chars;
            return;
        }
        own.punctuation += pieces.punctuation;
        BlockStats& container = m_blocks[static_cast<std::size_t>(f.container)];
        container.ownChars += pieces.chars;
        container.ownPunctuation += pieces.punctuation;
    }

    // The character at `i` of UTF-8 text, and its length in bytes (a cut sequence reads
    // as far as the text goes).
    static char32_t decodeAt(std::string_view s, std::size_t i, std::size_t& length)
    {
        const auto lead = static_cast<unsigned char>(s[i]);
        const auto* bytes = reinterpret_cast<const unsigned char*>(s.data());
        // The usual cases, whole: Chinese punctuation (three bytes) and the no-break
        // space (two).
        if (lead >= 0xE0 && lead < 0xF0 && i + 2 < s.size()) {
            length = 3;
            return (char32_t{lead & 0x0Fu} << 12) | (char32_t{bytes[i + 1] & 0x3Fu} << 6) | (bytes[i + 2] & 0x3Fu);
        }
        if (lead >= 0xC0 && lead < 0xE0 && i + 1 < s.size()) {
            length = 2;
            return (char32_t{lead & 0x1Fu} << 6) | (bytes[i + 1] & 0x3Fu);
        }
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length == 1)
            return lead;
        char32_t c = lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        return c;
    }

    // Characters that are not blanks, and the sentence marks among them, of text outside
    // links: the running text of the page, so the loop that most pages spend their time in.
    static void countPlainText(std::string_view s, std::uint32_t& charsOut, std::uint32_t& punctuationOut)
    {
        // Counted in locals: through the references, every character would be a store the
        // next one waits for (the text's bytes may alias them).
        std::uint32_t chars = 0;
        std::uint32_t punctuation = 0;
        for (std::size_t i = 0; i < s.size();) {
            const auto lead = static_cast<unsigned char>(s[i]);
            // Han characters (U+4000 to U+9FFF: lead bytes E4 to E9) are neither blank
            // nor punctuation: they only count.
            if (lead >= 0xE4 && lead <= 0xE9) {
                i += 3;
                ++chars;
                continue;
            }
            if (lead < 0x80) {
                // Eight bytes at a time while they are spaces and ASCII from '@' on
                // (letters, neither blank nor punctuation): the words of Latin prose.
                if (i + 8 <= s.size()) {
                    std::uint64_t eight;
                    std::memcpy(&eight, s.data() + i, sizeof eight);
                    constexpr std::uint64_t ones = 0x0101010101010101ULL;
                    constexpr std::uint64_t highs = 0x8080808080808080ULL;
                    constexpr std::uint64_t lows = 0x7F7F7F7F7F7F7F7FULL;
                    const std::uint64_t spaced = eight ^ (ones * ' ');
                    // The high bit of each byte that is a space, exactly.
                    const std::uint64_t spaces = ~(((spaced & lows) + lows) | spaced) & highs;
                    // ... and of each byte below '@'.
                    const std::uint64_t below = ~(eight + ones * 0x40) & highs;
                    if ((eight & highs) == 0 && (below & ~spaces) == 0) {
                        chars += 8 - static_cast<std::uint32_t>(((spaces >> 7) * ones) >> 56);
                        i += 8;
                        continue;
                    }
                }
                ++i;
                // Letters and the rest of ASCII from '@' on are neither blank nor
                // punctuation: Latin text only counts them.
                if (lead >= 0x40) {
                    ++chars;
                    continue;
                }
                if (lead == ' ' || lead == '\n' || lead == '\r' || lead == '\t' || lead == '\f')
                    continue;
                punctuation += isSentencePunctuation(lead) ? 1 : 0;
                ++chars;
                continue;
            }
            // The no-break space, a blank: the indent of many sites' paragraphs.
            if (lead == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xA0) {
                i += 2;
                continue;
            }
            std::size_t length = 1;
            const char32_t c = decodeAt(s, i, length);
            i += length;
            if (c <= 0xFFFF) {
                const auto u = static_cast<char16_t>(c);
                if (isBlank(u))
                    continue;
                punctuation += isSentencePunctuation(u) ? 1 : 0;
            }
            ++chars;
        }
        charsOut += chars;
        punctuationOut += punctuation;
    }

    // The same count for link text, which also keeps the link's first characters for
    // the chapter-mark test.
    void countLinkText(std::string_view s, std::uint32_t& charsOut)
    {
        std::uint32_t chars = 0;
        for (std::size_t i = 0; i < s.size();) {
            std::size_t length = 1;
            const char32_t c = decodeAt(s, i, length);
            i += length;
            if (c <= 0xFFFF) {
                const auto u = static_cast<char16_t>(c);
                if (u == u'\n' || u == u'\r' || u == u'\f' || u == u' ' || u == u'\t' || isBlank(u))
                    continue;
                if (m_linkText.size() < 80)
                    m_linkText.push_back(u);
            }
            ++chars;
        }
        charsOut += chars;
    }

    const HtmlDocument& m_doc;
    const PageStyle& m_style;
    std::vector<BlockStats> m_blocks;
    std::vector<Frame> m_stack;
    Text m_linkText;  // the text of the link being walked, as far as a chapter mark needs
    std::uint32_t m_chars = 0;
};

}  // namespace

std::vector<BlockStats> collectBlockStats(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style)
{
    return StatsWalk(doc, style).run(root);
}

// Text of n characters with p punctuation marks scores 1 + min(p, n / 4) + min(n / 25,
// 40): long text with sentences scores high, a line of a few words low. A block of many
// paragraphs gathers more than any one of them, and the tightest block around the text
// beats the wrappers around it, which get only a share.
void scoreBlocks(std::vector<BlockStats>& blocks)
{
    // A block without line breaks this short is one paragraph of a longer text.
    constexpr std::uint32_t kParagraph = 300;
    std::vector<double> gathered(blocks.size(), 0.0);
    const auto give = [&](std::int32_t index, double share) {
        if (index >= 0)
            gathered[static_cast<std::size_t>(index)] += share;
    };
    const auto parentOf = [&](std::int32_t index) {
        return index >= 0 ? blocks[static_cast<std::size_t>(index)].parent : -1;
    };
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const BlockStats& b = blocks[i];
        if (b.ownChars < 8)
            continue;
        const double own = b.ownChars;
        const double s = 1.0 + std::min<double>(b.ownPunctuation, own / 4) + std::min(own / 25, 40.0);
        const bool paragraph = (b.paragraph || (b.lineBreaks == 0 && b.ownChars < kParagraph)) && b.parent >= 0;
        if (paragraph) {
            give(b.parent, s);
            give(parentOf(b.parent), s / 2);
        } else {
            give(static_cast<std::int32_t>(i), s);
            give(b.parent, s / 2);
            give(parentOf(b.parent), s / 4);
        }
    }
    const double total = blocks.empty() ? 0.0 : blocks.front().chars;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        BlockStats& b = blocks[i];
        double s = gathered[i] * (1.0 - b.linkDensity()) * b.classWeight;
        if (total > 0 && b.chars > 0) {
            const double start = b.firstChar / total;
            const double end = (b.firstChar + b.chars) / total;
            if (end <= 0.1 || start >= 0.9)
                s *= 0.7;  // text at the very top or bottom of a page is seldom its story
        }
        b.score = s;
    }
}

}  // namespace sorvane::clean
