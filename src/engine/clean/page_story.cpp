#include "engine/clean/page_story.h"

#include <optional>
#include <algorithm>
#include <vector>

#include "engine/clean/block_scores.h"
#include "engine/clean/text_marks.h"
#include "engine/render/inner_text.h"

namespace sorvane::clean {
namespace {

using Node = HtmlDocument::Node;

// A page is a list of chapters when it holds this many chapter links and little running
// text: its best block holds fewer sentence marks than half the chapter links, or half as
// many characters as their text.
constexpr std::uint32_t kContentsLinks = 8;
// The best block must hold this much text outside links, and score this much, to be
// taken for the story; otherwise the page is kept whole.
constexpr std::uint32_t kStoryChars = 30;
constexpr double kStoryScore = 5;
// A heading is at most this long, and ends at most this many characters before the story.
constexpr std::uint32_t kHeadingChars = 80;
constexpr std::uint32_t kHeadingGap = 600;

std::size_t at(std::int32_t index)
{
    return static_cast<std::size_t>(index);
}

// Whether block `d`, inside the story block, is site furniture to leave out: a part
// whose class names furniture and that holds next to no sentences, a cluster of links,
// or a short block that is one link.
bool isFurniture(const BlockStats& d)
{
    if (d.chars == 0 || (d.heading && d.chars <= kHeadingChars))
        return false;
    if (d.classWeight < 1 && d.punctuation * 30 < d.chars)
        return true;
    if (d.links >= 2 && d.linkDensity() >= 0.6 && d.punctuation * 20 < d.chars)
        return true;
    return d.container && d.links >= 1 && d.linkDensity() >= 0.8 && d.chars <= 40;
}

bool isAncestor(const std::vector<BlockStats>& blocks, std::size_t a, std::size_t d)
{
    return a < d && d < blocks[a].end;
}

// The text of the page's <title>, blanks collapsed.
Text titleText(const HtmlDocument& doc)
{
    const std::vector<Node> titles = doc.elementsNamed("title");
    if (titles.empty())
        return {};
    std::string utf8;
    const Node t = titles.front();
    for (std::size_t i = 0; i < HtmlDocument::childCount(t) && utf8.size() < 1000; ++i) {
        const Node c = HtmlDocument::child(t, i);
        if (HtmlDocument::kind(c) == HtmlNodeKind::Text || HtmlDocument::kind(c) == HtmlNodeKind::Whitespace)
            utf8 += doc.textOf(c);
    }
    Text out;
    for (char16_t c : fromUtf8(utf8)) {
        const bool blank = isBlank(c) || c == u'\n' || c == u'\r';
        if (blank && (out.empty() || out.back() == u' '))
            continue;
        out.push_back(blank ? u' ' : c);
    }
    return Text(trimBlanks(out));
}

// The piece of a title such as "第一章 老地方_书名_站名" that holds a chapter mark.
Text titleChapter(TextView title)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i <= title.size(); ++i) {
        bool cut = i == title.size() || title[i] == u'_' || title[i] == u'|' || title[i] == u'｜' ||
                   title[i] == u'—' || title[i] == u'－';
        // A hyphen splits where it stands between blanks or next to Chinese text.
        if (!cut && title[i] == u'-') {
            const char16_t before = i > 0 ? title[i - 1] : u' ';
            const char16_t after = i + 1 < title.size() ? title[i + 1] : u' ';
            cut = (isBlank(before) && isBlank(after)) || isHan(before) || isHan(after);
        }
        if (!cut)
            continue;
        const TextView piece = trimBlanks(title.substr(start, i - start));
        if (findChapterMark(piece))
            return Text(piece);
        start = i + 1;
    }
    return {};
}

class StoryChooser {
public:
    StoryChooser(const HtmlDocument& doc, Node root, const PageStyle& style, std::size_t sizeHint)
        : m_doc(doc), m_root(root), m_style(style), m_sizeHint(sizeHint)
    {
    }

    Text run(PageStory& story)
    {
        // The page is read twice: once to weigh its blocks, once to render what is kept.
        m_doc.keepReadText();
        m_blocks = collectBlockStats(m_doc, m_root, m_style);
        scoreBlocks(m_blocks);
        const BlockStats& page = m_blocks.front();
        if (page.chars == 0) {
            story.kind = PageKind::NoText;
            return {};
        }
        std::optional<std::size_t> best;
        for (std::size_t i = 0; i < m_blocks.size(); ++i)
            if (m_blocks[i].container && m_blocks[i].score > 0 && (!best || m_blocks[i].score > m_blocks[*best].score))
                best = i;
        const BlockStats& chosen = best ? m_blocks[*best] : page;
        const std::uint32_t storyChars = chosen.chars - chosen.linkChars;
        const bool listOfChapters = page.chapterLinks >= kContentsLinks &&
                                    (2 * chosen.punctuation < page.chapterLinks ||
                                     page.chapterLinkChars >= 2 * storyChars);
        if (listOfChapters || (page.links >= 3 && page.chars - page.linkChars < 20)) {
            story.kind = PageKind::Contents;
            story.removed = collectInnerText(m_doc, m_root, m_style, m_sizeHint);
            return {};
        }
        if (!best || storyChars < kStoryChars || chosen.score < kStoryScore) {
            story.whole = true;
            return collectInnerText(m_doc, m_root, m_style, m_sizeHint);
        }
        return renderChosen(*best, story);
    }

private:
    Text render(Node n) const { return collectInnerText(m_doc, n, m_style, 256); }

