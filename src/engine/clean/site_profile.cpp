#include "engine/clean/site_profile.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "engine/clean/chapter_heading.h"
#include "engine/clean/text_marks.h"

namespace sorvane::clean {
namespace {

// Lines this near the top or the bottom of a page are compared across pages.
constexpr std::size_t kZone = 8;
// A site line may stand this many ranks away from where it stands on most pages.
constexpr int kRankSlack = 1;
// Lines up to this long are looked for in the body of the story.
constexpr std::size_t kShortLine = 20;

// The page's heading with a chapter mark: it is the chapter's own, never the site's.
std::optional<std::size_t> markedHeading(const CleanPage& page)
{
    const std::optional<std::size_t> h = page.headingIndex();
    if (h && findChapterMark(page.line(*h)))
        return h;
    return std::nullopt;
}

}  // namespace

std::uint64_t SiteProfile::zoneKey(std::uint64_t shape, bool fromBottom)
{
    return fromBottom ? (shape * 0x9E3779B97F4A7C15ull) ^ 1 : shape;
}

std::vector<SiteProfile::ZoneLine> SiteProfile::zoneLines(const CleanPage& page)
{
    const std::optional<std::size_t> heading = markedHeading(page);
    std::vector<std::size_t> lines;
    for (std::size_t i = 0; i < page.lineCount(); ++i)
        if (!page.line(i).empty() && i != heading)
            lines.push_back(i);
    const std::size_t n = lines.size();
    std::vector<ZoneLine> zone;
    zone.reserve(2 * std::min(kZone, n));
    for (std::size_t r = 0; r < std::min(kZone, n); ++r) {
        const std::size_t top = lines[r];
        const std::uint64_t topShape = shapeKey(page.line(top));
        zone.push_back({top, zoneKey(topShape, false), topShape, r});
        const std::size_t bottom = lines[n - 1 - r];
        const std::uint64_t bottomShape = bottom == top ? topShape : shapeKey(page.line(bottom));
        zone.push_back({bottom, zoneKey(bottomShape, true), bottomShape, r});
    }
    return zone;
}

// Calls visit(key) for each short non-blank line between the two zones, in the body of
// the story. Long lines never recur word for word.
template <typename Visit>
void SiteProfile::forEachMiddleLine(const CleanPage& page, Visit visit)
{
    std::size_t seen = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < page.lineCount(); ++i)
        n += page.line(i).empty() ? 0 : 1;
    for (std::size_t i = 0; i < page.lineCount(); ++i) {
        const TextView line = page.line(i);
        if (line.empty())
            continue;
        if (seen >= kZone && seen + kZone < n && line.size() <= kShortLine)
            visit(shapeKey(line));
        ++seen;
    }
}

void SiteProfile::add(const CleanPage& page)
{
    add(page, zoneLines(page));
}

void SiteProfile::add(const CleanPage& page, const std::vector<ZoneLine>& zone)
{
    ++m_pages;
    const auto pageTag = static_cast<std::uint32_t>(m_pages);
    for (const auto& [index, key, shape, rank] : zone) {
        Seen& s = m_seen[key];
        s.shape = shape;
        // Words in quotation marks are somebody's in the story, never the site's.
        const TextView line = trimBlanks(page.line(index));
        s.quoted = !line.empty() && TextView(u"“「『\"'‘").find(line.front()) != TextView::npos;
        if (s.lastPage == pageTag)
            continue;  // once a page
        s.lastPage = pageTag;
        ++s.pages;
        ++s.ranks[rank];
    }
    forEachMiddleLine(page, [&](std::uint64_t shape) {
        Middle& m = m_middle[shape];
        if (m.lastPage != pageTag) {
            m.lastPage = pageTag;
            ++m.pages;
        }
    });
    if (const std::optional<std::size_t> h = markedHeading(page)) {
        Text prefix = headingPrefix(page.line(*h));
        if (!prefix.empty() && prefix.size() <= 30)
            ++m_prefixes[std::move(prefix)];
    }
}

void SiteProfile::settle()
{
    const auto pages = static_cast<std::uint32_t>(m_pages);
    for (auto& [key, s] : m_seen) {
        (void)key;
        s.mode = static_cast<std::uint8_t>(std::max_element(std::begin(s.ranks), std::end(s.ranks)) - std::begin(s.ranks));
        std::uint32_t near = 0;
        for (int r = s.mode - kRankSlack; r <= s.mode + kRankSlack; ++r)
            if (r >= 0 && r < static_cast<int>(kZone))
                near += s.ranks[r];
        // A line also found in the body of the story on some pages is the story's own.
        const auto middle = m_middle.find(s.shape);
        const std::uint32_t middlePages = middle == m_middle.end() ? 0 : middle->second.pages;
        const bool inStory = middlePages >= std::max<std::uint32_t>(2, pages / 10);
        // Most pages: two thirds of a book, every page of a book of a few.
        const std::uint32_t most = pages < 6 ? pages : (2 * pages + 2) / 3;
        s.site = pages >= 3 && near >= most && !inStory && !s.quoted;
    }
    // The book's name: the prefix most headings share.
    std::uint32_t best = 0;
    for (const auto& [prefix, count] : m_prefixes)
        if (count > best || (count == best && prefix < m_bookName)) {
            best = count;
            m_bookName = prefix;
        }
    if (best < 2)
        m_bookName.clear();
}

void SiteProfile::apply(CleanPage& page) const
{
    apply(page, m_seen.empty() ? std::vector<ZoneLine>() : zoneLines(page));
}

void SiteProfile::apply(CleanPage& page, const std::vector<ZoneLine>& zone) const
{
    std::vector<char> drop(page.lineCount(), 0);
    for (const ZoneLine& z : zone) {
        const auto it = m_seen.find(z.key);
        if (it == m_seen.end() || !it->second.site)
            continue;
        if (std::abs(static_cast<int>(z.rank) - static_cast<int>(it->second.mode)) <= kRankSlack)
            drop[z.index] = 1;
    }
    // A heading that is one of the site's lines (the book's name on every page) is no
    // heading.
    if (const std::optional<std::size_t> h = page.headingIndex(); h && drop[*h])
        page.headingFirst = false;
    for (std::size_t i = 0; i < page.lineCount(); ++i)
        if (drop[i])
            page.markRemoved(i, Removal::Repeated);
    page.dropMarked();
    if (const std::optional<std::size_t> h = page.headingIndex())
        page.setLine(*h, tidyHeading(page.line(*h), m_bookName));
}

void dropRepeatedHeadings(const std::vector<CleanPage*>& pages)
{
    std::optional<Text> last;
    for (CleanPage* page : pages) {
        const std::optional<std::size_t> h = page->headingIndex();
        if (!h)
            continue;
        if (last && sameChapter(*last, page->line(*h))) {
            page->markRemoved(*h, Removal::Heading);
            page->dropMarked();
            page->headingFirst = false;
            continue;
        }
        last = Text(page->line(*h));
    }
}

}  // namespace sorvane::clean
