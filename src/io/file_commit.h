#pragma once
// Writes a set of files that appear together: each is written under a temporary name
// beside it, and only once every one is written are they renamed into place. Until then
// the old files stay as they were, and a signal that ends the program removes the
// temporary files (see removeTemporaryFilesOnSignals).

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "io/write_options.h"

namespace sorvane {

class FileCommit {
public:
    explicit FileCommit(const WriteOptions& options = {});
    // Removes the temporary files of a commit that was not made.
    ~FileCommit();
    FileCommit(FileCommit&&) noexcept;
    FileCommit& operator=(FileCommit&&) noexcept;
    FileCommit(const FileCommit&) = delete;
    FileCommit& operator=(const FileCommit&) = delete;

    // Writes `bytes` as the new content of `file`, under a temporary name for now. Fails
    // as writeFileAtomically fails (`where` is `file`); the commit should then be
    // abandoned, which removes every temporary file it made.
    Status add(const std::filesystem::path& file, std::string_view bytes);

    // Renames every file added into place, in the order added. Should a rename fail, the
    // files already renamed get their old content back (those that were new are removed),
    // so no mix of the set is left and no older file is lost, and the failure is
    // Unwritable or DiskFull naming the file. Call once.
    Status commit();

private:
    struct Pending;
    WriteOptions m_options;
    std::vector<std::unique_ptr<Pending>> m_pending;
};

}  // namespace sorvane
