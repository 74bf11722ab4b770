#include "settings/settings_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "common/program_paths.h"
#include "io/atomic_writer.h"

namespace sorvane {
namespace {

std::filesystem::path executableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path();
}

std::optional<std::string> environmentValue(const char* name)
{
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

bool absolute(const std::optional<std::string>& value)
{
    return value && !value->empty() && value->front() == '/';
}

bool holdsProgramFiles(const std::filesystem::path& folder)
{
    if (folder.empty())
        return false;
    std::error_code ec;
    return std::filesystem::exists(programFile(folder, kSettingsFileName), ec) ||
           std::filesystem::exists(programFile(folder, kListFileName), ec);
}

}  // namespace

// The executable's folder wins when it holds the program's files (a portable copy, or
// files carried over), whatever its permissions.
std::filesystem::path resolveSettingsLocation(const std::filesystem::path& executableFolder,
                                         const std::optional<std::string>& xdgConfigHome,
                                         const std::optional<std::string>& home)
{
    if (holdsProgramFiles(executableFolder))
        return executableFolder;
    const std::filesystem::path folder = userConfigFolder(xdgConfigHome, home);
    if (folder.empty())
        return {};
    // The parents keep the default mode; the folder itself is the user's alone. One that
    // cannot be made shows up when the settings are written, and is reported then.
    std::error_code ec;
    std::filesystem::create_directories(folder.parent_path(), ec);
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

std::filesystem::path resolveSettingsLocation()
{
    return resolveSettingsLocation(executableFolder(), environmentValue("XDG_CONFIG_HOME"),
                                   environmentValue("HOME"));
}

// An XDG_CONFIG_HOME that is empty or not an absolute path is ignored, as the XDG rules
// say, and so is a HOME that is not absolute.
std::filesystem::path userConfigFolder(const std::optional<std::string>& xdgConfigHome,
                                       const std::optional<std::string>& home)
{
    if (absolute(xdgConfigHome))
        return std::filesystem::path(*xdgConfigHome) / "sorvane";
    if (absolute(home))
        return std::filesystem::path(*home) / ".config" / "sorvane";
    return {};
}

std::filesystem::path userConfigFolder()
{
    return userConfigFolder(environmentValue("XDG_CONFIG_HOME"), environmentValue("HOME"));
}

Status checkSettingsFolder(const std::filesystem::path& folder)
{
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    struct stat st = {};
    if (::stat(where.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Error{ErrorCode::Unwritable, "设置文件夹不存在", where.string()};
    if (st.st_uid != ::geteuid())
        return Error{ErrorCode::Unwritable, "设置文件夹不属于当前用户，为安全起见不写入", where.string()};
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Error{ErrorCode::Unwritable, "其他用户可以写入设置文件夹，为安全起见不写入", where.string()};
    return Ok{};
}

Status writeSettingsFile(const std::filesystem::path& file, std::string_view bytes)
{
    // In a folder someone else owns or may write in, the file could be a link planted to
    // make us overwrite another file of the user's.
    Status safe = checkSettingsFolder(file.parent_path());
    if (!safe)
        return Error{safe.error().code, safe.error().message + "（" + safe.error().where + "）", file.string()};
    return writeFileAtomically(file, bytes);
}

}  // namespace sorvane
