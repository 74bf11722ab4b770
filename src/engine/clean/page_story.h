#pragma once
// The story of one web page: the block that holds its running text and the heading that
// belongs to it, rendered with the usual innerText rules; what the site put around them
// (menus, links to other chapters, notices, footers) is left out. Pages that are lists
// of chapters, or hold no text, give none.

#include <cstddef>

#include "common/text.h"
#include "engine/html/html_document.h"
#include "engine/render/css_style.h"

namespace sorvane::clean {

enum class PageKind {
    Story,     // a page with running text
    Contents,  // a table of contents or a book's information page: mostly chapter links
    NoText,    // nothing shown at all
};

struct PageStory {
    PageKind kind = PageKind::Story;
    bool headingFirst = false;  // the text's first line is the chapter's heading
    bool whole = false;         // no block stood out, so the whole page was kept
    Text removed;               // the text of what was left out, CR LF line breaks
};

// Renders the story of a parsed page (`root` is its <body>) and says in `story` what was
// chosen. Contents and NoText pages give an empty text. Never fails: a page on which no
// block stands out is rendered whole.
Text renderStory(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style, std::size_t sizeHint,
                 PageStory& story);

}  // namespace sorvane::clean
