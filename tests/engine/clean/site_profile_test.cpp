// The lines a site repeats on the pages of one book: which go, which story lines that
// happen to recur stay, and one heading for a chapter over several pages.
#include "engine/clean/site_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorvane::clean {
namespace {

// A page of `lines` (UTF-8, "" for a blank line), its first line the heading.
CleanPage page(const std::vector<std::string>& lines)
{
    CleanPage p;
    for (const std::string& line : lines)
        p.addLine(fromUtf8(line));
    p.headingFirst = true;
    return p;
}

std::vector<std::string> linesOf(const CleanPage& p)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < p.lineCount(); ++i)
        out.push_back(toUtf8(p.line(i)));
    return out;
}

// Chapter k of a made-up book: the site's lines above and below, the story between; on
// some pages a short line of dialogue at the top of the story.
std::vector<std::string> chapter(int k, bool siteLines)
{
    const std::string n = std::to_string(k);
    std::vector<std::string> lines = {"青梧长歌 第" + n + "章 章名" + n};
    if (siteLines) {
        lines.push_back("青梧长歌");
        lines.push_back("作者：秦墨 本章字数：" + std::to_string(1000 + 37 * k));
    }
    if (k % 2 == 0)
        lines.push_back("“嗯。”");
    // Story lines that differ in words, not only in numbers.
    static const char* const places[] = {"渡口", "客栈", "山门", "旧院", "茶楼", "码头", "竹林", "祠堂", "石桥", "城墙"};
    static const char* const things[] = {"一封旧信", "半块玉佩", "一盏油灯", "一张地图", "两只木匣", "一串铜钱"};
    for (int i = 0; i < 6; ++i)
        lines.push_back(std::string("他在") + places[k % 10] + "看见了" + things[i] + "，没有说话。");
    if (siteLines)
        lines.push_back("松风书坊 版权所有");
    return lines;
}

std::vector<std::string> storyOf(int k)
{
    std::vector<std::string> lines = chapter(k, false);
    lines.front() = "第" + std::to_string(k) + "章 章名" + std::to_string(k);
    return lines;
}

TEST(SiteProfile, TheSiteLinesOfMostPagesGo)
{
    const struct {
        const char* name;
        int pages;
        int withSiteLines;  // the first this many pages carry them
        bool siteLinesGo;
    } cases[] = {
        {"every page of a long book", 9, 9, true},
        {"two thirds of the pages", 9, 6, true},
        {"half of the pages", 10, 5, false},
        {"every page of a book of three", 3, 3, true},
        {"two of three", 3, 2, false},
        {"a book of two pages says nothing", 2, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CleanPage> pages;
        for (int k = 1; k <= c.pages; ++k)
            pages.push_back(page(chapter(k, k <= c.withSiteLines)));
        SiteProfile site;
        for (const CleanPage& p : pages)
            site.add(p);
        site.settle();
        for (int k = 1; k <= c.pages; ++k) {
            CleanPage& p = pages[static_cast<std::size_t>(k - 1)];
            site.apply(p);
            std::vector<std::string> want = storyOf(k);
            if (!c.siteLinesGo && k <= c.withSiteLines) {
                want = chapter(k, true);
                want.front() = storyOf(k).front();  // the heading loses the book's name all the same
            }
            EXPECT_EQ(linesOf(p), want) << "page " << k;
        }
    }
}

TEST(SiteProfile, AChapterOverSeveralPagesKeepsOneHeading)
{
    std::vector<CleanPage> pages = {page({"第9章 老地方 (1/3)", "一"}), page({"第9章 (2/3)", "二"}),
                                    page({"第9章 老地方 (3/3)", "三"}), page({"第10章 新地方", "四"}),
                                    page({"番外 新年", "五"}), page({"番外 元宵", "六"})};
    std::vector<CleanPage*> all;
    for (CleanPage& p : pages) {
        SiteProfile().apply(p);
        all.push_back(&p);
    }
    dropRepeatedHeadings(all);
    const std::vector<std::vector<std::string>> want = {{"第9章 老地方", "一"}, {"二"}, {"三"},
                                                        {"第10章 新地方", "四"}, {"番外 新年", "五"},
                                                        {"番外 元宵", "六"}};
    for (std::size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(linesOf(pages[i]), want[i]) << "page " << i;
}

}  // namespace
}  // namespace sorvane::clean
