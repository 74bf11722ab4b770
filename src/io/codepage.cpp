#include "io/codepage.h"

#include <array>
#include <atomic>
#include <climits>
#include <memory>
#include <mutex>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace sorvane {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(std::string_view name)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::string n(name);
    Converter c(ucnv_open(n.c_str(), &status));
    if (U_FAILURE(status))
        return nullptr;
    return c;
}

// Windows' own table for code page 936: 0x80 is the euro sign, and there are no
// best-fit mappings, so an unmappable character is substituted, never approximated.
Converter openCp936()
{
    Converter c = openConverter("windows-936-2000");
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFallback(c.get(), false);
    ucnv_setSubstChars(c.get(), "?", 1, &status);
    return c;
}

// Both directions of code page 936, read from ICU's converter one entry at a time, the
// first time an entry is needed, and kept for the rest of the process. Encoding,
// decoding and the round trip then cost a table lookup per character instead of a pass
// through the converter: the program runs every document through this code page twice,
// and most documents are in it already. Filling both tables at once would cost 131,072
// converter calls, several times what a small page takes to convert; a page meets a few
// thousand distinct characters at most.
// Entries are atomics, so threads converting at once may fill them without a lock: every
// thread that fills an entry writes the same value. The converter itself is not shared
// between threads, so its calls hold a lock; they are rare. The tables are zero-filled
// static storage, so only the pages of entries in use are ever touched.
constinit std::array<std::atomic<std::uint16_t>, 65536> g_codeOf{};  // 0: not looked up yet
constinit std::array<std::atomic<char16_t>, 65536> g_charOf{};       // 0: not looked up yet

class Cp936Tables {
public:
    static constexpr std::uint16_t kUnmapped = 0xFFFF;  // no code: 0xFF is a single byte
    static constexpr std::uint16_t kDropped = 0xFFFE;   // invisible format character, skipped
    static constexpr char16_t kNoChar = u'\uFFFF';       // a noncharacter: no code decodes to it

    // The code of a UTF-16 unit, kUnmapped or kDropped. ASCII is itself in the code page,
    // so text without other characters needs no converter at all.
    std::uint16_t code(char16_t unit)
    {
        if (unit < 0x80)
            return unit;
        const std::uint16_t known = g_codeOf[unit].load(std::memory_order_relaxed);
        return known != 0 ? known : lookUpCode(unit);
    }

    // The character of a code (0..255 for a single byte, lead * 256 + trail), or kNoChar.
    char16_t character(std::uint16_t code)
    {
        if (code < 0x80)
            return static_cast<char16_t>(code);
        const char16_t known = g_charOf[code].load(std::memory_order_relaxed);
        return known != 0 ? known : lookUpCharacter(code);
    }

    // Whether the byte starts a double-byte code.
    bool lead(unsigned char byte) { return byte >= 0x80 && leads()[byte]; }

    // For each byte, whether it starts a double-byte code; a loop over many bytes takes
    // the table once. The first call opens the converter.
    const std::array<bool, 256>& leads()
    {
        std::call_once(m_leadOnce, [this] {
            // The bytes that start a double-byte code. A starter without any valid trail
            // leads every decoding of it to ICU as an invalid sequence either way.
            std::lock_guard lock(m_mutex);
            UBool starters[256] = {};
            UErrorCode status = U_ZERO_ERROR;
            ucnv_getStarters(converter(), starters, &status);
            if (U_SUCCESS(status))
                for (int b = 0x80; b < 256; ++b)
                    m_lead[static_cast<std::size_t>(b)] = starters[b] != 0;
        });
        return m_lead;
    }

