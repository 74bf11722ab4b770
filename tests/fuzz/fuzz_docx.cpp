// Feeds arbitrary bytes to the ZIP-based document readers (DOCX and ODT) as the reader
// choice does: open the archive, tell the kind, read it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/docx_reader.h"
#include "engine/odt_reader.h"
#include "engine/zip_archive.h"
#include "fuzz_office_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto archive = sorvane::ZipArchive::open(bytes);
    if (!archive)
        return 0;
    sorvane::ZipArchive& zip = **archive;
    if (sorvane::isDocx(zip)) {
        if (auto text = sorvane::readDocx(zip))
            sorvane::fuzz::checkRenderedText(*text);
        else
            FUZZ_CHECK(!text.error().message.empty());
    }
    if (sorvane::isOdt(zip)) {
        if (auto text = sorvane::readOdt(zip))
            sorvane::fuzz::checkRenderedText(*text);
        else
            FUZZ_CHECK(!text.error().message.empty());
    }
    return 0;
}
