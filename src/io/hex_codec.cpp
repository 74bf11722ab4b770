#include "io/hex_codec.h"

#include <cstdint>

#include "io/codepage.h"

namespace sorvane {
namespace {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

// One group of four upper-case hexadecimal digits per UTF-16 unit: (code page 936 value
// + 0x7FFF) modulo 65,536. So "A" is 8040, a blank 801F, 中 56CF, and a character the
// code page lacks 803E (the group of '?'), as is each half of a surrogate pair.
std::string C_HEX(TextView text)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.resize(text.size() * 4);
    char* p = out.data();
    for (const char16_t unit : text) {
        // The code read as a signed 16-bit number plus 32,767 is the same 16-bit pattern
        // as the unsigned code plus 0x7FFF, modulo 65,536.
        const auto group = static_cast<std::uint16_t>(cp936Code(unit) + 0x7FFF);
        *p++ = kDigits[(group >> 12) & 0xF];
        *p++ = kDigits[(group >> 8) & 0xF];
        *p++ = kDigits[(group >> 4) & 0xF];
        *p++ = kDigits[group & 0xF];
    }
    return out;
}

// One character per group of four digits, either case; a shorter last group is read by
// its own value.
Text R_HEX(std::string_view hex)
{
    Text out;
    out.reserve(hex.size() / 4 + 1);
    for (std::size_t pos = 0; pos < hex.size(); pos += 4) {
        const std::string_view group = hex.substr(pos, 4);
        std::uint32_t value = 0;
        bool digitsOnly = true;
        for (const char c : group) {
            const int d = hexDigitValue(c);
            if (d < 0) {
                digitsOnly = false;
                break;
            }
            value = value * 16 + static_cast<std::uint32_t>(d);
        }
        // A group with anything but hex digits, and a value that is no character of the
        // code page, become '?': the character the code page gives for what it lacks, so
        // a damaged entry reads back as it would be written again (803E).
        if (!digitsOnly) {
            out.push_back(u'?');
            continue;
        }
        // value - 32,767, a negative difference standing for difference + 65,536.
        const auto code = static_cast<std::uint16_t>(value - 0x7FFF);
        out.push_back(charFromCp936Code(code).value_or(u'?'));
    }
    return out;
}

}  // namespace sorvane
