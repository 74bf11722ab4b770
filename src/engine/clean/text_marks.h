#pragma once
// Character classes and marks the cleaning rules read in a line of text: blanks,
// sentence punctuation, full-width letters, numbers written in any script, and the
// marks that open a chapter heading.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/text.h"

namespace sorvane::clean {

// Blanks a line may begin with: spaces, tabs, the ideographic space, no-break and other
// fixed-width spaces, the byte-order mark.
bool isBlank(char16_t c);

// Sentence punctuation of Chinese and Latin text: commas, stops, question and
// exclamation marks, colons, semicolons, quotation marks, the ellipsis.
bool isSentencePunctuation(char16_t c);

// Marks that end a sentence: 。！？!? and the ellipsis.
bool endsSentence(char16_t c);

// A full-width Latin letter, digit or sign (U+FF01..U+FF5E) as its ASCII twin, an ASCII
// capital in lower case; any other character as it is.
char16_t foldWidthAndCase(char16_t c);

bool isLatinAlnum(char16_t folded);  // after foldWidthAndCase
bool isDigit(char16_t c);            // ASCII or full-width
bool isChineseNumeral(char16_t c);   // 〇零一二…十百千万两 and their formal forms
bool isHan(char16_t c);              // a CJK ideograph of the basic block or extension A

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
