// Rules files: what a bad line is refused for, with its number, and what good rules do to
// a text, in file order, with lines seen as lines.
#include "engine/clean/rewrite_rules.h"

#include "common/messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace sorvane::clean {
namespace {

// Each refusal in the engine's words, which the catalogue gives in English too: the
// library's reason for a bad expression as well, with the piece of the expression it
// names kept as written.
TEST(RewriteRules, BadLinesAreRefusedWithTheirNumberAndWhy)
{
    const struct {
        const char* name;
        std::string file;
        std::string message;  // empty: accepted
        std::string english;
    } cases[] = {
        {"comments, blank lines and a good rule", "# 去掉广告\n\n   \n广告.*\t\r\n", "", ""},
        {"a byte-order mark first", "\xEF\xBB\xBF" "a\tb\n", "", ""},
        {"no tab", "# 说明\n广告", "规则文件第 2 行：缺少 Tab：正则表达式和替换文字之间要用一个 Tab 分开",
         "Line 2 of the rules file: "},
        {"an empty expression", "\t替换", "规则文件第 1 行：正则表达式是空的", "Line 1 of the rules file: "},
        {"a missing )", "a\tb\n(abc\tx\n", "规则文件第 2 行：正则表达式有误（缺少 )：(abc）",
         "Line 2 of the rules file: the regular expression is wrong (missing ): (abc)"},
        {"a ) too many", "甲)\tx", "规则文件第 1 行：正则表达式有误（多出 )：甲)）",
         "Line 1 of the rules file: the regular expression is wrong (unexpected ): 甲))"},
        {"a missing ]", "[ab\tx", "规则文件第 1 行：正则表达式有误（缺少 ]：[ab）",
         "Line 1 of the rules file: the regular expression is wrong (missing ]: [ab)"},
        {"a bad escape", "\\q\tx", "规则文件第 1 行：正则表达式有误（无效的转义序列：\\q）",
         "Line 1 of the rules file: the regular expression is wrong (invalid escape sequence: \\q)"},
        {"a bad character class", "[[:甲:]]\tx", "规则文件第 1 行：正则表达式有误（无效的字符类范围：[:甲:]）",
         "Line 1 of the rules file: the regular expression is wrong (invalid character class range: [:甲:])"},
        {"a backward range", "[z-a]\tx", "规则文件第 1 行：正则表达式有误（无效的字符类范围：z-a）",
         "Line 1 of the rules file: the regular expression is wrong (invalid character class range: z-a)"},
        {"a trailing backslash", "a\\\tx", "规则文件第 1 行：正则表达式有误（末尾是单独的反斜杠）",
         "Line 1 of the rules file: the regular expression is wrong (a lone backslash at the end)"},
        {"nothing to repeat", "*\tx", "规则文件第 1 行：正则表达式有误（重复符号前面没有可重复的内容：*）",
         "Line 1 of the rules file: the regular expression is wrong (nothing to repeat before the repetition "
         "operator: *)"},
        {"a repetition twice", "a**\tx", "规则文件第 1 行：正则表达式有误（重复符号用错了：**）",
         "Line 1 of the rules file: the regular expression is wrong (bad repetition operator: **)"},
        {"a bad (? group", "(?<n>a)\tx", "规则文件第 1 行：正则表达式有误（无效的 (? 写法：(?<）",
         "Line 1 of the rules file: the regular expression is wrong (invalid (? group: (?<)"},
        {"a bad named group", "(?P<>a)\tx", "规则文件第 1 行：正则表达式有误（命名分组有误：(?P<>）",
         "Line 1 of the rules file: the regular expression is wrong (invalid named capture group: (?P<>)"},
        {"a group the expression lacks", "(a)\t\\2", "规则文件第 1 行：替换文字有误（替换文字用到第 2 组，正则表达式只有 1 组）",
         "Line 1 of the rules file: the replacement is wrong (the replacement uses group 2, but the regular "
         "expression has only 1)"},
        {"a backslash before a letter in the replacement", "(a)\t\\1\\n",
         "规则文件第 1 行：替换文字有误（反斜杠后面只能是数字或反斜杠：\\n）",
         "Line 1 of the rules file: the replacement is wrong (a backslash must be followed by a digit or another "
         "backslash: \\n)"},
        {"a backslash ending the replacement", "a\tb\\", "规则文件第 1 行：替换文字有误（末尾是单独的反斜杠）",
         "Line 1 of the rules file: the replacement is wrong (a lone backslash at the end)"},
        {"escaped backslashes and groups", "(a)(b)\t\\\\\\2\\0", "", ""},
        {"not UTF-8", "a\tb\n\xFF\xFE\tc\n", "规则文件第 2 行：不是 UTF-8 文字", "Line 2 of the rules file: "},
        {"repetitions past the library's bounds", "((a{100}){100}){100}\tx",
         "规则文件第 1 行：正则表达式有误（重复次数无效：{100}）",
         "Line 1 of the rules file: the regular expression is wrong (invalid repetition size: {100})"},
        {"an expression too large to match in bounded memory", "\\pL{1000}\tx",
         "规则文件第 1 行：正则表达式有误（正则表达式太大，超出了允许的内存）",
         "Line 1 of the rules file: the regular expression is wrong (the regular expression is too large for the "
         "memory allowed)"},
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
            // The English, whole: from its start, with no Chinese but the expression's own 甲.
            std::string english = translateMessage(rules.error().message, Language::English);
            EXPECT_TRUE(english.starts_with(c.english)) << english;
            for (std::size_t at = english.find("甲"); at != std::string::npos; at = english.find("甲"))
                english.erase(at, std::string("甲").size());
            EXPECT_FALSE(hasChinese(english)) << english;
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
