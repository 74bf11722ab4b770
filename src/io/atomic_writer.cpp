#include "io/atomic_writer.h"

#include "io/file_commit.h"

namespace sorvane {

// A set of one file: written under a temporary name, then renamed over the target.
Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes, const WriteOptions& options)
{
    FileCommit commit(options);
    if (Status added = commit.add(file, bytes); !added)
        return added;
    return commit.commit();
}

}  // namespace sorvane
