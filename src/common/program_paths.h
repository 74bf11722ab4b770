#pragma once
// Paths of the program's own files (settings, list file, preview scratch file).

#include <filesystem>
#include <string_view>

namespace sorvane {

inline constexpr std::string_view kSettingsFileName = "KELDRAN.INI";
inline constexpr std::string_view kListFileName = "KELDRAN.DAT";
inline constexpr std::string_view kScratchFileName = "TEMP.TXT";

// The folder plus one separator (none added when it already ends in one) plus the name.
std::filesystem::path programFile(const std::filesystem::path& folder, std::string_view name);

}  // namespace sorvane
