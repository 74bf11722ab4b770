#pragma once
// Automatic list numbers and bullets of word-processor documents: number formats, a
// list's levels and the counters that give each numbered paragraph its label ("1.1.\t",
// "一、", "•\t"). Every reader fills a ListDefinition from its own format and asks a
// ListCounters for the label of each numbered paragraph. Values from the file are
// clamped, so labels stay short and counters never overflow.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/text.h"

namespace sorvane {

enum class NumberFormat : std::uint8_t {
    Decimal,
    DecimalZero,       // 01, 02 … 10
    DecimalFullWidth,  // １, ２
    DecimalCircle,     // ①, ② … ⑳, then decimal
    LowerLetter,       // a … z, aa … zz, aaa
    UpperLetter,
    LowerAlphabetic,   // a … z, aa, ab … zz, aaa
    UpperAlphabetic,
    LowerRoman,
    UpperRoman,
    ChineseCounting,   // 一, 十一, 一百零一
    ChineseLegal,      // 壹, 壹拾壹
    JapaneseCounting,  // 一, 十一, 百一
    IdeographDigital,  // 一〇一
    IdeographTraditional,  // 甲 … 癸, then decimal
    None,              // the level's number is not shown
};

// The number `value` (at least 0) in `format`; decimal where the format has no form for
// it. At most a few dozen characters.
Text formatNumber(int value, NumberFormat format);

// The format a DOCX w:numFmt value or an RTF/DOC number-format code names; decimal for
// one not known.
NumberFormat docxNumberFormat(std::string_view name);
NumberFormat msNumberFormatCode(int code);

// The Unicode character a Symbol or Wingdings glyph code (0x20..0xFF, or the same in
// F020..F0FF) shows; the code itself for other fonts and glyphs not known.
char32_t symbolFontChar(std::string_view font, char32_t code);

constexpr int kListLevels = 10;
constexpr int kMaxListLabel = 128;   // characters of one label, suffix included
constexpr int kMaxListCounter = 999999999;

// One level of a list. In `text`, the characters U+0000..U+0009 stand for the number of
// that level (0-based); every other character is shown as it is.
struct ListLevel {
    NumberFormat format = NumberFormat::Decimal;
    Text text;
    int start = 1;
    // The highest level (0-based) whose use restarts this one: -1 for every level above
    // it, -2 for never.
    int restartAfter = -1;
    bool legal = false;  // every number in the label in decimal
    Text suffix = u"\t";
};

struct ListDefinition {
    std::array<ListLevel, kListLevels> levels;
};

// The running numbers of one list.
class ListCounters {
public:
    // The label of the next paragraph at `level` (0-based, clamped), suffix included,
    // or nothing when the level shows neither number nor text; `restartAt` starts the
    // level again at that value. Deeper levels restart as their definition says.
    Text next(const ListDefinition& list, int level, std::optional<int> restartAt = std::nullopt);
    // Forgets every level's number, so the list starts again.
    void reset();

private:
    std::array<int, kListLevels> m_values{};
    std::array<bool, kListLevels> m_used{};
};

// A number written in the file: its leading optional minus and digits, clamped to
// 0..kMaxListCounter; nothing when it holds no digit.
std::optional<int> parseListNumber(std::string_view text);

}  // namespace sorvane
