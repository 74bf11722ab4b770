#include "io/hex_codec.h"

#include <chrono>
#include <cstdio>

#include <gtest/gtest.h>

#include "io/codepage.h"

namespace sorvane {
namespace {

std::string group(std::uint32_t code)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", (code + 0x7FFF) & 0xFFFF);
    return buf;
}

TEST(HexCodec, EncodesByCodePageValue)
{
    struct Case {
        std::u16string text;
        std::string hex;
    };
    const Case cases[] = {
        {u"", ""},
        {u"A", "8040"},
        {u" ", "801F"},
        {u"0", "802F"},
        {u"?", "803E"},
        {u"中", "56CF"},
        {u"\u3000", "21A0"},  // ideographic space, A1A1
        {u"€", "807F"},       // the single byte 0x80
        {u"A 0", "8040801F802F"},
        {std::u16string(1, u'\0'), "7FFF"},
        {u"\u0E01", "803E"},                     // Thai, not in the code page
        {u"\U0001F600", "803E803E"},             // each half of a surrogate pair
        {u"D:\\书", "80438039805B" + group(0xCAE9)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(C_HEX(c.text), c.hex) << c.hex;
        // Every group decodes back, an unmappable character as the question mark.
        Text expected = c.text;
        roundTripCp936(expected);
        if (c.text == u"\U0001F600")
            expected = u"??";
        EXPECT_EQ(R_HEX(c.hex), expected) << c.hex;
    }
}

// Groups C_HEX never writes: anything but a hex digit, a short last group read by its
// own value, and values that are no code of the code page all append exactly one
// character, '?' where there is no character to give.
TEST(HexCodec, DecodesEveryGroupWithoutStopping)
{
    const char16_t shortGroupChar = charFromCp936Code(0x8141).value();  // "140" -> 0x8141
    struct Case {
        std::string hex;
        std::u16string text;
    };
    const Case cases[] = {
        {"7FFF", std::u16string(1, u'\0')},
        {"56cf", u"中"},       // lower-case digits read too
        {"80G0", u"?"},        // not a hex digit
        {"8040XYZ18040", u"A?A"},
        {"-801", u"?"},
        {" 804", u"?"},
        {"80", u"?"},           // 0x80 -> code 0x8081: lead byte without a character
        {"804080", u"A?"},
        {"140", std::u16string(1, shortGroupChar)},
        {"0000", u"?"},         // code 0x8001
        {"FFFF", u"?"},         // code 0x8000
        {"80FF", u"?"},         // code 0x0100
        {"8040\r", u"A?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(R_HEX(c.hex), c.text) << c.hex;
}

// Every character of the code page encodes as its own code's group and decodes back; every
// 16-bit value that is no code decodes as '?'.
TEST(HexCodec, RoundTripsEveryCodePageCharacter)
{
    const auto start = std::chrono::steady_clock::now();
    Text all;
    std::string allHex;
    std::size_t characters = 0;
    for (std::uint32_t code = 0; code < 65536; ++code) {
        const std::string g = group(code);
        const std::optional<char16_t> ch = charFromCp936Code(static_cast<std::uint16_t>(code));
        if (!ch) {
            ASSERT_EQ(R_HEX(g), u"?") << g;
            continue;
        }
        ++characters;
        const Text one(1, *ch);
        ASSERT_EQ(C_HEX(one), g) << g;
        ASSERT_EQ(R_HEX(g), one) << g;
        all += *ch;
        allHex += g;
    }
    // GBK alone has 21,886 double-byte characters, plus the single bytes.
    EXPECT_GT(characters, 21886u);
    // One text far beyond 32,767 characters, in one piece.
    EXPECT_EQ(C_HEX(all), allHex);
    EXPECT_EQ(R_HEX(allHex), all);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("seconds", std::to_string(seconds));
    EXPECT_LT(seconds, 20.0);
}

}  // namespace
}  // namespace sorvane
