#include "engine/clean/regex_pattern.h"

#include <re2/re2.h>

namespace sorvane::clean {
namespace {

// Memory one pattern may take for its compiled forms; a pattern past it is refused
// rather than left to fall back to slower matching.
constexpr std::int64_t kPatternMemory = 16 << 20;

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
    // Multi-line: ^ and $ at every line of the text.
    constexpr std::string_view multiLine = "(?m)";
    auto impl = std::make_unique<Impl>(std::string(multiLine) + std::string(pattern), options);
    if (!impl->re.ok()) {
        // The library quotes the pattern as it was given to it; the reader wrote it without
        // the flag in front.
        std::string why = impl->re.error();
        if (const std::size_t at = why.find(multiLine); at != std::string::npos)
            why.erase(at, multiLine.size());
        return Error{ErrorCode::BadInput, why, {}};
    }
    return RegexPattern(std::move(impl));
}

Status RegexPattern::checkRewrite(std::string_view rewrite) const
{
    std::string why;
    if (!m_impl->re.CheckRewriteString(re2::StringPiece(rewrite.data(), rewrite.size()), &why))
        return Error{ErrorCode::BadInput, why, {}};
    return Ok{};
}

std::size_t RegexPattern::replaceAll(std::string& text, std::string_view rewrite) const
{
    return static_cast<std::size_t>(
        RE2::GlobalReplace(&text, m_impl->re, re2::StringPiece(rewrite.data(), rewrite.size())));
}

}  // namespace sorvane::clean
