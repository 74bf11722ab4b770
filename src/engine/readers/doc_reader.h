#pragma once
// Reads Word 97-2003 documents (.doc).

#include <filesystem>
#include <string>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/document_reader.h"

namespace sorvane {

class OleCompoundFile;

bool isWordDocument(const OleCompoundFile& file);

// The text a browser shows for the document saved as HTML (see DocBlockText). Fails with
// BadInput, saying why, for an encrypted or obfuscated document, one older than Word 97,
// and one whose streams or piece table are damaged.
Result<Text> readWordDocument(const OleCompoundFile& file);

// readWordDocument as a row of the reader table. Fails with BadInput when the compound
// file is damaged, BinaryInput when it holds no Word document (a spreadsheet).
Result<Text> readWordDocumentFile(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
