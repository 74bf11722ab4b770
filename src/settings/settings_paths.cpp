#include "settings/settings_paths.h"

#include <cstdlib>
#include <unistd.h>

namespace sorvane {
namespace {

std::filesystem::path executableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec);
    return exe.parent_path();
}

std::optional<std::string> environmentValue(const char* name)
{
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

std::filesystem::path configFolder(const std::optional<std::string>& xdgConfigHome,
                                   const std::optional<std::string>& home)
{
    if (xdgConfigHome && !xdgConfigHome->empty() && xdgConfigHome->front() == '/')
        return std::filesystem::path(*xdgConfigHome) / "sorvane";
    if (home && !home->empty())
        return std::filesystem::path(*home) / ".config" / "sorvane";
    std::error_code ec;
    return std::filesystem::temp_directory_path(ec) / "sorvane";
}

}  // namespace

bool isWritableFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    // access() also refuses a folder on a read-only file system, even to root.
    return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path resolveProgramFolder(const std::filesystem::path& executableFolder,
                                           const std::optional<std::string>& xdgConfigHome,
                                           const std::optional<std::string>& home)
{
    if (isWritableFolder(executableFolder))
        return executableFolder;
    const auto fallback = configFolder(xdgConfigHome, home);
    // A folder that cannot be created shows up later as a save error, which is reported.
    std::error_code ec;
    std::filesystem::create_directories(fallback, ec);
    return fallback;
}

std::filesystem::path resolveProgramFolder()
{
    return resolveProgramFolder(executableFolder(), environmentValue("XDG_CONFIG_HOME"),
                                environmentValue("HOME"));
}

}  // namespace sorvane
