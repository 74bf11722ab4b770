#pragma once
// Writes one output file in code page 936, checking every step.

#include <cstddef>
#include <filesystem>

#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// Creates (or empties) `file` and writes `content` encoded in code page 936 with one
// write. Adds the characters the code page lacks (written as '?') to `lost`.
// Fails with Unwritable (cannot create or write, naming the reason) or DiskFull; a file
// that could not be written completely is removed, so no half-written part is left.
Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost);

}  // namespace sorvane
