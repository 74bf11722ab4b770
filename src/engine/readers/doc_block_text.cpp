#include "engine/readers/doc_block_text.h"

#include <algorithm>
#include <utility>

namespace sorvane {

// A paragraph is a block followed by a blank line (as <p>), a heading or list item a block
// of its own, a manual line break a line break, a tab a tab, table cells separated by a
// tab and rows by a line break. Breaks asked for between blocks wait in m_pendingBreaks
// and collapse to the largest one asked; none are kept at the start or end. Every line
// break is CR LF and a no-break space becomes a space, as in the HTML path.

void DocBlockText::flushPending()
{
    const int breaks = std::max(m_rowBreaks, m_pendingBreaks);
    if (breaks > 0 && !m_out.empty())
        for (int i = 0; i < breaks; ++i)
            m_out += u"\r\n";
    m_rowBreaks = 0;
    m_pendingBreaks = 0;
    // The tabs close earlier cells of this row.
    m_out.append(static_cast<std::size_t>(m_pendingTabs), u'\t');
    m_pendingTabs = 0;
}

void DocBlockText::text(TextView text)
{
    if (text.empty())
        return;
    flushPending();
    m_out.reserve(m_out.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch == u'\u00A0') {
            m_out += u' ';
        } else if (ch == u'\r' || ch == u'\n') {
            // CR LF, a lone CR and a lone LF are each one line break.
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            m_out += u"\r\n";
        } else {
            m_out += ch;
        }
    }
}

void DocBlockText::text(char16_t ch)
{
    text(TextView(&ch, 1));
}

void DocBlockText::lineBreak()
{
    flushPending();
    m_out += u"\r\n";
}

void DocBlockText::endBlock(int count)
{
    // Breaks asked for at the start of a later cell do not split the row.
    if (m_pendingTabs > 0)
        return;
    if (count > m_pendingBreaks)
        m_pendingBreaks = count;
}

// Breaks asked for before a row stay before it, even when its first cells are empty.
void DocBlockText::startRow()
{
    m_rowBreaks = std::max({m_rowBreaks, m_pendingBreaks, 1});
    m_pendingBreaks = 0;
    m_pendingTabs = 0;
}

// A tab goes before the row's next cell, nothing after its last. Breaks asked for inside
// the cell, after its text, go with it.
void DocBlockText::endCell()
{
    m_pendingBreaks = 0;
    ++m_pendingTabs;
}

void DocBlockText::endRow()
{
    // No tab after the row's last cell, but one after each cell before it, empty or not.
    if (m_pendingTabs > 1) {
        --m_pendingTabs;
        flushPending();
    }
    m_pendingTabs = 0;
    m_rowBreaks = 0;
    endBlock(1);
}

Text DocBlockText::take()
{
    m_pendingBreaks = 0;
    m_rowBreaks = 0;
    m_pendingTabs = 0;
    return std::exchange(m_out, Text());
}

Text DocBlockText::takeWithNotes(DocBlockText& notes)
{
    if (!notes.empty()) {
        endBlock(2);
        text(notes.take());
    }
    return take();
}

}  // namespace sorvane
