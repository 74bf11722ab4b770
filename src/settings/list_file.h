#pragma once
// The replacement-list file: the permanent rows of the list in list order, each as two
// CR LF lines, its search text and its replacement text in C_HEX form.

#include <filesystem>

#include "common/replacement_list.h"
#include "common/result.h"

namespace sorvane {

// Reads the list file. An empty line where a search text is expected ends the list; an
// odd last line becomes a row whose replacement equals its search text. Lines may end in
// CR LF or LF. Every row gets the keep flag "Y". An absent or unreadable file, or one
// that is no regular file (a pipe is never waited on), gives an empty list.
ReplacementList loadListFile(const std::filesystem::path& file);

// Writes the rows whose keep flag is exactly "Y", in list order, replacing the file
// atomically (a temporary file in the same folder, synced, then renamed over the old
// one). Returns an Error, and leaves any old file intact, when it cannot be written.
Status saveListFile(const std::filesystem::path& file, const ReplacementList& list);

}  // namespace sorvane
