#pragma once
// Reads compiled help books (.chm).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/document_reader.h"

namespace sorvane {

// The encoding label for a Windows language id ("gbk" for 0x0804, "big5" for 0x0404);
// windows-1252 for languages without a code page of their own.
std::string encodingForLanguageId(std::uint32_t lcid);

// Renders the book in `bytes`; damaged topics are left out and named in `problems`. Fails
// with BadInput when the book cannot be opened or no topic could be read, Unreadable
// when no memory could be had for it.
Result<Text> readChmBytes(std::string_view bytes, ReadProblems& problems);

// The same, as a row of the reader table.
Result<Text> readChm(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
