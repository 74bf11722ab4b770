#include "engine/convert/page_cleaning.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <thread>

namespace sorvane {
namespace {

std::string noStoryMessage(clean::PageKind kind)
{
    return kind == clean::PageKind::Contents ? "目录页，已略过" : "没有正文，已略过";
}

// Moves what the page lost into the report: the texts when they are kept, else the count.
void report(clean::CleanPage& page, const std::filesystem::path& source, clean::PageKind kind,
            const CleanOptions& options, clean::RemovalReport& out)
{
    const bool contents = kind != clean::PageKind::Story;
    if (page.removed.empty() && !contents)
        return;
    clean::PageRemovals r;
    r.source = source;
    r.contents = contents;
    r.noText = kind == clean::PageKind::NoText;
    r.count = page.removed.size();
    if (options.keepRemoved)
        r.texts = std::move(page.removed);
    page.removed.clear();
    out.push_back(std::move(r));
}

}  // namespace

bool usesCleaning(const ConversionParams& params, const CleanOptions& options)
{
    return params.cleanPages || (options.rules && !options.rules->empty());
}

// A web page is rendered through the story chooser, which is reached only for loose
// pages; anything else (plain text, a book, a saved page) comes back as rendered.
Result<PreparedPage> preparePage(const std::filesystem::path& source, const ConversionParams& params,
                                 const ReplacementList& list, const CleanOptions& options, const Renderer& render)
{
    PreparedPage prepared;
    prepared.source = source;
    clean::PageStory story;
    Result<Text> rendered = Text();
    if (render) {
        rendered = render(source);
        prepared.web = params.cleanPages;
    } else if (params.cleanPages) {
        HtmlContext page;
        page.renderPage = [&](const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style,
                              std::size_t sizeHint) {
            prepared.web = true;
            return clean::renderStory(doc, root, style, sizeHint, story);
        };
        rendered = renderDocument(source, &prepared.problems, page);
    } else {
        rendered = renderDocument(source, &prepared.problems);
    }
    if (!rendered)
        return rendered.error();
    Text text = std::move(rendered).value();
    prepared.kind = story.kind;
    if (prepared.web && story.kind != clean::PageKind::Story) {
        prepared.page.keepTexts = options.keepRemoved;
        clean::recordRemoved(prepared.page, story.removed, clean::Removal::Contents);
        return prepared;
    }

    Result<std::size_t> lost = prepareText(text, params, list);
    if (!lost)
        return Error{lost.error().code, lost.error().message, source.string()};
    prepared.lostCharacters = *lost;
    if (options.rules) {
        if (Status ruled = options.rules->apply(text); !ruled) {
            const Error& e = ruled.error();
            return Error{e.code, e.where.empty() ? e.message : e.message + "（" + e.where + "）", source.string()};
        }
    }
    removeSelectionBlocker(text);
    if (!prepared.web) {
        prepared.text = std::move(text);
        return prepared;
    }
    prepared.page = clean::splitPage(std::move(text), story.headingFirst);
    prepared.page.keepTexts = options.keepRemoved;
    clean::recordRemoved(prepared.page, story.removed, clean::Removal::Furniture);
    clean::cleanPageLines(prepared.page);
    return prepared;
}

LineTable finishPage(PreparedPage& page, const clean::SiteProfile* site, const ConversionParams& params,
                     const CleanOptions& options, clean::RemovalReport& out)
{
    if (!page.web)
        return lineTableOf(std::move(page.text), params);
    const bool contents = page.kind != clean::PageKind::Story;
    if (!contents) {
        if (site)
            site->apply(page.page);
        else
            clean::SiteProfile().apply(page.page);
    }
    LineTable table = lineTableOf(page.page, params);
    report(page.page, page.source, page.kind, options, out);
    return table;
}

std::vector<LineTable> finishPages(std::vector<PreparedPage>& pages, const ConversionParams& params,
                                   const CleanOptions& options, clean::RemovalReport& out)
{
    // Each page's zone lines are found once, for learning and for cleaning: nothing
    // changes the pages between the two.
    clean::SiteProfile site;
    std::vector<std::vector<clean::SiteProfile::ZoneLine>> zones(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i)
        if (pages[i].web && pages[i].kind == clean::PageKind::Story) {
            zones[i] = clean::SiteProfile::zoneLines(pages[i].page);
            site.add(pages[i].page, zones[i]);
        }
    site.settle();
    std::vector<clean::CleanPage*> story;
    for (std::size_t i = 0; i < pages.size(); ++i)
        if (pages[i].web && pages[i].kind == clean::PageKind::Story) {
            site.apply(pages[i].page, zones[i]);
            std::vector<clean::SiteProfile::ZoneLine>().swap(zones[i]);
            story.push_back(&pages[i].page);
        }
    clean::dropRepeatedHeadings(story);
    std::vector<LineTable> tables;
    tables.reserve(pages.size());
    for (PreparedPage& p : pages) {
        if (!p.web) {
            tables.push_back(lineTableOf(std::move(p.text), params));
            continue;
        }
        tables.push_back(lineTableOf(p.page, params));
        report(p.page, p.source, p.kind, options, out);
        // The page's memory goes back before the next table is built, which reuses it.
        p.page = clean::CleanPage();
    }
    return tables;
}

namespace {

LineTable markLines(LineTable table, const ConversionParams& params)
{
    const CleanupParams p = cleanupParams(params);
    shortenSeparatorLines(table, p.maxRun);
    markHeadBlankLines(table, p.head, p.headBlank);
    markRestBlankLines(table, p.head, p.restBlank);
    return table;
}

}  // namespace

LineTable lineTableOf(Text text, const ConversionParams& params)
{
    return markLines(splitLines(std::move(text)), params);
}

// The table splitLines makes of the lines joined with CR LF, built from them directly:
// a book's pages are not joined into one text only to be split again.
LineTable lineTableOf(const clean::CleanPage& page, const ConversionParams& params)
{
    LineTable table;
    std::size_t size = 0;
    for (std::size_t i = 0; i < page.lineCount(); ++i)
        size += page.line(i).size() + 2;
    table.text.reserve(size);
    table.entries.reserve(page.lineCount());
    for (std::size_t i = 0; i < page.lineCount(); ++i) {
        const TextView line = page.line(i);
        const std::size_t at = table.text.size();
        table.text += line;
        table.entries.push_back(trimmedEntry(table.text, at, table.text.size()));
        table.text += u"\r\n";
    }
    if (page.lineCount() == 0) {
        table.text += u"\r\n";
        table.entries.push_back(LineEntry{0, 0, 0, LineMark::Keep});
    }
    return markLines(std::move(table), params);
}

Result<ConvertedText> convertCleaned(const std::filesystem::path& source, const ConversionParams& params,
                                     const ReplacementList& list, const CleanOptions& options, const Renderer& render)
{
    Result<PreparedPage> prepared = preparePage(source, params, list, options, render);
    if (!prepared)
        return prepared.error();
    if (prepared->web && prepared->kind != clean::PageKind::Story)
        return Error{ErrorCode::NoStory, noStoryMessage(prepared->kind), source.string()};
    ConvertedText out;
    out.lostCharacters = prepared->lostCharacters;
    out.problems = prepared->problems;
    const LineTable table = finishPage(*prepared, options.site.get(), params, options, out.removed);
    out.parts = splitParts(table, cleanupParams(params).sizeLimit);
    out.lines = table.entries.size();
    return out;
}

Result<Text> renderStoryBytes(const std::filesystem::path& name, std::string bytes, ReadProblems* problems)
{
    HtmlContext page;
    page.renderPage = [](const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style,
                         std::size_t sizeHint) {
        clean::PageStory story;
        return clean::renderStory(doc, root, style, sizeHint, story);
    };
    return renderDocumentBytes(name, std::move(bytes), problems, page);
}

std::shared_ptr<const clean::SiteProfile> learnSite(const std::vector<std::filesystem::path>& sources,
                                                    const ConversionParams& params, const ReplacementList& list,
                                                    const CleanOptions& options, unsigned jobs,
                                                    const Renderer& render)
{
    auto site = std::make_shared<clean::SiteProfile>();
    if (!params.cleanPages || sources.empty())
        return site;
    // Each page is rendered and cleaned on its own, on up to `jobs` threads, and learnt
    // from as soon as it is ready: what the profile learns does not depend on the order.
    std::mutex learning;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < sources.size(); i = next++) {
            try {
                Result<PreparedPage> p = preparePage(sources[i], params, list, options, render);
                if (p && p->web && p->kind == clean::PageKind::Story) {
                    std::lock_guard lock(learning);
                    site->add(p->page);
                }
            } catch (const std::bad_alloc&) {
                // Left out of the profile; the page's own conversion reports it.
            }
        }
    };
    const std::size_t threads = std::min<std::size_t>(std::max(1u, jobs), sources.size());
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers)
        t.join();
    site->settle();
    return site;
}

}  // namespace sorvane
