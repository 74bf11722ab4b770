#include "settings/settings_values.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

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
        {"GB-18030", OutputEncoding::Gb18030}, {"Utf8", OutputEncoding::Utf8},
    };
    for (const auto& [value, encoding] : cases)
        EXPECT_EQ(storedOutEnc(value), encoding) << value;
    for (OutputEncoding e : {OutputEncoding::Gbk, OutputEncoding::Gb18030, OutputEncoding::Utf8})
        EXPECT_EQ(storedOutEnc(outEncValue(e)), e);
    EXPECT_EQ(outEncValue(OutputEncoding::Utf8), "UTF-8");
}

// A file written from scratch holds the keys in the order of the key list, each in its
// form; reading it back gives what was set.
TEST(SettingsValues, WrittenFileHoldsEveryKeyInOrderAndReadsBack)
{
    test::ScratchFolder folder;
    const auto file = folder / "KELDRAN.INI";
    SettingsValues out;
    // Set out of order: the file still follows the key list.
    out.set(SettingKey::GEOMETRY, "AdnQywADAAA=");
    out.set(SettingKey::MAX_Len, "30");
    out.set(SettingKey::MAX_L, "12.6");
    out.set(SettingKey::PATTERN, "*.htm;*.txt");
    for (int i = 0; i < 3; ++i)
        out.setIndex(valueKey(i), i == 2 ? -1 : i + 4);
    out.set(SettingKey::USE_PATH, "/home/user/书");
    EXPECT_TRUE(out.write(file).empty());

    EXPECT_EQ(test::readFile(file),
              "[SET]\r\nUSE_PATH=/home/user/\xca\xe9\r\nValue0=4\r\nValue1=5\r\nValue2=-1\r\n"
              "MAX_L=13\r\nMAX_Len=30\r\nPATTERN=*.htm;*.txt\r\nGEOMETRY=AdnQywADAAA=\r\n");

    const SettingsValues in = SettingsValues::read(file);
    EXPECT_EQ(in.text(SettingKey::USE_PATH), "/home/user/书");
    EXPECT_EQ(in.index(SettingKey::Value0), 4);
    EXPECT_EQ(in.index(SettingKey::Value2), -1);
    EXPECT_EQ(in.text(SettingKey::MAX_L), "13");
    EXPECT_EQ(in.text(SettingKey::PATTERN), "*.htm;*.txt");
    EXPECT_EQ(in.text(SettingKey::GEOMETRY), "AdnQywADAAA=");
}

// A file holding only the first six keys reads unchanged, our keys read empty, and
// writing puts our keys after the six without touching the lines already there.
TEST(SettingsValues, FileWithTheSixKeysOnlyKeepsThemAndGetsOurKeysAfter)
{
    test::ScratchFolder folder;
    const auto file = folder / "KELDRAN.INI";
    const std::string six = "[SET]\r\nUSE_PATH=D:\\books\r\nValue0=0\r\nValue1=1\r\nValue2=1\r\n"
                            "MAX_L=\r\nMAX_Len=30\r\n";
    test::writeFile(file, six);

    const SettingsValues in = SettingsValues::read(file);
    EXPECT_EQ(in.text(SettingKey::USE_PATH), "D:\\books");
    EXPECT_EQ(in.index(SettingKey::Value1), 1);
    EXPECT_EQ(in.text(SettingKey::MAX_L), "");
    EXPECT_EQ(in.text(SettingKey::MAX_Len), "30");
    EXPECT_EQ(in.text(SettingKey::PATTERN), "");
    EXPECT_EQ(in.index(SettingKey::PATTERN), std::nullopt);

    SettingsValues out;
    out.set(SettingKey::PATTERN, "*.html");
    out.set(SettingKey::MAX_Len, "30");
    EXPECT_TRUE(out.write(file).empty());
    EXPECT_EQ(test::readFile(file), six + "PATTERN=*.html\r\n");
}

TEST(SettingsValues, FailedWritesAreReportedPerKey)
{
    test::ScratchFolder folder;
    const auto file = folder / "KELDRAN.INI";
    std::filesystem::create_directory(file);  // a folder in the file's place
    SettingsValues out;
    out.set(SettingKey::USE_PATH, "/x");
    out.set(SettingKey::PATTERN, "*.htm");
    EXPECT_EQ(out.write(file).size(), 2u);
    EXPECT_TRUE(SettingsValues().write(file).empty());  // nothing set: nothing written
}

}  // namespace
}  // namespace sorvane
