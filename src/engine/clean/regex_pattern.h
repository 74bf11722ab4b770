#pragma once
// A regular expression from an untrusted source: the one adapter over the regular
// expression library, which matches in time linear in the text (no backtracking), so a
// shared pattern cannot hold a conversion.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane::clean {

class RegexPattern {
public:
    // Compiles a UTF-8 pattern. `^` and `$` match at the start and end of every line
    // (lines end in LF), `.` matches no line end. Fails with BadInput, the message saying
    // why (the library's reason in the engine's words, with the piece of the pattern it
    // names), for a bad pattern or one that needs too much memory.
    static Result<RegexPattern> compile(std::string_view pattern);

    RegexPattern(RegexPattern&&) noexcept;
    RegexPattern& operator=(RegexPattern&&) noexcept;
    ~RegexPattern();

    // Fails with BadInput when `rewrite` cannot be used as this pattern's replacement: a
    // \N naming a group the pattern lacks, or a backslash before anything but a digit or
    // another backslash.
    Status checkRewrite(std::string_view rewrite) const;

    // Replaces every match in the UTF-8 text by `rewrite` (\0 the match, \1..\9 its
    // groups, \\ a backslash). Returns how many were replaced.
    std::size_t replaceAll(std::string& text, std::string_view rewrite) const;

private:
    struct Impl;
    explicit RegexPattern(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sorvane::clean
