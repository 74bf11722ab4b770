// The settings file and the replacement-list file when they are garbage, cut short,
// enormous, or not files at all. Reading must give the documented values (an absent key
// reads empty, rows read so far are kept) without hanging; writing must change only what
// it is asked to change or fail and leave the old file as it was. The command line's
// --list takes the same reader.

#include <sys/stat.h>

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "bad_input_support.h"
#include "common/text.h"
#include "io/codepage.h"
#include "io/hex_codec.h"
#include "settings/ini_file.h"
#include "settings/list_file.h"
#include "support/test_text.h"

namespace sorvane {
namespace {

using test::fingerprint;
using test::inFolder;
using test::readFile;
using test::runCli;
using test::ScratchFolder;
using test::writeFile;

// Enormous files: 32 MB, 8 MB under AddressSanitizer, where the suite must stay quick.
constexpr std::size_t kEnormous = test::kSanitized ? 8u << 20 : 32u << 20;

using test::gbk;

// Random bytes without '[', so they never hold a section line.
std::string garbage(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (char& c : out) {
        c = static_cast<char>(random() & 0xFF);
        if (c == '[')
            c = '(';
    }
    return out;
}

// Many short lines of keys in other sections, then the key the program reads.
std::string enormousIni(std::size_t bytes)
{
    std::string out;
    out.reserve(bytes + 64);
    for (std::size_t i = 0; out.size() < bytes; ++i)
        out += (i % 1000 == 0 ? "[OTHER" + std::to_string(i) + "]\r\n" : "") + "key" + std::to_string(i) + "=value\r\n";
    return out + "[SET]\r\nMAX_L=9\r\n";
}

TEST(BadSettings, IniFileReadsAndWritesWhateverItHolds)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::string maxL;     // what MAX_L reads before the write
        std::string written;  // the whole file after writing MAX_Len=7; empty: not checked
    };
    const std::string noise = garbage(65536, 1);
    const std::string nuls(4096, '\0');
    const Case cases[] = {
        {"random bytes", noise, "", noise + "\r\n[SET]\r\nMAX_Len=7\r\n"},
        {"NUL bytes", nuls, "", nuls + "\r\n[SET]\r\nMAX_Len=7\r\n"},
        {"NUL inside a value", std::string("[SET]\r\nMAX_L=1\0002\r\n", 18), std::string("1\0002", 3),
         std::string("[SET]\r\nMAX_L=1\0002\r\nMAX_Len=7\r\n", 29)},
        {"cut after a value", "[SET]\r\nMAX_L=1", "1", "[SET]\r\nMAX_L=1\r\nMAX_Len=7\r\n"},
        {"cut in a key name", "[SET]\r\nMAX_", "", "[SET]\r\nMAX_\r\nMAX_Len=7\r\n"},
        {"cut in the section line", "[SE", "", "[SE\r\n[SET]\r\nMAX_Len=7\r\n"},
        {"section line without its bracket", "[SET\r\nMAX_L=3\r\n", "3", "[SET\r\nMAX_L=3\r\nMAX_Len=7\r\n"},
        {"lone CR line ends", "[SET]\rMAX_L=4\r", "", ""},
        {"GBK value cut after a lead byte", "[SET]\r\nMAX_L=" + gbk("路径") + "\xC2", "路径\xEF\xBF\xBD", ""},
        {"a byte-order mark first", "\xEF\xBB\xBF[SET]\r\nMAX_L=5\r\n", "", ""},
        {"enormous", enormousIni(kEnormous), "9", ""},
        {"one enormous line", "[SET]\r\nMAX_L=" + std::string(kEnormous / 4, '8') + "\r\n", std::string(kEnormous / 4, '8'),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        const auto file = dir / "KELDRAN.INI";
        writeFile(file, c.bytes);
        writeFile(dir / "KELDRAN.DAT", "8040\r\n\r\n");
        EXPECT_EQ(Read_INI(file, "SET", "MAX_L"), c.maxL);
        EXPECT_EQ(Read_INI(file, "SET", "USE_PATH"), "");

        const auto others = fingerprint(dir.path());
        ASSERT_TRUE(Write_INI(file, "SET", "MAX_Len", "7").ok());
        EXPECT_EQ(Read_INI(file, "SET", "MAX_Len"), "7");
        EXPECT_EQ(Read_INI(file, "SET", "MAX_L"), c.maxL);
        if (!c.written.empty()) {
            EXPECT_TRUE(readFile(file) == c.written) << "the rest of the file changed";
        }
        EXPECT_EQ(fingerprint(dir.path()).erase("KELDRAN.INI"), 1u);
        auto after = fingerprint(dir.path());
        after.erase("KELDRAN.INI");
        auto expected = others;
        expected.erase("KELDRAN.INI");
        EXPECT_EQ(after, expected);
    }
}

// A settings file that is no regular file: read as absent, never blocking; a write is
// refused and leaves it alone.
TEST(BadSettings, IniFileThatIsNoFile)
{
    ScratchFolder dir;
    std::filesystem::create_directory(dir / "folder.ini");
    ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.ini");
    std::filesystem::create_symlink("/dev/full", dir / "full.ini");
    std::filesystem::create_symlink(dir / "nowhere" / "x.ini", dir / "dangling.ini");
    const auto before = fingerprint(dir.path());
    for (const char* name : {"folder.ini", "pipe.ini", "zero.ini", "full.ini", "dangling.ini"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read_INI(dir / name, "SET", "MAX_L"), "");
        EXPECT_EQ(Read_INI(dir / name, "SET", "MAX_L", "默认"), "默认");
        const Status written = Write_INI(dir / name, "SET", "MAX_L", "5");
        EXPECT_FALSE(written.ok());
        if (!written.ok()) {
            EXPECT_FALSE(written.error().message.empty());
        }
        EXPECT_EQ(fingerprint(dir.path()), before);
    }
}

TEST(BadSettings, ListFileKeepsWhatItCanRead)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t rows;  // rows read
        Text lastSearch;   // search text of the last row
        Text lastReplacement;
    };
    std::string many;
    const std::size_t manyRows = kEnormous / 4 / 12;
    many.reserve(manyRows * 12);
    for (std::size_t i = 0; i < manyRows; ++i)
        many += "8040\r\n8041\r\n";
    const Case cases[] = {
        {"cut in the middle of a group", "56CF\r\n801F\r\n804", 2, u"?", u"?"},  // 0x804 is no character
        {"odd number of lines", "56CF\r\n801F\r\n8042", 2, u"C", u"C"},
        {"lines without CR", "56CF\n801F\n", 1, u"中", u" "},
        {"damaged groups", "56CFZZZZ\r\n80\r\n", 1, u"中?", u"?"},
        {"NUL bytes", std::string(4096, '\0'), 1, Text(1024, u'?'), Text(1024, u'?')},
        {"a lone CR line", "\r\r\n8040\r\n", 1, u"?", u"A"},
        {"an empty line ends the list", "8040\r\n8041\r\n\r\n8042\r\n8043\r\n", 1, u"A", u"B"},
        {"enormous", many, manyRows, u"A", u"B"},
        {"one enormous line", std::string(kEnormous / 4, '8'), 1, Text(kEnormous / 16, u'?'),
         Text(kEnormous / 16, u'?')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        writeFile(dir / "KELDRAN.DAT", c.bytes);
        const auto before = fingerprint(dir.path());
        const ReplacementList list = loadListFile(dir / "KELDRAN.DAT");
        ASSERT_EQ(list.size(), c.rows);
        if (c.rows > 0) {
            EXPECT_TRUE(list.back().search == c.lastSearch) << toUtf8(list.back().search).substr(0, 40);
            EXPECT_TRUE(list.back().replacement == c.lastReplacement) << toUtf8(list.back().replacement).substr(0, 40);
        }
        for (const ReplacementRow& row : list)
            ASSERT_EQ(row.keep, "Y");
        EXPECT_EQ(fingerprint(dir.path()), before);
    }
}

