// Fuzz target: the settings file reader and writer on arbitrary file content. The input
// starts with a section name, a key name and a value (FuzzedDataProvider strings), the
// rest is the file. Checks:
// - reading the program's six keys never fails and never crashes;
// - writing MAX_L changes what MAX_L reads and nothing else the program reads;
// - writing the fuzzed name and value either is refused or reads back as written, and
//   leaves the program's keys alone.

#include <unistd.h>

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "settings/ini_file.h"
#include "fuzz_support.h"

namespace {

using namespace sorvane;
using sorvane::fuzz::ScratchFolder;

constexpr std::array<const char*, 6> kKeys = {"USE_PATH", "Value0", "Value1", "Value2", "MAX_L", "MAX_Len"};

void writeFile(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::array<std::string, kKeys.size()> readKeys(const std::filesystem::path& file)
{
    std::array<std::string, kKeys.size()> values;
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        values[i] = Read_INI(file, "SET", kKeys[i]);
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(32);
    const std::string key = input.ConsumeRandomLengthString(32);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string content = input.ConsumeRemainingBytesAsString();

    const ScratchFolder folder;
    const std::filesystem::path file = folder.path() / "KELDRAN.INI";
    writeFile(file, content);

    // The program's own keys; MAX_L rewritten.
    const auto before = readKeys(file);
    FUZZ_CHECK(Write_INI(file, "SET", "MAX_L", "42").ok());
    const auto after = readKeys(file);
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        FUZZ_CHECK(after[i] == (std::string_view(kKeys[i]) == "MAX_L" ? "42" : before[i]));
    FUZZ_CHECK(Read_INI(file, "SET", "MAX_L", "default") == "42");

    // A fuzzed name and value: refused, or read back as written (blanks around a value
    // are not kept by the format, so such values are left out of the comparison).
    const Status written = Write_INI(file, section, key, value);
    auto trimmed = [](std::string_view s) {
        while (!s.empty() && isBlank(s.front()))
            s.remove_prefix(1);
        while (!s.empty() && isBlank(s.back()))
            s.remove_suffix(1);
        return s;
    };
    if (written.ok() && !trimmed(section).empty() && !trimmed(key).empty() && trimmed(value) == value)
        FUZZ_CHECK(Read_INI(file, section, key) == value);
    if (written.ok()) {
        // Unless the fuzzed write named one of the program's keys, they read as before.
        const auto last = readKeys(file);
        for (std::size_t i = 0; i < kKeys.size(); ++i) {
            std::string a(trimmed(section)), b(trimmed(key));
            for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            for (char& c : b) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            std::string k = kKeys[i];
            for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (!(a == "SET" && b == k))
                FUZZ_CHECK(last[i] == after[i]);
        }
    }
    return 0;
}
