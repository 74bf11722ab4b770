#pragma once
// The number a typed text stands for, as every parameter box and stored value reads it.

#include <cstdint>
#include <string_view>

namespace sorvane {

// The number the text begins with, after leading blanks; 0 when it begins with none.
double numberValue(std::string_view text);

// The nearest whole number, halves to the even one. Values beyond the 64-bit range
// saturate; NaN gives 0.
std::int64_t roundHalfEven(double value);

// roundHalfEven(numberValue(text)).
std::int64_t wholeNumberValue(std::string_view text);

}  // namespace sorvane
