#pragma once
// Writes one output file, in code page 936 with CR LF unless told otherwise.

#include <cstddef>
#include <filesystem>

#include "common/conversion_params.h"
#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// Writes `content` (lines ending in CR LF) to `file` all at once, in `format`, and adds
// the characters the encoding lacks, written as '?', to `lost`. A link under the name is
// replaced, not followed. Fails as writeFileAtomically: an older file stays as it was.
Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost,
                 const OutputFormat& format = {});

}  // namespace sorvane
