#pragma once
// The user's own defaults for the command line's options: lines "name = value" in
// sorvane-cli.conf, in the user's configuration folder.

#include <filesystem>
#include <string>
#include <vector>

#include "common/result.h"

namespace sorvane::cli {

struct ConfigEntry {
    std::string name;   // a long option without its dashes
    std::string value;  // blanks around it and one pair of double quotes taken off; ~/ made the home folder
    int line = 0;       // counted from 1
};

// sorvane-cli.conf in userConfigFolder(); empty when there is no such folder.
std::filesystem::path configFilePath();

// The entries of `file`, in order, or none when it does not exist. Empty lines and lines
// whose first non-blank character is '#' are skipped. Fails with BadInput, `where`
// "FILE:LINE", for a line without '=' or with nothing before it, and with Unreadable
// (`where` the file) when the file exists but cannot be read.
Result<std::vector<ConfigEntry>> readConfigFile(const std::filesystem::path& file);

// "FILE:LINE", the place a message about an entry names.
std::string configPlace(const std::filesystem::path& file, int line);

}  // namespace sorvane::cli
