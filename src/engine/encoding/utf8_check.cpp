#include "engine/encoding/utf8_check.h"

#include <cstdint>

namespace sorvane {

bool isValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Skip ASCII eight bytes at a time: most documents are mostly ASCII markup.
        while (end - p >= 8) {
            std::uint64_t word;
            __builtin_memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p >= end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

// The incomplete last character decodes as U+FFFD.
bool isValidUtf8CutShort(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return true;
    // The lead byte of the last character, behind at most two continuation bytes.
    const size_t n = bytes.size();
    size_t k = 0;
    while (k < 3 && k < n && (static_cast<unsigned char>(bytes[n - 1 - k]) & 0xC0) == 0x80)
        ++k;
    if (k == n)
        return false;
    const auto lead = static_cast<unsigned char>(bytes[n - 1 - k]);
    size_t needed = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        needed = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        needed = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        needed = 3;
    return k < needed && isValidUtf8(bytes.substr(0, n - 1 - k));
}

}  // namespace sorvane
