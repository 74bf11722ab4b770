#pragma once
// What each rendered element of a page holds, gathered in one walk over the parsed page:
// its visible characters, how many of them are link text, its sentence punctuation, the
// chapter links in it, where its text starts, and what its class and id say. From these
// every element that holds text of its own gets a score: how likely it is the block
// that holds the page's running text.

#include <cstdint>
#include <vector>

#include "engine/html/html_document.h"
#include "engine/render/css_style.h"

namespace sorvane::clean {

struct BlockStats {
    HtmlDocument::Node node = nullptr;
    std::int32_t parent = -1;        // index of the parent element, -1 for the root
    std::uint32_t depth = 0;         // below the root
    std::uint32_t end = 0;           // one past the index of its last descendant
    std::uint32_t chars = 0;         // visible characters in it, blanks aside
    std::uint32_t linkChars = 0;     // of which inside links
    std::uint32_t punctuation = 0;   // sentence punctuation outside links
    std::uint32_t ownChars = 0;      // characters outside links whose nearest block is this one
    std::uint32_t ownPunctuation = 0;
    std::uint32_t lineBreaks = 0;    // <br> elements whose nearest block is this one
    std::uint32_t links = 0;         // links in it
    std::uint32_t chapterLinks = 0;  // links whose text holds a chapter mark
    std::uint32_t chapterLinkChars = 0;
    std::uint32_t firstChar = 0;     // characters of the page before its first one
    float classWeight = 1;           // above 1: its class or id names running text; below: site furniture
    bool container = false;          // a block, table cell or inline block: paragraphs end at it
    bool heading = false;            // <h1>..<h3>, or a short element whose class or id names a title
    bool link = false;
    bool paragraph = false;          // a <p>
    double score = 0;                // set by scoreBlocks

    double linkDensity() const { return chars == 0 ? 0.0 : static_cast<double>(linkChars) / chars; }
};

// The elements under `root` that get a box, in document order (root first), with their
// statistics. Elements that are not rendered (display: none, <script>, <template>) are
// left out with all they hold; hidden ones stay but their text does not count.
std::vector<BlockStats> collectBlockStats(const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style);

// Sets every block's score: each block with running text of its own scores by its length
// and punctuation. A paragraph (a <p>, or a short block without line breaks) passes that
// score to its parent and half to the grandparent; a block of lines broken by <br> keeps
// it, and passes half to its parent and a quarter to the grandparent. The sum is then
// weighed by the share of text outside links, by the class and id, and by whether the
// text sits at the very top or bottom of the page.
void scoreBlocks(std::vector<BlockStats>& blocks);

}  // namespace sorvane::clean
