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

namespace sorvane {

enum class HtmlNodeKind { Document, Element, Text, Whitespace, CData, Comment };
enum class HtmlNamespace { Html, Svg, MathMl };

// How deep elements may nest; deeper ones become siblings, as in browsers.
inline constexpr int kMaxNestingDepth = 512;

// Rewrites markup whose elements nest deeper than `maxDepth` so that they do not: a
// start tag that would open an element below that depth first closes the innermost
// open element, so the new element becomes its sibling, and the end tag that closed
// element would have had is dropped. A light tag scanner tracks the open elements
// (comments, raw-text elements, void elements and the usual implied end tags taken
// into account), so the tree builder never sees a deep stack and parsing stays linear
// in time and memory. Returns nothing when the markup needs no change.
std::optional<std::string> limitNestingDepth(std::string_view utf8, int maxDepth = kMaxNestingDepth);

class HtmlDocument {
public:
    using Node = const void*;

    // Parses UTF-8 markup (invalid sequences become U+FFFD) the way the HTML standard's
    // tree builder does: character references resolved, misnesting repaired, implied
    // elements inserted. Parse errors are not recorded, so memory stays linear in the
    // input. The document keeps pointers into `utf8`, which must outlive it.
    // Nesting deeper than maxDepth is flattened first (see limitNestingDepth); with a
    // maxDepth of 0 or less the markup goes to the parser as it is.
    explicit HtmlDocument(std::string_view utf8, int maxDepth = kMaxNestingDepth);
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    // False when the parser failed on the markup (the library stops on an internal
    // check for some malformed pages); the document then holds the page's text, its
    // markup taken out.
    bool parsedWholly() const;

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
    static HtmlNamespace ns(Node node);
    // An attribute value; attribute names are matched in lower case.
    static std::optional<std::string_view> attribute(Node node, const char* name);

    // Text, white space and CDATA nodes: their UTF-8 text.
    static std::string_view text(Node node);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    mutable std::unordered_set<std::string> m_unknownNames;
};

}  // namespace sorvane
