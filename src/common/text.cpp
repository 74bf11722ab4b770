#include "common/text.h"

#include <unicode/unistr.h>

namespace sorvane {

Text fromUtf8(std::string_view utf8)
{
    const auto u = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    return Text(reinterpret_cast<const char16_t*>(u.getBuffer()), static_cast<size_t>(u.length()));
}

std::string toUtf8(TextView text)
{
    std::string out;
    icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
    return out;
}

}  // namespace sorvane
