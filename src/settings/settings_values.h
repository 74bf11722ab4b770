#pragma once
// The keys of KELDRAN.INI, their value forms, and reading and writing them as one set.

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/conversion_params.h"
#include "common/result.h"

namespace sorvane {

// Every key lives in this one section.
inline constexpr std::string_view kSettingsSection = "SET";

enum class ValueForm {
    Text,    // stored and read back exactly
    Index,   // a list box's chosen index: plain decimal, "-1" for no choice
    Number,  // a text box's whole number value (see maxValueForm)
};

// The keys, in the order they are written. The six every settings file holds come first,
// so a file with only those reads as before; a new key is one line, at the end.
#define SORVANE_SETTING_KEYS(KEY)  \
    KEY(USE_PATH, Text)            \
    KEY(Value0, Index)             \
    KEY(Value1, Index)             \
    KEY(Value2, Index)             \
    KEY(MAX_L, Number)             \
    KEY(MAX_Len, Number)           \
    KEY(PATTERN, Text)             \
    KEY(GEOMETRY, Text)            \
    KEY(OUT_PATH, Text)            \
    KEY(OUT_ENC, Text)             \
    KEY(JOIN, Text)                \
    KEY(CONVERT, Text)             \
    KEY(CLEAN, Text)               \
    KEY(RULES, Text)

enum class SettingKey {
#define SORVANE_KEY_ENUM(name, form) name,
    SORVANE_SETTING_KEYS(SORVANE_KEY_ENUM)
#undef SORVANE_KEY_ENUM
};

struct SettingKeyInfo {
    SettingKey key;
    std::string_view name;
    ValueForm form;
};

inline constexpr std::array kSettingKeys = {
#define SORVANE_KEY_INFO(name, form) SettingKeyInfo{SettingKey::name, #name, ValueForm::form},
    SORVANE_SETTING_KEYS(SORVANE_KEY_INFO)
#undef SORVANE_KEY_INFO
};

const SettingKeyInfo& keyInfo(SettingKey key);

// Value0, Value1 or Value2: the key of the blank-line box with this index (0..2).
SettingKey valueKey(int index);

// The value a Number key stores for a box's text: its whole number value in decimal,
// empty for 0.
std::string maxValueForm(std::string_view boxText);

// The index a stored Value0..Value2 selects, -1 (none) to 9; nothing, so the box keeps
// its default, when the value holds no number or one outside that range.
std::optional<int> storedIndex(std::string_view value);

// The value stored for OUT_ENC: "GBK", "GB18030" or "UTF-8".
std::string outEncValue(OutputEncoding encoding);

// The encoding a stored OUT_ENC selects, read as parseOutputEncoding reads a name (any
// case, "utf8", "cp936", "gb-18030"...); GBK, the default, for an empty or unknown value.
OutputEncoding storedOutEnc(std::string_view value);

// The stored settings, read once at start-up and written once at close.
class SettingsValues {
public:
    // Reads every key from `file`; a missing file or key reads as an empty value.
    static SettingsValues read(const std::filesystem::path& file);

    // The value exactly as read (empty when absent).
    const std::string& text(SettingKey key) const;
    // An Index key's value as storedIndex reads it.
    std::optional<int> index(SettingKey key) const;

    // Sets the value to write; a Number key takes the box's text and keeps maxValueForm of it.
    void set(SettingKey key, std::string_view value);
    void setIndex(SettingKey key, int index);

    // Writes every key that was set. Returns one Error per key that failed; the others
    // are written all the same.
    std::vector<Error> write(const std::filesystem::path& file) const;

private:
    std::array<std::string, kSettingKeys.size()> m_values;
    std::array<bool, kSettingKeys.size()> m_set{};
};

}  // namespace sorvane
