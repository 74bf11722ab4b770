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

// The most a document may hold. Rendering needs several times its size in memory, so a
// larger input could only end in running out of it; standard input, which has no end
// of its own, is cut here.
inline constexpr std::size_t kMaxDocumentSize = std::size_t{1} << 30;  // 1 GB

// The whole content of the regular file `file`, links followed. With `check`, the first
// `headSize` bytes go to it before the rest is read. Fails with NotFound (no such file, a
// dangling link or a loop of links), Unreadable (a folder, device, pipe or socket, no
// permission, an I/O error), BadInput for more than `maxSize` bytes (refused before they
// are read) or the check's Error; `where` is `file`.
Result<std::string> readWholeFile(const std::filesystem::path& file, std::size_t headSize = 0,
                                  const HeadCheck& check = {}, std::size_t maxSize = kMaxDocumentSize);

// The same for the open descriptor `fd` (standard input, a pipe) read to its end; `name`
// names it in errors. Past `maxSize` bytes it stops reading and fails with BadInput.
Result<std::string> readWholeStream(int fd, const std::string& name, std::size_t headSize = 0,
                                    const HeadCheck& check = {}, std::size_t maxSize = kMaxDocumentSize);

}  // namespace sorvane
