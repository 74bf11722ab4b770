#pragma once
// The lines the command line prints, in the user's language (common/language.h): its own
// texts, written in Chinese and found in the catalogue for English, and the engine's
// messages, translated as they are printed.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane::cli {

// The command line's text `chinese` (placeholders %1 ... filled with `args`) in the
// user's language.
std::string localized(std::string_view chinese, std::initializer_list<std::string_view> args = {});

// A message the engine built, in the user's language.
std::string localizedMessage(std::string_view message);

// The exit status of a run: 1 when any document failed, else 3 when any was written
// with parts its reader could not read left out, else 0.
int exitStatus(int failures, int incomplete);

// "sorvane-cli: SOURCE: message", naming the file the error concerns too when it is not
// the source (an output file, say).
std::string messageLine(const std::filesystem::path& source, const Error& error);

}  // namespace sorvane::cli
