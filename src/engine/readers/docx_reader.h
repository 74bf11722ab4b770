#pragma once
// Reads Word documents in the Office Open XML format (.docx).

#include <filesystem>
#include <string>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/document_reader.h"

namespace sorvane {

class ZipArchive;

bool isDocx(const ZipArchive& archive);

// The text a browser shows for the document saved as HTML (see DocBlockText). Fails with
// BadInput when the main document part cannot be read (damaged, over the archive's caps,
// not well-formed); damaged notes are left out.
Result<Text> readDocx(ZipArchive& archive);

// readDocx as a row of the reader table. Fails with BadInput when the archive cannot be
// opened, BinaryInput when it holds no Word document.
Result<Text> readDocxDocument(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
