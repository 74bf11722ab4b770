#pragma once
// A parsed HTML document: the one adapter over the HTML5 parser, so the parser can be
// swapped without touching the renderer. Nodes are opaque handles valid while the
// document lives.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/html/html_text_reader.h"
#include "engine/html/nesting_limiter.h"

namespace sorvane {

enum class HtmlNodeKind { Document, Element, Text, Whitespace, CData, Comment };
enum class HtmlNamespace { Html, Svg, MathMl };

// Whether the parser may leave out <br> elements without attributes that stand between
// text where the tree builder handles them as it handles text; readText then gives each
// as a line break inside the text around it.
enum class BareLineBreaks { AsElements, InText };

class HtmlDocument {
public:
    using Node = const void*;

    // Parses UTF-8 markup (invalid sequences become U+FFFD) the way the HTML standard's
    // tree builder does: character references resolved, misnesting repaired, implied
    // elements inserted. Parse errors are not recorded, so memory stays linear in the
    // input. The document keeps pointers into `utf8`, which must outlive it.
    // Nesting deeper than maxDepth is flattened first (see limitNestingDepth); with a
    // maxDepth of 0 or less the markup goes to the parser as it is.
    explicit HtmlDocument(std::string_view utf8, int maxDepth = kMaxNestingDepth,
                          BareLineBreaks lineBreaks = BareLineBreaks::AsElements);
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    // False when the parser failed on the markup (the library stops on an internal
    // check for some malformed pages); the document then holds the page's text, its
    // markup taken out.
    bool parsedWholly() const;

    // Whether <br> elements were left out of the tree (BareLineBreaks::InText).
    bool lineBreaksInText() const;

    Node documentNode() const;
    // The <html> element (always present after parsing).
    Node documentElement() const;
    // The <body> child of <html>, or nothing for a frameset document.
    Node body() const;

    static HtmlNodeKind kind(Node node);
    static std::size_t childCount(Node node);
    static Node child(Node node, std::size_t index);
    static Node parent(Node node);
    // The node's position among its parent's children.
    static std::size_t indexInParent(Node node);

    // Elements only. A small number identifying the tag name, the same for every element
    // of one name the parser knows; unknownTag for names it does not know.
    static int tagCode(Node node);
    static constexpr int unknownTag = -1;
    // How many tag codes there are (codes are 0 .. tagCodeCount() - 1).
    static int tagCodeCount();
    // The lower-case name for a tag code.
    static std::string_view tagNameOfCode(int code);
    // The element's lower-case local name (also for unknown tags).
    std::string_view tagName(Node node) const;
    // The elements named `name` (lower case), in document order.
    std::vector<Node> elementsNamed(std::string_view name) const;
    static HtmlNamespace ns(Node node);
    // An attribute value (which may hold NUL bytes, as text() may); attribute names are
    // matched in lower case.
    static std::optional<std::string_view> attribute(Node node, const char* name);

    // Text, white space and CDATA nodes: their UTF-8 text, in pieces, and the <br>s left
    // out of the tree where they stand. It may hold NUL bytes: the parser turns a
    // numeric character reference past 0x7FFFFFFF into one.
    void readText(Node node, HtmlTextReader& reader) const;

    // From now on, keeps the text of every node read that had to be decoded from the page,
    // so that reading it again replays it: for a caller that reads a page twice (weighing
    // its parts, then rendering some of them). Costs a copy of the text read.
    void keepReadText() const;

    // The same text whole, valid until the next call; a <br> left out of the tree reads
    // as LF.
    std::string_view textOf(Node node) const;

    // The text as the parser holds it, where long runs of text it was spared stand as
    // placeholders: for a document parsed with a maxDepth of 0 or less, the text.
    static std::string_view text(Node node);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    mutable std::unordered_set<std::string> m_unknownNames;
    mutable std::string m_text;
};

}  // namespace sorvane
