#include "engine/clean/rewrite_rules.h"

#include "engine/encoding/utf8_check.h"
#include "io/file_reader.h"

namespace sorvane::clean {
namespace {

constexpr std::size_t kLargestFile = 1 << 20;

Error lineError(const std::string& where, std::size_t line, const std::string& why)
{
    return Error{ErrorCode::BadInput, "规则文件第 " + std::to_string(line) + " 行：" + why, where};
}

bool hasText(std::string_view utf8)
{
    for (char c : utf8)
        if (c != ' ' && c != '\n' && c != '\t')
            return true;
    return false;
}

// The text as UTF-8 with LF line ends: CR LF and a lone CR end a line, as in the line
// table.
std::string toRuleText(TextView text)
{
    Text lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            lf.push_back(u'\n');
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            lf.push_back(text[i]);
        }
    }
    return toUtf8(lf);
}

Text fromRuleText(std::string_view utf8)
{
    const Text lf = fromUtf8(utf8);
    Text out;
    out.reserve(lf.size() + lf.size() / 16);
    for (char16_t c : lf) {
        if (c == u'\n')
            out += u"\r\n";
        else
            out.push_back(c);
    }
    return out;
}

}  // namespace

Result<RewriteRules> RewriteRules::parse(std::string_view text, const std::string& where)
{
    RewriteRules rules;
    rules.m_where = where;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!isValidUtf8(line))
            return lineError(where, number, "不是 UTF-8 文字");
        if (line.empty() || line.front() == '#' || !hasText(line))
            continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return lineError(where, number, "缺少 Tab：正则表达式和替换文字之间要用一个 Tab 分开");
        const std::string_view expression = line.substr(0, tab);
        if (expression.empty())
            return lineError(where, number, "正则表达式是空的");
        Result<RegexPattern> pattern = RegexPattern::compile(expression);
        if (!pattern)
            return lineError(where, number, "正则表达式有误（" + pattern.error().message + "）");
        const std::string_view rewrite = line.substr(tab + 1);
        if (Status usable = pattern->checkRewrite(rewrite); !usable)
            return lineError(where, number, "替换文字有误（" + usable.error().message + "）");
        rules.m_rules.push_back(RewriteRule{number, std::move(pattern).value(), std::string(rewrite)});
    }
    return rules;
}

Result<RewriteRules> RewriteRules::load(const std::filesystem::path& file)
{
    Result<std::string> bytes = readWholeFile(file);
    if (!bytes)
        return bytes.error();
    if (bytes->size() > kLargestFile)
        return Error{ErrorCode::BadInput, "规则文件太大（超过 1 MB）", file.string()};
    return parse(*bytes, file.string());
}

Status RewriteRules::apply(Text& text) const
{
    if (m_rules.empty())
        return Ok{};
    std::string utf8 = toRuleText(text);
    const bool hadText = hasText(utf8);
    for (const RewriteRule& rule : m_rules) {
        rule.pattern.replaceAll(utf8, rule.rewrite);
        if (hadText && !hasText(utf8))
            return lineError(m_where, rule.line, "这条规则删去了全部文字，没有转换");
    }
    text = fromRuleText(utf8);
    return Ok{};
}

}  // namespace sorvane::clean
