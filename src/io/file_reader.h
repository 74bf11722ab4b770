#pragma once
// Reading a whole file of untrusted origin: only regular files, never waiting on a pipe.

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

// The whole content of the regular file `file` (a link is followed). With `check`, the
// first `headSize` bytes (all of them in a shorter file) go to it first, and a refusal
// ends the read with the rest of the file unread. Fails with NotFound (no such file, a
// dangling link or a loop of links), Unreadable (a folder, a device, pipe or socket, no
// permission, an I/O error) or the check's Error; the Error's `where` is `file`.
Result<std::string> readWholeFile(const std::filesystem::path& file, std::size_t headSize = 0,
                                  const HeadCheck& check = {});

}  // namespace sorvane
