#pragma once
// Writes one output file, in code page 936 unless told otherwise, checking every step.

#include <cstddef>
#include <filesystem>

#include "common/conversion_params.h"
#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// Writes `content` (lines ending in CR LF) to `file` in `encoding` with `lineEnd`, creating it or replacing what it
// held. The bytes go to a temporary file in the same folder first, which is then renamed
// over `file`, so two conversions writing the same name never mix their bytes and a
// failed write never leaves a partial file under the name. Adds the characters the code
// page lacks (written as '?') to `lost`.
// Fails with Unwritable (cannot create, write or rename, naming the reason) or DiskFull;
// when writing or renaming fails, the temporary file is removed and an older file named
// `file` is left as it was, so a failed conversion never costs the user a file that was
// already there. A read-only existing file is refused and left as it is.
Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost,
                 OutputEncoding encoding = OutputEncoding::Gbk, LineEnd lineEnd = LineEnd::CrLf);

}  // namespace sorvane
