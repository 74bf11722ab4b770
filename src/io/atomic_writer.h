#pragma once
// Replacing a file's content all at once: readers see the old content or the new one,
// never a part of it, and a failed write leaves the old file as it was.

#include <filesystem>
#include <string_view>

#include "common/result.h"

namespace sorvane {

struct WriteOptions {
    // The new content and its name reach the disk before success is reported (fsync),
    // so a power cut cannot leave an empty file. Costly; for small files that must
    // survive (the settings), not for the program's many outputs.
    bool durable = true;
    // A symbolic link named `file` has its target replaced; otherwise the link itself is
    // replaced by a regular file.
    bool throughLinks = true;
};

// Replaces the content of `file` with `bytes`, creating the file when it does not exist.
// The bytes go to a temporary file in the same folder, which is then renamed over `file`.
// A replaced file keeps its permission bits, and its owner and group where the process
// may set them; a new file gets the default mode. Refuses (Unwritable, nothing touched) a
// folder or other non-regular file under the name and an existing file the process may
// not write. On failure the temporary file is removed and the Error is DiskFull when the
// device or the quota is full, Unwritable otherwise, naming the system's reason; `where`
// is `file`.
Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                           const WriteOptions& options = {});

}  // namespace sorvane
