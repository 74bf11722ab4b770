#pragma once
// Reads Mobipocket books: MOBI, AZW and AZW3 (KF8), and joint files holding both.

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

// Renders the book's pages in reading order, one blank line between pages. Fails with
// BadInput when the book is locked by DRM, damaged, or holds no text.
Result<Text> readMobi(DocumentProbe& document, ReadProblems& problems);

// The reader's row: a Palm database of a Mobipocket book or PalmDOC text, or a name
// ending in .mobi, .azw, .azw3 or .prc.
const DocumentReader& mobiReader();

}  // namespace sorvane
