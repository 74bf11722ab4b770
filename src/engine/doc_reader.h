#pragma once
// Reads Word 97-2003 documents (.doc): the WordDocument stream's file information block,
// the piece table in its table stream, and the character runs that mark hidden and
// deleted text.

#include "common/result.h"
#include "common/text.h"

namespace sorvane {

class OleCompoundFile;

// Whether the compound file holds a Word document (a "WordDocument" stream).
bool isWordDocument(const OleCompoundFile& file);

// The text a browser shows for the document saved as HTML (see DocBlockText): the main
// text, then the footnotes and endnotes, each marked "[n]" in the body and before its
// text. Paragraphs, line breaks, tabs, table cells and rows and the shown result of
// fields are kept; field codes, pictures, headers, footers, comments, hidden text and
// deleted revisions are left out. Fails with BadInput for an encrypted or obfuscated
// document, a document older than Word 97, and one whose streams or piece table are
// damaged; the message says which.
Result<Text> readWordDocument(const OleCompoundFile& file);

}  // namespace sorvane
