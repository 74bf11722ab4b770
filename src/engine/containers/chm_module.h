#pragma once
// The table of the help-file module: the help-file library's calls that chm_archive.cpp
// makes, across a boundary of plain C types.

#include <cstddef>
#include <cstdint>

namespace sorvane {

// The longest object path the library looks up.
inline constexpr std::size_t kChmMaxPathLength = 512;

struct ChmModule {
    // Opens the book at `path`; null when it cannot be opened.
    void* (*open)(const char* path);
    void (*close)(void* book);
    // Whether the book holds an object at `path`, and its length.
    bool (*resolve)(void* book, const char* path, std::uint64_t* length);
    // Reads up to `length` bytes of the object at `path` into `buffer`; the bytes read, or
    // a negative number.
    std::int64_t (*retrieve)(void* book, const char* path, unsigned char* buffer, std::uint64_t length);
    // Hands the name of every normal file of the book, in the book's order, to `each`
    // until it returns false.
    void (*enumerate)(void* book, void* context, bool (*each)(void* context, const char* path));
};

}  // namespace sorvane
