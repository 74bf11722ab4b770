#pragma once
// The desktop program's command line: sorvane [--help | --version] [PATH...]

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <QStringList>

#include "common/language.h"

namespace sorvane::app {

// Prints the usage or the version when the arguments (without the program name) ask for
// either, and returns the exit status; nothing when the window is to open. Looked at
// before the window system is started, so both work without a display.
std::optional<int> answerInfoOptions(const std::vector<std::string>& args, std::ostream& out,
                                     Language language = userLanguage());

struct StartupPaths {
    QStringList paths;   // files and folders to show, in order
    QString badOption;   // an option the program does not know; empty when none
};

// The paths among the arguments left once the window system took its own options. "--"
// ends the options, so a path may begin with "-".
StartupPaths startupPaths(const QStringList& args);

}  // namespace sorvane::app
