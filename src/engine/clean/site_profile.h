#pragma once
// What the pages of one book (or one folder) share: lines the site writes on most of
// them at the same place, near the top or the bottom, and the book's name before the
// chapter marks of their headings. Learnt from the pages first, then applied to each.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "common/text.h"
#include "engine/clean/page_lines.h"

namespace sorvane::clean {

class SiteProfile {
public:
    // Learns from one page (after cleanPageLines). Pages that gave no story are not
    // added.
    void add(const CleanPage& page);
    // Decides, once every page is added, which lines are the site's: a line (its
    // numbers and blanks aside) found at about the same place among the first or the
    // last lines of two thirds of the pages (of all of them when there are fewer than
    // six, and at least three), seldom in the body of a story, and not in quotation marks.
    void settle();

    std::size_t pages() const { return m_pages; }
    const Text& bookName() const { return m_bookName; }

    // Takes the site's lines out of the page and tidies its heading (tidyHeading with
    // the book's name). Works with an empty profile too: the heading is still tidied.
    void apply(CleanPage& page) const;

    // The non-blank lines among the first and the last of a page that are compared across
    // pages (the marked heading aside), each with its shape and rank, top and bottom in
    // turn; a line in both zones is there twice. For a page both learnt from and cleaned,
    // they are found once and given to both calls below, which are add() and apply() on
    // a page whose lines have not changed since.
    struct ZoneLine {
        std::size_t index = 0;
        std::uint64_t key = 0;    // the shape at its rank from the top or the bottom
        std::uint64_t shape = 0;  // shapeKey of the line
        std::size_t rank = 0;
    };
    static std::vector<ZoneLine> zoneLines(const CleanPage& page);
    void add(const CleanPage& page, const std::vector<ZoneLine>& zone);
    void apply(CleanPage& page, const std::vector<ZoneLine>& zone) const;

private:
    struct Seen {
        std::uint64_t shape = 0;    // shapeKey of the line
        std::uint32_t pages = 0;
        std::uint32_t lastPage = 0;  // 1 + the index of the last page that counted it
        std::uint32_t ranks[8] = {};
        std::uint8_t mode = 0;
        bool quoted = false;  // the line opens with a quotation mark
        bool site = false;
    };
    // The key of a line's shape at a rank from the top (or, `fromBottom`, the bottom).
    static std::uint64_t zoneKey(std::uint64_t shape, bool fromBottom);
    template <typename Visit>
    static void forEachMiddleLine(const CleanPage& page, Visit visit);

    struct Middle {
        std::uint32_t pages = 0;  // pages that hold it between the zones
        std::uint32_t lastPage = 0;
    };
    std::unordered_map<std::uint64_t, Seen> m_seen;
    std::unordered_map<std::uint64_t, Middle> m_middle;  // by shapeKey
    std::unordered_map<Text, std::uint32_t> m_prefixes;  // heading prefixes, by count
    Text m_bookName;
    std::size_t m_pages = 0;
};

// Of consecutive pages that name the same chapter (a chapter split over several pages),
// only the first keeps its heading; the others lose theirs (Removal::Heading).
void dropRepeatedHeadings(const std::vector<CleanPage*>& pages);

}  // namespace sorvane::clean