    Text renderChosen(std::size_t best, PageStory& story)
    {
        // Furniture inside the story block, outermost parts only.
        std::vector<std::size_t> pruned;
        for (std::size_t j = best + 1; j < m_blocks[best].end;) {
            if (isFurniture(m_blocks[j])) {
                pruned.push_back(j);
                j = m_blocks[j].end;
            } else {
                ++j;
            }
        }
        const Heading heading = chooseHeading(best, pruned);

        std::vector<std::size_t> kept = {best};
        if (heading.outside)
            kept.push_back(*heading.outside);
        // Sorted node lists: the renderer asks about every node it meets, and a binary
        // search in a few dozen pointers is cheaper than hashing each.
        std::vector<Node> keptNodes;
        std::vector<Node> path;
        for (std::size_t k : kept) {
            keptNodes.push_back(m_blocks[k].node);
            for (std::int32_t p = m_blocks[k].parent; p >= 0; p = m_blocks[at(p)].parent)
                path.push_back(m_blocks[at(p)].node);
        }
        const auto settle = [](std::vector<Node>& nodes) {
            std::sort(nodes.begin(), nodes.end());
            nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
        };
        const auto holds = [](const std::vector<Node>& nodes, Node n) {
            return std::binary_search(nodes.begin(), nodes.end(), n);
        };
        settle(keptNodes);
        settle(path);
        std::vector<Node> leave;
        for (Node p : path)
            for (std::size_t i = 0; i < HtmlDocument::childCount(p); ++i) {
                const Node c = HtmlDocument::child(p, i);
                if (!holds(path, c) && !holds(keptNodes, c))
                    leave.push_back(c);
            }
        for (std::size_t j : pruned)
            leave.push_back(m_blocks[j].node);
        settle(leave);

        Text text = collectInnerText(m_doc, m_root, m_style, m_sizeHint, [&](Node n) { return holds(leave, n); });
        if (!heading.title.empty()) {
            Text withTitle = heading.title;
            if (!text.empty())
                withTitle += u"\r\n\r\n";
            text = withTitle + text;
        }
        story.headingFirst = heading.first;

        // What was left out: everything but the kept blocks, then the furniture inside them.
        story.removed = collectInnerText(m_doc, m_root, m_style, m_sizeHint,
                                         [&](Node n) { return holds(keptNodes, n); });
        for (std::size_t j : pruned) {
            const Text part = render(m_blocks[j].node);
            if (part.empty())
                continue;
            if (!story.removed.empty())
                story.removed += u"\r\n";
            story.removed += part;
        }
        return text;
    }

    struct Heading {
        std::optional<std::size_t> outside;  // a heading block before the story block
        Text title;                          // or the chapter's piece of the page's title
        bool first = false;                  // the rendered text starts with the heading
    };

    bool inFurniture(std::size_t j) const
    {
        for (std::int32_t p = m_blocks[j].parent; p > 0; p = m_blocks[at(p)].parent)
            if (m_blocks[at(p)].classWeight < 1)
                return true;
        return false;
    }

    Heading chooseHeading(std::size_t best, const std::vector<std::size_t>& pruned) const
    {
        Heading h;
        const BlockStats& story = m_blocks[best];
        // A heading at the top of the story block itself.
        for (std::size_t j = best + 1; j < story.end; ++j) {
            const BlockStats& b = m_blocks[j];
            if (b.firstChar > story.firstChar + 200)
                break;
            if (!b.heading || b.chars == 0 || b.chars > kHeadingChars)
                continue;
            std::uint32_t prunedBefore = 0;
            bool inPruned = false;
            for (std::size_t k : pruned) {
                if (isAncestor(m_blocks, k, j) || k == j)
                    inPruned = true;
                else if (k < j)
                    prunedBefore += m_blocks[k].chars;
            }
            if (inPruned)
                continue;
            h.first = b.firstChar == story.firstChar + prunedBefore;
            return h;
        }
        // The nearest heading before it: one with a chapter mark first, else the nearest
        // one outside the site's furniture.
        std::optional<std::size_t> nearest;
        for (std::size_t j = best; j-- > 0;) {
            const BlockStats& b = m_blocks[j];
            if (b.end > best)
                continue;  // an ancestor of the story block
            if (b.firstChar + b.chars + kHeadingGap < story.firstChar)
                break;
            if (!b.heading || b.chars == 0 || b.chars > kHeadingChars || b.linkDensity() >= 0.5)
                continue;
            if (findChapterMark(render(b.node))) {
                h.outside = j;
                h.first = true;
                return h;
            }
            if (!nearest && !inFurniture(j))
                nearest = j;
        }
        h.title = titleChapter(titleText(m_doc));
        if (!h.title.empty()) {
            h.first = true;
            return h;
        }
        if (nearest) {
            h.outside = nearest;
            h.first = true;
        }
        return h;
    }

    const HtmlDocument& m_doc;
    Node m_root;
    const PageStyle& m_style;
    std::size_t m_sizeHint;
    std::vector<BlockStats> m_blocks;
};

}  // namespace

Text renderStory(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style, std::size_t sizeHint,
                 PageStory& story)
{
    story = PageStory{};
    return StoryChooser(doc, root, style, sizeHint).run(story);
}

}  // namespace sorvane::clean
