// Feeds arbitrary bytes to the reader choice and the Word 2003 XML reader: XML through
// the XML adapter, paragraphs, tables, fields, list labels and notes walked into text.
// Besides the sanitizers' checks, any text must hold CR LF line breaks only, and a
// failure must say why.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/wordml_reader.h"
#include "engine/readers/reader_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    sorvane::DocumentProbe probe(bytes, "document.doc");
    (void)sorvane::chooseDocumentReader(probe);
    sorvane::ReadProblems problems;
    const auto text = sorvane::readWordXml(probe, problems);
    if (!text) {
        FUZZ_CHECK(!text.error().message.empty());
        return 0;
    }
    FUZZ_CHECK(sorvane::fuzz::hasOnlyCrLfBreaks(*text));
    return 0;
}
