#pragma once
// The settings file: a profile file of "[section]" lines and "key=value" lines, stored in
// code page 936 with CR LF line ends. Section and key names match without regard to
// case; a value is everything after the first "=", blanks around it trimmed. All texts
// in this API are UTF-8.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane {

// The value stored under `key` in `section` of `file`, read whole (no length limit).
// Returns `defaultValue` when the value is empty or absent and `defaultValue` is not
// empty; an absent or unreadable file reads like an absent key.
std::string Read_INI(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::string_view defaultValue = "");

// Stores `value` under `key` in `section`. Only the key's own line changes: every other
// line is kept as it was, a missing key is added at the end of its section and a missing
// section at the end of the file; the file is created when needed. The file is rewritten
// atomically (a temporary file in the same folder, synced, then renamed over the old
// one), so a failed write leaves the old file intact. Does nothing when `section` or
// `key` is empty. Returns an Error when the file cannot be read or written, or BadInput
// when a name or the value would not read back as given: a line break, a character code
// page 936 lacks, or an invisible one it leaves out (soft hyphen, zero-width space).
Status Write_INI(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, std::string_view value);

}  // namespace sorvane
