#pragma once
// Collects the text of a word-processor document the way a browser's innerText collects
// the same document saved as HTML: a paragraph is a block followed by a blank line (as
// <p>), a heading or list item a block of its own, a manual line break a line break, a
// tab a tab, table cells separated by a tab and rows by a line break. Breaks asked for
// between blocks collapse to the largest one asked; none are kept at the start or end.
// Every line break is CR LF and a no-break space becomes a space, as in the HTML path.

#include <cstddef>

#include "common/text.h"

namespace sorvane {

class DocBlockText {
public:
    // Inline text of the current block.
    void text(TextView text);
    void text(char16_t ch);
    // A manual line break (<br>): always kept, even at the start.
    void lineBreak();
    void tab() { text(u'\t'); }

    // The end of a block: at least `count` line breaks before any later text
    // (1 for a heading, list item or table row, 2 for a paragraph).
    void endBlock(int count);
    // The start of a table row: breaks asked for before it stay before it, even when its
    // first cells are empty.
    void startRow();
    // The end of a table cell: a tab before the row's next cell, nothing after its last.
    // Breaks asked for inside the cell, after its text, go with it.
    void endCell();
    // The end of a table row.
    void endRow();

    bool empty() const { return m_out.empty(); }
    std::size_t size() const { return m_out.size(); }

    // The collected text; the builder is empty afterwards.
    Text take();

private:
    void flushPending();

    Text m_out;
    int m_pendingBreaks = 0;
    int m_rowBreaks = 0;  // breaks before the current row, kept through its empty cells
    int m_pendingTabs = 0;
};

}  // namespace sorvane
