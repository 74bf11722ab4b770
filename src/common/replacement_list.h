#pragma once
// The replacement list: one row per entry, in insertion order. The main window shows the
// search texts; the replacement texts and keep flags are data only.

#include <string>
#include <vector>

#include "common/text.h"

namespace sorvane {

struct ReplacementRow {
    Text search;           // exact, case-sensitive text to find
    Text replacement;      // what every occurrence becomes (may be empty)
    std::string keep = "Y";  // "Y": permanent, saved in the list file; "N": this run only
};

using ReplacementList = std::vector<ReplacementRow>;

// Applies every row in order, each replacing all occurrences of its search text in the
// result of the rows before it. Rows with an empty search text change nothing.
void applyReplacements(Text& text, const ReplacementList& list);

}  // namespace sorvane
