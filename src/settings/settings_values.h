#pragma once
// The keys of the settings file KELDRAN.INI, their value forms, and reading and writing
// them as one set.

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
    Number,  // the number a text box begins with, rounded (see maxValueForm)
};

// The keys, in the order they are first written. The first six are the ones every
// settings file of the program holds; keys of our own come after them, so a file with
// only the six reads as before and a file we wrote still reads where only the six are
// known. A new key is one line here, after the others.
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
    KEY(CONVERT, Text)

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

// The value stored for MAX_L and MAX_Len: the number the box's text begins with, rounded
// to the nearest whole number (halves to the even one), as plain decimal digits with a
// minus sign when negative; 0 is stored as an empty value.
// "12.6" -> "13", "7 lines" -> "7", "12.5" -> "12", "-3" -> "-3", "0" / "" / "abc" -> "".
std::string maxValueForm(std::string_view boxText);

// The index a stored Value0..Value2 selects: the rounded number of the value when it is
// -1 (no selection) to 9; nothing (the box keeps its default) when the value is empty or
// its number lies outside -1..9.
std::optional<int> storedIndex(std::string_view value);

// The value stored for OUT_ENC: "GBK", "GB18030" or "UTF-8".
std::string outEncValue(OutputEncoding encoding);

// The encoding a stored OUT_ENC selects, letters in any case; an empty, absent or unknown
// value selects GBK, the default.
OutputEncoding storedOutEnc(std::string_view value);

// The stored settings, read once at start-up and written once at close.
class SettingsValues {
public:
    // Reads every key from `file`; a missing file or key reads as an empty value.
    static SettingsValues read(const std::filesystem::path& file);

    // The value exactly as read (empty when absent).
    const std::string& text(SettingKey key) const;
    // An Index key's value as an index of a box with ten items; nothing when the value
    // is absent or no such index.
    std::optional<int> index(SettingKey key) const;

    // Sets the value to write, in the key's form: a Number key takes the box's text and
    // stores maxValueForm of it; Text keys are stored as given.
    void set(SettingKey key, std::string_view value);
    void setIndex(SettingKey key, int index);

    // Writes every key that was set, in the order of the key list. Each failure is
    // reported, and writing goes on with the next key.
    std::vector<Error> write(const std::filesystem::path& file) const;

private:
    std::array<std::string, kSettingKeys.size()> m_values;
    std::array<bool, kSettingKeys.size()> m_set{};
};

}  // namespace sorvane
