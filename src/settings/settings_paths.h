#pragma once
// Where the program's own files live.

#include <filesystem>
#include <optional>
#include <string>

namespace sorvane {

// The folder of the running executable when the program may write there; otherwise
// (a system-wide install) the user's configuration folder, $XDG_CONFIG_HOME/sorvane or
// ~/.config/sorvane, created when missing. KELDRAN.INI, KELDRAN.DAT and TEMP.TXT all live
// in the folder this returns.
std::filesystem::path resolveProgramFolder();

// The same choice for a given executable folder and environment: `xdgConfigHome` and
// `home` are the values of XDG_CONFIG_HOME and HOME (nothing when unset). An
// XDG_CONFIG_HOME that is empty or not an absolute path is ignored, as the XDG rules say.
// When neither gives a folder, the system's temporary folder is used. The fallback
// folder is created when missing.
std::filesystem::path resolveProgramFolder(const std::filesystem::path& executableFolder,
                                           const std::optional<std::string>& xdgConfigHome,
                                           const std::optional<std::string>& home);

// Whether the program can create and replace files in `folder` (it exists, is a folder
// and is writable).
bool isWritableFolder(const std::filesystem::path& folder);

}  // namespace sorvane
