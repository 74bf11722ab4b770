// Feeds arbitrary bytes to the help-book reader: the help library's headers and
// directory, #SYSTEM, the table of contents and each topic through the page renderer.
// Besides the sanitizers' checks, any text must hold CR LF line breaks only, and a
// failure must say why.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/chm_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    sorvane::DocumentProbe document(bytes, "help.chm");
    sorvane::ReadProblems problems;
    const auto text = sorvane::readChm(document, problems);
    if (!text) {
        FUZZ_CHECK(!text.error().message.empty());
        return 0;
    }
    FUZZ_CHECK(sorvane::fuzz::hasOnlyCrLfBreaks(*text));
    return 0;
}
