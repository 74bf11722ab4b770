#include "cli/messages.h"

namespace sorvane::cli {

std::string messageLine(const std::filesystem::path& source, const Error& error)
{
    if (error.where.empty() || error.where == source.string())
        return "sorvane-cli: " + source.string() + ": " + error.message;
    return "sorvane-cli: " + source.string() + ": " + error.describe();
}

}  // namespace sorvane::cli
