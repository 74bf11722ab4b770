#pragma once
// The table of the script-conversion module: the Chinese conversion library behind
// script_convert.cpp, across a boundary of plain C types.

#include <cstddef>

#include "io/byte_sink.h"

namespace sorvane {

enum class ScriptStatus : int {
    Done,
    Failed,       // `error` says why
    OutOfMemory,  // the program reports it as it reports any other lack of memory
};

struct ScriptModule {
    // Loads the conversion that a configuration file of the library describes into
    // `converter`.
    ScriptStatus (*load)(const char* configFile, void** converter, ByteSink error);
    void (*release)(void* converter);
    // Converts UTF-8 text that holds no NUL.
    ScriptStatus (*convert)(const void* converter, const char* utf8, std::size_t size, ByteSink out, ByteSink error);
};

}  // namespace sorvane
