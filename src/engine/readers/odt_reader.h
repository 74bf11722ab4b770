#pragma once
// Reads OpenDocument text documents (.odt).

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

class ZipArchive;

// Whether the archive's "mimetype" member names an OpenDocument text.
bool isOdt(ZipArchive& archive);

// The text a browser shows for the document saved as HTML (see DocBlockText). Fails with
// BadInput when content.xml cannot be read or is not well-formed. What is cut to stay
// within the reader's caps is added to `problems` when given.
Result<Text> odtText(ZipArchive& archive, ReadProblems* problems = nullptr);

// odtText of the document's archive. Fails with BadInput when the archive cannot be
// opened, BinaryInput when it is no OpenDocument text.
Result<Text> readOdt(DocumentProbe& document, ReadProblems& problems);

// The reader's row: a ZIP archive named .odt or whose small "mimetype" member names an
// OpenDocument text; then any name ending in .odt.
const DocumentReader& odtReader();

}  // namespace sorvane
