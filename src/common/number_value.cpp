#include "common/number_value.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace sorvane {

// Leading blanks (spaces and tabs) skipped, an optional sign, digits with an optional
// decimal part and exponent; reading stops at the first character that cannot continue
// the number, so "7 lines" is 7 and "1e" is 1.
double numberValue(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    // Collect the longest prefix that has the shape of a decimal number, then let strtod
    // read exactly that (it would otherwise also accept "inf", "nan" and hex forms).
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            while (j < text.size() && text[j] >= '0' && text[j] <= '9')
                ++j;
            i = j;
        }
    }
    const std::string number(text.substr(start, i - start));
    return std::strtod(number.c_str(), nullptr);
}

// 12.5 -> 12, 13.5 -> 14, -2.5 -> -2.
std::int64_t roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9.2233720368547748e18;  // 2^63, the first double past the range
    if (value >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -limit)
        return std::numeric_limits<std::int64_t>::min();
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::int64_t wholeNumberValue(std::string_view text)
{
    return roundHalfEven(numberValue(text));
}

}  // namespace sorvane
