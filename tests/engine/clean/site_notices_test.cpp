// Navigation lines, site notices and advertisements pasted into paragraphs: what goes,
// and that the story around them stays as it was.
#include "engine/clean/site_notices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorvane::clean {
namespace {

TEST(SiteNotices, NavigationAndNoticeLines)
{
    const struct {
        const char* line;
        bool navigation;
        bool notice;
    } cases[] = {
        {"上一章 ← 目录 → 下一章", true, false},
        {"上一页目录下一页", true, false},
        {"加入書籤 | 投推薦票", true, false},
        {"第1/3页 上一页 下一页", true, false},
        {"Previous Chapter | Table of Contents | Next Chapter", true, true},
        {"目录", true, false},
        {"大 中 小", false, false},          // no word of two characters
        {"Nextdoor", false, false},          // a word that only starts like one
        {"Next.", false, false},             // a sentence
        {"他返回了目录。", false, false},
        {"（本章未完，请点击下一页继续阅读）", false, true},
        {"請記住本站域名：m.example.net", false, true},
        {"本章字数：3254 更新时间：2021-03-04 12:00", false, true},
        {"Copyright © 2021 某某书坊 All Rights Reserved.", false, true},
        // Full-width letters, capitals among them, match as their ASCII forms do.
        {"ＣＯＰＹＲＩＧＨＴ ２０２１ 某某书坊", false, true},
        {"Ｐｒｅｖｉｏｕｓ Ｃｈａｐｔｅｒ｜Ｎｅｘｔ Ｃｈａｐｔｅｒ", true, true},
        {"他推开门，雨还没有停。", false, false},
        // Longer than a notice line: a paragraph that mentions the words is left alone.
        {"他在旧书摊上翻到一本没有封面的小说，书脊上贴着一张褪色的标签，写着更新时间和一串看不懂的编号。"
         "他把书买了下来，一路走一路看，直到天黑才回到家里，母亲问他去了哪里，他只说在河边坐了一会儿。",
         false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Text line = fromUtf8(c.line);
        EXPECT_EQ(isNavigationLine(line), c.navigation);
        EXPECT_EQ(isNoticeLine(line), c.notice);
        // The one-pass look the cleaner takes first never passes over a notice line.
        if (c.notice) {
            EXPECT_TRUE(lineHints(line).mayBeNotice());
        }
    }
}

TEST(SiteNotices, AdvertsAreCutOutOfParagraphs)
{
    const struct {
        const char* name;
        const char* line;
        const char* kept;
        std::vector<std::string> cut;
    } cases[] = {
        {"full-width site name and address between two sentences",
         "他转身走了。ｑｘ看書 ｗww．ｑｘｋａｎ９．com 风从门外吹进来。", "他转身走了。风从门外吹进来。",
         {"ｑｘ看書 ｗww．ｑｘｋａｎ９．com"}},
        {"in brackets, with ideographic full stops for dots", "雨停了（ｑｘ看書 ｗww。qxkan9。com）他起身。",
         "雨停了他起身。", {"（ｑｘ看書 ｗww。qxkan9。com）"}},
        {"spelt out with blanks", "天黑了。w w w . x x k a n . c o m 她说。", "天黑了。她说。",
         {"w w w . x x k a n . c o m"}},
        {"a Chinese site name of its own", "他笑了。松风书坊 songfengsf.com 她也笑了。", "他笑了。她也笑了。",
         {"松风书坊 songfengsf.com"}},
        {"the sentence that leads up to the address", "手机阅读请访问 m.xxkan.com，更新更快。他点了点头。",
         "他点了点头。", {"手机阅读请访问 m.xxkan.com，更新更快。"}},
        {"an English sentence around the address",
         "He left the room. Find the original at www.novelharbor.com for the latest chapters. She followed.",
         "He left the room. She followed.", {"Find the original at www.novelharbor.com for the latest chapters."}},
        {"a notice in brackets at the end of a paragraph", "他笑了。（本章未完，请点击下一页继续阅读）", "他笑了。",
         {"（本章未完，请点击下一页继续阅读）"}},
        {"a notice sentence without an address", "天才一秒记住本站地址：松风书坊。他笑了。", "他笑了。",
         {"天才一秒记住本站地址：松风书坊。"}},
        {"the whole line is the advert", "请记住本书首发域名：songfengsf.com。手机版阅读网址：m.songfengsf.com", "",
         {"请记住本书首发域名：songfengsf.com。手机版阅读网址：m.songfengsf.com"}},
        {"numbers with dots are no address", "版本号是1.2.3，价钱是3.5元。", "版本号是1.2.3，价钱是3.5元。", {}},
        {"a story without adverts", "他在信里写道：三点钟，老地方见。", "他在信里写道：三点钟，老地方见。", {}},
        {"Latin words and a stop without a blank", "See Mr.Smith at noon.", "See Mr.Smith at noon.", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text line = fromUtf8(c.line);
        std::vector<std::string> cut;
        for (const Text& piece : cutAdverts(line))
            cut.push_back(toUtf8(piece));
        EXPECT_EQ(toUtf8(line), c.kept);
        EXPECT_EQ(cut, c.cut);
    }
}

}  // namespace
}  // namespace sorvane::clean
