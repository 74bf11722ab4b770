// The code page 936 tables must give exactly what ICU's converter gives, for every
// character and every code: the converter itself is the reference here.
#include "io/codepage.h"

#include <memory>
#include <random>
#include <string>

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

namespace sorvane {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter referenceConverter()
{
    UErrorCode status = U_ZERO_ERROR;
    Converter c(ucnv_open("windows-936-2000", &status));
    EXPECT_TRUE(U_SUCCESS(status));
    ucnv_setFallback(c.get(), false);
    ucnv_setSubstChars(c.get(), "?", 1, &status);
    return c;
}

std::string referenceEncode(UConverter* conv, const Text& text)
{
    ucnv_resetFromUnicode(conv);
    std::string out(text.size() * 2 + 8, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                                      reinterpret_cast<const UChar*>(text.data()),
                                      static_cast<int32_t>(text.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status));
    out.resize(static_cast<size_t>(n));
    return out;
}

Text referenceDecode(UConverter* conv, const std::string& bytes)
{
    ucnv_resetToUnicode(conv);
    Text out(bytes.size() * 2 + 8, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                    bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status));
    out.resize(static_cast<size_t>(n));
    return out;
}

TEST(CodePage936, EveryUnitEncodesAndRoundTripsAsTheConverterDoes)
{
    Converter conv = referenceConverter();
    size_t mapped = 0;
    for (std::uint32_t unit = 0; unit < 65536; ++unit) {
        const Text one(1, static_cast<char16_t>(unit));
        const Cp936Bytes ours = encodeCp936(one);
        const std::string expected = referenceEncode(conv.get(), one);
        ASSERT_EQ(ours.bytes, expected) << "U+" << std::hex << unit;
        const bool lost = expected == "?" && unit != u'?';
        ASSERT_EQ(ours.lost, lost ? 1u : 0u) << "U+" << std::hex << unit;
        // What the converter leaves out entirely is counted too, so it is never silent.
        ASSERT_EQ(ours.dropped, expected.empty() ? 1u : 0u) << "U+" << std::hex << unit;
        ASSERT_EQ(ours.faithful(), !lost && !expected.empty()) << "U+" << std::hex << unit;
        Text trip = one;
        ASSERT_EQ(roundTripCp936(trip), ours.lost);
        ASSERT_EQ(trip, referenceDecode(conv.get(), expected)) << "U+" << std::hex << unit;
        mapped += lost ? 0 : 1;
    }
    // ASCII, the euro sign, 0xFF's private-use character and the double-byte set.
    EXPECT_GT(mapped, 21000u);
}

TEST(CodePage936, EveryCodeDecodesAsTheConverterDoes)
{
    Converter conv = referenceConverter();
    for (std::uint32_t code = 0; code < 65536; ++code) {
        std::string bytes;
        if (code < 256) {
            bytes.push_back(static_cast<char>(code));
        } else {
            bytes.push_back(static_cast<char>(code >> 8));
            bytes.push_back(static_cast<char>(code & 0xFF));
        }
        ASSERT_EQ(decodeCp936(bytes), referenceDecode(conv.get(), bytes)) << std::hex << code;
    }
}

TEST(CodePage936, MixedAndDamagedTextMatchesTheConverter)
{
    Converter conv = referenceConverter();
    std::mt19937 random(936);
    // Characters from every kind: ASCII, CJK, symbols, supplementary pairs (U+1F600, and
    // the default-ignorable U+E0001, which the converter skips), lone surrogates,
    // characters the code page lacks, invisible ones it skips (soft hyphen, zero width).
    const char16_t pool[] = {u'a', u'\r', u'\n', u'中', u'镕', u'\u3000', u'\u20AC', u'\u00E9',
                             u'\u0E01', u'\uF8F5', char16_t(0xD83D), char16_t(0xDE00), u'?', u'\0', u'\uFFFD',
                             u'\u00AD', u'\u200B', char16_t(0xDB40), char16_t(0xDC01)};
    for (int round = 0; round < 300; ++round) {
        Text text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            text.push_back(pool[random() % std::size(pool)]);
        const std::string expected = referenceEncode(conv.get(), text);
        EXPECT_EQ(encodeCp936(text).bytes, expected);
        Text trip = text;
        roundTripCp936(trip);
        EXPECT_EQ(trip, referenceDecode(conv.get(), expected));

        // Byte strings with stray trail bytes, lead bytes cut off and unassigned codes.
        std::string bytes = expected;
        for (int k = 0; k < 3 && !bytes.empty(); ++k)
            bytes.insert(random() % (bytes.size() + 1), 1, static_cast<char>(0x80 + random() % 0x80));
        EXPECT_EQ(decodeCp936(bytes), referenceDecode(conv.get(), bytes));
    }
}

}  // namespace
}  // namespace sorvane
