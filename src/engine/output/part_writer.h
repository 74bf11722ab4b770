#pragma once
// Writes output files, in code page 936 with CR LF unless told otherwise.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

#include "common/conversion_params.h"
#include "common/result.h"
#include "common/text.h"
#include "io/atomic_writer.h"
#include "io/file_commit.h"

namespace sorvane {

// How every part is written. A conversion writes many parts and can be run again:
// syncing each would cost more than a lost output is worth. A link under a part's name
// is replaced, not followed.
inline constexpr WriteOptions kPartWriteOptions{.durable = false, .throughLinks = false};

// Writes `content` (lines ending in CR LF) to `file` all at once, in `format`, and adds
// the characters the encoding lacks, written as '?', to `lost`. Fails as
// writeFileAtomically: an older file stays as it was.
Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost,
                 const OutputFormat& format = {});

// The same as one file of `commit` (made with kPartWriteOptions): in place only once the
// commit is made. Fails as FileCommit::add.
Status writePart(FileCommit& commit, const std::filesystem::path& file, TextView content, std::size_t& lost,
                 const OutputFormat& format = {});

// The files beside `base` named as its parts (partStart) that are not among `written`:
// the parts of an earlier, longer conversion. Nothing when the folder cannot be read.
std::vector<std::filesystem::path> otherParts(const std::filesystem::path& base,
                                              const std::vector<std::filesystem::path>& written);

// Removes what otherParts finds, but for the files `keep` holds to (sources, say). Parts
// of an earlier, longer conversion would sit beside the new book with old text, looking
// like its continuation. A file that cannot be removed stays.
void removeOtherParts(const std::filesystem::path& base, const std::vector<std::filesystem::path>& written,
                      const std::function<bool(const std::filesystem::path& file)>& keep);

}  // namespace sorvane
