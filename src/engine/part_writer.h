#pragma once
// Writes one output file, in code page 936 unless told otherwise.

#include <cstddef>
#include <filesystem>

#include "common/conversion_params.h"
#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// Writes `content` (lines ending in CR LF) to `file` in `encoding` with `lineEnd`,
// creating it or replacing what it held all at once (a temporary file renamed over it),
// and adds the characters the encoding lacks, written as '?', to `lost`. A replaced file
// keeps its mode and, where the process may set it, its owner; a link under the name is
// replaced, not followed. Fails with Unwritable (naming the reason; a folder or a
// read-only file under the name is refused) or DiskFull, leaving an older file named
// `file` as it was and no temporary file behind.
Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost,
                 OutputEncoding encoding = OutputEncoding::Gbk, LineEnd lineEnd = LineEnd::CrLf);

}  // namespace sorvane
