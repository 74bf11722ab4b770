#include "engine/readers/list_numbering.h"

#include <algorithm>
#include <utility>

namespace sorvane {
namespace {

void appendDecimal(Text& out, int value)
{
    const std::string digits = std::to_string(value);
    out.append(digits.begin(), digits.end());
}

Text roman(int value, bool upper)
{
    static constexpr std::pair<int, const char*> parts[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},   {4, "iv"},  {1, "i"}};
    Text out;
    for (const auto& [amount, letters] : parts)
        for (; value >= amount; value -= amount)
            for (const char* c = letters; *c; ++c)
                out += static_cast<char16_t>(upper ? *c - 'a' + 'A' : *c);
    return out;
}

struct CountingDigits {
    const char16_t* digits;  // 0..9
    char16_t zero;           // a skipped place inside a number
    const char16_t* units;   // ten, hundred, thousand, ten thousand
    bool zeros;              // a skipped place is written as the zero digit, once
    bool oneBeforeUnits;     // 一百, not 百 (a leading 一十 is always 十 when `zeros`)
    bool oneBeforeTen;       // 壹拾, not 拾
};

// 1..9999 in counting form: digits with their place units.
void appendCountingGroup(Text& out, int value, const CountingDigits& d, bool leading)
{
    const int places[4] = {value / 1000, value / 100 % 10, value / 10 % 10, value % 10};
    bool pendingZero = false;
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        const int digit = places[i];
        if (digit == 0) {
            pendingZero = any || !leading;
            continue;
        }
        if (pendingZero && d.zeros)
            out += d.zero;
        pendingZero = false;
        const bool unit = i < 3;
        const bool omitOne = digit == 1 && unit &&
                             (!d.oneBeforeUnits ? true : (i == 2 && !any && leading && !d.oneBeforeTen));
        if (!omitOne)
            out += d.digits[digit];
        if (unit)
            out += d.units[2 - i];
        any = true;
    }
}

Text counting(int value, const CountingDigits& d)
{
    Text out;
    if (value == 0) {
        out += d.digits[0];
        return out;
    }
    const int high = value / 10000;
    const int low = value % 10000;
    if (high > 0) {
        appendCountingGroup(out, high, d, true);
        out += d.units[3];
        if (low > 0)
            appendCountingGroup(out, low, d, false);
    } else {
        appendCountingGroup(out, low, d, true);
    }
    return out;
}

constexpr CountingDigits kChinese{u"〇一二三四五六七八九", u'零', u"十百千万", true, true, false};
constexpr CountingDigits kChineseLegal{u"零壹贰叁肆伍陆柒捌玖", u'零', u"拾佰仟万", true, true, true};
constexpr CountingDigits kJapanese{u"〇一二三四五六七八九", u'〇', u"十百千万", false, false, false};

}  // namespace

Text formatNumber(int value, NumberFormat format)
{
    value = std::clamp(value, 0, kMaxListCounter);
    Text out;
    switch (format) {
    case NumberFormat::None:
        return out;
    case NumberFormat::DecimalZero:
        if (value < 10)
            out += u'0';
        break;
    case NumberFormat::DecimalFullWidth: {
        appendDecimal(out, value);
        for (char16_t& c : out)
            c = static_cast<char16_t>(c - u'0' + u'０');
        return out;
    }
    case NumberFormat::DecimalCircle:
        if (value >= 1 && value <= 20)
            return Text(1, static_cast<char16_t>(u'①' + value - 1));
        break;
    case NumberFormat::LowerLetter:
    case NumberFormat::UpperLetter:
        // a … z, then aa … zz, then aaa: the letter repeated once per round.
        if (value >= 1 && value <= 26 * 32)
            return Text(static_cast<std::size_t>((value - 1) / 26 + 1),
                        static_cast<char16_t>((format == NumberFormat::LowerLetter ? u'a' : u'A') + (value - 1) % 26));
        break;
    case NumberFormat::LowerAlphabetic:
    case NumberFormat::UpperAlphabetic:
        // Bijective base 26: z is followed by aa, ab.
        if (value >= 1) {
            const char16_t a = format == NumberFormat::LowerAlphabetic ? u'a' : u'A';
            for (int v = value; v > 0; v = (v - 1) / 26)
                out.insert(out.begin(), static_cast<char16_t>(a + (v - 1) % 26));
            return out;
        }
        break;
    case NumberFormat::LowerRoman:
    case NumberFormat::UpperRoman:
        if (value >= 1 && value < 4000)
            return roman(value, format == NumberFormat::UpperRoman);
        break;
    case NumberFormat::ChineseCounting:
        if (value < 100000000)
            return counting(value, kChinese);
        break;
    case NumberFormat::ChineseLegal:
        if (value < 100000000)
            return counting(value, kChineseLegal);
        break;
    case NumberFormat::JapaneseCounting:
        if (value < 100000000)
            return counting(value, kJapanese);
        break;
    case NumberFormat::IdeographDigital: {
        appendDecimal(out, value);
        for (char16_t& c : out)
            c = kChinese.digits[c - u'0'];
        return out;
    }
    case NumberFormat::IdeographTraditional:
        if (value >= 1 && value <= 10)
            return Text(1, u"甲乙丙丁戊己庚辛壬癸"[value - 1]);
        break;
    case NumberFormat::Decimal:
        break;
    }
    appendDecimal(out, value);
    return out;
}

