#pragma once
// Writes ZIP archives byte by byte for the tests, independently of the library the
// program reads them with, and able to lie: a wrong CRC, a claimed size that is not the
// real one, a member cut short.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::test {

struct ZipEntry {
    std::string name;
    std::string data;             // the content, before compression
    bool deflate = false;
    std::int64_t claimedSize = -1;  // the size written in the headers; -1: the real one
    bool badCrc = false;
    // Already deflated: `data` holds the packed bytes, and these the content's size and
    // CRC (for contents too large to hold whole; see repeatedMember).
    bool packed = false;
    std::uint32_t packedCrc = 0;
    std::uint32_t packedContentSize = 0;
};

inline void put16(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void put32(std::string& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

inline std::string rawDeflate(std::string_view data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A deflated member holding `head`, then `unit` `count` times, then `tail`, packed a
// piece at a time so that a content of hundreds of megabytes is never held whole.
inline ZipEntry repeatedMember(std::string name, std::string_view head, std::string_view unit, std::size_t count,
                               std::string_view tail)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    ZipEntry entry{std::move(name), {}, true};
    entry.packed = true;
    uLong crc = crc32(0, nullptr, 0);
    std::string block;
    for (std::size_t done = 0; done < count;) {
        block.clear();
        for (; done < count && block.size() < (1u << 20); ++done)
            block += unit;
        if (entry.packedContentSize == 0)
            block.insert(0, head);
        if (done == count)
            block += tail;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(block.size()));
        entry.packedContentSize += static_cast<std::uint32_t>(block.size());
        z.next_in = reinterpret_cast<Bytef*>(block.data());
        z.avail_in = static_cast<uInt>(block.size());
        const int flush = done == count ? Z_FINISH : Z_NO_FLUSH;
        do {
            char out[1 << 16];
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            deflate(&z, flush);
            entry.data.append(out, sizeof out - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    entry.packedCrc = static_cast<std::uint32_t>(crc);
    return entry;
}

inline std::string zipArchive(const std::vector<ZipEntry>& entries)
{
    std::string out, central;
    for (const ZipEntry& e : entries) {
        const std::string packed = e.packed ? e.data : e.deflate ? rawDeflate(e.data) : e.data;
        std::uint32_t crc = e.packed ? e.packedCrc
                                     : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                                                        static_cast<uInt>(e.data.size())));
        if (e.badCrc)
            crc ^= 0x5A5A5A5Au;
        const std::uint32_t contentSize = e.packed ? e.packedContentSize : static_cast<std::uint32_t>(e.data.size());
        const std::uint32_t size = static_cast<std::uint32_t>(e.claimedSize < 0 ? contentSize : e.claimedSize);
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        auto header = [&](std::string& h, bool isCentral) {
            put32(h, isCentral ? 0x02014b50 : 0x04034b50);
            if (isCentral)
                put16(h, 20);
            put16(h, 20);                      // version needed
            put16(h, 0x0800);                  // UTF-8 names
            put16(h, e.deflate ? 8 : 0);       // method
            put16(h, 0);                       // time
            put16(h, 0x21);                    // date
            put32(h, crc);
            put32(h, static_cast<std::uint32_t>(packed.size()));
            put32(h, size);
            put16(h, static_cast<std::uint32_t>(e.name.size()));
            put16(h, 0);  // extra
            if (isCentral) {
                put16(h, 0);  // comment
                put16(h, 0);  // disk
                put16(h, 0);  // internal attributes
                put32(h, 0);  // external attributes
                put32(h, offset);
            }
            h += e.name;
        };
        header(out, false);
        out += packed;
        header(central, true);
    }
    const std::uint32_t centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

}  // namespace sorvane::test
