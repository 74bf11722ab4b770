#pragma once
// Caps on what the HTML parser is given: how deep elements nest, how many formatting
// elements it may re-open, how many attributes a tag has. The parser library has no caps
// of its own, and its work grows with the square of each of these.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// How deep elements may nest; deeper ones become siblings, as in browsers.
inline constexpr int kMaxNestingDepth = 512;
// How many formatting elements (<b>, <font>, ...) the parser may re-open at once.
inline constexpr std::size_t kMaxActiveFormatting = 12;
// How many attributes of a tag reach the parser; later ones are dropped.
inline constexpr std::size_t kMaxAttributes = 1000;

// Rewrites markup so that the parser, reading it, never nests elements deeper than
// `maxDepth` (a start tag that would go deeper first closes the innermost open element,
// and the end tag that element would have had is dropped), never holds more than
// kMaxActiveFormatting formatting elements to re-open (further formatting start tags are
// dropped) and never sees more than kMaxAttributes attributes on one tag. The markup is
// read by the HTML tokenizer's own rules, and the tree builder's stack of open elements
// is followed closely enough to be never underestimated, so parsing stays linear in time
// and memory. Returns nothing when the markup needs no change.
std::optional<std::string> limitNestingDepth(std::string_view utf8, int maxDepth = kMaxNestingDepth);

// The parser keeps every node of a page until the page is rendered, at about 180 bytes
// a node, so an element-dense page costs many times its size. The markup handed to it
// is cut off once it would make more nodes than this cap for an input of this size;
// the text of the rest is shown without its markup.
inline constexpr std::size_t kParserNodesBase = 128'000;
inline constexpr std::size_t kInputBytesPerExtraNode = 24;
std::size_t parserNodeCap(std::size_t inputBytes);

// A stretch of the markup handed to the parser, [begin, end).
struct MarkupSpan {
    std::size_t begin = 0, end = 0;
};

struct LimitedMarkup {
    std::optional<std::string> markup;           // the markup to parse, when it was changed
    std::size_t restFrom = std::string_view::npos;  // where the part cut off starts
    bool restInHiddenSvg = false;  // the part cut off starts inside SVG, outside its text
    // Where the parser's tokenizer reads text between tags in its data state, in the
    // markup to parse, outside any frameset (where text other than white space is
    // dropped) and outside templates: every character there becomes a character token.
    std::vector<MarkupSpan> text;
    // The <br> start tags without attributes, in the markup to parse, that the tree
    // builder handles as it handles text: it re-opens formatting elements and inserts
    // the element where text would go, and nothing else (in a body or a table cell,
    // outside SVG, MathML, selects and framesets).
    std::vector<MarkupSpan> lineBreaks;
};

// limitNestingDepth, and the markup cut off where the parser would have made
// `maxNodes` nodes of it (counted high: every node the parser may make is counted).
LimitedMarkup limitMarkup(std::string_view utf8, int maxDepth, std::size_t maxNodes);

// Whether a start tag of this (lower-case) name ends an open paragraph: the block-level
// elements.
bool closesParagraph(std::string_view name);

}  // namespace sorvane
