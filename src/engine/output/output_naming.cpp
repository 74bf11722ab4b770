#include "engine/output/output_naming.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace sorvane {

int namingWidth(int namingIndex)
{
    return namingIndex >= 1 ? namingIndex + 1 : 0;
}

namespace {

// Whether the name (in any case) ends with `suffix`, an ASCII lower-case text.
bool endsWithNoCase(const std::string& name, std::string_view suffix)
{
    if (name.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = name[name.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// The book's extension inside a packed book's name ("d.fb2.zip"), or nothing.
constexpr std::string_view kPackedBook = ".fb2.zip";

// The source path less its extension (everything from the last '.' that lies after the
// last '/'; both of a packed book's, and `kept` put back), its trailing digits padded with
// zeros in front to `width` digits when width is at least 1 and the name ends in fewer
// digits than that, then ".txt".
std::filesystem::path basePath(const std::filesystem::path& source, int width, bool keepBookExtension)
{
    std::string name = source.native();
    std::string kept;
    const size_t slash = name.rfind('/');
    if (const size_t start = name.size() - std::min(name.size(), kPackedBook.size());
        endsWithNoCase(name, kPackedBook) && start > (slash == std::string::npos ? 0 : slash + 1)) {
        if (keepBookExtension)
            kept = name.substr(start, 4);
        name.erase(start);
    } else if (const size_t dot = name.rfind('.'); dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        name.erase(dot);
    }

    if (width > 0) {
        // Collect at most `width` digits from the end; fewer than that are padded.
        size_t digits = 0;
        while (digits < static_cast<size_t>(width) && digits < name.size() &&
               name[name.size() - 1 - digits] >= '0' && name[name.size() - 1 - digits] <= '9')
            ++digits;
        if (digits > 0 && digits < static_cast<size_t>(width))
            name.insert(name.size() - digits, static_cast<size_t>(width) - digits, '0');
    }
    name += kept;
    name += ".txt";
    return std::filesystem::path(std::move(name));
}

std::filesystem::path inFolder(std::filesystem::path base, const std::filesystem::path& outputFolder)
{
    if (outputFolder.empty())
        return base;
    return outputFolder / base.filename();
}

}  // namespace

std::filesystem::path outputBasePath(const std::filesystem::path& source, int width)
{
    return basePath(source, width, false);
}

std::optional<std::filesystem::path> packedBookOutputBasePath(const std::filesystem::path& source, int width,
                                                              const std::filesystem::path& outputFolder)
{
    if (!endsWithNoCase(source.filename().string(), kPackedBook) || source.filename().string().size() <= kPackedBook.size())
        return std::nullopt;
    return inFolder(basePath(source, width, true), outputFolder);
}

std::filesystem::path outputBasePath(const std::filesystem::path& source, int width,
                                     const std::filesystem::path& outputFolder)
{
    return inFolder(outputBasePath(source, width), outputFolder);
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
