#include "cli/config_file.h"

#include <cstdlib>
#include <string_view>

#include "common/ascii.h"
#include "io/file_reader.h"
#include "settings/settings_paths.h"

namespace sorvane::cli {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A value written "~" or "~/..." starts in the home folder, as it would in the shell.
std::string withHome(std::string value)
{
    if (value != "~" && !value.starts_with("~/"))
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return value;
    return std::string(home) + value.substr(1);
}

}  // namespace

std::filesystem::path configFilePath()
{
    const std::filesystem::path folder = userConfigFolder();
    return folder.empty() ? folder : folder / "sorvane-cli.conf";
}

std::string configPlace(const std::filesystem::path& file, int line)
{
    return file.string() + ":" + std::to_string(line);
}

Result<std::vector<ConfigEntry>> readConfigFile(const std::filesystem::path& file)
{
    std::vector<ConfigEntry> entries;
    Result<std::string> bytes = readWholeFile(file);
    if (!bytes) {
        if (bytes.error().code == ErrorCode::NotFound)
            return entries;
        return bytes.error();
    }
    std::string_view rest = *bytes;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    for (int number = 1; !rest.empty(); ++number) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        line = trimAscii(line, isBlank);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return Error{ErrorCode::BadInput, "不是“名字 = 值”的形式", configPlace(file, number)};
        const std::string_view name = trimAscii(line.substr(0, equals), isBlank);
        if (name.empty())
            return Error{ErrorCode::BadInput, "“=”前面没有选项的名字", configPlace(file, number)};
        std::string_view value = trimAscii(line.substr(equals + 1), isBlank);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        entries.push_back({std::string(name), withHome(std::string(value)), number});
    }
    return entries;
}

}  // namespace sorvane::cli
