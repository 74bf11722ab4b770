#pragma once
// The table of the e-book module: the e-book library's calls that mobi_book.cpp makes,
// across a boundary of plain C types.

#include <cstddef>
#include <cstdint>

#include "io/byte_sink.h"

namespace sorvane {

enum class MobiReadStatus : int {
    Done,
    OutOfMemory,
    Damaged,      // the book cannot be loaded
    Encrypted,    // it is protected by DRM
    Replica,      // a Print Replica book, pages of print with no text
    TooLarge,     // it claims more text than `allowed`; `claimed` says how much
    TextDamaged,  // its text cannot be decompressed
};

struct MobiModule {
    // Reads the book in `bytes`, handing each markup page to `pages` as one write, in
    // reading order. `windows1252` is set when the pages are in code page 1252 (an
    // old-style book that says so), cleared when they are UTF-8.
    MobiReadStatus (*read)(const char* bytes, std::size_t size, std::uint64_t allowed, ByteSink pages,
                           bool* windows1252, std::uint64_t* claimed);
};

}  // namespace sorvane
