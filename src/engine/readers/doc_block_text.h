#pragma once
// Collects the text of a word-processor document the way a browser collects the text of
// the same document saved as HTML.

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
    // Table rows and cells: a tab between cells, a line break between rows; breaks asked
    // for after a cell's last text are dropped.
    void startRow();
    void endCell();
    void endRow();

    bool empty() const { return m_out.empty(); }
    std::size_t size() const { return m_out.size(); }

    // The collected text; the builder is empty afterwards.
    Text take();
    // The same, followed by the text of `notes` after a paragraph break when they hold
    // any (a document's footnotes and endnotes come after its body); both are empty
    // afterwards.
    Text takeWithNotes(DocBlockText& notes);

private:
    void flushPending();

    Text m_out;
    int m_pendingBreaks = 0;
    int m_rowBreaks = 0;  // breaks before the current row, kept through its empty cells
    int m_pendingTabs = 0;
};

}  // namespace sorvane
