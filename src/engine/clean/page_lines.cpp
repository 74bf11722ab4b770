#include "engine/clean/page_lines.h"

#include <algorithm>

#include "engine/clean/chapter_heading.h"
#include "engine/clean/site_notices.h"
#include "engine/clean/text_marks.h"

namespace sorvane::clean {
namespace {

// A first line is taken for a heading when it holds a chapter mark and is this short.
constexpr std::size_t kHeadingLength = 60;
// A copy of the heading is looked for in this many lines under it.
constexpr std::size_t kHeadingEcho = 4;

// Calls `visit` with each line of `text`: a line ends at CR LF or a lone CR, and the text
// after the last one is a line too.
template <typename Visit>
void forEachLine(TextView text, Visit visit)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r')
            continue;
        visit(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    visit(text.substr(start));
}

bool blank(const Text& line)
{
    return trimBlanks(line).empty();
}

}  // namespace

std::string_view removalName(Removal kind)
{
    switch (kind) {
    case Removal::Furniture:
        return "页面杂项";
    case Removal::Contents:
        return "目录页";
    case Removal::Navigation:
        return "导航";
    case Removal::Notice:
        return "网站告示";
    case Removal::Advert:
        return "广告";
    case Removal::Repeated:
        return "各页重复";
    case Removal::Heading:
        return "重复标题";
    }
    return "";
}

std::optional<std::size_t> CleanPage::headingIndex() const
{
    if (!headingFirst)
        return std::nullopt;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!blank(lines[i]))
            return i;
    return std::nullopt;
}

CleanPage splitPage(TextView text, bool headingFirst)
{
    CleanPage page;
    page.headingFirst = headingFirst;
    page.lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\r')) + 1);
    forEachLine(text, [&page](TextView line) { page.lines.emplace_back(line); });
    return page;
}

void recordRemoved(CleanPage& page, TextView text, Removal kind, bool keepTexts)
{
    forEachLine(text, [&](TextView line) {
        const TextView t = trimBlanks(line);
        if (!t.empty())
            page.removed.push_back({kind, keepTexts ? Text(t) : Text()});
    });
}

void cleanPageLines(CleanPage& page)
{
    std::vector<Text> kept;
    kept.reserve(page.lines.size());
    bool first = true;
    for (Text& line : page.lines) {
        // Trimmed in place: most lines need no new string.
        const TextView trimmed = trimBlanks(line);
        const auto from = static_cast<std::size_t>(trimmed.data() - line.data());
        line.erase(from + trimmed.size());
        line.erase(0, from);
        Text t = std::move(line);
        if (t.empty()) {
            kept.emplace_back();
            continue;
        }
        // A heading with a chapter mark stays whatever else it holds ("第一章 更新时间…").
        const bool firstLine = first;
        first = false;
        if (firstLine && page.headingFirst && findChapterMark(t).has_value()) {
            kept.push_back(std::move(t));
            continue;
        }
        for (Text& piece : cutAdverts(t))
            page.removed.push_back({Removal::Advert, std::move(piece)});
        std::optional<Removal> removal;
        if (t.empty())
            removal = Removal::Advert;
        else if (isNavigationLine(t))
            removal = Removal::Navigation;
        else if (isNoticeLine(t))
            removal = Removal::Notice;
        if (!removal) {
            kept.push_back(std::move(t));
            continue;
        }
        // The heading the page named is gone: the next line is no heading.
        if (firstLine)
            page.headingFirst = false;
        if (!t.empty())
            page.removed.push_back({*removal, std::move(t)});
    }
    page.lines = std::move(kept);

    if (!page.headingFirst) {
        for (const Text& line : page.lines) {
            if (line.empty())
                continue;
            page.headingFirst = line.size() <= kHeadingLength && findChapterMark(line).has_value();
            break;
        }
    }
    const std::optional<std::size_t> heading = page.headingIndex();
    if (!heading)
        return;
    const Text tidy = tidyHeading(page.lines[*heading]);
    // Tidying keeps a chapter mark and adds none: a copy of a heading with one has one.
    const bool marked = findChapterMark(tidy).has_value();
    std::size_t seen = 0;
    for (std::size_t i = *heading + 1; i < page.lines.size() && seen < kHeadingEcho; ++i) {
        if (page.lines[i].empty())
            continue;
        ++seen;
        if (marked && !findChapterMark(page.lines[i]))
            continue;
        if (tidyHeading(page.lines[i]) == tidy) {
            page.removed.push_back({Removal::Heading, std::move(page.lines[i])});
            page.lines.erase(page.lines.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
        }
    }
}

}  // namespace sorvane::clean
