#pragma once
// The replacement-list file: the permanent rows of the list, in C_HEX form.

#include <filesystem>

#include "common/replacement_list.h"
#include "common/result.h"

namespace sorvane {

// Every row has the keep flag "Y". An absent or unreadable file, or one that is no
// regular file, gives an empty list.
ReplacementList loadListFile(const std::filesystem::path& file);

// Writes the rows whose keep flag is exactly "Y". Fails as writeSettingsFile, leaving any
// old file intact.
Status saveListFile(const std::filesystem::path& file, const ReplacementList& list);

}  // namespace sorvane