TEST(BadSettings, ListFileThatIsNoFile)
{
    ScratchFolder dir;
    std::filesystem::create_directory(dir / "folder.dat");
    ASSERT_EQ(::mkfifo((dir / "pipe.dat").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.dat");
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling.dat");
    writeFile(dir / "file", "x");
    const auto before = fingerprint(dir.path());
    for (const char* name : {"folder.dat", "pipe.dat", "zero.dat", "dangling.dat"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(loadListFile(dir / name).empty());
    }
    const ReplacementList list{ReplacementRow{u"甲", u"乙", "Y"}};
    for (const char* name : {"folder.dat", "pipe.dat", "zero.dat"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(saveListFile(dir / name, list).ok());
    }
    EXPECT_FALSE(saveListFile(dir / "file" / "KELDRAN.DAT", list).ok());
    EXPECT_EQ(fingerprint(dir.path()), before);
}

// The command line's --list with a damaged or enormous list: the rows it can read are
// applied, and the conversion goes on.
TEST(BadSettings, CommandLineListFiles)
{
    ScratchFolder dir;
    writeFile(dir / "book.htm", "<meta charset=utf-8><p>甲乙丙丁 ABC</p>");
    // 甲 -> 乙; a damaged search text whose replacement is the empty line; A -> Z on a
    // last line without its line end.
    writeFile(dir / "damaged.dat", C_HEX(u"甲") + "\r\n" + C_HEX(u"乙") + "\r\nZZ\xFF\r\n\r\n" + C_HEX(u"A") +
                                       "\r\n" + C_HEX(u"Z"));
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += C_HEX(u"甲") + "\r\n" + C_HEX(u"甲") + "\r\n";
    many += C_HEX(u"丁") + "\r\n" + C_HEX(u"戊") + "\r\n";
    writeFile(dir / "many.dat", many);
    std::filesystem::create_directory(dir / "folder.dat");
    const auto before = fingerprint(dir.path());

    struct Case {
        const char* list;
        int status;
        const char* out;
    };
    const Case cases[] = {
        {"damaged.dat", 0, "　　乙乙丙丁 ZBC\r\n"},
        {"many.dat", 0, "　　甲乙丙戊 ABC\r\n"},
        {"folder.dat", 2, ""},
        {"missing.dat", 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        const auto run = runCli({"--stdout", "--eol", "crlf", "--list", c.list, "book.htm"}, inFolder(dir.path()));
        ASSERT_TRUE(run.exited) << test::describe(run);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(fingerprint(dir.path()), before);
    }
}

}  // namespace
}  // namespace sorvane
