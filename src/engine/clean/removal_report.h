#pragma once
// What cleaning took out of the pages of a conversion, page by page, for the final
// message's count and for a listing.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "engine/clean/page_lines.h"

namespace sorvane::clean {

struct PageRemovals {
    std::filesystem::path source;
    bool contents = false;  // the page gave no story: a table of contents, an information page
    bool noText = false;    // of which: nothing shown at all
    std::size_t count = 0;  // lines and pieces removed
    std::vector<RemovedText> texts;  // kept only when a listing was asked for
};

// The pages that lost something, in order.
using RemovalReport = std::vector<PageRemovals>;

// Lines and pieces removed from pages that gave text.
inline std::size_t removedCount(const RemovalReport& report)
{
    std::size_t n = 0;
    for (const PageRemovals& p : report)
        if (!p.contents)
            n += p.count;
    return n;
}

// Pages left out for giving no story.
inline std::size_t contentsPages(const RemovalReport& report)
{
    std::size_t n = 0;
    for (const PageRemovals& p : report)
        n += p.contents ? 1 : 0;
    return n;
}

}  // namespace sorvane::clean
