#include "engine/html/spared_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "common/ascii.h"

namespace sorvane {
namespace {

// A placeholder is U+10FFFC, the run's number in decimal digits, U+10FFFD: characters the
// parser keeps as they are, that no real page holds. A page that holds any character from
// U+10FFC0 up, or a reference to either of the two, is parsed as it is.
constexpr std::string_view kOpen = "\xF4\x8F\xBF\xBC";
constexpr std::string_view kClose = "\xF4\x8F\xBF\xBD";
constexpr std::string_view kMarkerPrefix = "\xF4\x8F\xBF";
constexpr char32_t kOpenCode = 0x10FFFC;
constexpr char32_t kCloseCode = 0x10FFFD;

// Shorter runs cost the parser less than their placeholders save.
constexpr std::size_t kMinRun = 32;

// Bytes a run reads past without a second look: printable ASCII but '&' and '<', and
// white space.
constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int b = 0x20; b < 0x7F; ++b)
        plain[static_cast<std::size_t>(b)] = b != '&' && b != '<';
    for (char c : {'\t', '\n', '\r', '\f'})
        plain[static_cast<unsigned char>(c)] = true;
    return plain;
}();

bool isAsciiAlnum(char c)
{
    return isAsciiAlpha(c) || (c >= '0' && c <= '9');
}

int digitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Whether a numeric character reference in `s` stands for a placeholder's character.
bool refersToMarker(std::string_view s)
{
    for (std::size_t pos = s.find("&#"); pos != std::string_view::npos; pos = s.find("&#", pos + 2)) {
        std::size_t i = pos + 2;
        const bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
        if (hex)
            ++i;
        std::uint32_t value = 0;
        for (int digit; i < s.size() && (digit = digitValue(s[i], hex)) >= 0; ++i)
            if (value <= 0x10FFFF)
                value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
        if (value == kOpenCode || value == kCloseCode)
            return true;
    }
    return false;
}

