#pragma once
// Reads Word 97-2003 documents (.doc).

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

class OleCompoundFile;

bool isWordDocument(const OleCompoundFile& file);

// The text a browser shows for the document saved as HTML (see DocBlockText). Fails with
// BadInput, saying why, for an encrypted or obfuscated document, one older than Word 97,
// and one whose streams or piece table are damaged.
Result<Text> docText(const OleCompoundFile& file);

// docText of the document's compound file. Fails with BadInput when the compound file is
// damaged, BinaryInput when it holds no Word document (a spreadsheet).
Result<Text> readDoc(DocumentProbe& document, ReadProblems& problems);

// The reader's row: a compound file named .doc or holding a WordDocument stream; then
// any name ending in .doc.
const DocumentReader& docReader();

}  // namespace sorvane
