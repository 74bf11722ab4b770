#pragma once
// The lines the command line prints about a document.

#include <filesystem>
#include <string>

#include "common/result.h"

namespace sorvane::cli {

// The exit status of a run: 1 when any document failed, else 3 when any was written
// with parts its reader could not read left out, else 0.
int exitStatus(int failures, int incomplete);

// "sorvane-cli: SOURCE: message", naming the file the error concerns too when it is not
// the source (an output file, say).
std::string messageLine(const std::filesystem::path& source, const Error& error);

}  // namespace sorvane::cli
