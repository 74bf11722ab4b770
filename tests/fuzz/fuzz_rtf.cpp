// Feeds arbitrary bytes to the RTF reader: the tokenizer, group nesting past the depth
// limit, \bin and \uc counts, font tables and code-page decoding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/rtf_reader.h"
#include "fuzz_office_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)sorvane::looksLikeRtf(bytes);
    sorvane::fuzz::checkRenderedText(sorvane::rtfText(bytes));
    return 0;
}