    // Whether the code page holds this unit; encoding and decoding give it back unchanged.
    bool mapped(char16_t unit) { return code(unit) < kDropped; }

private:
    // The converter's own substitution decides: '?' for a character the code page lacks,
    // nothing at all for a default-ignorable one (soft hyphen, zero-width space,
    // byte-order mark), which would otherwise show up as a stray '?'.
    std::uint16_t lookUpCode(char16_t unit)
    {
        std::uint16_t code = kUnmapped;
        if (unit < 0xD800 || unit > 0xDFFF) {
            std::lock_guard lock(m_mutex);
            UConverter* conv = converter();
            const UChar u = static_cast<UChar>(unit);
            char bytes[4];
            UErrorCode status = U_ZERO_ERROR;
            ucnv_resetFromUnicode(conv);
            const int32_t n = ucnv_fromUChars(conv, bytes, 4, &u, 1, &status);
            if (U_SUCCESS(status)) {
                if (n == 0)
                    code = kDropped;
                else if (n == 1 && (bytes[0] != '?' || unit == u'?'))
                    code = static_cast<unsigned char>(bytes[0]);
                else if (n == 2)
                    code = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) * 256 +
                                                      static_cast<unsigned char>(bytes[1]));
            }
        }
        g_codeOf[unit].store(code, std::memory_order_relaxed);
        return code;
    }

    char16_t lookUpCharacter(std::uint16_t code)
    {
        char16_t c = kNoChar;
        {
            std::lock_guard lock(m_mutex);
            UConverter* conv = converter();
            char bytes[2];
            int32_t length = 1;
            if (code < 256) {
                bytes[0] = static_cast<char>(code);
            } else {
                bytes[0] = static_cast<char>(code >> 8);
                bytes[1] = static_cast<char>(code & 0xFF);
                length = 2;
            }
            UChar out[4];
            UErrorCode status = U_ZERO_ERROR;
            ucnv_resetToUnicode(conv);
            const int32_t n = ucnv_toUChars(conv, out, 4, bytes, length, &status);
            if (U_SUCCESS(status) && n == 1 && out[0] != 0xFFFD)
                c = out[0];
        }
        g_charOf[code].store(c, std::memory_order_relaxed);
        return c;
    }

    // The converter for look-ups, opened on the first: it stops at an invalid sequence
    // instead of giving U+FFFD. Called with m_mutex held.
    UConverter* converter()
    {
        if (!m_conv) {
            m_conv = openCp936();
            UErrorCode status = U_ZERO_ERROR;
            ucnv_setToUCallBack(m_conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        }
        return m_conv.get();
    }

    Converter m_conv;
    std::mutex m_mutex;
    std::once_flag m_leadOnce;
    std::array<bool, 256> m_lead{};
};

Cp936Tables& cp936()
{
    static Cp936Tables tables;
    return tables;
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// What becomes of a unit the code page does not hold, as the converter's substitution
// treats it: skipped (true) for a default-ignorable character, otherwise one '?'. `i`
// moves past the low half of a surrogate pair.
bool skippedWhenUnmapped(Cp936Tables& t, TextView text, size_t& i)
{
    const char16_t c = text[i];
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
        const UChar32 cp = U16_GET_SUPPLEMENTARY(c, text[i + 1]);
        ++i;
        return u_hasBinaryProperty(cp, UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
    }
    return t.code(c) == Cp936Tables::kDropped;
}

// Decodes valid code page 936 with the tables. Returns nothing at the first byte sequence
// that is not a character (a stray trail byte, an unassigned code, a cut-off double-byte
// code): such input goes to ICU, whose substitution rules stay the ones that apply.
std::optional<Text> decodeCp936Fast(std::string_view bytes)
{
    Cp936Tables& t = cp936();
    const std::array<bool, 256>* leads = nullptr;  // taken with the first byte past ASCII
    Text out;
    out.resize(bytes.size());
    char16_t* dst = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            *dst++ = b;
            ++p;
            continue;
        }
        if (!leads)
            leads = &t.leads();
        if (!(*leads)[b]) {
            const char16_t c = t.character(b);
            if (c == Cp936Tables::kNoChar)
                return std::nullopt;
            *dst++ = c;
            ++p;
            continue;
        }
        if (end - p < 2)
            return std::nullopt;
        const char16_t c = t.character(static_cast<std::uint16_t>(b * 256u + p[1]));
        if (c == Cp936Tables::kNoChar)
            return std::nullopt;
        *dst++ = c;
        p += 2;
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
}

