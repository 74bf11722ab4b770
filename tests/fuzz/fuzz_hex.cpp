// Fuzz target: the hex codec of the list file. R_HEX on arbitrary bytes must give one
// character per group of four (the last one may be shorter) and survive a round trip
// through C_HEX; C_HEX on arbitrary UTF-16 units must give four upper-case hex digits per
// unit, and what R_HEX makes of that must encode to the same digits again.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/text.h"
#include "io/hex_codec.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace sorvane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const Text decoded = R_HEX(bytes);
    FUZZ_CHECK(decoded.size() == (size + 3) / 4);
    const std::string encoded = C_HEX(decoded);
    FUZZ_CHECK(encoded.size() == 4 * decoded.size());
    FUZZ_CHECK(R_HEX(encoded) == decoded);

    Text units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const std::string hex = C_HEX(units);
    FUZZ_CHECK(hex.size() == 4 * units.size());
    for (const char c : hex)
        FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    const Text back = R_HEX(hex);
    FUZZ_CHECK(back.size() == units.size());
    FUZZ_CHECK(C_HEX(back) == hex);
    return 0;
}
