#include "common/replacement_list.h"

namespace sorvane {

void applyReplacements(Text& text, const ReplacementList& list)
{
    for (const ReplacementRow& row : list) {
        if (row.search.empty())
            continue;
        size_t pos = text.find(row.search);
        if (pos == Text::npos)
            continue;
        // Build the result in one pass so a row costs linear time even with many hits.
        Text out;
        out.reserve(text.size());
        size_t from = 0;
        while (pos != Text::npos) {
            out.append(text, from, pos - from);
            out += row.replacement;
            from = pos + row.search.size();
            pos = text.find(row.search, from);
        }
        out.append(text, from, Text::npos);
        text = std::move(out);
    }
}

}  // namespace sorvane
