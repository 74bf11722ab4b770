#pragma once
// Whole-file reading and atomic replacement, for the program's own small files.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane {

// The bytes of `file`. Error NotFound when it does not exist, Unreadable when it cannot
// be read (a folder, a pipe or device, no permission, an I/O error).
Result<std::string> readFileBytes(const std::filesystem::path& file);

// Replaces the content of `file` with `bytes` so that the file holds either its old or
// its new content at every moment: the bytes go to a new temporary file in the same
// folder, which is flushed to the disk (fsync) and then renamed over `file`. A file that
// is a symbolic link has its target replaced. The new file keeps the old one's
// permission bits. On failure the temporary file is removed, the old file is left as it
// was, and an Error says why (DiskFull when the device has no space left, Unwritable
// otherwise). A folder that checkSettingsFolder refuses is refused before anything is
// written (Unwritable).
Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace sorvane
