// Fuzz target: the replacement-list file reader on arbitrary file content. Every row read
// is permanent and has a search text; saving the list and reading it back gives the same
// rows, and the saved file holds nothing but hex digits and CR LF.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "settings/list_file.h"
#include "fuzz_support.h"

using namespace sorvane;
using sorvane::fuzz::ScratchFolder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ScratchFolder folder;
    const std::filesystem::path file = folder.path() / "KELDRAN.DAT";
    const std::filesystem::path saved = folder.path() / "SAVED.DAT";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    const ReplacementList list = loadListFile(file);
    FUZZ_CHECK(list.size() <= size / 2 + 1);
    for (const ReplacementRow& row : list) {
        FUZZ_CHECK(row.keep == "Y");
        FUZZ_CHECK(!row.search.empty());
    }

    FUZZ_CHECK(saveListFile(saved, list).ok());
    std::ifstream in(saved, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        const bool lineEnd = (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ||
                             (c == '\n' && i > 0 && bytes[i - 1] == '\r');
        FUZZ_CHECK(hex || lineEnd);
    }

    const ReplacementList again = loadListFile(saved);
    FUZZ_CHECK(again.size() == list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(again[i].search == list[i].search);
        FUZZ_CHECK(again[i].replacement == list[i].replacement);
    }
    return 0;
}
