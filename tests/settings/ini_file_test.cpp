#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include "io/codepage.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

std::string cp936(std::string_view utf8)
{
    return encodeCp936(fromUtf8(utf8)).bytes;
}

TEST(IniFile, FirstWritesMakeTheExampleFile)
{
    ScratchFolder dir;
    const auto ini = dir / "KELDRAN.INI";
    const std::pair<const char*, const char*> writes[] = {
        {"USE_PATH", "D:\\books"}, {"Value0", "0"}, {"Value1", "1"},
        {"Value2", "1"},           {"MAX_L", ""},   {"MAX_Len", "30"},
    };
    for (const auto& [key, value] : writes)
        ASSERT_TRUE(Write_INI(ini, "SET", key, value).ok()) << key;
    EXPECT_EQ(readFile(ini),
              "[SET]\r\nUSE_PATH=D:\\books\r\nValue0=0\r\nValue1=1\r\nValue2=1\r\nMAX_L=\r\nMAX_Len=30\r\n");
    for (const auto& [key, value] : writes)
        EXPECT_EQ(Read_INI(ini, "SET", key), value) << key;

    // Writing the same keys again changes nothing but their lines.
    ASSERT_TRUE(Write_INI(ini, "SET", "MAX_L", "7").ok());
    ASSERT_TRUE(Write_INI(ini, "SET", "USE_PATH", "/home/王/书").ok());
    EXPECT_EQ(readFile(ini), cp936("[SET]\r\nUSE_PATH=/home/王/书\r\nValue0=0\r\nValue1=1\r\nValue2=1\r\n"
                                    "MAX_L=7\r\nMAX_Len=30\r\n"));
    EXPECT_EQ(test::entryCount(dir.path()), 1u);  // no temporary file left behind
}

TEST(IniFile, ReadsHandWrittenFiles)
{
    ScratchFolder dir;
    const auto ini = dir / "KELDRAN.INI";
    writeFile(ini, cp936("; settings\r\n"
                          "[Other]\r\nUSE_PATH=wrong\r\n"
                          "  [ set ]  \r\n"
                          "use_path  =  C:\\文档\\新 书  \r\n"
                          "VALUE0=\r\n"
                          "Value1 = 5\n"
                          "MAX_L==3=4\r\n"
                          ";MAX_Len=9\r\n"
                          "junk line\r\n"
                          "Value1=6\r\n"
                          "[Later]\r\nMAX_Len=8\r\n"
                          "[SET]\r\nValue2=2\r\n"));
    const std::pair<const char*, const char*> cases[] = {
        {"USE_PATH", "C:\\文档\\新 书"},  // blanks inside kept, around "=" trimmed
        {"use_path", "C:\\文档\\新 书"},
        {"Value0", ""},                     // present and empty
        {"Value1", "5"},                    // LF line end; the first of two lines counts
        {"MAX_L", "=3=4"},                  // everything after the first "="
        {"MAX_Len", ""},                    // a comment and a later section do not count
        {"Value2", ""},                     // a second [SET] section is not searched
        {"Missing", ""},
    };
    for (const auto& [key, value] : cases)
        EXPECT_EQ(Read_INI(ini, "SET", key), value) << key;
    EXPECT_EQ(Read_INI(ini, "other", "use_path"), "wrong");
    EXPECT_EQ(Read_INI(ini, " SET ", "\tValue1 "), "5");  // blanks around names are no part of them

    // The default only stands in for an empty or absent value.
    EXPECT_EQ(Read_INI(ini, "SET", "Value0", "d"), "d");
    EXPECT_EQ(Read_INI(ini, "SET", "Missing", "d"), "d");
    EXPECT_EQ(Read_INI(ini, "SET", "Value1", "d"), "5");
    EXPECT_EQ(Read_INI(ini, "NoSection", "Value1", "d"), "d");
    EXPECT_EQ(Read_INI(dir / "absent.ini", "SET", "Value1"), "");
    EXPECT_EQ(Read_INI(dir / "absent.ini", "SET", "Value1", "d"), "d");
    EXPECT_EQ(Read_INI(dir.path(), "SET", "Value1"), "");  // a folder, not a file
}

