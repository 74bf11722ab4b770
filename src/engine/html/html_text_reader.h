#pragma once
// What reading a text node of a parsed page gives (HtmlDocument::readText), kept apart so
// that the reading of spared runs, below the document, needs nothing else of it.

#include <string_view>

namespace sorvane {

// What reading a text node gives, in order.
class HtmlTextReader {
public:
    virtual ~HtmlTextReader() = default;
    virtual void text(std::string_view piece) = 0;  // UTF-8, may hold NUL (see HtmlDocument::text())
    virtual void lineBreak() = 0;                    // a <br> left out of the tree
};

}  // namespace sorvane
