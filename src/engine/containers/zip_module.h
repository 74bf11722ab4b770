#pragma once
// The table of the ZIP module: the ZIP library's calls that zip_archive.cpp makes, across
// a boundary of plain C types.

#include <cstddef>
#include <cstdint>

#include "io/byte_sink.h"

namespace sorvane {

enum class ZipReadStatus : int {
    Done,
    OpenFailed,  // the member could not be opened; `error` says why
    Damaged,     // its data is damaged (a CRC mismatch included); `error` says why
    TooLarge,    // it inflates to more than `limit` bytes
};

struct ZipModule {
    // Opens the archive in `bytes`, which must outlive it. Null on failure, with the
    // library's reason in `error`.
    void* (*open)(const char* bytes, std::size_t size, ByteSink error);
    void (*close)(void* archive);
    // How many members the archive has; negative when the library cannot tell.
    std::int64_t (*count)(void* archive);
    // A member's stored name and sizes, each written only when the archive records it.
    void (*stat)(void* archive, std::uint64_t index, ByteSink name, std::uint64_t* size, std::uint64_t* packedSize);
    // Inflates a member into `out`, stopping before it passes `limit` bytes; `written`
    // gets the bytes written either way.
    ZipReadStatus (*read)(void* archive, std::uint64_t index, std::uint64_t limit, ByteSink out,
                          std::uint64_t* written, ByteSink error);
};

}  // namespace sorvane
