#pragma once
// Walks an XML subtree in document order without recursion, so a document nested a
// million elements deep costs no stack: `enter(node)` is called for every node reached
// and returns whether to walk its children; `leave(node)` is called for every element
// whose children were walked, after them.

#include <string_view>

#include "engine/containers/xml_document.h"
#include "engine/readers/doc_block_text.h"

namespace sorvane {

template <typename Enter, typename Leave>
void walkXml(XmlDocument::Node top, Enter&& enter, Leave&& leave)
{
    using X = XmlDocument;
    X::Node node = X::firstChild(top);
    while (node) {
        if (enter(node)) {
            if (X::Node child = X::firstChild(node)) {
                node = child;
                continue;
            }
            leave(node);
        }
        while (!X::nextSibling(node)) {
            node = X::parent(node);
            if (!node || node == top)
                return;
            leave(node);
        }
        node = X::nextSibling(node);
    }
}

// The pieces of a run that the DOCX and Word 2003 XML vocabularies share, by their local
// names: text, a tab, a line break. Returns whether `local` names one (its children need
// no walk); `shown` is false inside a field's code, where nothing is written.
inline bool wordRunPiece(std::string_view local, XmlDocument::Node n, bool shown, DocBlockText& out)
{
    if (local == "t") {
        if (shown)
            out.text(fromUtf8(XmlDocument::textContent(n)));
        return true;
    }
    if (local == "tab") {
        if (shown)
            out.tab();
        return true;
    }
    if (local == "br" || local == "cr") {
        if (shown)
            out.lineBreak();
        return true;
    }
    return false;
}

}  // namespace sorvane
