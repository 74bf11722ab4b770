// Rules files: what a bad line is refused for, with its number, and what good rules do to
// a text, in file order, with lines seen as lines.
#include "engine/clean/rewrite_rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace sorvane::clean {
namespace {

TEST(RewriteRules, BadLinesAreRefusedWithTheirNumberAndWhy)
{
    const struct {
        const char* name;
        std::string file;
        std::string message;  // empty: accepted
    } cases[] = {
        {"comments, blank lines and a good rule", "# 去掉广告\n\n   \n广告.*\t\r\n", ""},
        {"a byte-order mark first", "\xEF\xBB\xBF" "a\tb\n", ""},
        {"no tab", "# 说明\n广告", "规则文件第 2 行：缺少 Tab：正则表达式和替换文字之间要用一个 Tab 分开"},
        {"an empty expression", "\t替换", "规则文件第 1 行：正则表达式是空的"},
        {"an expression that does not compile", "a\tb\n(abc\tx\n",
         "规则文件第 2 行：正则表达式有误（missing ): (abc）"},
        {"a group the expression lacks", "(a)\t\\2", "规则文件第 1 行：替换文字有误（Rewrite schema requests 2 matches, "
                                                   "but the regexp only has 1 parenthesized subexpressions.）"},
        {"not UTF-8", "a\tb\n\xFF\xFE\tc\n", "规则文件第 2 行：不是 UTF-8 文字"},
        {"repetitions past the library's bounds", "((a{100}){100}){100}\tx",
         "规则文件第 1 行：正则表达式有误（invalid repetition size: {100}）"},
        {"an expression too large to match in bounded memory", "\\pL{1000}\tx",
         "规则文件第 1 行：正则表达式有误（pattern too large - compile failed）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Result<RewriteRules> rules = RewriteRules::parse(c.file, "rules.txt");
        if (c.message.empty()) {
            EXPECT_TRUE(rules.ok()) << rules.error().describe();
        } else {
            ASSERT_FALSE(rules.ok());
            EXPECT_EQ(rules.error().message, c.message);
            EXPECT_EQ(rules.error().where, "rules.txt");
        }
    }
}

TEST(RewriteRules, RulesApplyInOrderLineByLine)
{
    const struct {
        const char* name;
        const char* rules;
        const char16_t* text;
        const char16_t* result;
    } cases[] = {
        {"a line's tail", "广告.*$\t", u"第一行\r\n广告：某某书坊\r\n第三行", u"第一行\r\n\r\n第三行"},
        {"a whole line with its end", "^广告.*\\n\t", u"a\r\n广告b\r\nc", u"a\r\nc"},
        {"groups, in file order", "^(\\S+)：(\\S+)$\t\\2=\\1\n=\t→", u"甲：乙\r\n丙", u"乙→甲\r\n丙"},
        {"a lone CR ends a line too", "^x$\ty", u"x\rx\r\nx", u"y\r\ny\r\ny"},
        {"no match leaves the text", "不存在\t有", u"原文", u"原文"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Result<RewriteRules> rules = RewriteRules::parse(c.rules);
        ASSERT_TRUE(rules.ok()) << rules.error().describe();
        Text text = c.text;
        ASSERT_TRUE(rules->apply(text).ok());
        EXPECT_EQ(toUtf8(text), toUtf8(c.result));
    }

    // A rule that leaves nothing of a text is refused, and the text stays as it was.
    Result<RewriteRules> all = RewriteRules::parse("保留\t留\n.+\t\n", "rules.txt");
    ASSERT_TRUE(all.ok());
    Text text = u"一行\r\n两行";
    const Status applied = all->apply(text);
    ASSERT_FALSE(applied.ok());
    EXPECT_EQ(applied.error().message, "规则文件第 2 行：这条规则删去了全部文字，没有转换");
    EXPECT_EQ(text, u"一行\r\n两行");
}

TEST(RewriteRules, APatternThatBacktracksForeverRunsInLinearTime)
{
    // (x+x+)+y takes exponential time in a backtracking matcher on a line of x's.
    Result<RewriteRules> rules = RewriteRules::parse("(x+x+)+y\tz");
    ASSERT_TRUE(rules.ok());
    Text text(2'000'000, u'x');
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rules->apply(text).ok());
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(text, Text(2'000'000, u'x'));
    EXPECT_LT(seconds, 10.0);
}

}  // namespace
}  // namespace sorvane::clean
