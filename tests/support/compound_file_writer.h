#pragma once
// Writes a compound file (version 3, 512-byte sectors) holding the given streams in its
// root storage, for tests that need a Word 97 file of a shape no fixture has. Streams
// shorter than 4096 bytes are padded with zeros to that size, so none goes to the mini
// stream; the whole file must fit the 109 FAT sectors the header lists (about 7 MB).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace sorvane::test {

struct CompoundStream {
    std::string name;  // ASCII
    std::string data;
};

inline void putLe(std::string& out, std::size_t at, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::string compoundFile(std::vector<CompoundStream> streams)
{
    constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
    const auto sectorsFor = [](std::size_t bytes) { return (bytes + 511) / 512; };
    std::vector<std::uint32_t> fat;
    std::vector<std::uint32_t> starts;
    for (CompoundStream& s : streams) {
        if (s.data.size() < 4096)
            s.data.resize(4096, '\0');
        starts.push_back(static_cast<std::uint32_t>(fat.size()));
        const std::size_t n = sectorsFor(s.data.size());
        for (std::size_t i = 0; i < n; ++i)
            fat.push_back(i + 1 < n ? static_cast<std::uint32_t>(fat.size() + 1) : kEnd);
    }
    const std::size_t entries = streams.size() + 1;
    const auto directoryStart = static_cast<std::uint32_t>(fat.size());
    const std::size_t directorySectors = sectorsFor(entries * 128);
    for (std::size_t i = 0; i < directorySectors; ++i)
        fat.push_back(i + 1 < directorySectors ? static_cast<std::uint32_t>(fat.size() + 1) : kEnd);
    std::size_t fatSectors = 1;
    while (fatSectors * 128 < fat.size() + fatSectors)
        ++fatSectors;
    if (fatSectors > 109)
        throw std::length_error("compound file too large for a header-only FAT list");
    const auto fatStart = static_cast<std::uint32_t>(fat.size());
    for (std::size_t i = 0; i < fatSectors; ++i)
        fat.push_back(kFatSector);
    fat.resize(fatSectors * 128, kFree);

    std::string out(512, '\0');
    out.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    putLe(out, 0x18, 0x3E, 2);
    putLe(out, 0x1A, 3, 2);
    putLe(out, 0x1C, 0xFFFE, 2);
    putLe(out, 0x1E, 9, 2);
    putLe(out, 0x20, 6, 2);
    putLe(out, 0x2C, fatSectors, 4);
    putLe(out, 0x30, directoryStart, 4);
    putLe(out, 0x38, 4096, 4);
    putLe(out, 0x3C, kEnd, 4);
    putLe(out, 0x44, kEnd, 4);
    for (std::size_t i = 0; i < 109; ++i)
        putLe(out, 0x4C + 4 * i, i < fatSectors ? fatStart + i : kFree, 4);

    for (const CompoundStream& s : streams) {
        out += s.data;
        out.resize(512 + 512 * sectorsFor(out.size() - 512), '\0');
    }
    // The directory: the root, then each stream as the right sibling of the one before.
    std::string directory(directorySectors * 512, '\0');
    const auto entry = [&](std::size_t index, const std::string& name, int type, std::uint32_t child,
                           std::uint32_t right, std::uint32_t start, std::uint64_t size) {
        const std::size_t at = index * 128;
        for (std::size_t i = 0; i < name.size(); ++i)
            putLe(directory, at + 2 * i, static_cast<unsigned char>(name[i]), 2);
        putLe(directory, at + 0x40, 2 * (name.size() + 1), 2);
        directory[at + 0x42] = static_cast<char>(type);
        directory[at + 0x43] = 1;  // black
        putLe(directory, at + 0x44, kFree, 4);
        putLe(directory, at + 0x48, right, 4);
        putLe(directory, at + 0x4C, child, 4);
        putLe(directory, at + 0x74, start, 4);
        putLe(directory, at + 0x78, size, 8);
    };
    entry(0, "Root Entry", 5, streams.empty() ? kFree : 1, kFree, kEnd, 0);
    for (std::size_t i = 0; i < streams.size(); ++i)
        entry(i + 1, streams[i].name, 2, kFree, i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kFree,
              starts[i], streams[i].data.size());
    for (std::size_t i = streams.size() + 1; i < directorySectors * 4; ++i) {
        putLe(directory, i * 128 + 0x44, kFree, 4);
        putLe(directory, i * 128 + 0x48, kFree, 4);
        putLe(directory, i * 128 + 0x4C, kFree, 4);
    }
    out += directory;
    std::string fatBytes(fat.size() * 4, '\0');
    for (std::size_t i = 0; i < fat.size(); ++i)
        putLe(fatBytes, 4 * i, fat[i], 4);
    out += fatBytes;
    return out;
}

}  // namespace sorvane::test
