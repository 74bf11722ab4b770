#pragma once
// Reads Word 97-2003 documents (.doc): the WordDocument stream's file information block,
// the piece table in its table stream, and the character runs that mark hidden and
// deleted text.

#include <filesystem>
#include <string>

#include "common/result.h"
#include "common/text.h"
#include "engine/document_reader.h"

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

// Opens the compound file in `bytes` and reads it, as a row of the reader table. Fails
// with BadInput when the compound file is damaged, BinaryInput when it holds no Word
// document (a spreadsheet or a presentation).
Result<Text> readWordDocumentFile(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
