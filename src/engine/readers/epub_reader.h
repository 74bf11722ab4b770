#pragma once
// Reads EPUB 2 and 3 books.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/document_reader.h"

namespace sorvane {

// Renders the book in `bytes`; a missing or damaged chapter is left out and named in
// `problems`. Fails with BadInput when the archive or its package document cannot be
// read at all, or when its content is encrypted (DRM).
Result<Text> readEpubBytes(std::string_view bytes, ReadProblems& problems);

// The same, as a row of the reader table.
Result<Text> readEpub(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
