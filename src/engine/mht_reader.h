#pragma once
// Reads pages saved as one file (.mht, .mhtml): a MIME message whose root part is the
// page and whose other parts are what the page uses. The root is the part the
// multipart's "start" parameter names, else the first text/html part. Its charset comes
// from the part's Content-Type, then the page's <meta>, then detection. Style sheets the
// page links are taken from the parts whose Content-Location matches; nothing outside the
// file is read. A frameset page gives the text of its frames that are parts of the file,
// in document order, one blank line between them.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/document_reader.h"

namespace sorvane {

// Whether the bytes start with a MIME header block whose Content-Type is
// multipart/related or message/rfc822, as a saved page does.
bool looksLikeSavedPage(std::string_view bytes);

// Renders the saved page in `bytes`. Fails with BadInput when the file is not a MIME
// message with an HTML part, or nests parts too deeply to be a saved page.
Result<Text> readSavedPageBytes(std::string_view bytes, ReadProblems& problems);

// The same, as a row of the reader table.
Result<Text> readSavedPage(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
