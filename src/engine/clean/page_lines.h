#pragma once
// The lines of one cleaned page, what was taken out of them and why, and the rules that
// work on one page alone: blanks at the ends of lines, navigation lines, the site's
// notices, advertisements inside paragraphs, and a heading repeated under itself.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace sorvane::clean {

enum class Removal : std::uint8_t {
    Furniture,   // outside the page's story: menus, links, notices, footers
    Contents,    // the whole page: a table of contents or a book's information page
    Navigation,  // a line of navigation words
    Notice,      // a line of the site's notices
    Advert,      // cut out of a paragraph: a web address and its site name
    Repeated,    // a line found on most pages of the book at the same place
    Heading,     // a chapter heading already given
};

// A short name for the kind, as --show-removed prints it ("导航", "广告", …).
std::string_view removalName(Removal kind);

struct RemovedText {
    Removal kind = Removal::Furniture;
    Text text;
};

struct CleanPage {
    std::vector<Text> lines;  // blank ones included, as empty lines
    bool headingFirst = false;  // the first non-blank line is the chapter heading
    std::vector<RemovedText> removed;

    // The index of the heading line, when the page has one.
    std::optional<std::size_t> headingIndex() const;
};

// The page's lines: a line ends at CR LF or a lone CR, as the line table splits them.
CleanPage splitPage(TextView text, bool headingFirst);

// Records every non-blank line of `text` as removed with `kind`; without `keepTexts`,
// only that it was (an empty text a line), for a report that gives counts only.
void recordRemoved(CleanPage& page, TextView text, Removal kind, bool keepTexts = true);

// The rules that work on one page: every line loses the blanks at its ends (so an indent
// typed with ideographic spaces does not add to the indent the output gives); web
// addresses with their site names and notice sentences are cut out of paragraphs; lines
// of navigation words and short notice lines go. A first line with a chapter mark is
// taken for the heading when the page named none; a copy of the heading just under it
// goes.
void cleanPageLines(CleanPage& page);

}  // namespace sorvane::clean
