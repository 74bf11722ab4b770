#pragma once
// Names of the files a conversion writes: the output base path derived from the source
// document, and the names of the further parts of a split document.

#include <cstddef>
#include <filesystem>

namespace sorvane {

// How many digits the naming method makes of the trailing number of a name: index k >= 1
// stands for k + 1 digits; 0, -1 and other values below 1 keep the name (returns 0).
int namingWidth(int namingIndex);

// The source path less its extension (everything from the last '.' that lies after the
// last '/'), its trailing digits padded with zeros in front to `width` digits when width
// is at least 1 and the name ends in fewer digits than that, then ".txt".
// "/books/chap7.htm" with width 3 gives "/books/chap007.txt".
std::filesystem::path outputBasePath(const std::filesystem::path& source, int width);

// The same name placed in `outputFolder` instead of beside the source; an empty folder
// keeps it beside the source. "/books/chap7.htm" into "/out" gives "/out/chap7.txt".
std::filesystem::path outputBasePath(const std::filesystem::path& source, int width,
                                     const std::filesystem::path& outputFolder);

// The name of the part whose first line has index `start`: the base path itself for the
// first part (start 0, the only part that starts there), otherwise the base path without its last four characters, "_",
// the start index with at least four digits, and ".txt" ("/b/chap007_0153.txt").
std::filesystem::path partPath(const std::filesystem::path& base, std::size_t start);

}  // namespace sorvane
