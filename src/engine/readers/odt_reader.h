#pragma once
// Reads OpenDocument text documents (.odt).

#include <filesystem>
#include <string>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/document_reader.h"

namespace sorvane {

class ZipArchive;

// Whether the archive's "mimetype" member names an OpenDocument text.
bool isOdt(ZipArchive& archive);

// The text a browser shows for the document saved as HTML (see DocBlockText). Fails with
// BadInput when content.xml cannot be read or is not well-formed.
Result<Text> readOdt(ZipArchive& archive);

// readOdt as a row of the reader table. Fails with BadInput when the archive cannot be
// opened, BinaryInput when it is no OpenDocument text.
Result<Text> readOdtDocument(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
