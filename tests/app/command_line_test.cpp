// The desktop program's command line.
#include <sstream>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "common/messages.h"

namespace sorvane::app {
namespace {

TEST(CommandLine, HelpAndVersionAnswerWithoutOpeningTheWindow)
{
    struct Case {
        std::vector<std::string> args;
        std::optional<int> status;
        const char* printed;  // a piece of what is printed
    };
    const Case cases[] = {
        {{"--help"}, 0, "sorvane ["},  // the usage line, in either language
        {{"-h"}, 0, "sorvane ["},
        {{"book.htm", "--version"}, 0, "sorvane " SORVANE_VERSION "\n"},
        {{"-v"}, 0, "sorvane " SORVANE_VERSION "\n"},
        {{"book.htm", "folder"}, std::nullopt, ""},
        {{"--", "--help"}, std::nullopt, ""},  // a file named --help
        {{}, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(answerInfoOptions(c.args, out), c.status) << ::testing::PrintToString(c.args);
        EXPECT_NE(out.str().find(c.printed), std::string::npos) << out.str();
        if (!c.status) {
            EXPECT_TRUE(out.str().empty());
        }
    }
}

// The help speaks one language: English alone for English, Chinese alone otherwise.
TEST(CommandLine, HelpIsInOneLanguage)
{
    struct Case {
        Language language;
        const char* usage;
        const char* absent;  // a piece of the other language's help
    };
    const Case cases[] = {
        {Language::English, "Usage: sorvane [OPTION] [FILE_OR_FOLDER...]\n", "用法"},
        {Language::Chinese, "用法: sorvane [选项] [文件或文件夹...]\n", "Usage"},
        {Language::Chinese, "  -h, --help     显示本说明后退出\n", "print"},
        {Language::Chinese, "转换不开窗口：sorvane-cli --help\n", "Converting"},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(answerInfoOptions({"--help"}, out, c.language), 0);
        EXPECT_NE(out.str().find(c.usage), std::string::npos) << out.str();
        EXPECT_EQ(out.str().find(c.absent), std::string::npos) << out.str();
        if (c.language == Language::English) {
            EXPECT_FALSE(hasChinese(out.str())) << out.str();
        }
    }
}

TEST(CommandLine, PathsAndUnknownOptions)
{
    struct Case {
        QStringList args;
        QStringList paths;
        QString badOption;
    };
    const Case cases[] = {
        {{"a.htm", "/books/novel"}, {"a.htm", "/books/novel"}, {}},
        {{"--", "-dash.htm", "--"}, {"-dash.htm", "--"}, {}},
        {{"--frobnicate", "a.htm", "-x"}, {"a.htm"}, "--frobnicate"},
        {{"-", ""}, {"-"}, {}},
        {{}, {}, {}},
    };
    for (const Case& c : cases) {
        const StartupPaths start = startupPaths(c.args);
        EXPECT_EQ(start.paths, c.paths) << c.args.join(' ').toStdString();
        EXPECT_EQ(start.badOption, c.badOption);
    }
}

}  // namespace
}  // namespace sorvane::app
