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

std::filesystem::path configFolder()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "sorvane";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".config" / "sorvane";
    return std::filesystem::temp_directory_path() / "sorvane";
}

}  // namespace

std::filesystem::path resolveProgramFolder()
{
    const auto folder = executableFolder();
    if (::access(folder.c_str(), W_OK) == 0)
        return folder;
    const auto fallback = configFolder();
    std::error_code ec;
    std::filesystem::create_directories(fallback, ec);
    return fallback;
}

}  // namespace sorvane
