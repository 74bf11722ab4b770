#pragma once
// Reads pages saved as one file (.mht, .mhtml); nothing outside the file is read.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/document_reader.h"

namespace sorvane {

// Whether the bytes start with a MIME header block whose Content-Type is
// multipart/related or message/rfc822, as a saved page does.
bool looksLikeSavedPage(std::string_view bytes);

// Parts past the cap (more than a real page has) are left out and named in `problems`.
// Fails with BadInput when the file is not a MIME message with an HTML part, or nests
// parts too deeply to be a saved page.
Result<Text> readSavedPageBytes(std::string_view bytes, ReadProblems& problems);

// The same, as a row of the reader table.
Result<Text> readSavedPage(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
