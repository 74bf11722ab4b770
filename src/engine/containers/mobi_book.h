#pragma once
// A Mobipocket book (MOBI, AZW, AZW3/KF8, and the joint files that hold both) held in
// memory: the one adapter over the e-book library, which lives in a module of its own
// (mobi_module.cpp). The library undoes the text
// compression (PalmDOC, HUFF/CDIC) and rebuilds the book's pages in reading order.

#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace sorvane {

// Whether the bytes start as a Palm database holding a Mobipocket book or a PalmDOC
// text ("BOOKMOBI" or "TEXtREAd" at offset 60).
bool looksLikeMobi(std::string_view bytes);

struct MobiBook {
    std::vector<std::string> pages;  // the book's markup parts, in reading order
    std::string encoding;            // their encoding's label ("UTF-8", "windows-1252")
};

// The book's pages. Fails with BadInput, with a message for the user, when the book is
// encrypted (DRM), damaged or cut short, holds no text, or claims more text than a
// book of its size could hold once decompressed (a decompression bomb).
Result<MobiBook> openMobiBook(std::string_view bytes);

}  // namespace sorvane
