#pragma once
// Reads compiled help books (.chm).

#include <cstdint>
#include <string>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

// Renders the book; damaged topics are left out and named in `problems`. Fails with
// BadInput when the book cannot be opened or no topic could be read, Unreadable when no
// memory could be had for it.
Result<Text> readChm(DocumentProbe& document, ReadProblems& problems);

// The reader's row: bytes starting "ITSF", or a name ending in .chm.
const DocumentReader& chmReader();

}  // namespace sorvane
