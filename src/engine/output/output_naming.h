#pragma once
// Names of the files a conversion writes.

#include <cstddef>
#include <filesystem>
#include <optional>

namespace sorvane {

// The width the naming method pads a name's trailing number to: k + 1 for index k >= 1,
// 0 (the name kept) for any index below 1.
int namingWidth(int namingIndex);

// The source's output name beside it: "/books/chap7.htm" with width 3 gives
// "/books/chap007.txt". A packed book loses both its extensions, as the book itself
// would: "/b/d.fb2.zip" gives "/b/d.txt".
std::filesystem::path outputBasePath(const std::filesystem::path& source, int width);

// The same name in `outputFolder` ("/out/chap7.txt"); an empty folder keeps it beside
// the source.
std::filesystem::path outputBasePath(const std::filesystem::path& source, int width,
                                     const std::filesystem::path& outputFolder);

// For a packed book, the name to use when its output name is taken by another document
// of the run (the book beside it, "/b/d.fb2"): the book's extension kept, "/b/d.fb2.txt",
// in `outputFolder` when one is given. Nothing for other sources.
std::optional<std::filesystem::path> packedBookOutputBasePath(const std::filesystem::path& source, int width,
                                                              const std::filesystem::path& outputFolder);

// The name of the part whose first line has index `start`: `base` for the first part,
// else like "/b/chap007_0153.txt" for base "/b/chap007.txt" and start 153.
std::filesystem::path partPath(const std::filesystem::path& base, std::size_t start);

// The start index for which partPath(base, start) is `file` (same folder), or nothing:
// only the exact names partPath gives for a start of 1 or more ("chap007_0153.txt", not
// "chap007_153.txt", "chap007_00153.txt" or "chap007_0000.txt").
std::optional<std::size_t> partStart(const std::filesystem::path& base, const std::filesystem::path& file);

}  // namespace sorvane
