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
        {{"--help"}, 0, "Usage: sorvane"},
        {{"-h"}, 0, "Usage: sorvane"},
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

TEST(CommandLine, HelpIsEnglishAloneForEnglish)
{
    std::ostringstream english;
    std::ostringstream chinese;
    EXPECT_EQ(answerInfoOptions({"--help"}, english, Language::English), 0);
    EXPECT_EQ(answerInfoOptions({"--help"}, chinese, Language::Chinese), 0);
    EXPECT_NE(english.str().find("Usage: sorvane"), std::string::npos) << english.str();
    EXPECT_FALSE(hasChinese(english.str())) << english.str();
    EXPECT_NE(chinese.str().find("用法: sorvane"), std::string::npos) << chinese.str();
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