std::size_t encodeUtf8(char32_t c, char* out)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// The characters the parser's input stage turns into U+FFFD: controls other than white
// space, and noncharacters. NUL is the tokenizer's own case.
bool replacedByParser(char32_t c)
{
    return c == 0 || (c >= 0x1 && c <= 0x8) || c == 0xB || (c >= 0xE && c <= 0x1F) || (c >= 0x7F && c <= 0x9F) ||
           (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// A reference at s[i] ('&') that a run may hold because it stands for one character
// whatever follows it: a few named ones spelled with their semicolon, and numeric ones,
// with their semicolon, to characters the parser takes as they are (none below U+00A0,
// where some numbers stand for other characters). Returns its length and writes the
// character's UTF-8 into `out`; 0 for any other.
std::size_t runReference(std::string_view s, std::size_t i, std::size_t end, char* out, std::size_t& outLength)
{
    static constexpr struct {
        std::string_view name;
        std::string_view text;
    } named[] = {{"&nbsp;", "\xC2\xA0"}, {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}};
    const std::string_view rest = s.substr(i, end - i);
    for (const auto& n : named) {
        if (rest.starts_with(n.name)) {
            std::memcpy(out, n.text.data(), n.text.size());
            outLength = n.text.size();
            return n.name.size();
        }
    }
    if (!rest.starts_with("&#"))
        return 0;
    std::size_t k = 2;
    const bool hex = k < rest.size() && (rest[k] == 'x' || rest[k] == 'X');
    if (hex)
        ++k;
    const std::size_t digits = k;
    std::uint32_t value = 0;
    for (int digit; k < rest.size() && (digit = digitValue(rest[k], hex)) >= 0; ++k)
        if (value <= 0x10FFFF)
            value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    if (k == digits || k >= rest.size() || rest[k] != ';')
        return 0;
    if (value < 0xA0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) || replacedByParser(value))
        return 0;
    outLength = encodeUtf8(value, out);
    return k + 1;
}

// The length of the well-formed UTF-8 character at s[i] (ending by `end`), and its code
// point; 0 for a sequence the parser's decoder rejects.
std::size_t decodeUtf8(std::string_view s, std::size_t i, std::size_t end, char32_t& cp)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        least = 0x10000;
    } else {
        return 0;
    }
    if (end - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// Finds the runs: stretches of text spans and <br> tags that follow one another, cut
// where the tokenizer or the input stage would treat a character apart ('<' as text, a
// reference a run may not hold, NUL, characters the parser replaces), without the white
// space at either end, which goes to the parser as it is: the tree builder treats white
// space apart (after <pre>, in tables, before <body>), but every stretch of other
// characters and of such <br>s alike.
class Sparer {
public:
    explicit Sparer(std::string_view markup) : m_markup(markup) {}

    void lineBreak(const MarkupSpan& tag)
    {
        follow(tag.begin);
        m_end = tag.end;
    }

    void text(const MarkupSpan& span)
    {
        follow(span.begin);
        std::size_t i = span.begin;
        while (i < span.end) {
            const char c = m_markup[i];
            const auto u = static_cast<unsigned char>(c);
            if (kPlainBytes[u]) {
                ++i;
                continue;
            }
            if (c == '<') {
                // '<' as text, or a tag cut off by the end of the input, which the
                // parser drops: the rest of the span goes to the parser as it is.
                cut(i, span.end);
                m_end = span.end;
                return;
            }
            if (c == '&') {
                char decoded[4];
                std::size_t length = 0;
                if (const std::size_t n = runReference(m_markup, i, span.end, decoded, length)) {
                    i += n;
                    continue;
                }
                std::size_t after = i + 1;
                while (after < span.end && (isAsciiAlnum(m_markup[after]) || m_markup[after] == '#'))
                    ++after;
                if (after < span.end && m_markup[after] == ';')
                    ++after;
                cut(i, after);
                i = after;
                continue;
            }
            // Three bytes led by E1..EC or EE make U+1000..U+CFFF or U+E000..U+EFFF once
            // both trail bytes are in place: no surrogate, noncharacter or control, so
            // the common case of Chinese text needs no full decoding.
            if (((u >= 0xE1 && u <= 0xEC) || u == 0xEE) && span.end - i >= 3 &&
                (static_cast<unsigned char>(m_markup[i + 1]) & 0xC0) == 0x80 &&
                (static_cast<unsigned char>(m_markup[i + 2]) & 0xC0) == 0x80) {
                i += 3;
                continue;
            }
            char32_t cp = 0;
            const std::size_t n = u >= 0x80 ? decodeUtf8(m_markup, i, span.end, cp) : 0;
            if (n > 0 && !replacedByParser(cp)) {
                i += n;
                continue;
            }
            cut(i, i + (n > 0 ? n : 1));
            i += n > 0 ? n : 1;
        }
        m_end = span.end;
    }

    // The markup with the runs found replaced, built at its final size.
    std::optional<SparedText> take()
    {
        cut(m_end, m_end);
        if (m_out.runs.empty())
            return std::nullopt;
        std::size_t size = m_markup.size();
        char digits[24];
        for (std::size_t i = 0; i < m_out.runs.size(); ++i) {
            const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, i);
            size = size - m_out.runs[i].size() + kOpen.size() + static_cast<std::size_t>(end - digits) + kClose.size();
        }
        m_out.markup.reserve(size);
        std::size_t copied = 0;
        for (std::size_t i = 0; i < m_out.runs.size(); ++i) {
            const std::string_view run = m_out.runs[i];
            const auto from = static_cast<std::size_t>(run.data() - m_markup.data());
            m_out.markup.append(m_markup.substr(copied, from - copied));
            m_out.markup.append(kOpen);
            const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, i);
            m_out.markup.append(digits, end);
            m_out.markup.append(kClose);
            copied = from + run.size();
        }
        m_out.markup.append(m_markup.substr(copied));
        return std::move(m_out);
    }

private:
    // A stretch that does not follow the last one starts a run of its own.
    void follow(std::size_t begin)
    {
        if (begin != m_end)
            cut(m_end, begin);
    }

    // Ends the run being read at `end`; the next starts at `next`.
    void cut(std::size_t end, std::size_t next)
    {
        run(m_start, std::max(m_start, end));
        m_start = next;
    }

    void run(std::size_t from, std::size_t to)
    {
        while (from < to && isAsciiSpace(m_markup[from]))
            ++from;
        while (to > from && isAsciiSpace(m_markup[to - 1]))
            --to;
        if (to - from >= kMinRun)
            m_out.runs.push_back(m_markup.substr(from, to - from));
    }

    std::string_view m_markup;
    SparedText m_out;
    std::size_t m_start = 0;  // where the run being read starts
    std::size_t m_end = 0;    // where the last stretch ended
};

