#include "engine/clean/regex_pattern.h"

#include <algorithm>
#include <string>

#include <re2/re2.h>

#include "common/messages.h"

namespace sorvane::clean {
namespace {

// Memory one pattern may take for its compiled forms; a pattern past it is refused
// rather than left to fall back to slower matching.
constexpr std::int64_t kPatternMemory = 16 << 20;

// Multi-line: ^ and $ at every line of the text.
constexpr std::string_view kMultiLine = "(?m)";

// Why the library refused a pattern, in the engine's words (the catalogue has the English
// of each), with the offending piece of the pattern it names after the reason. The
// library quotes the pattern as it was given; the reader wrote it without the flag in
// front, so the flag is taken off the piece.
std::string whyRefused(const RE2& re)
{
    std::string piece = re.error_arg();
    if (piece.starts_with(kMultiLine))
        piece.erase(0, kMultiLine.size());
    const char* reason = nullptr;
    switch (re.error_code()) {
    case RE2::ErrorBadEscape: reason = "无效的转义序列：%1"; break;
    case RE2::ErrorBadCharClass: reason = "无效的字符类：%1"; break;
    case RE2::ErrorBadCharRange: reason = "无效的字符类范围：%1"; break;
    case RE2::ErrorMissingBracket: reason = "缺少 ]：%1"; break;
    case RE2::ErrorMissingParen: reason = "缺少 )：%1"; break;
    case RE2::ErrorUnexpectedParen: reason = "多出 )：%1"; break;
    case RE2::ErrorRepeatArgument: reason = "重复符号前面没有可重复的内容：%1"; break;
    case RE2::ErrorRepeatSize: reason = "重复次数无效：%1"; break;
    case RE2::ErrorRepeatOp: reason = "重复符号用错了：%1"; break;
    case RE2::ErrorBadPerlOp: reason = "无效的 (? 写法：%1"; break;
    case RE2::ErrorBadNamedCapture: reason = "命名分组有误：%1"; break;
    // These name no piece of the pattern.
    case RE2::ErrorTrailingBackslash: return "末尾是单独的反斜杠";
    case RE2::ErrorBadUTF8: return "不是有效的 UTF-8 文字";
    case RE2::ErrorPatternTooLarge: return "正则表达式太大，超出了允许的内存";
    case RE2::ErrorInternal:
    case RE2::NoError: break;
    }
    if (reason == nullptr || piece.empty())
        return "正则表达式库出了意外的错误";
    return formatMessage(Language::Chinese, reason, {piece});
}

}  // namespace

struct RegexPattern::Impl {
    explicit Impl(const std::string& pattern, const RE2::Options& options) : re(pattern, options) {}
    RE2 re;
};

RegexPattern::RegexPattern(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
RegexPattern::RegexPattern(RegexPattern&&) noexcept = default;
RegexPattern& RegexPattern::operator=(RegexPattern&&) noexcept = default;
RegexPattern::~RegexPattern() = default;

Result<RegexPattern> RegexPattern::compile(std::string_view pattern)
{
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingUTF8);
    options.set_log_errors(false);
    options.set_max_mem(kPatternMemory);
    auto impl = std::make_unique<Impl>(std::string(kMultiLine) + std::string(pattern), options);
    if (!impl->re.ok())
        return Error{ErrorCode::BadInput, whyRefused(impl->re), {}};
    return RegexPattern(std::move(impl));
}

Status RegexPattern::checkRewrite(std::string_view rewrite) const
{
    // The library's own check says why in its English only; the same rules, told in the
    // engine's words.
    int highest = 0;
    for (std::size_t i = 0; i < rewrite.size(); ++i) {
        if (rewrite[i] != '\\')
            continue;
        if (i + 1 == rewrite.size())
            return Error{ErrorCode::BadInput, "末尾是单独的反斜杠", {}};
        const char next = rewrite[++i];
        if (next >= '0' && next <= '9')
            highest = std::max(highest, next - '0');
        else if (next != '\\')
            return Error{ErrorCode::BadInput,
                         formatMessage(Language::Chinese, "反斜杠后面只能是数字或反斜杠：%1", {rewrite.substr(i - 1, 2)}),
                         {}};
    }
    if (const int groups = m_impl->re.NumberOfCapturingGroups(); highest > groups)
        return Error{ErrorCode::BadInput,
                     formatMessage(Language::Chinese, "替换文字用到第 %1 组，正则表达式只有 %2 组",
                                   {std::to_string(highest), std::to_string(groups)}),
                     {}};
    std::string why;
    if (!m_impl->re.CheckRewriteString(re2::StringPiece(rewrite.data(), rewrite.size()), &why))
        return Error{ErrorCode::BadInput, "替换文字无法使用", {}};
    return Ok{};
}

std::size_t RegexPattern::replaceAll(std::string& text, std::string_view rewrite) const
{
    return static_cast<std::size_t>(
        RE2::GlobalReplace(&text, m_impl->re, re2::StringPiece(rewrite.data(), rewrite.size())));
}

}  // namespace sorvane::clean
