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

// A page's lines, blank ones included as empty lines. The lines are views into one
// text (the page as rendered, then the lines cleaning rewrote), so splitting a page and
// trimming, cutting and dropping its lines allocate nothing for each line.
class CleanPage {
public:
    bool headingFirst = false;  // the first non-blank line is the chapter heading
    // Removed lines keep their texts; without, only that they went (an empty text each),
    // for a report that gives counts only.
    bool keepTexts = true;
    std::vector<RemovedText> removed;

    std::size_t lineCount() const { return m_lines.size(); }
    TextView line(std::size_t i) const { return TextView(m_text).substr(m_lines[i].at, m_lines[i].size); }

    // Adds a line at the end.
    void addLine(TextView text);
    // Line `i` becomes `text`, which must not point into this page.
    void setLine(std::size_t i, TextView text);
    // Line `i` keeps only its part from `from`, `size` characters long.
    void narrowLine(std::size_t i, std::size_t from, std::size_t size);
    // Records line `i` as removed with `kind` and marks it to go: lines keep their
    // indices until dropMarked() takes the marked ones out.
    void markRemoved(std::size_t i, Removal kind);
    // Marks line `i` to go without recording it: what it held is recorded already.
    void dropLine(std::size_t i);
    void dropMarked();

    // The index of the heading line, when the page has one.
    std::optional<std::size_t> headingIndex() const;

private:
    struct Span {
        std::size_t at = 0;
        std::size_t size = 0;
        bool marked = false;
    };
    Text m_text;
    std::vector<Span> m_lines;

    friend CleanPage splitPage(Text text, bool headingFirst);
};

// The page's lines: a line ends at CR LF or a lone CR, as the line table splits them.
CleanPage splitPage(Text text, bool headingFirst);

// Records every non-blank line of `text` as removed with `kind`, its text kept as the
// page keeps removed texts.
void recordRemoved(CleanPage& page, TextView text, Removal kind);

// The rules that work on one page: every line loses the blanks at its ends (so an indent
// typed with ideographic spaces does not add to the indent the output gives); web
// addresses with their site names and notice sentences are cut out of paragraphs; lines
// of navigation words and short notice lines go. A first line with a chapter mark is
// taken for the heading when the page named none; a copy of the heading just under it
// goes.
void cleanPageLines(CleanPage& page);

}  // namespace sorvane::clean
