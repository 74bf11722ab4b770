// Feeds arbitrary bytes to the reader choice and the MOBI reader: the Palm database
// and record 0 headers through the e-book library's adapter, PalmDOC and HUFF/CDIC
// decompression, KF8 parts and the claimed text length against the file's size.
// Besides the sanitizers' checks, any text must hold CR LF line breaks only, and a
// failure must say why.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/mobi_reader.h"
#include "engine/readers/reader_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    sorvane::DocumentProbe probe(bytes, "book.mobi");
    (void)sorvane::chooseDocumentReader(probe);
    sorvane::ReadProblems problems;
    const auto text = sorvane::readMobi(probe, problems);
    if (!text) {
        FUZZ_CHECK(!text.error().message.empty());
        return 0;
    }
    FUZZ_CHECK(sorvane::fuzz::hasOnlyCrLfBreaks(*text));
    return 0;
}
