#include "common/number_value.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(NumberValue, TheNumberTheTextBeginsWith)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"", 0},         {"abc", 0},      {"12", 12},       {"  12.6", 12.6}, {"\t5", 5},
        {"7 lines", 7},  {"-3", -3},      {"+2", 2},        {".5", 0.5},      {"5.", 5},
        {"1e3", 1000},   {"1e", 1},       {"2E-1", 0.2},    {"1e+", 1},       {"0x10", 0},
        {"- 5", 0},      {".", 0},        {"-", 0},         {"inf", 0},       {"nan", 0},
        {"0.05", 0.05},  {"3000000", 3000000}, {"1,5", 1},  {"１２", 0},  // full-width digits are no number
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(numberValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberValue, RoundingHalvesToEven)
{
    struct Case {
        double value;
        std::int64_t rounded;
    };
    const Case cases[] = {
        {0.5, 0},   {1.5, 2},   {2.5, 2},   {12.5, 12}, {13.5, 14}, {-0.5, 0},
        {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}, {-7.6, -8}, {51.2, 51},
        {1e300, std::numeric_limits<std::int64_t>::max()},
        {-1e300, std::numeric_limits<std::int64_t>::min()},
        {std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(roundHalfEven(c.value), c.rounded) << c.value;

    EXPECT_EQ(wholeNumberValue(" 6.5 chars"), 6);
    EXPECT_EQ(wholeNumberValue("7.5"), 8);
    EXPECT_EQ(wholeNumberValue("40000"), 40000);  // no 16-bit limit
    EXPECT_EQ(wholeNumberValue("x9"), 0);
}

}  // namespace
}  // namespace sorvane
