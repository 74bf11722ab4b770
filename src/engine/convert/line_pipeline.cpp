#include "engine/convert/line_pipeline.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/number_value.h"
#include "io/codepage.h"
#include "engine/convert/script_convert.h"

namespace sorvane {
namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';
constexpr std::u16string_view kIndent = u"\u3000\u3000";
constexpr std::u16string_view kBlockerStart = u"onselectstart";
constexpr std::u16string_view kBlockerEnd = u"return false";

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

// First position at or after `from` where `lowerNeedle` (lower-case ASCII) occurs,
// letters compared without regard to case; the match must end before `limit`. The
// window moves by the last character's distance from the needle's end (Horspool), so a
// text holds most of its characters unread.
size_t findNoCase(TextView hay, std::u16string_view lowerNeedle, size_t from, size_t limit)
{
    limit = std::min(limit, hay.size());
    const size_t m = lowerNeedle.size();
    if (m == 0 || from > limit || limit - from < m)
        return Text::npos;
    std::array<size_t, 128> shift;
    shift.fill(m);
    for (size_t k = 0; k + 1 < m; ++k)
        shift[lowerNeedle[k] & 0x7F] = m - 1 - k;
    for (size_t i = from; i + m <= limit;) {
        const char16_t last = asciiLower(hay[i + m - 1]);
        if (last == lowerNeedle[m - 1]) {
            size_t k = 0;
            while (k + 1 < m && asciiLower(hay[i + k]) == lowerNeedle[k])
                ++k;
            if (k + 1 == m)
                return i;
        }
        i += last < 128 ? shift[last] : m;
    }
    return Text::npos;
}

// Whether every replacement text survives code page 936 unchanged, so the text after the
// replacements needs no second pass through the code page.
bool replacementsFitCp936(const ReplacementList& list)
{
    for (const ReplacementRow& row : list)
        if (!row.search.empty() && !row.replacement.empty() && !encodeCp936(row.replacement).faithful())
            return false;
    return true;
}

// First index at or after `from` whose entry is not blank, or the entry count.
std::int64_t nextNonBlank(const std::vector<LineEntry>& entries, std::int64_t from)
{
    const auto n = static_cast<std::int64_t>(entries.size());
    while (from < n && entries[static_cast<size_t>(from)].blank())
        ++from;
    return from;
}

void dropRange(std::vector<LineEntry>& entries, std::int64_t from, std::int64_t to)
{
    for (std::int64_t j = from; j < to; ++j)
        entries[static_cast<size_t>(j)].mark = LineMark::Dropped;
}

}  // namespace

// The text through code page 936 (what it lacks becomes '?'), the replacement list, and
// the code page again when a replacement brought in a character it lacks. The
// replacement editor shows this text, so a piece picked there is a piece of the text the
// conversion goes on with.
std::size_t passCp936AndReplace(Text& text, const ReplacementList& list)
{
    // The text reaches the list through code page 936, so what it lacks is already '?'
    // when the replacement list sees it.
    std::size_t lost = roundTripCp936(text);
    applyReplacements(text, list);
    if (!replacementsFitCp936(list))
        lost += roundTripCp936(text);
    return lost;
}

// Every text by its whole number value (rounded half to even), except the size: the value
// in K times 1024, rounded, so "0.5" is 512 characters.
CleanupParams cleanupParams(const ConversionParams& params)
{
    CleanupParams p;
    p.maxRun = wholeNumberValue(params.maxRun);
    p.head = wholeNumberValue(params.head);
    p.headBlank = wholeNumberValue(params.headBlank);
    p.restBlank = wholeNumberValue(params.restBlank);
    p.sizeLimit = roundHalfEven(numberValue(params.maxSize) * 1024.0);
    if (p.sizeLimit < 100)
        p.sizeLimit = 0;
    return p;
}

Text LineTable::lineText(std::size_t index) const
{
    Text out;
    appendLine(index, out);
    return out;
}

void LineTable::appendLine(std::size_t index, Text& out) const
{
    const LineEntry& e = entries[index];
    if (e.mark == LineMark::Separator)
        out.append(e.length, e.fill);
    else
        out.append(text, e.offset, e.length);
}