NumberFormat docxNumberFormat(std::string_view name)
{
    static constexpr std::pair<std::string_view, NumberFormat> names[] = {
        {"decimal", NumberFormat::Decimal},
        {"decimalZero", NumberFormat::DecimalZero},
        {"decimalFullWidth", NumberFormat::DecimalFullWidth},
        {"decimalFullWidth2", NumberFormat::DecimalFullWidth},
        {"decimalEnclosedCircle", NumberFormat::DecimalCircle},
        {"decimalEnclosedCircleChinese", NumberFormat::DecimalCircle},
        {"lowerLetter", NumberFormat::LowerLetter},
        {"upperLetter", NumberFormat::UpperLetter},
        {"lowerRoman", NumberFormat::LowerRoman},
        {"upperRoman", NumberFormat::UpperRoman},
        {"chineseCounting", NumberFormat::ChineseCounting},
        {"chineseCountingThousand", NumberFormat::ChineseCounting},
        {"taiwaneseCounting", NumberFormat::ChineseCounting},
        {"taiwaneseCountingThousand", NumberFormat::ChineseCounting},
        {"chineseLegalSimplified", NumberFormat::ChineseLegal},
        {"japaneseCounting", NumberFormat::JapaneseCounting},
        {"ideographDigital", NumberFormat::IdeographDigital},
        {"taiwaneseDigital", NumberFormat::IdeographDigital},
        {"ideographTraditional", NumberFormat::IdeographTraditional},
        {"bullet", NumberFormat::None},
        {"none", NumberFormat::None},
    };
    for (const auto& [n, f] : names)
        if (n == name)
            return f;
    return NumberFormat::Decimal;
}

NumberFormat msNumberFormatCode(int code)
{
    switch (code) {
    case 1: return NumberFormat::UpperRoman;
    case 2: return NumberFormat::LowerRoman;
    case 3: return NumberFormat::UpperLetter;
    case 4: return NumberFormat::LowerLetter;
    case 10: case 36: return NumberFormat::IdeographDigital;
    case 11: return NumberFormat::JapaneseCounting;
    case 14: case 19: return NumberFormat::DecimalFullWidth;
    case 18: case 28: return NumberFormat::DecimalCircle;
    case 22: return NumberFormat::DecimalZero;
    case 23: case 255: return NumberFormat::None;
    case 30: return NumberFormat::IdeographTraditional;
    case 33: case 35: case 37: case 39: return NumberFormat::ChineseCounting;
    case 38: return NumberFormat::ChineseLegal;
    default: return NumberFormat::Decimal;
    }
}

