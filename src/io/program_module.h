#pragma once
// The parts of the program that need a big library for one kind of document (saved
// pages, Word 97-2003 files, ZIP-based books and documents, help files, Mobipocket books,
// the Traditional/Simplified conversion) are shared modules, loaded the first time such a
// document arrives: a run that never meets one never loads its libraries.

#include <string>

#include "common/result.h"

namespace sorvane {

// The file name of a module ("sorvane_zip.so" for "zip").
std::string moduleFileName(const std::string& name);

// The table that module `name` exports as "sorvane_<name>_module", loaded once per
// process; later calls give the same answer. Only a module of this very build is taken.
// Fails with Unreadable when none can be found or loaded: the message names the module
// file and says why.
Result<const void*> loadProgramModule(const std::string& name);

template <typename Table>
Result<const Table*> loadModuleTable(const std::string& name)
{
    Result<const void*> table = loadProgramModule(name);
    if (!table)
        return table.error();
    return static_cast<const Table*>(*table);
}

}  // namespace sorvane