// Cuts the first "onselectstart" (any case) that starts at 1-based position 11 or later,
// together with a "return false" (any case) that follows it after one to eight other
// characters, and the one character after that. Any other text is left unchanged.
bool removeSelectionBlocker(Text& text)
{
    // Only the first occurrence counts, and only from the eleventh character on.
    const size_t p = findNoCase(text, kBlockerStart, 0, text.size());
    if (p == Text::npos || p < 10)
        return false;
    // "return false" must follow after one to eight other characters; the first
    // occurrence decides, and one right after the first word (none between) is left alone.
    const size_t rest = p + kBlockerStart.size();
    const size_t q = findNoCase(text, kBlockerEnd, rest, rest + 8 + kBlockerEnd.size());
    if (q == Text::npos || q == rest)
        return false;
    // Cut through the character after "return false" (the closing quote of an attribute).
    const size_t end = std::min(text.size(), q + kBlockerEnd.size() + 1);
    text.erase(p, end - p);
    return true;
}

// Splits text + CR LF, so the last line always has an end. Only U+0020 is trimmed, from
// both ends of every line.
LineEntry trimmedEntry(TextView text, std::size_t from, std::size_t to)
{
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return LineEntry{from, to - from, 0, LineMark::Keep};
}

LineTable splitLines(Text text)
{
    LineTable table;
    table.text = std::move(text);
    table.text += u"\r\n";
    const TextView t = table.text;
    size_t start = 0;
    size_t cr = t.find(u'\r');
    while (cr != TextView::npos) {
        table.entries.push_back(trimmedEntry(t, start, cr));
        start = (cr + 1 < t.size() && t[cr + 1] == u'\n') ? cr + 2 : cr + 1;
        cr = t.find(u'\r', start);
    }
    return table;
}

// A line is a separator when its characters other than blanks and ideographic spaces are
// more than maxRun copies of one character; it becomes maxRun copies of it, spaces gone.
void shortenSeparatorLines(LineTable& table, std::int64_t maxRun)
{
    if (maxRun <= 0)
        return;
    const auto limit = static_cast<std::uint64_t>(maxRun);
    for (LineEntry& e : table.entries) {
        // The copy without blanks is never longer than the line.
        if (e.length <= limit)
            continue;
        const char16_t* p = table.text.data() + e.offset;
        char16_t only = 0;
        std::uint64_t count = 0;
        bool same = true;
        for (size_t k = 0; k < e.length; ++k) {
            const char16_t c = p[k];
            if (c == u' ' || c == kIdeographicSpace)
                continue;
            if (count == 0)
                only = c;
            else if (c != only) {
                same = false;
                break;
            }
            ++count;
        }
        if (same && count > limit) {
            e.fill = only;
            e.length = static_cast<size_t>(limit);
            e.mark = LineMark::Separator;
        }
    }
}

// For every start index i from 0 to head - 1 - most, when the `most` entries from i on
// are blank (past the end counts as blank), the blank entries from i + most on are
// dropped. A run that begins in the head is thus cut wherever it ends.
void markHeadBlankLines(LineTable& table, std::int64_t head, std::int64_t most)
{
    auto& entries = table.entries;
    const auto n = static_cast<std::int64_t>(entries.size());
    most = std::max<std::int64_t>(most, 0);
    if (head <= 0)
        return;  // no head; also keeps head - 1 from overflowing for the lowest values
    // A start index whose window reaches the end of the table marks nothing, so the head
    // can be cut to the table first; this keeps huge parameter values cheap.
    const std::int64_t last = std::min(head, n) - 1 - std::min(most, n);
    std::int64_t nonBlank = -1;  // first non-blank index >= i
    std::int64_t markedTo = 0;   // entries below this are already dropped where they may be
    for (std::int64_t i = 0; i <= last; ++i) {
        if (nonBlank < i)
            nonBlank = nextNonBlank(entries, i);
        if (nonBlank - i < most)
            continue;
        dropRange(entries, std::max(i + most, markedTo), nonBlank);
        markedTo = std::max(markedTo, nonBlank);
    }
}

void markRestBlankLines(LineTable& table, std::int64_t head, std::int64_t most)
{
    auto& entries = table.entries;
    const auto n = static_cast<std::int64_t>(entries.size());
    most = std::max<std::int64_t>(most, 0);
    std::int64_t i = std::max<std::int64_t>(head, 0);
    while (i < n) {
        if (most > n - i)
            return;  // the window runs past the end of the table
        const std::int64_t nonBlank = nextNonBlank(entries, i);
        // When a non-blank entry lies inside the window, every start up to it fails too.
        if (nonBlank >= i + most)
            dropRange(entries, i + most, nonBlank);
        i = nonBlank + 1;
    }
}

