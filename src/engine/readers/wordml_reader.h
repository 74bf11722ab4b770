#pragma once
// Reads Word 2003 XML documents: the whole document in one XML file (WordprocessingML
// 2003), often saved under a .doc or .xml name.

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

// The text a browser shows for the document saved as HTML, as for a DOCX document:
// paragraphs, tables (cells separated by tabs), list numbers and bullets as the file
// records them, the shown result of fields, footnotes and endnotes after the body
// ("[n]" at their references). Headers, footers, hidden and deleted text are left out.
// Fails with BadInput when the file is not well-formed XML or has no body.
Result<Text> readWordXml(DocumentProbe& document, ReadProblems& problems);

// The reader's row: a file whose first kilobyte names a Word 2003 XML document (its
// processing instruction or its root element).
const DocumentReader& wordXmlReader();

}  // namespace sorvane
