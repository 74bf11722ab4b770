#pragma once
// Reads EPUB 2 and 3 books.

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

// Renders the book; a missing or damaged chapter is left out and named in `problems`.
// Fails with BadInput when the archive or its package document cannot be read at all,
// or when its content is encrypted (DRM).
Result<Text> readEpub(DocumentProbe& document, ReadProblems& problems);

// The reader's row: a ZIP archive that names itself an EPUB book (or holds a
// container file), or a name ending in .epub.
const DocumentReader& epubReader();

}  // namespace sorvane
