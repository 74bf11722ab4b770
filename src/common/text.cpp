#include "common/text.h"

#include <cstdint>

#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace sorvane {

Text fromUtf8(std::string_view utf8)
{
    const auto u = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    return Text(reinterpret_cast<const char16_t*>(u.getBuffer()), static_cast<size_t>(u.length()));
}

void appendUtf8(Text& out, std::string_view utf8)
{
    const auto* s = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    out.reserve(out.size() + utf8.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT_OR_FFFD(s, i, length, c);
        if (U_IS_BMP(c)) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(U16_LEAD(c));
            out.push_back(U16_TRAIL(c));
        }
    }
}

std::string toUtf8(TextView text)
{
    std::string out;
    icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
    return out;
}

}  // namespace sorvane
