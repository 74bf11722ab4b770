#pragma once
// Replaces a file's content all at once: readers see the old content or the new one,
// and a failed write leaves the old file as it was.

#include <filesystem>
#include <string_view>

#include "common/result.h"
#include "io/write_options.h"

namespace sorvane {

// Replaces (or creates) `file` with `bytes`. Fails with Unwritable, touching nothing, for
// a folder or other non-regular file under the name or a file the process may not write;
// a failed write gives DiskFull (device or quota full) or Unwritable with the system's
// reason, leaves the old file as it was and no temporary file behind. `where` is `file`.
Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                           const WriteOptions& options = {});

}  // namespace sorvane
