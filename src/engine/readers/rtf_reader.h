#pragma once
// Reads Rich Text Format documents.

#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {

// Whether the bytes start with "{\rtf", after a UTF-8 byte-order mark and white space.
bool looksLikeRtf(std::string_view bytes);

// The text a browser shows for the document saved as HTML (see DocBlockText). Never
// fails: a cut-off or malformed document gives the text read up to where it breaks.
Text rtfText(std::string_view bytes);

// How deep groups may nest before deeper ones are flattened, so a hostile file costs
// time and memory linear in its size.
inline constexpr int kMaxRtfDepth = 512;

// rtfText of the document. Fails with BadInput when the content does not start as
// looksLikeRtf wants.
Result<Text> readRtf(DocumentProbe& document, ReadProblems& problems);

// The reader's row: bytes as looksLikeRtf wants, or a name ending in .rtf.
const DocumentReader& rtfReader();

}  // namespace sorvane
