#pragma once
// Where the program's own files live, and whether a folder is safe to keep them in.

#include <filesystem>
#include <string_view>
#include <optional>
#include <string>

#include "common/result.h"

namespace sorvane {

// The executable's folder when it already holds KELDRAN.INI or KELDRAN.DAT, otherwise
// $XDG_CONFIG_HOME/sorvane or ~/.config/sorvane, created when missing. `xdgConfigHome`
// and `home` are the variables' values (nothing when unset). An empty path when neither
// is usable: the settings then live in memory, never in a shared folder such as /tmp,
// where anyone could plant files or links before us.
std::filesystem::path resolveSettingsLocation(const std::filesystem::path& executableFolder,
                                              const std::optional<std::string>& xdgConfigHome,
                                              const std::optional<std::string>& home);

// The same for the running program and its environment.
std::filesystem::path resolveSettingsLocation();

// $XDG_CONFIG_HOME/sorvane, else ~/.config/sorvane, as resolveSettingsLocation chooses it
// but without creating anything or looking at the program's folder; empty when neither
// variable is usable.
std::filesystem::path userConfigFolder(const std::optional<std::string>& xdgConfigHome,
                                       const std::optional<std::string>& home);

// The same for the running program's environment.
std::filesystem::path userConfigFolder();

// Ok when `folder` is a folder owned by the user and writable by no one else (who could
// otherwise replace a settings file by a link to another file of the user's); otherwise
// Unwritable, naming the folder and saying why.
Status checkSettingsFolder(const std::filesystem::path& folder);

// Replaces a settings file durably once its folder passes checkSettingsFolder. Fails as
// checkSettingsFolder (the message names the folder) or as writeFileAtomically.
Status writeSettingsFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace sorvane
