#include "cli/messages.h"

namespace sorvane::cli {

int exitStatus(int failures, int incomplete)
{
    if (failures > 0)
        return 1;
    return incomplete > 0 ? 3 : 0;
}

std::string messageLine(const std::filesystem::path& source, const Error& error)
{
    if (error.where.empty() || error.where == source.string())
        return "sorvane-cli: " + source.string() + ": " + error.message;
    return "sorvane-cli: " + source.string() + ": " + error.describe();
}

}  // namespace sorvane::cli
