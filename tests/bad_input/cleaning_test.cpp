// Cleaning on input that gives it nothing to work with or tries to make it work forever:
// pages without a story, rules files that cannot be used or that remove everything, and a
// site of ten thousand pages. Every case ends with a clear message and no half-written
// output.
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input/bad_input_support.h"

namespace sorvane::test {
namespace {

namespace fs = std::filesystem;

// A chapter page of a made-up site: its menus and notices around the story.
std::string chapterPage(int n, const std::string& story)
{
    return "<html><head><meta charset=\"utf-8\"><title>第" + std::to_string(n) + "章_书名_书坊</title></head><body>"
           "<div class=\"nav\"><a href=\"/\">首页</a> <a href=\"/s\">书架</a></div><h1>第" + std::to_string(n) +
           "章 章名</h1><div class=\"bar\"><a href=\"#\">上一章</a> <a href=\"list.html\">目录</a> "
           "<a href=\"#\">下一章</a></div><div id=\"content\">" + story +
           "</div><div class=\"footer\">本站作品来自网络 某某书坊 版权所有</div></body></html>";
}

// A name for page n in words, not digits: lines that differ only in their numbers are
// taken for the site's.
std::string codeOf(int n)
{
    static const char* const stems[] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
    std::string code;
    do {
        code += stems[n % 10];
        n /= 10;
    } while (n > 0);
    return code;
}

std::string storyOf(int n)
{
    return codeOf(n) + "号的故事。他推开门，雨还没有停，风从河面上吹过来。<br><br>她在" + codeOf(n) +
           "号没有回答，只是把信放在桌上，看了他一眼。";
}

TEST(BadCleaning, PagesWithoutAStoryAreNamedAndLeftOut)
{
    const struct {
        const char* name;
        std::vector<std::string> pages;  // 1.htm, 2.htm, ...
        int status;
        std::string message;  // on standard error
        std::string book;     // UTF-8; empty: no book written
    } cases[] = {
        {"a page with no text", {"<html><body><img src=\"a.png\"></body></html>", chapterPage(2, storyOf(2))}, 0,
         "1.htm: 没有正文，已略过", "　　第2章 章名\r\n"},
        {"a page that is only links",
         {"<a href=\"/\">首页</a> <a href=\"/s\">书架</a> <a href=\"/r\">排行</a>", chapterPage(2, storyOf(2))}, 0,
         "1.htm: 目录页，已略过", "　　第2章 章名\r\n"},
        {"nothing but pages without a story", {"<p></p>", "<a href=\"/\">首页</a><a href=\"/a\">一</a><a href=\"/b\">二</a>"},
         1, "没有一页有正文（都是目录页或空页），没有生成书", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        for (std::size_t i = 0; i < c.pages.size(); ++i)
            writeFile(dir / (std::to_string(i + 1) + ".htm"), c.pages[i]);
        const auto before = fingerprint(dir.path());
        const auto run = runCli({"--join", "书", "--encoding", "utf-8", "--rest-blank", "0", "."}, inFolder(dir.path()));
        ASSERT_TRUE(run.exited) << describe(run);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        if (c.book.empty()) {
            EXPECT_EQ(fingerprint(dir.path()), before);
        } else {
            // The book starts with the story page's heading; its text follows.
            EXPECT_EQ(readFile(dir / "书.txt").rfind(c.book, 0), 0u) << readFile(dir / "书.txt");
        }
    }
}

TEST(BadCleaning, RulesFilesThatCannotBeUsedConvertNothing)
{
    const struct {
        const char* name;
        std::string rules;
        std::vector<std::string> options;  // before the rules file
        int status;
        std::string message;
    } cases[] = {
        {"not UTF-8", "# 规则\n广告\xB9\xE3\xB8\xE6\t\n", {}, 2, "规则文件第 2 行：不是 UTF-8 文字"},
        {"no tab", "广告 空\n", {}, 2, "规则文件第 1 行：缺少 Tab"},
        {"a bad expression", "a\tb\n[z-a]\tc\n", {}, 2, "规则文件第 2 行：正则表达式有误"},
        {"a rule that removes everything, one document", "[\\s\\S]+\t\n", {"--stdout"}, 1,
         "规则文件第 1 行：这条规则删去了全部文字，没有转换"},
        {"a rule that removes everything, a book", "[\\s\\S]+\t\n", {"--join", "书"}, 1, "没有一章能够转换，没有生成书"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        writeFile(dir / "1.htm", chapterPage(1, storyOf(1)));
        writeFile(dir / "rules.txt", c.rules);
        const auto before = fingerprint(dir.path());
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"--rules", "rules.txt", "1.htm"});
        const auto run = runCli(args, inFolder(dir.path()));
        ASSERT_TRUE(run.exited) << describe(run);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(fingerprint(dir.path()), before);
    }

    // An expression that would take a backtracking matcher forever runs in linear time
    // over a page of 4 MB.
    ScratchFolder dir;
    writeFile(dir / "big.htm", "<pre>" + std::string(kSanitized ? 1'000'000 : 4'000'000, 'x') + "</pre>");
    writeFile(dir / "rules.txt", "(x+x+)+y\tz\n(.*)*$\t\\1\n");
    const auto run = runCli({"--stdout", "--rules", "rules.txt", "big.htm"}, inFolder(dir.path()));
    ASSERT_TRUE(run.exited) << describe(run);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST(BadCleaning, TenThousandPagesOfOneSiteJoinInLinearTime)
{
    const int pages = kSanitized ? 2000 : 10000;
    ScratchFolder dir;
    fs::create_directory(dir / "big");
    fs::create_directory(dir / "small");
    for (int n = 1; n <= pages; ++n) {
        const std::string page = chapterPage(n, storyOf(n));
        writeFile(dir / "big" / (std::to_string(n) + ".htm"), page);
        if (n <= pages / 4)
            writeFile(dir / "small" / (std::to_string(n) + ".htm"), page);
    }
    const auto join = [&](const char* folder) {
        const auto start = std::chrono::steady_clock::now();
        const auto run = runCli({"--join", folder, "--encoding", "utf-8", "-q", folder}, inFolder(dir.path()));
        EXPECT_TRUE(run.exited) << describe(run);
        EXPECT_EQ(run.status, 0) << run.err;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const double small = join("small");
    const double big = join("big");
    // Four times the pages: about four times the time, far from sixteen.
    EXPECT_LT(big, 8 * small + 1.0) << "small " << small << " s, big " << big << " s";

    const std::string book = readFile(dir / "big" / "big.txt");
    std::size_t headings = 0;
    for (std::size_t at = book.find("章 章名"); at != std::string::npos; at = book.find("章 章名", at + 1))
        ++headings;
    EXPECT_EQ(headings, static_cast<std::size_t>(pages));
    EXPECT_NE(book.find(codeOf(pages) + "号的故事"), std::string::npos);
    EXPECT_NE(book.find("她在" + codeOf(pages) + "号没有回答"), std::string::npos);
    for (const char* site : {"首页", "上一章", "版权所有"})
        EXPECT_EQ(book.find(site), std::string::npos) << site;
}

}  // namespace
}  // namespace sorvane::test
