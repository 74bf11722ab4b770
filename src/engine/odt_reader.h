#pragma once
// Reads OpenDocument text documents (.odt): content.xml, with the hidden-text styles of
// content.xml and styles.xml.

#include <filesystem>
#include <string>

#include "common/result.h"
#include "common/text.h"
#include "engine/document_reader.h"

namespace sorvane {

class ZipArchive;

// Whether the archive is an OpenDocument text: its "mimetype" member says
// application/vnd.oasis.opendocument.text.
bool isOdt(ZipArchive& archive);

// The text a browser shows for the document saved as HTML (see DocBlockText):
// paragraphs, headings and list items as blocks, text:s as its count of spaces (at
// most 1024 each), tabs, line breaks, text boxes where they are anchored, tables with
// cells separated by tabs, and the notes after the body, each marked "[citation]" in
// the body and before its text. White space in the text collapses as the format says.
// Comments, tracked deletions and text in a style with display "none" are left out.
// Fails with BadInput when content.xml cannot be read or is not well-formed.
Result<Text> readOdt(ZipArchive& archive);

// Opens the archive in `bytes` and reads it, as a row of the reader table. Fails with
// BadInput when the archive cannot be opened, BinaryInput when it is no OpenDocument text.
Result<Text> readOdtDocument(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
