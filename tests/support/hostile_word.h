#pragma once
// Word documents made hostile for tests and benchmarks: a Word 97 document whose
// character-property bin table names one page of many runs again and again, and a
// Word 6 document whose piece table names one text again and again.

#include <cstdint>
#include <string>

#include "common/result.h"
#include "engine/containers/ole_compound_file.h"
#include "support/compound_file_writer.h"

namespace sorvane::test {

inline std::uint32_t le32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s.at(at + static_cast<std::size_t>(i)));
    return v;
}

// The Word 97 document `fixture` with a page of 101 hidden character runs added (past
// its text) and a character-property bin table of `entries` entries that all name that
// page; empty when `fixture` cannot be read.
inline std::string wordWithOnePageBinTable(const std::string& fixture, std::size_t entries)
{
    auto file = OleCompoundFile::open(fixture);
    Result<std::string> word = file ? (*file)->readStream("WordDocument", 1 << 20) : Result<std::string>(file.error());
    if (!word)
        return {};
    const char* tableName = le32(*word, 0x08) >> 16 & 0x0200 ? "1Table" : "0Table";
    Result<std::string> table = (*file)->readStream(tableName, 1 << 20);
    if (!table)
        return {};
    // The page: 102 run bounds, 101 offsets to one property list that hides its run
    // (sprm 0x083C, on), and the run count in its last byte.
    constexpr std::size_t kRuns = 101;
    word->resize((word->size() + 511) / 512 * 512, '\0');
    const std::size_t page = word->size() / 512;
    std::string fkp(512, '\0');
    for (std::size_t i = 0; i <= kRuns; ++i)
        putLe(fkp, 4 * i, 0x10000000 + 2 * i, 4);
    for (std::size_t i = 0; i < kRuns; ++i)
        fkp[4 * (kRuns + 1) + i] = static_cast<char>(480 / 2);
    fkp.replace(480, 4, "\x03\x3C\x08\x01", 4);
    fkp[511] = static_cast<char>(kRuns);
    *word += fkp;
    // The bin table's place and size in the file information block (its 13th pair).
    constexpr std::size_t kBinTable = 0x9A + 8 * 12;
    std::string plc((entries + 1) * 4 + entries * 4, '\0');
    for (std::size_t i = 0; i <= entries; ++i)
        putLe(plc, 4 * i, 0x10000000 + 2 * kRuns * i, 4);
    for (std::size_t i = 0; i < entries; ++i)
        putLe(plc, 4 * (entries + 1) + 4 * i, page, 4);
    putLe(*word, kBinTable, table->size(), 4);
    putLe(*word, kBinTable + 4, plc.size(), 4);
    return compoundFile({{"WordDocument", *word}, {tableName, *table + plc}});
}

// A Word 6 document: its text at 768, or a piece table at `clx` whose every piece names
// that text again.
inline std::string word6Document(const std::string& text, std::uint32_t fcMac, std::size_t pieces)
{
    std::string word(768, '\0');
    putLe(word, 0, 0xA5DC, 2);
    putLe(word, 2, 104, 2);
    putLe(word, 0x18, 768, 4);
    putLe(word, 0x1C, fcMac, 4);
    putLe(word, 0x34, pieces ? pieces * text.size() : text.size(), 4);
    word += text;
    if (pieces > 0) {
        putLe(word, 0x0A, 0x0004, 2);  // saved quickly: the text through a piece table
        const std::size_t clx = word.size();
        std::string plc;
        for (std::size_t i = 0; i <= pieces; ++i)
            plc += std::string(4, '\0'), putLe(plc, plc.size() - 4, i * text.size(), 4);
        for (std::size_t i = 0; i < pieces; ++i) {
            std::string pcd(8, '\0');
            putLe(pcd, 2, 768, 4);
            plc += pcd;
        }
        std::string head(5, '\0');
        head[0] = 0x02;
        putLe(head, 1, plc.size(), 4);
        word += head + plc;
        putLe(word, 0x160, clx, 4);
        putLe(word, 0x164, head.size() + plc.size(), 4);
    }
    return compoundFile({{"WordDocument", word}});
}

}  // namespace sorvane::test
