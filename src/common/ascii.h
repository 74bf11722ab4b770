#pragma once
// ASCII helpers for markup, style sheets and settings files, where case and white space
// are ASCII-only by definition (a locale's rules must not apply).

#include <cstddef>
#include <string>
#include <string_view>

namespace sorvane {

// Space, tab, LF, CR and form feed: white space in HTML and CSS.
constexpr bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

constexpr bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr char toLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string toLowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = toLowerAscii(c);
    return out;
}

constexpr bool equalsNoCaseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLowerAscii(a[i]) != toLowerAscii(b[i]))
            return false;
    return true;
}

// Whether `s` holds `lower` (lower case) at `pos`, without regard to case.
constexpr bool hasNoCaseAt(std::string_view s, std::size_t pos, std::string_view lower)
{
    return pos <= s.size() && s.size() - pos >= lower.size() && equalsNoCaseAscii(s.substr(pos, lower.size()), lower);
}

// `s` without leading and trailing characters for which `isBlank` holds.
template <typename Blank>
constexpr std::string_view trimAscii(std::string_view s, Blank isBlank)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// `s` without leading and trailing HTML / CSS white space.
constexpr std::string_view trimAscii(std::string_view s)
{
    return trimAscii(s, [](char c) { return isAsciiSpace(c); });
}

// Takes the next token of a white-space separated list (a class or rel attribute) off
// the front of `list`; empty once the list holds no more tokens.
constexpr std::string_view nextAsciiToken(std::string_view& list)
{
    std::size_t start = 0;
    while (start < list.size() && isAsciiSpace(list[start]))
        ++start;
    std::size_t end = start;
    while (end < list.size() && !isAsciiSpace(list[end]))
        ++end;
    const std::string_view token = list.substr(start, end - start);
    list.remove_prefix(end);
    return token;
}

}  // namespace sorvane
