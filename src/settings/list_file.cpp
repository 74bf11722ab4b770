#include "settings/list_file.h"

#include <string>
#include <string_view>

#include "io/file_reader.h"
#include "settings/settings_paths.h"
#include "io/hex_codec.h"

namespace sorvane {
namespace {

// Takes the next line off `bytes`, without its LF or CR LF end. False when nothing is
// left.
bool takeLine(std::string_view& bytes, std::string_view& line)
{
    if (bytes.empty())
        return false;
    const std::size_t lf = bytes.find('\n');
    line = bytes.substr(0, lf);
    bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return true;
}

}  // namespace

// Each row is two lines, its search text and its replacement text in C_HEX form, ending
// in CR LF or LF. An empty line where a search text is expected ends the list; an odd
// last line becomes a row whose replacement equals its search text.
ReplacementList loadListFile(const std::filesystem::path& file)
{
    ReplacementList list;
    const Result<std::string> bytes = readWholeFile(file);
    if (!bytes)
        return list;
    std::string_view rest = *bytes;
    std::string_view line;
    while (takeLine(rest, line)) {
        if (line.empty())
            break;  // no search text is empty: an empty line ends the list
        ReplacementRow row;  // keep flag "Y": every loaded row is permanent
        row.search = R_HEX(line);
        // The second line of a pair; when the file ends early the replacement stays the
        // search line just read.
        if (takeLine(rest, line))
            row.replacement = R_HEX(line);
        else
            row.replacement = row.search;
        list.push_back(std::move(row));
    }
    return list;
}

// Rows in list order, every line ending in CR LF; the file is replaced durably through
// writeSettingsFile.
Status saveListFile(const std::filesystem::path& file, const ReplacementList& list)
{
    std::string bytes;
    for (const ReplacementRow& row : list) {
        // A row with an empty search text changes nothing, and its empty line would end
        // the list on the next load and lose every row after it, so it is not written.
        if (row.keep != "Y" || row.search.empty())
            continue;
        bytes += C_HEX(row.search);
        bytes += "\r\n";
        bytes += C_HEX(row.replacement);
        bytes += "\r\n";
    }
    return writeSettingsFile(file, bytes);
}

}  // namespace sorvane
