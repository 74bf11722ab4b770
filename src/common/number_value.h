#pragma once
// The number a typed text stands for, as every parameter box and stored value reads it.

#include <cstdint>
#include <string_view>

namespace sorvane {

// The number the text begins with: leading blanks (spaces and tabs) skipped, an optional
// sign, digits with an optional decimal part and exponent. Reading stops at the first
// character that cannot continue the number. A text that does not begin with a number,
// and the empty text, give 0.
double numberValue(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (12.5 -> 12,
// 13.5 -> 14, -2.5 -> -2). Values beyond the 64-bit range saturate; NaN gives 0.
std::int64_t roundHalfEven(double value);

// roundHalfEven(numberValue(text)).
std::int64_t wholeNumberValue(std::string_view text);

}  // namespace sorvane