// Lines longer than 4 characters and not separators get the indent "　　". With
// sizeLimit > 0 a part ends before the line that would bring its character count (indent
// included, line breaks not) past the limit; the first line of a part is never counted,
// so every part holds at least one line however long it is.
std::vector<TextPart> splitParts(const LineTable& table, std::int64_t sizeLimit)
{
    std::vector<TextPart> parts;
    const auto& entries = table.entries;
    const size_t n = entries.size();
    const std::uint64_t limit = sizeLimit > 0 ? static_cast<std::uint64_t>(sizeLimit) : 0;
    size_t start = 0;
    for (;;) {
        TextPart part;
        part.start = start;
        // Room for the rest of the text, or about one part's worth when split.
        const size_t remaining = table.text.size() + 2 * (n - start);
        part.content.reserve(limit == 0 ? remaining : std::min<std::uint64_t>(remaining, limit + limit / 8 + 64));
        std::uint64_t total = 0;
        size_t i = start;
        bool split = false;
        for (; i < n; ++i) {
            const LineEntry& e = entries[i];
            if (e.mark == LineMark::Dropped)
                continue;
            const bool indent = e.length > 4 && e.mark != LineMark::Separator;
            if (limit != 0 && i > start) {
                total += e.length + (indent ? kIndent.size() : 0);
                if (total > limit) {
                    split = true;
                    break;
                }
            }
            if (indent)
                part.content += kIndent;
            table.appendLine(i, part.content);
            part.content += u"\r\n";
        }
        parts.push_back(std::move(part));
        if (!split)
            return parts;
        start = i;
    }
}

// The Traditional/Simplified conversion the parameters ask for, then, for GBK output,
// passCp936AndReplace, or for the other encodings the replacement list alone.
Result<std::size_t> prepareText(Text& text, const ConversionParams& params, const ReplacementList& list)
{
    // Traditional/Simplified conversion comes before the code page pass, so converted
    // characters that the code page holds are kept; the replacement list then sees the
    // reader's script.
    if (params.script != ScriptConversion::None) {
        Result<Text> converted = convertScript(text, params.script);
        if (!converted)
            return converted.error();
        text = std::move(converted).value();
    }
    if (params.encoding == OutputEncoding::Gbk)
        return passCp936AndReplace(text, list);
    // The other encodings hold every character: the list works on the text as rendered.
    applyReplacements(text, list);
    return std::size_t{0};
}

// prepareText, the selection-blocking fragment, the line split, separator lines, then the
// head and rest blank-line rules.
CleanedText cleanText(Text text, const ConversionParams& params, const ReplacementList& list,
                      const ProgressFn& progress)
{
    const auto report = [&](double done) {
        if (progress)
            progress(done);
    };
    CleanedText out;
    Result<std::size_t> lost = prepareText(text, params, list);
    if (!lost) {
        out.error = lost.error();
        return out;
    }
    out.lostCharacters = *lost;
    report(1.0 / 3);
    removeSelectionBlocker(text);

    out.table = splitLines(std::move(text));
    report(2.0 / 3);
    const CleanupParams p = cleanupParams(params);
    shortenSeparatorLines(out.table, p.maxRun);
    markHeadBlankLines(out.table, p.head, p.headBlank);
    markRestBlankLines(out.table, p.head, p.restBlank);
    report(1.0);
    return out;
}

ConvertedText convertText(Text text, const ConversionParams& params, const ReplacementList& list,
                          const ProgressFn& progress)
{
    ProgressFn cleaning;
    if (progress)
        cleaning = [&progress](double done) { progress(0.75 * done); };
    CleanedText cleaned = cleanText(std::move(text), params, list, cleaning);
    ConvertedText out;
    out.lostCharacters = cleaned.lostCharacters;
    if (cleaned.error) {
        out.error = std::move(cleaned.error);
        return out;
    }
    out.parts = splitParts(cleaned.table, cleanupParams(params).sizeLimit);
    out.lines = cleaned.table.entries.size();
    if (progress)
        progress(1.0);
    return out;
}

}  // namespace sorvane
