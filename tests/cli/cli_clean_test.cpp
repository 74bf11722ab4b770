// sorvane-cli's cleaning options: on by default for a join only, the listing of what was
// removed, the closing count, and refusals.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input/bad_input_support.h"

namespace sorvane::test {
namespace {

std::string page(int n)
{
    static const char* const places[] = {"渡口", "客栈", "山门"};
    return "<html><head><meta charset=\"utf-8\"></head><body><div class=\"nav\"><a href=\"/\">首页</a> "
           "<a href=\"/s\">书架</a></div><h1>书名 第" + std::to_string(n) + "章 " + places[n - 1] +
           "</h1><div id=\"content\">他走到" + places[n - 1] + "，雨还没有停，风从河面上吹过来。<br><br>"
           "她在" + places[n - 1] + "没有回答，只是把信放在桌上。</div><div class=\"footer\">某某书坊 版权所有</div>"
           "</body></html>";
}

TEST(CliCleaning, OnForAJoinOffOtherwiseUnlessAsked)
{
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* file;  // what to read afterwards
        bool cleaned;
        int status;
        std::string err;  // a line standard error must hold
    } cases[] = {
        {"a join", {"--join", "书"}, "书.txt", true, 0, "sorvane-cli: 书: 去除网页杂项 6 行\n"},
        {"a join, not cleaned", {"--join", "书", "--no-clean"}, "书.txt", false, 0, ""},
        {"a batch", {}, "2.txt", false, 0, ""},
        {"a batch, cleaned", {"--clean"}, "2.txt", true, 0, "sorvane-cli: 去除网页杂项 6 行\n"},
        {"the listing", {"--join", "书", "--show-removed"}, "书.txt", true, 0,
         "sorvane-cli: ./2.htm: 去除 2 行:\n  [页面杂项] 首页 书架\n  [页面杂项] 某某书坊 版权所有\n"},
        {"both", {"--clean", "--no-clean"}, nullptr, false, 2, "--clean: 不能与 --no-clean 同时使用"},
        {"a rules file that is missing", {"--rules", "none.txt"}, nullptr, false, 2, "none.txt: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        for (int n = 1; n <= 3; ++n)
            writeFile(dir / (std::to_string(n) + ".htm"), page(n));
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--encoding", "utf-8", "./1.htm", "./2.htm", "./3.htm"});
        const auto run = runCli(args, inFolder(dir.path()));
        ASSERT_TRUE(run.exited) << describe(run);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        if (!c.file)
            continue;
        const std::string text = readFile(dir / c.file);
        EXPECT_EQ(text.find("首页") == std::string::npos, c.cleaned) << text;
        EXPECT_EQ(text.find("书名") == std::string::npos, c.cleaned) << text;
        EXPECT_NE(text.find("她在客栈没有回答"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace sorvane::test
