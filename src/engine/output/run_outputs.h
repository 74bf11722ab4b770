#pragma once
// The output files of one conversion run, so that no document of the run silently
// replaces what another one wrote, nor a source of the same run.

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "engine/output/source_guard.h"

namespace sorvane {

// For every output name, in run order, the index of the first earlier entry with the same
// file, or nothing. Names are compared after resolving ".", ".." and links.
std::vector<std::optional<std::size_t>> earlierSameOutput(const std::vector<std::filesystem::path>& outputs);

// The failure of a document whose output an earlier document of the run takes, naming
// both sources (WouldOverwrite).
Error sameOutputError(const std::filesystem::path& source, const std::filesystem::path& earlierSource,
                      const std::filesystem::path& output);

// The skip of a document whose output file `file` exists and may not be replaced
// (OutputExists).
Error outputExistsError(const std::filesystem::path& source, const std::filesystem::path& file);

// The files a run has written, by the source that wrote them. The documents of a run
// claim their names in run order, just before writing.
class RunOutputs {
public:
    // `sources` are every source of the run; `noClobber` refuses a file that exists and
    // was not written earlier in this run.
    explicit RunOutputs(const std::vector<std::filesystem::path>& sources, bool noClobber = false);

    // Records the names `source` is about to write. Fails, recording nothing, with
    // WouldOverwrite for a name another source wrote earlier in the run or one that is a
    // source of the run, or with OutputExists (noClobber), naming the other source or file.
    Status claim(const std::filesystem::path& source, const std::vector<std::filesystem::path>& names);

    // Whether `file` is a source of the run or was claimed by a source other than `source`.
    bool ownedByOther(const std::filesystem::path& source, const std::filesystem::path& file) const;

private:
    bool m_noClobber;
    std::map<std::filesystem::path, std::filesystem::path> m_written;  // file -> source
    SourceGuard m_sources;
};

}  // namespace sorvane