TEST(IniFile, WriteKeepsEveryOtherLine)
{
    ScratchFolder dir;
    const auto ini = dir / "KELDRAN.INI";
    const std::string before = cp936("; 设置\r\n"
                                     "[Other]\r\nValue0=x\r\n\r\n"
                                     "[set]\r\n  value0 = 3 \r\nunknown=k\n; note\r\n\r\n"
                                     "[Tail]\nk=v");
    writeFile(ini, before);

    ASSERT_TRUE(Write_INI(ini, "SET", "Value0", "4").ok());
    ASSERT_TRUE(Write_INI(ini, "SET", "MAX_L", "").ok());
    ASSERT_TRUE(Write_INI(ini, "New", "a", "b").ok());
    EXPECT_EQ(readFile(ini), cp936("; 设置\r\n"
                                    "[Other]\r\nValue0=x\r\n\r\n"
                                    "[set]\r\nValue0=4\r\nunknown=k\n; note\r\nMAX_L=\r\n\r\n"
                                    "[Tail]\nk=v\r\n"
                                    "[New]\r\na=b\r\n"));
    EXPECT_EQ(Read_INI(ini, "SET", "Value0"), "4");
    EXPECT_EQ(Read_INI(ini, "Other", "Value0"), "x");
    EXPECT_EQ(Read_INI(ini, "Tail", "k"), "v");
}

TEST(IniFile, LongValuesAndAnyCharacterComeBackWhole)
{
    ScratchFolder dir;
    const auto ini = dir / "KELDRAN.INI";
    std::string longPath = "/";
    while (longPath.size() < 1000)
        longPath += "很长的文件夹名称/folder\\";
    const std::string values[] = {longPath, "a=b;c[d]", "€ ·　全角", "\\\\server\\share\\"};
    for (const std::string& value : values) {
        ASSERT_TRUE(Write_INI(ini, "SET", "USE_PATH", value).ok());
        EXPECT_EQ(Read_INI(ini, "SET", "USE_PATH"), value);
    }
}

TEST(IniFile, RefusesWhatItCannotStoreAndLeavesTheFile)
{
    ScratchFolder dir;
    const auto ini = dir / "KELDRAN.INI";
    const std::string before = "[SET]\r\nValue0=2\r\n";
    writeFile(ini, before);
    const std::pair<const char*, const char*> bad[] = {
        {"Value0", "1\r\nValue1=9"}, {"Value0", "1\n"}, {"Value0", "ไทย"}, {"Key=", "1"}, {"K\n", "1"},
        {";Key", "1"}, {" [Key", "1"},
        // Invisible characters the code page leaves out would read back without them.
        {"Value0", "soft\u00ADhyphen"}, {"Value0", "zero\u200Bwidth"}, {"Value\u200B0", "1"},
    };
    for (const auto& [key, value] : bad) {
        const Status st = Write_INI(ini, "SET", key, value);
        ASSERT_FALSE(st.ok()) << key;
        EXPECT_EQ(st.error().code, ErrorCode::BadInput);
        EXPECT_FALSE(st.error().message.empty());
    }
    EXPECT_FALSE(Write_INI(ini, "S]", "k", "v").ok());
    EXPECT_EQ(readFile(ini), before);

    // An empty section or key name writes nothing, not even a new file.
    EXPECT_TRUE(Write_INI(dir / "new.ini", "", "k", "v").ok());
    EXPECT_TRUE(Write_INI(dir / "new.ini", "SET", "", "v").ok());
    EXPECT_TRUE(Write_INI(dir / "new.ini", "SET", "  ", "v").ok());
    EXPECT_FALSE(std::filesystem::exists(dir / "new.ini"));
}

TEST(IniFile, ReportsAFolderItCannotWrite)
{
    ScratchFolder dir;
    // The parent "folder" is a regular file: no permission bits involved, fails for root too.
    writeFile(dir / "plain", "x");
    const Status st = Write_INI(dir / "plain" / "KELDRAN.INI", "SET", "Value0", "1");
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, ErrorCode::Unwritable);
    EXPECT_NE(st.error().where.find("KELDRAN.INI"), std::string::npos);

    // A folder in the file's place is neither read nor replaced.
    std::filesystem::create_directory(dir / "KELDRAN.INI");
    EXPECT_FALSE(Write_INI(dir / "KELDRAN.INI", "SET", "Value0", "1").ok());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "KELDRAN.INI"));
}

TEST(IniFile, ReportsAReadOnlyFolder)
{
    if (test::runningAsRoot())
        GTEST_SKIP() << "permission bits do not stop root";
    ScratchFolder dir;
    const auto ini = dir / "KELDRAN.INI";
    writeFile(ini, "[SET]\r\nValue0=2\r\n");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const Status st = Write_INI(ini, "SET", "Value0", "1");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(readFile(ini), "[SET]\r\nValue0=2\r\n");
}

TEST(IniFile, KeepsPermissionsAndWritesThroughALink)
{
    ScratchFolder dir;
    const auto real = dir / "real.ini";
    writeFile(real, "[SET]\r\n");
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, dir / "KELDRAN.INI");
    ASSERT_TRUE(Write_INI(dir / "KELDRAN.INI", "SET", "Value0", "1").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "KELDRAN.INI"));
    EXPECT_EQ(readFile(real), "[SET]\r\nValue0=1\r\n");
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace sorvane
