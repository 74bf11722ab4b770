#pragma once
// The list tables of a Word 97 document (PlfLst with its LVL records, PlfLfo with its
// overrides) and the numbers they give paragraphs that name a list (sprmPIlfo) and a
// level (sprmPIlvl). Damaged or hostile tables number nothing rather than fail, and
// every count read from them is bounded by the bytes that hold it.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "engine/readers/list_numbering.h"

namespace sorvane {

// A paragraph's list: the 1-based index of its override (ilfo) and its level.
struct DocParagraphList {
    int ilfo = 0;
    int ilvl = 0;
};

// The list and level a paragraph's property list (grpprl) gives over those of its style
// (`style`), if it names a list.
std::optional<DocParagraphList> docParagraphList(std::string_view grpprl,
                                                 std::optional<DocParagraphList> style = std::nullopt);

// The list each paragraph style gives, through the styles it is based on, by style
// index, from the style sheet (STSH) at `at` (offset, length) in the table stream.
std::vector<std::optional<DocParagraphList>> docStyleLists(std::string_view table,
                                                           std::pair<std::uint32_t, std::uint32_t> at);

class DocListTable {
public:
    DocListTable() = default;
    // Reads the tables from the table stream: PlfLst at `plfLst` (its LVLs follow it),
    // PlfLfo at `plfLfo`, each an offset and a length. `fontNames` (docFontNames) name
    // the fonts by their index, for bullets in symbol fonts.
    DocListTable(std::string_view table, std::pair<std::uint32_t, std::uint32_t> plfLst,
                 std::pair<std::uint32_t, std::uint32_t> plfLfo, const std::vector<std::string>& fontNames);

    // The label of the next paragraph of `list`, counting it; empty when the list is
    // not known or its level shows nothing.
    Text label(DocParagraphList list);

private:
    struct Override {
        std::int32_t lsid = 0;
        std::array<std::optional<int>, kListLevels> startAt;
        std::array<std::optional<ListLevel>, kListLevels> levels;  // levels it redefines
        std::array<bool, kListLevels> used{};
    };
    std::map<std::int32_t, ListDefinition> m_lists;  // by lsid
    std::vector<Override> m_overrides;               // by ilfo - 1
    std::map<std::int32_t, ListCounters> m_counters;  // by lsid
};

// The names of the fonts in an SttbfFfn at `at` (offset, length) in the table stream.
std::vector<std::string> docFontNames(std::string_view table, std::pair<std::uint32_t, std::uint32_t> at);

}  // namespace sorvane
