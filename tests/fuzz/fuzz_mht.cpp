// Feeds arbitrary bytes to the saved-page reader: the MIME adapter, the choice of the
// root part, linked style sheets and frames. Besides the sanitizers' checks, any text
// must hold CR LF line breaks only, and a failure must say why.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/mht_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)sorvane::looksLikeSavedPage(bytes);
    sorvane::ReadProblems problems;
    sorvane::DocumentProbe document(bytes, "page.mht");
    const auto text = sorvane::readMht(document, problems);
    if (!text) {
        FUZZ_CHECK(!text.error().message.empty());
        return 0;
    }
    FUZZ_CHECK(sorvane::fuzz::hasOnlyCrLfBreaks(*text));
    return 0;
}
