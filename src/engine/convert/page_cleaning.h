#pragma once
// Conversion with 去除网页杂项 on, or with a reader's rules: a web page is rendered as its
// story, prepared as any text is (script conversion, code page, replacement list), then
// the rules run, then the rules of one page, then what the pages converted together
// share is taken out, and the text goes on to the line table. Documents that are not web
// pages are left as they are but for the rules.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "engine/clean/page_lines.h"
#include "engine/readers/reader_interface.h"
#include "engine/clean/page_story.h"
#include "engine/clean/removal_report.h"
#include "engine/clean/rewrite_rules.h"
#include "engine/clean/site_profile.h"
#include "engine/convert/line_pipeline.h"
#include "engine/convert/renderer.h"

namespace sorvane {

// What the front ends give the cleaning besides ConversionParams::cleanPages.
struct CleanOptions {
    // Applied after the replacement list, whether cleaning is on or not; null: none.
    std::shared_ptr<const clean::RewriteRules> rules;
    // Learnt beforehand from the pages of the batch a document belongs to (learnSite);
    // null: the document is cleaned on its own.
    std::shared_ptr<const clean::SiteProfile> site;
    // Keep the text of what was removed, for a listing; otherwise only its count.
    bool keepRemoved = false;
};

// Whether a conversion takes the cleaning road rather than the plain one.
bool usesCleaning(const ConversionParams& params, const CleanOptions& options);

// A page rendered and cleaned as far as it can be on its own.
struct PreparedPage {
    std::filesystem::path source;
    bool web = false;          // a web page: the cleaning across pages applies
    clean::PageKind kind = clean::PageKind::Story;
    clean::CleanPage page;     // web pages with cleaning on
    Text text;                 // any other document: its whole text
    std::size_t lostCharacters = 0;
    ReadProblems problems;     // what the reader could not read of the document
};

// Renders `source` (with `render` when set: its text is taken for a web page's story) and
// prepares it. Fails as the renderer and the script conversion fail, and with BadInput
// when a rule leaves no text.
Result<PreparedPage> preparePage(const std::filesystem::path& source, const ConversionParams& params,
                                 const ReplacementList& list, const CleanOptions& options, const Renderer& render);

// The line table of the page's text once what the pages share is taken out (`site` may
// be null), and what was removed from it. Consumes the page.
LineTable finishPage(PreparedPage& page, const clean::SiteProfile* site, const ConversionParams& params,
                     const CleanOptions& options, clean::RemovalReport& report);

// The pages of one book, in order: what they share is learnt from them, taken out of
// each, and a chapter split over several pages keeps one heading. Returns each page's
// line table, in order.
std::vector<LineTable> finishPages(std::vector<PreparedPage>& pages, const ConversionParams& params,
                                   const CleanOptions& options, clean::RemovalReport& report);

// The line table of a finished text, every mark set: cleanText's steps after the
// replacement list.
LineTable lineTableOf(Text text, const ConversionParams& params);
// The same for a cleaned page's lines, as if they were joined with CR LF first.
LineTable lineTableOf(const clean::CleanPage& page, const ConversionParams& params);

// The whole conversion of one document on the cleaning road, as convertDocument makes
// it. A web page that gives no story fails with NoStory ("目录页，已略过").
Result<ConvertedText> convertCleaned(const std::filesystem::path& source, const ConversionParams& params,
                                     const ReplacementList& list, const CleanOptions& options,
                                     const Renderer& render);

// The story of a document already read (standard input), as renderDocumentBytes renders
// it but a loose web page gives only its story; for a Renderer that stands in for the
// file. Fails as renderDocumentBytes.
Result<Text> renderStoryBytes(const std::filesystem::path& name, std::string bytes, ReadProblems* problems = nullptr);

// Learns what the pages of a batch share, rendering each as its conversion will; pages
// that fail are passed over (their conversion reports them). `jobs` threads at most.
std::shared_ptr<const clean::SiteProfile> learnSite(const std::vector<std::filesystem::path>& sources,
                                                    const ConversionParams& params, const ReplacementList& list,
                                                    const CleanOptions& options, unsigned jobs,
                                                    const Renderer& render = {});

}  // namespace sorvane
