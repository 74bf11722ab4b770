// Feeds arbitrary bytes to the reader choice and the FB2 reader: XML through the XML
// adapter (a declared legacy encoding decoded first), a ZIP holding one book, nested
// sections, titles and stanzas turned into a page for the page renderer.
// Besides the sanitizers' checks, any text must hold CR LF line breaks only, and a
// failure must say why.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/fb2_reader.h"
#include "engine/readers/reader_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    sorvane::DocumentProbe probe(bytes, "book.fb2");
    (void)sorvane::chooseDocumentReader(probe);
    sorvane::ReadProblems problems;
    const auto text = sorvane::readFb2(probe, problems);
    if (!text) {
        FUZZ_CHECK(!text.error().message.empty());
        return 0;
    }
    FUZZ_CHECK(sorvane::fuzz::hasOnlyCrLfBreaks(*text));
    return 0;
}
