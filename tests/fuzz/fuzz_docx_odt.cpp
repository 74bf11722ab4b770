// Feeds arbitrary bytes to the ZIP-based document readers (DOCX and ODT) as the reader
// choice does: open the archive, tell the kind, read it. Mutated archives mostly fail
// their checksums, so the first byte may ask for the rest to be stored whole as the
// main XML part of a DOCX or an ODT instead, which lets the fuzzer reach the readers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/readers/docx_reader.h"
#include "engine/readers/odt_reader.h"
#include "engine/containers/zip_archive.h"
#include "fuzz_office_check.h"

namespace {

std::uint32_t crc32(std::string_view data)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : data)
        c = table[(c ^ static_cast<std::uint8_t>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// An archive of stored (uncompressed) members.
std::string storedZip(const std::vector<std::pair<std::string, std::string>>& members)
{
    std::string out, central;
    for (const auto& member : members) {
        // Named copies: structured bindings cannot be captured by the lambda below in C++20.
        const std::string& name = member.first;
        const std::string& data = member.second;
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const auto header = [&](std::string& h, bool isCentral) {
            put(h, isCentral ? 0x02014b50 : 0x04034b50, 4);
            if (isCentral)
                put(h, 20, 2);
            put(h, 20, 2);
            put(h, 0, 2);  // flags
            put(h, 0, 2);  // stored
            put(h, 0, 4);  // time and date
            put(h, crc32(data), 4);
            put(h, static_cast<std::uint32_t>(data.size()), 4);
            put(h, static_cast<std::uint32_t>(data.size()), 4);
            put(h, static_cast<std::uint32_t>(name.size()), 2);
            put(h, 0, 2);
            if (isCentral) {
                put(h, 0, 4);  // comment length, disk
                put(h, 0, 2);
                put(h, 0, 4);  // attributes
                put(h, offset, 4);
            }
            h += name;
        };
        header(out, false);
        out += data;
        header(central, true);
    }
    const std::uint32_t centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    put(out, 0x06054b50, 4);
    put(out, 0, 4);
    put(out, static_cast<std::uint32_t>(members.size()), 2);
    put(out, static_cast<std::uint32_t>(members.size()), 2);
    put(out, static_cast<std::uint32_t>(central.size()), 4);
    put(out, centralOffset, 4);
    put(out, 0, 2);
    return out;
}

void readArchive(std::string_view bytes)
{
    auto archive = sorvane::ZipArchive::open(bytes);
    if (!archive)
        return;
    sorvane::ZipArchive& zip = **archive;
    if (sorvane::isDocx(zip)) {
        if (auto text = sorvane::docxText(zip))
            sorvane::fuzz::checkRenderedText(*text);
        else
            FUZZ_CHECK(!text.error().message.empty());
    }
    if (sorvane::isOdt(zip)) {
        if (auto text = sorvane::odtText(zip))
            sorvane::fuzz::checkRenderedText(*text);
        else
            FUZZ_CHECK(!text.error().message.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.starts_with("D:")) {
        // The rest is the document part; the first line of it may be the notes part.
        const std::string rest(bytes.substr(2));
        const std::size_t split = rest.find('\x01');
        readArchive(storedZip({{"word/document.xml", rest.substr(0, split)},
                               {"word/footnotes.xml", split == std::string::npos ? "" : rest.substr(split + 1)},
                               {"word/styles.xml", rest.substr(0, split)}}));
    } else if (bytes.starts_with("O:")) {
        readArchive(storedZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                               {"content.xml", std::string(bytes.substr(2))},
                               {"styles.xml", std::string(bytes.substr(2))}}));
    } else {
        readArchive(bytes);
    }
    return 0;
}
