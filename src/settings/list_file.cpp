#include "settings/list_file.h"

#include <fstream>
#include <string>

#include "engine/hex_codec.h"
#include "settings/file_io.h"

namespace sorvane {
namespace {

// Reads one line, without its LF or CR LF end. False at the end of the file or on a read
// error.
bool readLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

}  // namespace

ReplacementList loadListFile(const std::filesystem::path& file)
{
    ReplacementList list;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return list;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    // Reading line by line keeps every row read before an error.
    while (readLine(in, line)) {
        if (line.empty())
            break;  // no search text is empty: an empty line ends the list
        ReplacementRow row;  // keep flag "Y": every loaded row is permanent
        row.search = R_HEX(line);
        // The second line of a pair; when the file ends early the replacement stays the
        // search line just read.
        if (readLine(in, line))
            row.replacement = R_HEX(line);
        else
            row.replacement = row.search;
        list.push_back(std::move(row));
    }
    return list;
}

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
    return writeFileAtomically(file, bytes);
}

}  // namespace sorvane
