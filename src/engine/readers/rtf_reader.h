#pragma once
// Reads Rich Text Format documents.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/document_reader.h"

namespace sorvane {

// Whether the bytes start with "{\rtf", after a UTF-8 byte-order mark and white space.
bool looksLikeRtf(std::string_view bytes);

// The text a browser shows for the document saved as HTML (see DocBlockText). Never
// fails: a cut-off or malformed document gives the text read up to where it breaks.
Text readRtf(std::string_view bytes);

// How deep groups may nest before deeper ones are flattened, so a hostile file costs
// time and memory linear in its size.
inline constexpr int kMaxRtfDepth = 512;

// readRtf as a row of the reader table. Fails with BadInput when the content does not
// start as looksLikeRtf wants.
Result<Text> readRtfDocument(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
