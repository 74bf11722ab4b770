#include "engine/clean/text_marks.h"


namespace sorvane::clean {
namespace {

constexpr std::u16string_view kChapterUnits = u"章节節回话話幕";
constexpr std::u16string_view kChapterWords[] = {
    u"楔子", u"序章", u"序言", u"引子", u"尾声", u"尾聲", u"番外", u"后记", u"後記", u"终章", u"終章", u"序幕"};

bool isRomanLetter(char16_t folded)
{
    return folded == u'i' || folded == u'v' || folded == u'x' || folded == u'l' || folded == u'c';
}

// "chapter" followed by blanks and a number (digits or a Roman numeral) at `at`.
std::optional<std::size_t> englishChapterAt(TextView line, std::size_t at)
{
    constexpr std::u16string_view word = u"chapter";
    if (at + word.size() > line.size())
        return std::nullopt;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (foldWidthAndCase(line[at + k]) != word[k])
            return std::nullopt;
    if (at > 0 && isLatinAlnum(foldWidthAndCase(line[at - 1])))
        return std::nullopt;
    std::size_t i = at + word.size();
    const std::size_t blanks = i;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i == blanks)
        return std::nullopt;
    const std::size_t number = i;
    if (i < line.size() && isDigit(line[i])) {
        while (i < line.size() && isDigit(line[i]))
            ++i;
    } else {
        while (i < line.size() && isRomanLetter(foldWidthAndCase(line[i])))
            ++i;
        if (i < line.size() && isLatinAlnum(foldWidthAndCase(line[i])))
            return std::nullopt;  // a word that merely starts like a numeral
    }
    if (i == number)
        return std::nullopt;
    return i - at;
}

// 第 + number + unit at `at`, blanks allowed around the number.
std::optional<std::size_t> chineseChapterAt(TextView line, std::size_t at)
{
    if (line[at] != u'第')
        return std::nullopt;
    std::size_t i = at + 1;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    const std::size_t number = i;
    while (i < line.size() && (isDigit(line[i]) || isChineseNumeral(line[i])))
        ++i;
    if (i == number)
        return std::nullopt;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i == line.size() || kChapterUnits.find(line[i]) == std::u16string_view::npos)
        return std::nullopt;
    return i + 1 - at;
}

std::optional<std::size_t> chapterWordAt(TextView line, std::size_t at)
{
    if (at > 0 && !isBlank(line[at - 1]) && !isSentencePunctuation(line[at - 1]))
        return std::nullopt;
    for (std::u16string_view w : kChapterWords)
        if (line.substr(at).starts_with(w))
            return w.size();
    return std::nullopt;
}

std::uint64_t mix(std::uint64_t h, std::uint64_t c)
{
    return (h ^ c) * 0x100000001B3ull;
}

constexpr std::array<std::uint8_t, 0x10000> makeCharClasses()
{
    std::array<std::uint8_t, 0x10000> t{};
    const auto mark = [&t](std::u16string_view chars, CharClass bit) {
        for (char16_t c : chars)
            t[c] |= bit;
    };
    mark(u" \t\u3000\u00A0\u202F\u205F\uFEFF", kBlank);
    for (char16_t c = u'\u2000'; c <= u'\u200B'; ++c)
        t[c] |= kBlank;
    mark(u"，。！？；：、“”‘’…,.!?;:\"", kPunctuation);
    mark(u"〇零一二三四五六七八九十百千万萬两兩壹贰貳叁參肆伍陆陸柒捌玖拾佰仟", kNumeral);
    for (char16_t c = u'0'; c <= u'9'; ++c)
        t[c] |= kDigit;
    for (char16_t c = u'\uFF10'; c <= u'\uFF19'; ++c)
        t[c] |= kDigit;
    return t;
}

}  // namespace

constinit const std::array<std::uint8_t, 0x10000> kCharClasses = makeCharClasses();

bool endsSentence(char16_t c)
{
    return c == u'。' || c == u'！' || c == u'？' || c == u'!' || c == u'?' || c == u'…';
}


bool isHan(char16_t c)
{
    return (c >= u'\u4E00' && c <= u'\u9FFF') || (c >= u'\u3400' && c <= u'\u4DBF') ||
           (c >= u'\uF900' && c <= u'\uFAFF');
}

TextView trimBlanks(TextView line)
{
    std::size_t b = 0;
    std::size_t e = line.size();
    while (b < e && isBlank(line[b]))
        ++b;
    while (e > b && isBlank(line[e - 1]))
        --e;
    return line.substr(b, e - b);
}

std::optional<MarkSpan> findChapterMark(TextView line)
{
    for (std::size_t i = 0; i < line.size(); ++i) {
        std::optional<std::size_t> length;
        const char16_t c = line[i];
        // ASCII, most of Latin text: only a "c" may start a mark.
        if (c < 0x80) {
            if ((c | 0x20) == u'c') {
                if (const auto english = englishChapterAt(line, i))
                    return MarkSpan{i, *english};
            }
            continue;
        }
        if (c == u'第')
            length = chineseChapterAt(line, i);
        else if (foldWidthAndCase(c) == u'c')
            length = englishChapterAt(line, i);
        else if (isHan(c))
            length = chapterWordAt(line, i);
        if (length)
            return MarkSpan{i, *length};
    }
    return std::nullopt;
}

bool startsWithChapterMark(TextView line)
{
    const TextView t = trimBlanks(line);
    const auto mark = findChapterMark(t);
    return mark && mark->at == 0;
}

std::uint64_t shapeKey(TextView line)
{
    std::uint64_t h = 0xCBF29CE484222325ull;
    bool inNumber = false;
    for (char16_t c : line) {
        // Small letters, most of Latin text: no blank, digit or numeral, and folded already.
        if (static_cast<char16_t>(c - u'a') < 26) {
            inNumber = false;
            h = mix(h, c);
            continue;
        }
        if (isBlank(c))
            continue;
        if ((kCharClasses[c] & (kDigit | kNumeral)) != 0) {
            if (!inNumber)
                h = mix(h, u'#');
            inNumber = true;
            continue;
        }
        inNumber = false;
        h = mix(h, foldWidthAndCase(c));
    }
    return h;
}

}  // namespace sorvane::clean
