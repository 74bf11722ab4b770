// List numbers in every format, at the edges where a form ends, and labels built from
// hostile level texts and counters.
#include <gtest/gtest.h>

#include <string>

#include "engine/readers/list_numbering.h"

namespace sorvane {
namespace {

TEST(ListNumbering, FormatsNumbers)
{
    using F = NumberFormat;
    const struct {
        int value;
        F format;
        const char* text;
    } cases[] = {
        {7, F::Decimal, "7"},          {7, F::DecimalZero, "07"},       {10, F::DecimalZero, "10"},
        {12, F::DecimalFullWidth, "１２"}, {20, F::DecimalCircle, "⑳"},   {21, F::DecimalCircle, "21"},
        {26, F::LowerLetter, "z"},     {27, F::LowerLetter, "aa"},      {53, F::UpperLetter, "AAA"},
        {100000, F::LowerLetter, "100000"}, {28, F::LowerAlphabetic, "ab"}, {702, F::UpperAlphabetic, "ZZ"},
        {703, F::UpperAlphabetic, "AAA"},
        {1994, F::UpperRoman, "MCMXCIV"}, {4, F::LowerRoman, "iv"},     {4000, F::UpperRoman, "4000"},
        {0, F::LowerRoman, "0"},
        {10, F::ChineseCounting, "十"},  {11, F::ChineseCounting, "十一"}, {20, F::ChineseCounting, "二十"},
        {101, F::ChineseCounting, "一百零一"}, {110, F::ChineseCounting, "一百一十"},
        {1001, F::ChineseCounting, "一千零一"}, {10010, F::ChineseCounting, "一万零一十"},
        {12345, F::ChineseCounting, "一万二千三百四十五"}, {0, F::ChineseCounting, "〇"},
        {10, F::ChineseLegal, "壹拾"},   {105, F::ChineseLegal, "壹佰零伍"},
        {111, F::JapaneseCounting, "百十一"}, {1001, F::JapaneseCounting, "千一"},
        {105, F::IdeographDigital, "一〇五"}, {10, F::IdeographTraditional, "癸"},
        {11, F::IdeographTraditional, "11"}, {5, F::None, ""},
        {-3, F::Decimal, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toUtf8(formatNumber(c.value, c.format)), c.text) << c.value << " " << static_cast<int>(c.format);
}

TEST(ListNumbering, MapsSymbolFontGlyphs)
{
    const struct {
        const char* font;
        char32_t code;
        char32_t shown;
    } cases[] = {
        {"Symbol", 0xF0B7, U'•'}, {"SYMBOL", 0xB7, U'•'}, {"Symbol", 0xF061, U'α'},
        {"Wingdings", 0xF0A7, U'▪'}, {"Wingdings", 0xF0D8, U'➢'}, {"Wingdings", 0xF076, U'❖'},
        {"Wingdings", 0xF0FC, U'✓'}, {"Courier New", U'o', U'o'}, {"Arial", 0xF0B7, 0xF0B7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(symbolFontChar(c.font, c.code), c.shown) << c.font << " " << static_cast<unsigned>(c.code);
}

TEST(ListNumbering, CountsAndBoundsLabels)
{
    ListDefinition list;
    list.levels[0].text = Text(1, u'\0') + u".";
    list.levels[1].text = Text(1, u'\0') + u"." + Text(1, u'\1');
    list.levels[1].start = 5;
    list.levels[kListLevels - 1].text = Text(1, static_cast<char16_t>(kListLevels - 1));
    ListCounters counters;
    EXPECT_EQ(toUtf8(counters.next(list, 1)), "1.5\t");   // the level above not yet used: its start
    EXPECT_EQ(toUtf8(counters.next(list, 0)), "1.\t");
    EXPECT_EQ(toUtf8(counters.next(list, 1)), "1.5\t");   // restarted by its parent
    EXPECT_EQ(toUtf8(counters.next(list, 1)), "1.6\t");
    EXPECT_EQ(toUtf8(counters.next(list, 0, 9)), "9.\t");
    EXPECT_EQ(toUtf8(counters.next(list, 42)), "1\t");  // a level past the last is the last
    counters.reset();
    EXPECT_EQ(toUtf8(counters.next(list, 0)), "1.\t");
    EXPECT_EQ(toUtf8(counters.next(list, 2)), "");  // a level with no text has no label

    // A start at the top of the range stays there, and a level text of placeholders
    // gives a label of bounded length.
    list.levels[0].start = 2147483647;
    list.levels[0].text = Text(5000, u'\0');
    ListCounters big;
    big.next(list, 0);
    const Text label = big.next(list, 0);
    EXPECT_LE(label.size(), static_cast<std::size_t>(kMaxListLabel) + 1);
    EXPECT_EQ(toUtf8(label.substr(0, 9)), std::to_string(kMaxListCounter));

    EXPECT_EQ(parseListNumber("99999999999999999999"), kMaxListCounter);
    EXPECT_EQ(parseListNumber("-4"), 0);
    EXPECT_EQ(parseListNumber("x"), std::nullopt);
}

}  // namespace
}  // namespace sorvane
