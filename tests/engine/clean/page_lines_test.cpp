// A page's lines through the rules that work on one page: which lines stay, as what, and
// what is recorded as removed, whether the removed texts are kept or only counted.
#include "engine/clean/page_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorvane::clean {
namespace {

TEST(PageLines, LinesStayRightWhileTheyAreCleaned)
{
    const std::string page = "第一章 老地方\r\n\r\n　　他推开门。\r\n上一章 目录 下一章\r\n"
                             "　　雨停了。ｑｘ看書 ｗww．ｑｘｋａｎ９．com 风从门外吹进来。\r"
                             "请记住本书首发域名：songfengsf.com。手机版阅读网址：m.songfengsf.com\r\n"
                             "第一章 老地方";
    const std::vector<std::string> kept = {"第一章 老地方", "", "他推开门。", "雨停了。风从门外吹进来。"};
    const std::vector<std::pair<Removal, std::string>> removed = {
        {Removal::Navigation, "上一章 目录 下一章"},
        {Removal::Advert, "ｑｘ看書 ｗww．ｑｘｋａｎ９．com"},
        {Removal::Advert, "请记住本书首发域名：songfengsf.com。手机版阅读网址：m.songfengsf.com"},
        {Removal::Heading, "第一章 老地方"},
    };
    for (const bool keepTexts : {true, false}) {
        SCOPED_TRACE(keepTexts ? "texts kept" : "counted only");
        CleanPage p = splitPage(fromUtf8(page), true);
        p.keepTexts = keepTexts;
        cleanPageLines(p);
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < p.lineCount(); ++i)
            lines.push_back(toUtf8(p.line(i)));
        EXPECT_EQ(lines, kept);
        EXPECT_EQ(p.headingIndex(), std::optional<std::size_t>(0));
        ASSERT_EQ(p.removed.size(), removed.size());
        for (std::size_t i = 0; i < removed.size(); ++i) {
            EXPECT_EQ(p.removed[i].kind, removed[i].first) << i;
            EXPECT_EQ(toUtf8(p.removed[i].text), keepTexts ? removed[i].second : "") << i;
        }
    }
}

}  // namespace
}  // namespace sorvane::clean
