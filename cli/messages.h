#pragma once
// The lines the command line prints about a document.

#include <filesystem>
#include <string>

#include "common/result.h"

namespace sorvane::cli {

// "sorvane-cli: SOURCE: message", naming the file the error concerns too when it is not
// the source (an output file, say).
std::string messageLine(const std::filesystem::path& source, const Error& error);

}  // namespace sorvane::cli
