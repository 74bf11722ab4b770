#pragma once
// Where the program's own files live, and whether a folder is safe to keep them in.

#include <filesystem>
#include <string_view>
#include <optional>
#include <string>

#include "common/result.h"

namespace sorvane {

// The executable's folder when it already holds KELDRAN.INI or KELDRAN.DAT (a portable
// copy, or files carried over), whatever its permissions; otherwise the user's
// configuration folder, $XDG_CONFIG_HOME/sorvane or ~/.config/sorvane, created (mode
// 0700) when missing. `xdgConfigHome` and `home` are the values of XDG_CONFIG_HOME and
// HOME (nothing when unset); an XDG_CONFIG_HOME that is empty or not an absolute path is
// ignored, as the XDG rules say, and so is a HOME that is not absolute. With neither,
// there is no folder (an empty path) and the settings live in memory until the program
// closes: a shared folder such as /tmp is never used, since anyone could plant files or
// links there before us.
std::filesystem::path resolveSettingsLocation(const std::filesystem::path& executableFolder,
                                              const std::optional<std::string>& xdgConfigHome,
                                              const std::optional<std::string>& home);

// The same for the running program and its environment.
std::filesystem::path resolveSettingsLocation();

// Ok when settings may be written into `folder`: it is a folder, owned by the user
// running the program, and neither its group nor other users may write in it (anyone
// who may could replace a settings file by a link to another file of the user's).
// Otherwise an Unwritable Error naming the folder and saying why.
Status checkSettingsFolder(const std::filesystem::path& folder);

// Replaces a settings file durably through the shared atomic writer, once its folder
// passes checkSettingsFolder. Fails as checkSettingsFolder (the message names the folder)
// or as the writer does.
Status writeSettingsFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace sorvane
