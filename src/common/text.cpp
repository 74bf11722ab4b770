#include "common/text.h"

#include <algorithm>
#include <cstdint>

#include <unicode/normalizer2.h>
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

std::string toNfcUtf8(std::string_view utf8)
{
    // Plain ASCII is its own normal form; most names are.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(utf8);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return std::string(utf8);
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    if (text.indexOf(static_cast<char16_t>(0xFFFD)) >= 0)
        return std::string(utf8);
    const icu::UnicodeString normal = nfc->normalize(text, status);
    if (U_FAILURE(status))
        return std::string(utf8);
    std::string out;
    normal.toUTF8String(out);
    return out;
}

}  // namespace sorvane
