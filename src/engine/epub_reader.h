#pragma once
// Reads EPUB 2 and 3 books: the container file names the package document, whose spine
// gives the content documents in reading order (items marked linear="no" after the
// rest). Each is rendered as a page with the book's own style sheets; one blank line
// separates consecutive documents, and documents without text (a cover image) add none.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/document_reader.h"

namespace sorvane {

// Renders the book in `bytes`. Fails with BadInput when the archive or its package
// document cannot be read at all, or when its content is encrypted (DRM); a chapter
// that is missing or damaged is left out and named in `problems`.
Result<Text> readEpubBytes(std::string_view bytes, ReadProblems& problems);

// The same, as a row of the reader table.
Result<Text> readEpub(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
