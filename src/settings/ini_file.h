#pragma once
// The settings file: "[section]" and "key=value" lines in code page 936. All texts in
// this API are UTF-8.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane {

// The value under `key` in `section`, or `defaultValue` when it is empty or absent. An
// absent or unreadable file reads like an absent key.
std::string Read_INI(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::string_view defaultValue = "");

// Stores `value` under `key` in `section`, changing no other line; does nothing when
// `section` or `key` is empty. Fails with BadInput when a name or the value would not
// read back as given (a line break, a character code page 936 lacks or leaves out), or
// with the reader's or writer's Error; a failed write leaves the old file intact.
Status Write_INI(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, std::string_view value);

}  // namespace sorvane
