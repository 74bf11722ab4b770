#pragma once
// The text of a piece of markup, spelled as markup the parser reads back as that text:
// for the parts of a page the parser is not given as they are.

#include <string>
#include <string_view>

namespace sorvane {

enum class MarkupTextFor {
    // A page the parser failed on, parsed as this text instead: every text that may be
    // shown is kept, and a tag that starts a line (a block, a cell, <br>) becomes <br>.
    FailedPage,
    // The rest of a page cut off at the parser's node cap, shown with white-space:
    // pre-line: a tag that starts a line becomes '\n', other white space runs one space,
    // and text SVG does not show (outside its text elements) is left out.
    CutOffRest,
};

// The text of `markup` with its tags taken out: comments, scripts, styles, titles,
// text areas and template contents dropped; character references kept for the parser
// to resolve; '<' (and '&' where the markup showed it literally) escaped.
// `startsInHiddenSvg`: the markup starts inside SVG, outside a text element.
std::string markupAsText(std::string_view markup, MarkupTextFor use, bool startsInHiddenSvg = false);

}  // namespace sorvane
