#pragma once
// The table of the compound-file module: the compound-file library's calls that
// ole_compound_file.cpp makes, across a boundary of plain C types.

#include <cstddef>
#include <cstdint>

#include "io/byte_sink.h"

namespace sorvane {

enum class OleOpenStatus : int {
    Opened,
    Unreadable,  // the bytes could not be handed to the library
    Damaged,     // the header or directory cannot be read; `error` may say why
};

struct OleModule {
    // Opens the compound file in `bytes`, which must outlive it; `file` gets it when
    // opened.
    OleOpenStatus (*open)(const char* bytes, std::size_t size, void** file, ByteSink error);
    void (*close)(void* file);
    // A stream of the root storage: whether it exists, and its size (negative when the
    // library cannot tell).
    bool (*stream)(void* file, const char* name, std::int64_t* size);
    // Reads the first `size` bytes of a stream into `buffer`; false when they cannot all
    // be read.
    bool (*read)(void* file, const char* name, char* buffer, std::uint64_t size);
};

}  // namespace sorvane
