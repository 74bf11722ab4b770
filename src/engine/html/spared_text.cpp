#include "engine/html/spared_text.h"

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

bool isAsciiAlnum(char c)
{
    return isAsciiAlpha(c) || (c >= '0' && c <= '9');
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
        for (; i < s.size(); ++i) {
            const char c = s[i];
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0)
                break;
            if (value <= 0x10FFFF)
                value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
        }
        if (value == kOpenCode || value == kCloseCode)
            return true;
    }
    return false;
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

// The characters the parser's input stage turns into U+FFFD: controls other than white
// space, and noncharacters. NUL is the tokenizer's own case.
bool replacedByParser(char32_t c)
{
    return c == 0 || (c >= 0x1 && c <= 0x8) || c == 0xB || (c >= 0xE && c <= 0x1F) || (c >= 0x7F && c <= 0x9F) ||
           (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

class Sparer {
public:
    explicit Sparer(std::string_view markup) : m_markup(markup) {}

    // The text of one span, up to its first '<': past it the text may be a tag cut off
    // by the end of the input, which the parser drops. The tokenizer treats '&' with
    // the reference name after it, NUL and the characters it replaces apart, so runs
    // stop before them and start after them.
    void span(const MarkupSpan& span)
    {
        const char* found = static_cast<const char*>(
            std::memchr(m_markup.data() + span.begin, '<', span.end - span.begin));
        const std::size_t end = found ? static_cast<std::size_t>(found - m_markup.data()) : span.end;
        std::size_t piece = span.begin;
        std::size_t i = span.begin;
        while (i < end) {
            const char c = m_markup[i];
            if (static_cast<unsigned char>(c) >= 0x20 && c != '&' && c != 0x7F) {
                if (static_cast<unsigned char>(c) < 0x80) {
                    ++i;
                    continue;
                }
                char32_t cp = 0;
                const std::size_t n = decodeUtf8(m_markup, i, end, cp);
                if (n > 0 && !replacedByParser(cp)) {
                    i += n;
                    continue;
                }
                run(piece, i);
                i += n > 0 ? n : 1;
                piece = i;
                continue;
            }
            if (isAsciiSpace(c)) {
                ++i;
                continue;
            }
            run(piece, i);
            ++i;
            if (c == '&') {
                while (i < end && (isAsciiAlnum(m_markup[i]) || m_markup[i] == '#'))
                    ++i;
                if (i < end && m_markup[i] == ';')
                    ++i;
            }
            piece = i;
        }
        run(piece, end);
    }

    std::optional<SparedText> take()
    {
        if (m_out.runs.empty())
            return std::nullopt;
        m_out.markup.append(m_markup.substr(m_copied));
        return std::move(m_out);
    }

private:
    // The piece [from, to) without its white space at either end, which goes to the
    // parser as it is: the tree builder treats white space apart (after <pre>, in
    // tables, before <body>), but every run of other characters alike.
    void run(std::size_t from, std::size_t to)
    {
        while (from < to && isAsciiSpace(m_markup[from]))
            ++from;
        while (to > from && isAsciiSpace(m_markup[to - 1]))
            --to;
        if (to - from < kMinRun)
            return;
        if (m_out.runs.empty())
            m_out.markup.reserve(m_markup.size() / 8 + 1024);
        m_out.markup.append(m_markup.substr(m_copied, from - m_copied));
        m_out.markup.append(kOpen);
        char digits[24];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, m_out.runs.size());
        m_out.markup.append(digits, end);
        m_out.markup.append(kClose);
        m_out.runs.push_back(m_markup.substr(from, to - from));
        m_copied = to;
    }

    std::string_view m_markup;
    SparedText m_out;
    std::size_t m_copied = 0;
};

// The run as the parser's input stage would have passed it on: CR LF and CR as LF.
void appendAsParsed(std::string& out, std::string_view run)
{
    std::size_t cr = run.find('\r');
    if (cr == std::string_view::npos) {
        out.append(run);
        return;
    }
    std::size_t from = 0;
    for (; cr != std::string_view::npos; cr = run.find('\r', from)) {
        out.append(run.substr(from, cr - from));
        out.push_back('\n');
        from = cr + 1;
        if (from < run.size() && run[from] == '\n')
            ++from;
    }
    out.append(run.substr(from));
}

}  // namespace

std::optional<SparedText> spareTextRuns(std::string_view markup, const std::vector<MarkupSpan>& spans)
{
    if (spans.empty() || markup.find(kMarkerPrefix) != std::string_view::npos || refersToMarker(markup))
        return std::nullopt;
    Sparer sparer(markup);
    for (const MarkupSpan& s : spans)
        if (s.begin < s.end && s.end <= markup.size())
            sparer.span(s);
    return sparer.take();
}

bool holdsSparedRuns(std::string_view text)
{
    return text.find(kOpen) != std::string_view::npos;
}

std::string restoreSparedRuns(std::string_view text, const std::vector<std::string_view>& runs)
{
    std::string out;
    std::size_t from = 0;
    for (std::size_t open = text.find(kOpen); open != std::string_view::npos; open = text.find(kOpen, from)) {
        const std::size_t digits = open + kOpen.size();
        std::size_t index = 0;
        const auto [end, ec] = std::from_chars(text.data() + digits, text.data() + text.size(), index);
        const auto close = static_cast<std::size_t>(end - text.data());
        if (ec != std::errc() || index >= runs.size() || text.substr(close, kClose.size()) != kClose) {
            // Not a placeholder of ours after all: kept as it is.
            out.append(text.substr(from, digits - from));
            from = digits;
            continue;
        }
        if (out.empty())
            out.reserve(text.size() + runs[index].size());
        out.append(text.substr(from, open - from));
        appendAsParsed(out, runs[index]);
        from = close + kClose.size();
    }
    out.append(text.substr(from));
    return out;
}

}  // namespace sorvane
