#include "settings/settings_values.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(SettingsValues, MaxValueForm)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"12.6", "13"}, {"7 lines", "7"}, {"-3", "-3"}, {"30", "30"}, {"  30", "30"},
        {"0", ""},      {"", ""},         {"abc", ""},  {"0.4", ""},  {"-0.4", ""},
        {"12.5", "12"}, {"13.5", "14"},   {"-2.5", "-2"}, {"1e3", "1000"}, {"100K", "100"},
    };
    for (const auto& [box, stored] : cases)
        EXPECT_EQ(maxValueForm(box), stored) << box;
}

TEST(SettingsValues, StoredIndex)
{
    const std::pair<std::string_view, std::optional<int>> cases[] = {
        {"", std::nullopt},  {"0", 0},   {"9", 9},         {"-1", -1},
        {" 3", 3},           {"2.5", 2}, {"-1.4", -1},     {"10", std::nullopt},
        {"9.6", std::nullopt}, {"-2", std::nullopt}, {"abc", std::nullopt},
        {"-", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& [value, index] : cases)
        EXPECT_EQ(storedIndex(value), index) << value;
}

TEST(SettingsValues, OutputEncoding)
{
    const std::pair<std::string_view, OutputEncoding> cases[] = {
        {"", OutputEncoding::Gbk},          {"GBK", OutputEncoding::Gbk},
        {"GB18030", OutputEncoding::Gb18030}, {"gb18030", OutputEncoding::Gb18030},
        {"UTF-8", OutputEncoding::Utf8},    {" utf8 ", OutputEncoding::Utf8},
        {"latin1", OutputEncoding::Gbk},    {"UTF-16", OutputEncoding::Gbk},
    };
    for (const auto& [value, encoding] : cases)
        EXPECT_EQ(storedOutEnc(value), encoding) << value;
    for (OutputEncoding e : {OutputEncoding::Gbk, OutputEncoding::Gb18030, OutputEncoding::Utf8})
        EXPECT_EQ(storedOutEnc(outEncValue(e)), e);
    EXPECT_EQ(outEncValue(OutputEncoding::Utf8), "UTF-8");
}

}  // namespace
}  // namespace sorvane
