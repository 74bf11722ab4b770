#pragma once
// Reads compiled help books (.chm): topics in the order of the table of contents (the
// .hhc sitemap), each once even when listed again, then every other HTML topic in the
// book's own order, one blank line between topics. A topic without its own charset is
// read in the code page of the book's language (0x0804 gives code page 936, 0x0404
// Big5, and so on).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/document_reader.h"

namespace sorvane {

// The encoding label for a Windows language id ("gbk" for 0x0804, "big5" for 0x0404);
// windows-1252 for languages without a code page of their own.
std::string encodingForLanguageId(std::uint32_t lcid);

// Renders the book in `bytes`. Fails with BadInput when the help library cannot open it
// or it holds no topic that could be read; damaged topics are left out and named in
// `problems`.
Result<Text> readChmBytes(std::string_view bytes, ReadProblems& problems);

// The same, as a row of the reader table.
Result<Text> readChm(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
