#pragma once
// A parsed XML document: the one adapter over the XML parser. A DTD's own entities are
// never expanded, so an entity bomb stays as small as its text.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane {

class XmlDocument {
public:
    using Node = const void*;  // valid while the document lives

    // The markup ('<') a document may hold by default: each opens at most one node and
    // a node costs the parser some 64 bytes, so empty elements by the million, which
    // compress to almost nothing, would otherwise build a tree of gigabytes.
    static constexpr std::size_t kMaxMarkup = 4'000'000;

    // Fails with BadInput, giving the parser's description and byte offset, when the
    // document is not well-formed or has no root element, and without parsing when it
    // holds more than `maxMarkup` '<' characters.
    static Result<std::unique_ptr<XmlDocument>> parse(std::string_view bytes, std::size_t maxMarkup = kMaxMarkup);
    // The same over `bytes` taken whole, parsed where they lie (no second copy), and
    // within `maxMemory` bytes for those bytes and the tree together. Past it the parse
    // stops: the document holds the tree read so far and cutShort() says so; when not
    // even the root element was read (or the bytes alone are over), fails with BadInput.
    static Result<std::unique_ptr<XmlDocument>> parseWithin(std::string bytes, std::size_t maxMemory,
                                                            std::size_t maxMarkup = kMaxMarkup);
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // The document element.
    Node root() const;
    // Whether parseWithin stopped at its memory budget before the end of the bytes.
    bool cutShort() const { return m_cutShort; }

    static bool isElement(Node node);
    // Text and CDATA nodes.
    static bool isText(Node node);
    static Node firstChild(Node node);
    static Node nextSibling(Node node);
    static Node parent(Node node);

    // The element's name as written ("opf:item") and without its prefix ("item").
    static std::string_view name(Node node);
    static std::string_view localName(Node node);
    // The namespace URI the element's prefix (or the default namespace) is bound to
    // in scope; empty when none.
    static std::string_view namespaceUri(Node node);

    // An attribute by its name as written ("full-path", "xml:lang").
    static std::optional<std::string_view> attribute(Node node, std::string_view name);
    // An attribute by its name without prefix ("idref" matches "opf:idref" too).
    static std::optional<std::string_view> attributeLocal(Node node, std::string_view localName);

    // A text or CDATA node's text.
    static std::string_view text(Node node);
    // The text of every text and CDATA node below `node`, in document order.
    static std::string textContent(Node node);

    // The first child element with this local name, or nothing.
    static Node childElement(Node node, std::string_view localName);

private:
    XmlDocument();
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    bool m_cutShort = false;
};

// The encoding an XML declaration at the start of `bytes` names ("GBK"), or nothing.
std::optional<std::string> xmlDeclaredEncoding(std::string_view bytes);

}  // namespace sorvane
