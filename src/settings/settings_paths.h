#pragma once
// Where the program's own files live.

#include <filesystem>

namespace sorvane {

// The folder of the running executable when the program may write there; otherwise
// (a system-wide install) the user's configuration folder, $XDG_CONFIG_HOME/sorvane or
// ~/.config/sorvane, created when missing. KELDRAN.INI, KELDRAN.DAT and TEMP.TXT all live
// in the folder this returns.
std::filesystem::path resolveProgramFolder();

}  // namespace sorvane
