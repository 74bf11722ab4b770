// The Word 97 list tables on hand-built bytes: list definitions with their levels, the
// overrides that point paragraphs at them, the paragraph properties that name a list,
// and tables cut short or counting past their end.
#include <gtest/gtest.h>

#include <string>

#include "engine/readers/doc_list_table.h"

namespace sorvane {
namespace {

void put16(std::string& out, unsigned v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, unsigned v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// An LVL: LVLF, no paragraph properties, `chpx` as character properties, the level text.
std::string lvl(int start, int nfc, int flags, std::string nums, int follow, const std::string& chpx,
                const std::u16string& text)
{
    std::string out;
    put32(out, static_cast<unsigned>(start));
    out += static_cast<char>(nfc);
    out += static_cast<char>(flags);
    nums.resize(9, '\0');
    out += nums;
    out += static_cast<char>(follow);
    out += std::string(8, '\0');
    out += static_cast<char>(chpx.size());
    out += '\0';
    out += '\0';  // ilvlRestartLim
    out += '\0';
    out += chpx;
    put16(out, static_cast<unsigned>(text.size()));
    for (const char16_t c : text)
        put16(out, c);
    return out;
}

std::string lstf(unsigned lsid, bool simple)
{
    std::string out;
    put32(out, lsid);
    put32(out, 0);
    out += std::string(18, '\xFF');
    out += static_cast<char>(simple ? 1 : 0);
    out += '\0';
    return out;
}

struct Table {
    std::string bytes;
    std::pair<std::uint32_t, std::uint32_t> lst, lfo;
};

// List 100: "1." in decimal, then "1.a" in lower letters followed by a space; list 200:
// a Symbol bullet. Overrides: 1 -> 100, 2 -> 200, 3 -> 100 starting level 0 at 5 and
// showing it as "V)".
Table sampleTable()
{
    Table t;
    std::string& b = t.bytes;
    put16(b, 2);
    b += lstf(100, false) + lstf(200, true);
    t.lst = {0, static_cast<std::uint32_t>(b.size())};
    b += lvl(1, 0, 0, "\x01", 0, "", std::u16string(u"\0.", 2));
    b += lvl(1, 4, 0, "\x01\x03", 1, "", std::u16string(u"\0.\1", 3));
    for (int i = 2; i < 9; ++i)
        b += lvl(1, 0, 0, "", 0, "", u"");
    std::string symbol;
    put16(symbol, 0x4A4F);
    put16(symbol, 1);
    b += lvl(1, 23, 0, "", 0, symbol, u"\uF0B7");
    const std::size_t lfo = b.size();
    put32(b, 3);
    for (const auto& [lsid, levels] : {std::pair{100u, 0}, std::pair{200u, 0}, std::pair{100u, 1}}) {
        put32(b, lsid);
        put32(b, 0);
        put32(b, 0);
        b += static_cast<char>(levels);
        b += std::string(3, '\0');
    }
    put32(b, 0);  // LFOData of override 1, 2, 3
    put32(b, 0);
    put32(b, 0);
    put32(b, 5);     // iStartAt
    put32(b, 0x30);  // level 0, fStartAt, fFormatting: "%1)" in upper Roman
    b += lvl(1, 1, 0, "\x01", 0, "", std::u16string(u"\0)", 2));
    t.lfo = {static_cast<std::uint32_t>(lfo), static_cast<std::uint32_t>(b.size() - lfo)};
    return t;
}

TEST(DocListTable, NumbersParagraphsFromTheTables)
{
    const Table t = sampleTable();
    DocListTable lists(t.bytes, t.lst, t.lfo, {"Times New Roman", "Symbol"});
    const struct {
        int ilfo, ilvl;
        const char* label;
    } steps[] = {
        {1, 0, "1.\t"}, {1, 1, "1.a "}, {1, 1, "1.b "}, {1, 0, "2.\t"}, {1, 1, "2.a "},
        {3, 0, "V)\t"},  // the override's start, once, and its own level
        {3, 0, "VI)\t"}, {1, 0, "7.\t"}, {2, 0, "\u2022\t"}, {9, 0, ""}, {2, 12, ""},
    };
    for (const auto& s : steps)
        EXPECT_EQ(toUtf8(lists.label({s.ilfo, s.ilvl})), s.label) << s.ilfo << "/" << s.ilvl;
}

TEST(DocListTable, ReadsTheParagraphsList)
{
    const auto list = docParagraphList(std::string("\x03\x24\x01\x0A\x26\x01\x0B\x46\x02\x00", 10));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->ilfo, 2);
    EXPECT_EQ(list->ilvl, 1);
    EXPECT_FALSE(docParagraphList(std::string("\x0A\x26\x01", 3)));          // a level but no list
    EXPECT_FALSE(docParagraphList(std::string("\x0B\x46\x02", 3)));          // cut off in the operand
    EXPECT_FALSE(docParagraphList(std::string("\x0B\x46\x00\x00", 4)));      // list 0: none
}

TEST(DocListTable, DamagedTablesNumberNothing)
{
    Table t = sampleTable();
    // Counts far past the bytes: 32767 lists, 2^32-1 overrides.
    std::string huge = t.bytes;
    huge[0] = '\xFF';
    huge[1] = '\x7F';
    for (int i = 0; i < 4; ++i)
        huge[t.lfo.first + i] = '\xFF';
    DocListTable lists(huge, t.lst, t.lfo, {});
    EXPECT_EQ(toUtf8(lists.label({1, 0})), "");
    // Every cut of the table: no read past the end.
    for (std::size_t cut = 0; cut < t.bytes.size(); cut += 7) {
        DocListTable part(std::string_view(t.bytes).substr(0, cut), t.lst, t.lfo, {});
        part.label({1, 0});
    }
}

}  // namespace
}  // namespace sorvane
