#include "app/command_line.h"

#include "common/messages.h"

namespace sorvane::app {
namespace {

// Both languages when the locale is not English, as the program has always answered.
constexpr const char* kUsage =
    "用法: sorvane [选项] [文件或文件夹...]\n"
    "Usage: sorvane [OPTION] [FILE_OR_FOLDER...]\n"
    "\n"
    "打开 Sorvane 窗口；给出的文件所在的文件夹成为当前文件夹，并选中这些文件；\n"
    "给出文件夹时打开该文件夹。\n"
    "Opens the Sorvane window; the folder of the files given becomes the current folder\n"
    "and exactly those files are selected; a folder given is opened.\n"
    "\n"
    "  -h, --help     显示本说明后退出 / print this help and exit\n"
    "  -v, --version  显示版本后退出 / print the version and exit\n"
    "\n"
    "转换不开窗口：sorvane-cli --help / Converting without the window: sorvane-cli --help\n";

}  // namespace

std::optional<int> answerInfoOptions(const std::vector<std::string>& args, std::ostream& out, Language language)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "-h" || arg == "--help") {
            out << formatMessage(language, kUsage);
            return 0;
        }
        if (arg == "-v" || arg == "--version") {
            out << "sorvane " << SORVANE_VERSION << '\n';
            return 0;
        }
    }
    return std::nullopt;
}

StartupPaths startupPaths(const QStringList& args)
{
    StartupPaths result;
    bool options = true;
    for (const QString& arg : args) {
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (result.badOption.isEmpty())
                result.badOption = arg;
        } else if (!arg.isEmpty()) {
            result.paths << arg;
        }
    }
    return result;
}

}  // namespace sorvane::app
