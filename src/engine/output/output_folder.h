#pragma once
// The folder output files go into, made when it is missing.

#include <filesystem>

#include "common/result.h"

namespace sorvane {

// Creates `folder` and the folders above it that are missing; an empty path (the
// current folder) and an existing folder need nothing. Fails with Unwritable naming the
// folder when it cannot be made (a file in its place, no permission).
Status makeOutputFolder(const std::filesystem::path& folder);

}  // namespace sorvane
