#include "engine/codepage.h"

#include <memory>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

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

// Substitution callback that counts what it substitutes, then writes '?'.
struct LossCounter {
    std::size_t lost = 0;
};

void countingSubstitute(const void* context, UConverterFromUnicodeArgs* args, const UChar* codeUnits,
                        int32_t length, UChar32 codePoint, UConverterCallbackReason reason,
                        UErrorCode* err)
{
    if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR)
        ++static_cast<LossCounter*>(const_cast<void*>(context))->lost;
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, codeUnits, length, codePoint, reason, err);
}

Text decodeAll(UConverter* conv, std::string_view bytes)
{
    Text out;
    out.resize(bytes.size() * 2 + 16);  // every byte gives at most two UTF-16 units
    const char* src = bytes.data();
    const char* srcEnd = src + bytes.size();
    UChar* dst = reinterpret_cast<UChar*>(out.data());
    UChar* dstEnd = dst + out.size();
    UErrorCode status = U_ZERO_ERROR;
    // flush = true: a truncated sequence at the end becomes U+FFFD too.
    ucnv_toUnicode(conv, &dst, dstEnd, &src, srcEnd, nullptr, true, &status);
    out.resize(static_cast<size_t>(dst - reinterpret_cast<UChar*>(out.data())));
    return out;
}

}  // namespace

Cp936Bytes encodeCp936(TextView text)
{
    Converter conv = openCp936();
    LossCounter counter;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(conv.get(), countingSubstitute, &counter, nullptr, nullptr, &status);

    Cp936Bytes result;
    result.bytes.resize(text.size() * 2 + 16);
    const UChar* src = reinterpret_cast<const UChar*>(text.data());
    const UChar* srcEnd = src + text.size();
    char* dst = result.bytes.data();
    char* dstEnd = dst + result.bytes.size();
    status = U_ZERO_ERROR;
    ucnv_fromUnicode(conv.get(), &dst, dstEnd, &src, srcEnd, nullptr, true, &status);
    result.bytes.resize(static_cast<size_t>(dst - result.bytes.data()));
    result.lost = counter.lost;
    return result;
}

Text decodeCp936(std::string_view bytes)
{
    Converter conv = openCp936();
    return decodeAll(conv.get(), bytes);
}

std::size_t roundTripCp936(Text& text)
{
    Cp936Bytes encoded = encodeCp936(text);
    text = decodeCp936(encoded.bytes);
    return encoded.lost;
}

std::uint16_t cp936Code(char16_t ch)
{
    const char16_t one[1] = {ch};
    const Cp936Bytes b = encodeCp936(TextView(one, 1));
    if (b.bytes.size() == 1)
        return static_cast<unsigned char>(b.bytes[0]);
    if (b.bytes.size() == 2)
        return static_cast<std::uint16_t>(static_cast<unsigned char>(b.bytes[0]) * 256 +
                                          static_cast<unsigned char>(b.bytes[1]));
    return '?';
}

std::optional<char16_t> charFromCp936Code(std::uint16_t code)
{
    std::string bytes;
    if (code < 256) {
        bytes.push_back(static_cast<char>(code));
    } else {
        bytes.push_back(static_cast<char>(code >> 8));
        bytes.push_back(static_cast<char>(code & 0xFF));
    }
    Converter conv = openCp936();
    // Stop on the first invalid or unassigned sequence instead of substituting, so a
    // code that stands for no character is told apart from a real U+FFFD.
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    char16_t out[4];
    const char* src = bytes.data();
    UChar* dst = reinterpret_cast<UChar*>(out);
    status = U_ZERO_ERROR;
    ucnv_toUnicode(conv.get(), &dst, dst + 4, &src, bytes.data() + bytes.size(), nullptr, true, &status);
    if (U_FAILURE(status) || dst - reinterpret_cast<UChar*>(out) != 1 || src != bytes.data() + bytes.size())
        return std::nullopt;
    return out[0];
}

std::optional<Text> decodeWith(std::string_view icuName, std::string_view bytes)
{
    Converter conv = openConverter(icuName);
    if (!conv)
        return std::nullopt;
    return decodeAll(conv.get(), bytes);
}

bool hasConverter(std::string_view icuName)
{
    return openConverter(icuName) != nullptr;
}

}  // namespace sorvane
