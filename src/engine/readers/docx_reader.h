#pragma once
// Reads Word documents in the Office Open XML format (.docx).

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

class ZipArchive;

bool isDocx(const ZipArchive& archive);

// The text a browser shows for the document saved as HTML (see DocBlockText). Fails with
// BadInput when the main document part cannot be read (damaged, over the archive's caps,
// not well-formed); damaged notes are left out. A main part that would take more memory
// than the archive's size allows is read as far as the allowance goes, and `problems`
// says so.
Result<Text> docxText(ZipArchive& archive, ReadProblems* problems = nullptr);

// docxText of the document's archive. Fails with BadInput when the archive cannot be
// opened, BinaryInput when it holds no Word document.
Result<Text> readDocx(DocumentProbe& document, ReadProblems& problems);

// The reader's row: a ZIP archive holding word/document.xml, or one named .docx that
// does not name itself another kind (no "mimetype" member); then any name ending in
// .docx.
const DocumentReader& docxReader();

}  // namespace sorvane