char32_t symbolFontChar(std::string_view font, char32_t code)
{
    auto is = [&](std::string_view name) {
        return font.size() == name.size() &&
               std::equal(font.begin(), font.end(), name.begin(), [](char a, char b) {
                   return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
               });
    };
    const bool symbol = is("symbol");
    const bool wingdings = is("wingdings");
    if (!symbol && !wingdings)
        return code;
    const char32_t glyph = code >= 0xF020 && code <= 0xF0FF ? code - 0xF000 : code;
    if (glyph < 0x20 || glyph > 0xFF)
        return code;
    if (symbol) {
        // Greek letters sit on the Latin ones they sound like.
        static constexpr char16_t upper[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
        static constexpr char16_t lower[] = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
        if (glyph >= 'A' && glyph <= 'Z')
            return upper[glyph - 'A'];
        if (glyph >= 'a' && glyph <= 'z')
            return lower[glyph - 'a'];
        static constexpr std::pair<char32_t, char32_t> table[] = {
            {0x2D, 0x2212}, {0xA3, 0x2264}, {0xA5, 0x221E}, {0xA7, 0x2663}, {0xA8, 0x2666},
            {0xA9, 0x2665}, {0xAA, 0x2660}, {0xAB, 0x2194}, {0xAC, 0x2190}, {0xAD, 0x2191},
            {0xAE, 0x2192}, {0xAF, 0x2193}, {0xB3, 0x2265}, {0xB4, 0x00D7}, {0xB7, 0x2022},
            {0xB8, 0x00F7}, {0xB9, 0x2260}, {0xBA, 0x2261}, {0xBB, 0x2248}, {0xBC, 0x2026},
            {0xD6, 0x221A}, {0xE5, 0x2211}};
        for (const auto& [from, to] : table)
            if (from == glyph)
                return to;
        // The rest of the font's ASCII range and its degree and plus-minus signs match.
        return glyph;
    }
    static constexpr std::pair<char32_t, char32_t> table[] = {
        {0x4A, 0x263A}, {0x6C, 0x25CF}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751},
        {0x75, 0x25C6}, {0x76, 0x2756}, {0xA1, 0x25CB}, {0xA7, 0x25AA}, {0xA8, 0x25FB},
        {0xD8, 0x27A2}, {0xFB, 0x2717}, {0xFC, 0x2713}, {0xFD, 0x2612}, {0xFE, 0x2611}};
    for (const auto& [from, to] : table)
        if (from == glyph)
            return to;
    return code;
}

std::optional<int> parseListNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative || (i < text.size() && text[i] == '+'))
        ++i;
    long long value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), kMaxListCounter);
        any = true;
    }
    if (!any)
        return std::nullopt;
    return negative ? 0 : static_cast<int>(value);
}

void ListCounters::reset()
{
    m_used.fill(false);
}

Text ListCounters::next(const ListDefinition& list, int level, std::optional<int> restartAt)
{
    level = std::clamp(level, 0, kListLevels - 1);
    const ListLevel& def = list.levels[static_cast<std::size_t>(level)];
    int& value = m_values[static_cast<std::size_t>(level)];
    if (restartAt)
        value = std::clamp(*restartAt, 0, kMaxListCounter);
    else if (!m_used[static_cast<std::size_t>(level)])
        value = std::clamp(def.start, 0, kMaxListCounter);
    else
        value = std::min(value + 1, kMaxListCounter);
    m_used[static_cast<std::size_t>(level)] = true;
    for (int deeper = level + 1; deeper < kListLevels; ++deeper) {
        const int after = list.levels[static_cast<std::size_t>(deeper)].restartAfter;
        if (after == -1 || (after >= 0 && level <= after))
            m_used[static_cast<std::size_t>(deeper)] = false;
    }

    Text label;
    for (const char16_t c : def.text) {
        if (label.size() >= static_cast<std::size_t>(kMaxListLabel))
            break;
        if (c >= kListLevels) {
            label += c;
            continue;
        }
        const auto k = static_cast<std::size_t>(c);
        const ListLevel& shown = list.levels[k];
        const int v = m_used[k] ? m_values[k] : shown.start;
        const bool decimal = def.legal && shown.format != NumberFormat::None;
        label += formatNumber(v, decimal ? NumberFormat::Decimal : shown.format);
    }
    if (label.empty())
        return label;
    if (label.size() > static_cast<std::size_t>(kMaxListLabel))
        label.resize(static_cast<std::size_t>(kMaxListLabel));
    label += def.suffix.substr(0, 4);
    return label;
}

}  // namespace sorvane
