#pragma once
// Reads a whole file of untrusted origin: only regular files, never waiting on a pipe.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane {

// A look at a file's first bytes before the rest is read; an Error refuses the file.
using HeadCheck = std::function<std::optional<Error>(std::string_view head)>;

// The whole content of the regular file `file`, links followed. With `check`, the first
// `headSize` bytes go to it before the rest is read. Fails with NotFound (no such file, a
// dangling link or a loop of links), Unreadable (a folder, device, pipe or socket, no
// permission, an I/O error) or the check's Error; `where` is `file`.
Result<std::string> readWholeFile(const std::filesystem::path& file, std::size_t headSize = 0,
                                  const HeadCheck& check = {});

}  // namespace sorvane
