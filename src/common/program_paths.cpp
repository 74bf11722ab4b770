#include "common/program_paths.h"

namespace sorvane {

std::filesystem::path programFile(const std::filesystem::path& folder, std::string_view name)
{
    // operator/ adds a separator only where the folder does not already end in one.
    return folder / std::filesystem::path(std::string(name));
}

}  // namespace sorvane
