// Feeds arbitrary bytes to the compound-file adapter and the Word 97-2003 reader: the
// file information block, the piece table, character property pages and note tables.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/readers/doc_reader.h"
#include "engine/containers/ole_compound_file.h"
#include "fuzz_office_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto file = sorvane::OleCompoundFile::open(bytes);
    if (!file || !sorvane::isWordDocument(**file))
        return 0;
    if (auto text = sorvane::docText(**file))
        sorvane::fuzz::checkRenderedText(*text);
    else
        FUZZ_CHECK(!text.error().message.empty());
    return 0;
}
