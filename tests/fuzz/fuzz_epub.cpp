// Feeds arbitrary bytes to the reader choice and the EPUB reader: the ZIP adapter with its caps, the container
// and package documents through the XML adapter, the spine, and each chapter through
// the page renderer. Besides the sanitizers' checks, any text must hold CR LF line
// breaks only, and a failure must say why.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/reader_table.h"
#include "engine/readers/epub_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The reader choice looks at the same bytes first (signatures, a look inside ZIPs),
    // and the reader takes over what it opened.
    sorvane::DocumentProbe probe(bytes, "book");
    (void)sorvane::chooseDocumentReader(probe);
    sorvane::ReadProblems problems;
    const auto text = sorvane::readEpub(probe, problems);
    if (!text) {
        FUZZ_CHECK(!text.error().message.empty());
        return 0;
    }
    FUZZ_CHECK(sorvane::fuzz::hasOnlyCrLfBreaks(*text));
    return 0;
}
