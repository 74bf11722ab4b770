#pragma once
// Walks an XML subtree in document order without recursion, so a document nested a
// million elements deep costs no stack: `enter(node)` is called for every node reached
// and returns whether to walk its children; `leave(node)` is called for every element
// whose children were walked, after them.

#include "engine/containers/xml_document.h"

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

}  // namespace sorvane
