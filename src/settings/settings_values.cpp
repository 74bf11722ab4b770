#include "settings/settings_values.h"

#include "common/ascii.h"
#include "common/number_value.h"
#include "settings/ini_file.h"

namespace sorvane {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the text, after leading blanks, begins with a number: a digit, or a sign
// and/or a decimal point followed by one.
bool beginsWithNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i < text.size() && text[i] == '.')
        ++i;
    return i < text.size() && isDigit(text[i]);
}

std::size_t slot(SettingKey key)
{
    return static_cast<std::size_t>(key);
}

}  // namespace

const SettingKeyInfo& keyInfo(SettingKey key)
{
    return kSettingKeys[slot(key)];
}

SettingKey valueKey(int index)
{
    return static_cast<SettingKey>(static_cast<int>(SettingKey::Value0) + index);
}

// The number the text begins with, rounded half to even, as plain decimal digits with a
// minus sign when negative: "12.6" -> "13", "7 lines" -> "7", "12.5" -> "12", "-3" -> "-3",
// and "0", "" or "abc" -> "".
std::string maxValueForm(std::string_view boxText)
{
    const std::int64_t n = wholeNumberValue(boxText);
    return n == 0 ? std::string() : std::to_string(n);
}

std::optional<int> storedIndex(std::string_view value)
{
    // A value that holds no number at all (empty, or damaged) leaves the box on its
    // default, like one whose number is no index of the box.
    if (!beginsWithNumber(value))
        return std::nullopt;
    const std::int64_t n = wholeNumberValue(value);
    if (n < -1 || n > 9)
        return std::nullopt;
    return static_cast<int>(n);
}

// The command line's name in upper case.
std::string outEncValue(OutputEncoding encoding)
{
    std::string value(outputEncodingName(encoding));
    for (char& c : value)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return value;
}

// Read as the command line reads --encoding: any case, blanks ignored, the usual aliases.
OutputEncoding storedOutEnc(std::string_view value)
{
    return parseOutputEncoding(value).value_or(OutputEncoding::Gbk);
}

SettingsValues SettingsValues::read(const std::filesystem::path& file)
{
    SettingsValues values;
    for (const SettingKeyInfo& info : kSettingKeys)
        values.m_values[slot(info.key)] = Read_INI(file, kSettingsSection, info.name);
    return values;
}

const std::string& SettingsValues::text(SettingKey key) const
{
    return m_values[slot(key)];
}

std::optional<int> SettingsValues::index(SettingKey key) const
{
    return storedIndex(text(key));
}

void SettingsValues::set(SettingKey key, std::string_view value)
{
    m_values[slot(key)] = keyInfo(key).form == ValueForm::Number ? maxValueForm(value) : std::string(value);
    m_set[slot(key)] = true;
}

void SettingsValues::setIndex(SettingKey key, int index)
{
    m_values[slot(key)] = std::to_string(index);
    m_set[slot(key)] = true;
}

std::vector<Error> SettingsValues::write(const std::filesystem::path& file) const
{
    std::vector<Error> problems;
    for (const SettingKeyInfo& info : kSettingKeys) {
        if (!m_set[slot(info.key)])
            continue;
        const Status written = Write_INI(file, kSettingsSection, info.name, m_values[slot(info.key)]);
        if (!written)
            problems.push_back(written.error());
    }
    return problems;
}

}  // namespace sorvane
