#pragma once
// The rule that an output never replaces a source document: every writer of output
// files asks here before the first byte is written.

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace sorvane {

// Not for use from two threads at once: it keeps the last folder it resolved.
class SourceGuard {
public:
    // Resolves every source once, so checking many outputs stays cheap.
    explicit SourceGuard(const std::vector<std::filesystem::path>& sources);

    // The index of the source that `file` is, or nothing. A file is a source when both
    // name the same existing file (another spelling, a hard link, a link to it) or the
    // same path once ".", ".." and the links of existing folders are resolved.
    std::optional<std::size_t> sourceAt(const std::filesystem::path& file) const;

    const std::filesystem::path& source(std::size_t index) const { return m_sources[index]; }

private:
    std::filesystem::path resolvedPath(const std::filesystem::path& file) const;

    std::vector<std::filesystem::path> m_sources;                     // as given
    std::map<std::filesystem::path, std::size_t> m_byPath;            // resolved -> first index
    std::map<std::pair<unsigned long, unsigned long>, std::size_t> m_byFile;  // device, inode -> first index
    // The last folder resolved: the parts of one document share it.
    mutable std::filesystem::path m_lastFolder;
    mutable std::filesystem::path m_lastResolved;
};

}  // namespace sorvane