// Whether any byte of the eight in `v` is `b` (the usual test for a zero byte, on v ^ b).
constexpr bool holdsByte(std::uint64_t v, unsigned char b)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t x = v ^ (kOnes * b);
    return ((x - kOnes) & ~x & (kOnes << 7)) != 0;
}

// The first '\r', '&' or '<' at or after `i`, or the run's size. Eight bytes a step where
// none of the three is among them: a run is mostly text that needs no second look.
std::size_t nextSpecial(std::string_view run, std::size_t i)
{
    for (; i + 8 <= run.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, run.data() + i, 8);
        if (holdsByte(v, '\r') || holdsByte(v, '&') || holdsByte(v, '<'))
            break;
    }
    while (i < run.size() && run[i] != '\r' && run[i] != '&' && run[i] != '<')
        ++i;
    return i;
}

// Reads a run: its text, with CR LF and CR read as LF and its references resolved, and
// its <br> tags.
void readRun(std::string_view run, HtmlTextReader& reader)
{
    std::size_t from = 0;
    std::size_t i = 0;
    while (i < run.size()) {
        i = nextSpecial(run, i);
        if (i == run.size())
            break;
        const char c = run[i];
        if (i > from)
            reader.text(run.substr(from, i - from));
        if (c == '\r') {
            reader.text("\n");
            i += i + 1 < run.size() && run[i + 1] == '\n' ? 2 : 1;
        } else if (c == '&') {
            char decoded[4];
            std::size_t length = 0;
            i += std::max<std::size_t>(1, runReference(run, i, run.size(), decoded, length));
            reader.text(std::string_view(decoded, length));
        } else {
            reader.lineBreak();
            const std::size_t close = run.find('>', i);
            i = close == std::string_view::npos ? run.size() : close + 1;
        }
        from = i;
    }
    if (i > from)
        reader.text(run.substr(from, i - from));
}

}  // namespace

std::optional<SparedText> spareTextRuns(std::string_view markup, const LimitedMarkup& limited, bool lineBreaks)
{
    if (limited.text.empty() || markup.find(kMarkerPrefix) != std::string_view::npos || refersToMarker(markup))
        return std::nullopt;
    Sparer sparer(markup);
    const std::vector<MarkupSpan>& text = limited.text;
    const std::vector<MarkupSpan> none;
    const std::vector<MarkupSpan>& tags = lineBreaks ? limited.lineBreaks : none;
    std::size_t t = 0, b = 0;
    while (t < text.size() || b < tags.size()) {
        const bool nextIsText = b == tags.size() || (t < text.size() && text[t].begin < tags[b].begin);
        const MarkupSpan& s = nextIsText ? text[t++] : tags[b++];
        if (s.begin >= s.end || s.end > markup.size())
            continue;
        if (nextIsText)
            sparer.text(s);
        else
            sparer.lineBreak(s);
    }
    return sparer.take();
}

bool holdsSparedRuns(std::string_view text)
{
    return text.find(kOpen) != std::string_view::npos;
}

void readSparedText(std::string_view text, const std::vector<std::string_view>& runs, HtmlTextReader& reader)
{
    std::size_t from = 0;
    for (std::size_t open = text.find(kOpen); open != std::string_view::npos; open = text.find(kOpen, from)) {
        const std::size_t digits = open + kOpen.size();
        std::size_t index = 0;
        const auto [end, ec] = std::from_chars(text.data() + digits, text.data() + text.size(), index);
        const auto close = static_cast<std::size_t>(end - text.data());
        if (ec != std::errc() || index >= runs.size() || text.substr(close, kClose.size()) != kClose) {
            // Not a placeholder of ours after all: read as it is.
            reader.text(text.substr(from, digits - from));
            from = digits;
            continue;
        }
        if (open > from)
            reader.text(text.substr(from, open - from));
        readRun(runs[index], reader);
        from = close + kClose.size();
    }
    if (from < text.size())
        reader.text(text.substr(from));
}

}  // namespace sorvane
