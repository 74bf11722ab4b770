#pragma once
// Reads pages saved as one file (.mht, .mhtml); nothing outside the file is read.

#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

// Whether the bytes start with a MIME header block whose Content-Type is
// multipart/related or message/rfc822, as a saved page does.
bool looksLikeSavedPage(std::string_view bytes);

// Parts past the cap (more than a real page has) are left out and named in `problems`.
// Fails with BadInput when the file is not a MIME message with an HTML part, or nests
// parts too deeply to be a saved page.
Result<Text> readMht(DocumentProbe& document, ReadProblems& problems);

// The reader's row: bytes as looksLikeSavedPage wants, or a name ending in .mht or
// .mhtml.
const DocumentReader& mhtReader();

}  // namespace sorvane
