#pragma once
// Writes one output file in code page 936.

#include <cstddef>
#include <filesystem>

#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// Writes `content` encoded in code page 936 to `file`, creating it or replacing what it
// held all at once (a temporary file renamed over it), and adds the characters the code
// page lacks, written as '?', to `lost`. A replaced file keeps its mode and, where the
// process may set it, its owner; a link under the name is replaced, not followed.
// Fails with Unwritable (naming the reason; a folder or a read-only file under the name
// is refused) or DiskFull, leaving an older file named `file` as it was and no temporary
// file behind.
Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost);

}  // namespace sorvane
