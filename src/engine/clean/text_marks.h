#pragma once
// Character classes and marks the cleaning rules read in a line of text: blanks,
// sentence punctuation, full-width letters, numbers written in any script, and the
// marks that open a chapter heading.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/text.h"

namespace sorvane::clean {

// The classes of every UTF-16 unit, one table look-up a character: the rules read every
// character of a book several times.
enum CharClass : std::uint8_t { kBlank = 1, kPunctuation = 2, kNumeral = 4, kDigit = 8 };
extern const std::array<std::uint8_t, 0x10000> kCharClasses;

// Blanks a line may begin with: spaces, tabs, the ideographic space, no-break and other
// fixed-width spaces, the byte-order mark.
inline bool isBlank(char16_t c)
{
    return (kCharClasses[c] & kBlank) != 0;
}

// Sentence punctuation of Chinese and Latin text: commas, stops, question and
// exclamation marks, colons, semicolons, quotation marks, the ellipsis.
inline bool isSentencePunctuation(char16_t c)
{
    return (kCharClasses[c] & kPunctuation) != 0;
}

// ASCII or full-width digits.
inline bool isDigit(char16_t c)
{
    return (kCharClasses[c] & kDigit) != 0;
}

// 〇零一二…十百千万两 and their formal forms.
inline bool isChineseNumeral(char16_t c)
{
    return (kCharClasses[c] & kNumeral) != 0;
}

// Marks that end a sentence: 。！？!? and the ellipsis.
bool endsSentence(char16_t c);

// A full-width Latin letter, digit or sign (U+FF01..U+FF5E) as its ASCII twin, an ASCII
// capital in lower case; any other character as it is.
inline char16_t foldWidthAndCase(char16_t c)
{
    if (c >= u'\uFF01' && c <= u'\uFF5E')
        c = static_cast<char16_t>(c - 0xFF01 + 0x21);
    if (c >= u'A' && c <= u'Z')
        c = static_cast<char16_t>(c + 32);
    return c;
}

// After foldWidthAndCase: a Latin letter or digit.
inline bool isLatinAlnum(char16_t folded)
{
    return (folded >= u'a' && folded <= u'z') || (folded >= u'0' && folded <= u'9');
}

bool isHan(char16_t c);  // a CJK ideograph of the basic block or extension A

// The line without the blanks at its ends.
TextView trimBlanks(TextView line);

// Where a chapter mark starts in `line` and how long it is: 第 + a number + 章, 节, 回,
// 话 (either script; the number in digits or Chinese numerals), "Chapter N", or one of
// the words that stand for a chapter (楔子, 序章, 番外, 尾声…). Volume marks (第一卷) are
// not chapter marks.
struct MarkSpan {
    std::size_t at = 0;
    std::size_t length = 0;
};
std::optional<MarkSpan> findChapterMark(TextView line);

// Whether the line starts with a chapter mark, after blanks.
bool startsWithChapterMark(TextView line);

// A key under which lines that differ only in their numbers (digits or Chinese numerals,
// in any width) and blanks compare equal: numbers become '#', blanks go, letters fold.
std::uint64_t shapeKey(TextView line);

}  // namespace sorvane::clean
