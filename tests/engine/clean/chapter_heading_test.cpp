// Chapter headings tidied as a reader wants them, and which headings name one chapter.
#include "engine/clean/chapter_heading.h"

#include <gtest/gtest.h>

namespace sorvane::clean {
namespace {

TEST(ChapterHeading, TidyAndSameChapter)
{
    const struct {
        const char* heading;
        const char* bookName;
        const char* tidy;
    } tidy[] = {
        {"青梧长歌 第一章 老地方", "", "第一章 老地方"},
        {"正文 22.第22章 风起", "", "第22章 风起"},
        {"第一卷 风起 第三章 渡口", "", "第三章 渡口"},
        {"第9章 (1/3)", "", "第9章"},
        {"第9章 老地方（2/3）", "", "第9章 老地方"},
        {"第9章 老地方 第2页", "", "第9章 老地方"},
        {"第9章第2页", "", "第9章"},
        {"　第 12 章　灯下　", "", "第 12 章　灯下"},
        {"Book One - Chapter 3: The Storm (2/2)", "", "Chapter 3: The Storm"},
        {"青梧长歌 后日谈", "青梧长歌", "后日谈"},
        {"第十章 重逢（上）", "", "第十章 重逢（上）"},  // a part of the title, not a page
        {"第10章 重逢（2）", "", "第10章 重逢（2）"},
        {"第二天", "", "第二天"},                        // no chapter mark
        {"（1/3）", "", "（1/3）"},                      // nothing would be left
    };
    for (const auto& c : tidy) {
        SCOPED_TRACE(c.heading);
        EXPECT_EQ(toUtf8(tidyHeading(fromUtf8(c.heading), fromUtf8(c.bookName))), c.tidy);
    }

    const struct {
        const char* a;
        const char* b;
        bool same;
    } same[] = {
        {"第9章 老地方", "第9章 (2/3)", true},
        {"青梧长歌 第9章 老地方", "第9章 老地方（3/3）", true},
        {"第9章 老地方", "第10章 老地方", false},
        {"Chapter 3: The Storm", "Chapter 3 (2/2)", true},
        {"番外 新年", "番外 元宵", false},  // a word shared by many chapters decides nothing alone
        {"番外 新年", "番外 新年 (2/2)", true},
    };
    for (const auto& c : same) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(sameChapter(fromUtf8(c.a), fromUtf8(c.b)), c.same);
    }
}

}  // namespace
}  // namespace sorvane::clean
