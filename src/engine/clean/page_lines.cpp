#include "engine/clean/page_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/clean/chapter_heading.h"
#include "engine/clean/site_notices.h"
#include "engine/clean/text_marks.h"

namespace sorvane::clean {
namespace {

// A first line is taken for a heading when it holds a chapter mark and is this short.
constexpr std::size_t kHeadingLength = 60;
// A copy of the heading is looked for in this many lines under it.
constexpr std::size_t kHeadingEcho = 4;

// The first CR at or after `from`, or the text's end. Four units at a time: a page is
// mostly long lines.
std::size_t nextCr(TextView text, std::size_t from)
{
    constexpr std::uint64_t cr = 0x000D000D000D000DULL;
    constexpr std::uint64_t ones = 0x0001000100010001ULL;
    constexpr std::uint64_t highs = 0x8000800080008000ULL;
    std::size_t i = from;
    for (; i + 4 <= text.size(); i += 4) {
        std::uint64_t four;
        std::memcpy(&four, text.data() + i, sizeof four);
        const std::uint64_t x = four ^ cr;  // a unit that is CR becomes zero
        if (((x - ones) & ~x & highs) != 0)
            break;
    }
    while (i < text.size() && text[i] != u'\r')
        ++i;
    return i;
}

// Calls `visit` with each line of `text`: a line ends at CR LF or a lone CR, and the text
// after the last one is a line too.
template <typename Visit>
void forEachLine(TextView text, Visit visit)
{
    std::size_t start = 0;
    for (std::size_t i = nextCr(text, 0); i < text.size(); i = nextCr(text, i + 1)) {
        visit(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    visit(text.substr(start));
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

void CleanPage::addLine(TextView text)
{
    m_lines.push_back({m_text.size(), text.size()});
    m_text.append(text);
}

void CleanPage::setLine(std::size_t i, TextView text)
{
    m_lines[i].at = m_text.size();
    m_lines[i].size = text.size();
    m_text.append(text);
}

void CleanPage::narrowLine(std::size_t i, std::size_t from, std::size_t size)
{
    m_lines[i].at += from;
    m_lines[i].size = size;
}

void CleanPage::markRemoved(std::size_t i, Removal kind)
{
    removed.push_back({kind, keepTexts ? Text(line(i)) : Text()});
    m_lines[i].marked = true;
}

void CleanPage::dropLine(std::size_t i)
{
    m_lines[i].marked = true;
}

void CleanPage::dropMarked()
{
    std::erase_if(m_lines, [](const Span& s) { return s.marked; });
}

std::optional<std::size_t> CleanPage::headingIndex() const
{
    if (!headingFirst)
        return std::nullopt;
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (!m_lines[i].marked && !trimBlanks(line(i)).empty())
            return i;
    return std::nullopt;
}

CleanPage splitPage(Text text, bool headingFirst)
{
    CleanPage page;
    page.headingFirst = headingFirst;
    page.m_text = std::move(text);
    page.m_lines.reserve(page.m_text.size() / 32 + 1);
    const TextView all(page.m_text);
    forEachLine(all, [&](TextView line) {
        page.m_lines.push_back({static_cast<std::size_t>(line.data() - all.data()), line.size()});
    });
    return page;
}

void recordRemoved(CleanPage& page, TextView text, Removal kind)
{
    forEachLine(text, [&](TextView line) {
        const TextView t = trimBlanks(line);
        if (!t.empty())
            page.removed.push_back({kind, page.keepTexts ? Text(t) : Text()});
    });
}

void cleanPageLines(CleanPage& page)
{
    bool first = true;
    Text scratch;
    for (std::size_t i = 0; i < page.lineCount(); ++i) {
        // Trimmed in place: the line stays a view into the page's text.
        {
            const TextView line = page.line(i);
            const TextView trimmed = trimBlanks(line);
            page.narrowLine(i, static_cast<std::size_t>(trimmed.data() - line.data()), trimmed.size());
        }
        TextView t = page.line(i);
        if (t.empty())
            continue;
        // A heading with a chapter mark stays whatever else it holds ("第一章 更新时间…").
        const bool firstLine = first;
        first = false;
        if (firstLine && page.headingFirst && findChapterMark(t).has_value())
            continue;
        LineHints hints = lineHints(t);
        if (hints.mayHoldAdvert()) {
            scratch.assign(t);
            std::vector<Text> pieces = cutAdverts(scratch, hints);
            if (!pieces.empty()) {
                for (Text& piece : pieces)
                    page.removed.push_back({Removal::Advert, page.keepTexts ? std::move(piece) : Text()});
                page.setLine(i, scratch);
                t = page.line(i);
                hints = lineHints(t);
            }
        }
        std::optional<Removal> removal;
        if (t.empty())
            removal = Removal::Advert;
        else if (isNavigationLine(t))
            removal = Removal::Navigation;
        else if (hints.mayBeNotice() && isNoticeLine(t))
            removal = Removal::Notice;
        if (!removal)
            continue;
        // The heading the page named is gone: the next line is no heading.
        if (firstLine)
            page.headingFirst = false;
        if (t.empty())
            page.dropLine(i);
        else
            page.markRemoved(i, *removal);
    }
    page.dropMarked();

    if (!page.headingFirst) {
        for (std::size_t i = 0; i < page.lineCount(); ++i) {
            const TextView line = page.line(i);
            if (line.empty())
                continue;
            page.headingFirst = line.size() <= kHeadingLength && findChapterMark(line).has_value();
            break;
        }
    }
    const std::optional<std::size_t> heading = page.headingIndex();
    if (!heading)
        return;
    const Text tidy = tidyHeading(page.line(*heading));
    // Tidying keeps a chapter mark and adds none: a copy of a heading with one has one.
    const bool marked = findChapterMark(tidy).has_value();
    std::size_t seen = 0;
    for (std::size_t i = *heading + 1; i < page.lineCount() && seen < kHeadingEcho; ++i) {
        const TextView line = page.line(i);
        if (line.empty())
            continue;
        ++seen;
        if (marked && !findChapterMark(line))
            continue;
        if (tidyHeading(line) == tidy)
            page.markRemoved(i, Removal::Heading);
    }
    page.dropMarked();
}

}  // namespace sorvane::clean
