#include "settings/ini_file.h"

#include <optional>
#include <vector>

#include "common/ascii.h"
#include "io/codepage.h"
#include "io/file_reader.h"
#include "settings/settings_paths.h"

namespace sorvane {

// The file holds "[section]" lines and "key=value" lines in code page 936 with CR LF line
// ends. Section and key names match without regard to the case of Latin letters; a value
// is everything after the first "=", blanks around it trimmed, read whole (no length
// limit).

namespace {

// One line of the file as raw code page 936 bytes, with the line end it had, so that a
// rewrite gives back every line it does not change byte for byte.
struct Line {
    std::string content;
    std::string ending;  // "\r\n", "\n", or "" for a last line without one
};

enum class LineKind { Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, blanks trimmed
    std::string_view value;  // key lines: everything after the first '=', blanks trimmed
};

// The bytes these functions look for ('[', ']', '=', ';', blank, tab) are all below 0x40,
// so they never occur as the trail byte of a double-byte character.
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s)
{
    return trimAscii(s, isBlank);
}

std::vector<Line> splitLines(std::string_view bytes)
{
    std::vector<Line> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            lines.push_back({std::string(bytes), ""});
            break;
        }
        std::string_view content = bytes.substr(0, lf);
        if (!content.empty() && content.back() == '\r') {
            content.remove_suffix(1);
            lines.push_back({std::string(content), "\r\n"});
        } else {
            lines.push_back({std::string(content), "\n"});
        }
        bytes.remove_prefix(lf + 1);
    }
    return lines;
}

ParsedLine parseLine(std::string_view content)
{
    const std::string_view s = trimBlanks(content);
    if (s.empty() || s.front() == ';')
        return {};
    if (s.front() == '[') {
        std::string_view name = s.substr(1);
        if (const std::size_t close = name.find(']'); close != std::string_view::npos)
            name = name.substr(0, close);
        return {LineKind::Section, trimBlanks(name), {}};
    }
    const std::size_t eq = s.find('=');
    if (eq == std::string_view::npos)
        return {};
    return {LineKind::Key, trimBlanks(s.substr(0, eq)), trimBlanks(s.substr(eq + 1))};
}

// Names compare without regard to the case of the Latin letters, the way the names the
// program uses (SET, USE_PATH, Value0 ...) are matched; other characters must be equal.
Text foldCase(Text text)
{
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}

bool sameName(std::string_view fileBytes, const Text& foldedName)
{
    return foldCase(decodeCp936(fileBytes)) == foldedName;
}

// Where a key lives in the parsed file.
struct Location {
    std::optional<std::size_t> section;  // index of the section line
    std::optional<std::size_t> key;      // index of the key line
    std::size_t lastFilled = 0;          // last non-blank line of the section
};

Location locate(const std::vector<Line>& lines, const Text& section, const Text& key)
{
    Location loc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine p = parseLine(lines[i].content);
        if (!loc.section) {
            if (p.kind == LineKind::Section && sameName(p.name, section)) {
                loc.section = i;
                loc.lastFilled = i;
            }
            continue;
        }
        if (p.kind == LineKind::Section)
            break;  // the next section begins
        if (!trimBlanks(lines[i].content).empty())
            loc.lastFilled = i;
        if (p.kind == LineKind::Key && sameName(p.name, key)) {
            loc.key = i;
            break;
        }
    }
    return loc;
}

std::string utf8Of(const std::filesystem::path& p)
{
    return p.string();
}

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// The code page 936 bytes of a UTF-8 text, or nothing when they would not read back as
// the same text: the code page lacks one of its characters, or it holds an invisible one
// (soft hyphen, zero-width space) that the code page leaves out.
std::optional<std::string> toCp936(std::string_view utf8)
{
    Cp936Bytes encoded = encodeCp936(fromUtf8(utf8));
    if (!encoded.faithful())
        return std::nullopt;
    return std::move(encoded.bytes);
}

}  // namespace

std::string Read_INI(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::string_view defaultValue)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    std::string value;
    if (!section.empty() && !key.empty()) {
        if (const Result<std::string> bytes = readWholeFile(file); bytes.ok()) {
            const std::vector<Line> lines = splitLines(*bytes);
            const Location loc = locate(lines, foldCase(fromUtf8(section)), foldCase(fromUtf8(key)));
            if (loc.key)
                value = toUtf8(decodeCp936(parseLine(lines[*loc.key].content).value));
        }
    }
    if (value.empty() && !defaultValue.empty())
        return std::string(defaultValue);
    return value;
}

// Only the key's own line changes: every other line is kept byte for byte, a missing key
// is added after the last filled line of its section and a missing section at the end of
// the file, which is created when needed. The shared writer rewrites it durably (a
// temporary file in the same folder, synced, then renamed over the old one).
Status Write_INI(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, std::string_view value)
{
    // Blanks around a name are not part of it, as on reading.
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty())
        return Ok{};
    const std::string where = utf8Of(file);
    // Names and values that would read back as something else: a line break splits the
    // line, "]" ends a section name, "=" ends a key name, and a key line beginning with
    // ";" or "[" reads as a comment or a section.
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[')
        return Error{ErrorCode::BadInput, "设置的名称或值含有无法保存的字符（换行、“]”“=”或开头的“;”“[”）", where};
    const std::optional<std::string> sectionBytes = toCp936(section);
    const std::optional<std::string> keyBytes = toCp936(key);
    const std::optional<std::string> valueBytes = toCp936(value);
    if (!sectionBytes || !keyBytes || !valueBytes)
        return Error{ErrorCode::BadInput, "设置的名称或值含有代码页 936 无法表示的字符，未能保存", where};

    std::vector<Line> lines;
    if (Result<std::string> bytes = readWholeFile(file); bytes.ok())
        lines = splitLines(*bytes);
    else if (bytes.error().code != ErrorCode::NotFound)
        return bytes.error();  // never replace a file we could not read

    const std::string keyLine = *keyBytes + "=" + *valueBytes;
    const Location loc = locate(lines, foldCase(fromUtf8(section)), foldCase(fromUtf8(key)));
    // A line added after a last line without a line end gives that line one first.
    auto insertAt = [&lines](std::size_t pos, std::string content) {
        if (pos > 0 && lines[pos - 1].ending.empty())
            lines[pos - 1].ending = "\r\n";
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pos), Line{std::move(content), "\r\n"});
    };
    if (loc.key) {
        lines[*loc.key].content = keyLine;
    } else if (loc.section) {
        insertAt(loc.lastFilled + 1, keyLine);
    } else {
        insertAt(lines.size(), "[" + *sectionBytes + "]");
        insertAt(lines.size(), keyLine);
    }

    std::string out;
    for (const Line& line : lines) {
        out += line.content;
        out += line.ending;
    }
    return writeSettingsFile(file, out);
}

}  // namespace sorvane
