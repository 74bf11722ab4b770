#include "app/command_line.h"

#include "common/messages.h"

namespace sorvane::app {
namespace {

// The help in Chinese, the program's own language; the catalogue has its English.
constexpr const char* kUsage =
    "用法: sorvane [选项] [文件或文件夹...]\n"
    "\n"
    "打开 Sorvane 窗口；给出的文件所在的文件夹成为当前文件夹，并选中这些文件；\n"
    "给出文件夹时打开该文件夹。\n"
    "\n"
    "  -h, --help     显示本说明后退出\n"
    "  -v, --version  显示版本后退出\n"
    "\n"
    "转换不开窗口：sorvane-cli --help\n";

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