Text decodeAll(UConverter* conv, std::string_view bytes)
{
    // Room for one unit per byte, which every encoding we decode stays within; should one
    // not, the buffer grows and decoding goes on where it stopped.
    Text out;
    out.resize(bytes.size() + 16);
    const char* src = bytes.data();
    const char* srcEnd = src + bytes.size();
    size_t used = 0;
    for (;;) {
        UChar* start = reinterpret_cast<UChar*>(out.data());
        UChar* dst = start + used;
        UErrorCode status = U_ZERO_ERROR;
        // flush = true: a truncated sequence at the end becomes U+FFFD too.
        ucnv_toUnicode(conv, &dst, start + out.size(), &src, srcEnd, nullptr, true, &status);
        used = static_cast<size_t>(dst - start);
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
        out.resize(out.size() * 2);
    }
    out.resize(used);
    return out;
}

}  // namespace

Cp936Bytes encodeCp936(TextView text)
{
    Cp936Tables& t = cp936();
    Cp936Bytes result;
    result.bytes.resize(text.size() * 2);
    char* dst = result.bytes.data();
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const std::uint16_t code = t.code(c);
        if (code >= Cp936Tables::kDropped) {
            // One '?' per character the code page lacks: a surrogate pair is one character.
            // A skipped one is counted too, so a caller that must store the text exactly
            // can refuse it.
            if (skippedWhenUnmapped(t, text, i)) {
                ++result.dropped;
            } else {
                *dst++ = '?';
                ++result.lost;
            }
        } else if (code < 256) {
            *dst++ = static_cast<char>(code);
        } else {
            *dst++ = static_cast<char>(code >> 8);
            *dst++ = static_cast<char>(code & 0xFF);
        }
    }
    result.bytes.resize(static_cast<size_t>(dst - result.bytes.data()));
    return result;
}

Text decodeCp936(std::string_view bytes)
{
    if (std::optional<Text> fast = decodeCp936Fast(bytes))
        return std::move(*fast);
    Converter conv = openCp936();
    return decodeAll(conv.get(), bytes);
}

std::size_t roundTripCp936(Text& text)
{
    // A character the code page holds comes back as itself, so only the others change.
    Cp936Tables& t = cp936();
    size_t i = 0;
    while (i < text.size() && t.mapped(text[i]))
        ++i;
    if (i == text.size())
        return 0;
    std::size_t lost = 0;
    size_t out = i;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (t.mapped(c)) {
            text[out++] = c;
            continue;
        }
        if (!skippedWhenUnmapped(t, text, i)) {
            text[out++] = u'?';
            ++lost;
        }
    }
    text.resize(out);
    return lost;
}

std::uint16_t cp936Code(char16_t ch)
{
    const std::uint16_t code = cp936().code(ch);
    return code >= Cp936Tables::kDropped ? std::uint16_t('?') : code;
}

std::optional<char16_t> charFromCp936Code(std::uint16_t code)
{
    Cp936Tables& t = cp936();
    // A lead byte alone is half a code, not a character.
    if (code < 256 && t.lead(static_cast<unsigned char>(code)))
        return std::nullopt;
    const char16_t c = t.character(code);
    if (c == Cp936Tables::kNoChar)
        return std::nullopt;
    return c;
}

std::optional<Text> decodeWith(std::string_view icuName, std::string_view bytes)
{
    Converter conv = openConverter(icuName);
    if (!conv)
        return std::nullopt;
    return decodeAll(conv.get(), bytes);
}

// For the Unicode encodings only an unpaired surrogate cannot be held.
std::optional<std::string> encodeWith(std::string_view icuName, TextView text)
{
    Converter conv = openConverter(icuName);
    if (!conv)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(text.size(), ucnv_getMaxCharSize(conv.get()))),
                      '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(conv.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
                                      reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()),
                                      &status);
    if (U_FAILURE(status))
        return std::nullopt;
    bytes.resize(static_cast<size_t>(n));
    return bytes;
}

// One pass into a buffer sized for the worst case, no converter to open.
std::string encodeUtf8(TextView text)
{
    // At most three bytes per UTF-16 unit (a surrogate pair takes four for two units).
    if (text.size() > static_cast<size_t>(INT32_MAX) / 3)
        return toUtf8(text);
    std::string bytes(text.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(bytes.data(), static_cast<int32_t>(bytes.size()), &length,
                       reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), 0xFFFD,
                       nullptr, &status);
    if (U_FAILURE(status))
        return toUtf8(text);
    bytes.resize(static_cast<size_t>(length));
    return bytes;
}

bool hasConverter(std::string_view icuName)
{
    return openConverter(icuName) != nullptr;
}

}  // namespace sorvane
