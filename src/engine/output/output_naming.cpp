#include "engine/output/output_naming.h"

#include <string>

namespace sorvane {

int namingWidth(int namingIndex)
{
    return namingIndex >= 1 ? namingIndex + 1 : 0;
}

// The source path less its extension (everything from the last '.' that lies after the
// last '/'), its trailing digits padded with zeros in front to `width` digits when width
// is at least 1 and the name ends in fewer digits than that, then ".txt".
std::filesystem::path outputBasePath(const std::filesystem::path& source, int width)
{
    std::string name = source.native();
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);

    if (width > 0) {
        // Collect at most `width` digits from the end; fewer than that are padded.
        size_t digits = 0;
        while (digits < static_cast<size_t>(width) && digits < name.size() &&
               name[name.size() - 1 - digits] >= '0' && name[name.size() - 1 - digits] <= '9')
            ++digits;
        if (digits > 0 && digits < static_cast<size_t>(width))
            name.insert(name.size() - digits, static_cast<size_t>(width) - digits, '0');
    }
    name += ".txt";
    return std::filesystem::path(std::move(name));
}

std::filesystem::path outputBasePath(const std::filesystem::path& source, int width,
                                     const std::filesystem::path& outputFolder)
{
    std::filesystem::path base = outputBasePath(source, width);
    if (outputFolder.empty())
        return base;
    return outputFolder / base.filename();
}

// Only the first part starts at line 0. The others are named by the base path without
// its last four characters (".txt"), "_", the start index with at least four digits,
// and ".txt".
std::filesystem::path partPath(const std::filesystem::path& base, std::size_t start)
{
    if (start == 0)
        return base;
    std::string name = base.native();
    name.erase(name.size() >= 4 ? name.size() - 4 : 0);
    std::string index = std::to_string(start);
    if (index.size() < 4)
        index.insert(0, 4 - index.size(), '0');
    name += '_';
    name += index;
    name += ".txt";
    return std::filesystem::path(std::move(name));
}

std::optional<std::size_t> partStart(const std::filesystem::path& base, const std::filesystem::path& file)
{
    if (file.parent_path() != base.parent_path())
        return std::nullopt;
    const std::string baseName = base.filename().native();
    const std::string name = file.filename().native();
    if (baseName.size() < 4)
        return std::nullopt;
    const std::string stem = baseName.substr(0, baseName.size() - 4) + "_";
    if (!name.starts_with(stem) || !name.ends_with(".txt") || name.size() < stem.size() + 4 + 4)
        return std::nullopt;
    const std::string digits = name.substr(stem.size(), name.size() - stem.size() - 4);
    if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::size_t start = std::stoull(digits);
    if (start == 0 || partPath(base, start).filename() != file.filename())
        return std::nullopt;
    return start;
}

}  // namespace sorvane
