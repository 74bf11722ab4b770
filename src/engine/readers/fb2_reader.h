#pragma once
// Reads FictionBook 2 books (.fb2, and .fb2.zip: a ZIP archive holding one .fb2).

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

// Renders the book's bodies, the main one first and its notes after. Fails with BadInput
// when the document is not well-formed XML, is no FictionBook, or the archive around it
// cannot be read or holds no single book.
Result<Text> readFb2(DocumentProbe& document, ReadProblems& problems);

// The reader's row: XML whose root element is <FictionBook>, or a ZIP archive holding
// one .fb2 member; by name, .fb2 and .fb2.zip.
const DocumentReader& fb2Reader();

}  // namespace sorvane
