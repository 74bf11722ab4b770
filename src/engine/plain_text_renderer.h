#pragma once
// Renders a plain-text document: what a browser shows for a .txt file, copied out.

#include <string_view>

#include "common/text.h"

namespace sorvane {

// Decodes the bytes (a UTF-8 or UTF-16 byte-order mark if present; otherwise UTF-8 when
// the bytes are valid UTF-8 and read as plausible text; otherwise code page 936) and
// turns every line break (CR LF, LF, lone CR) into CR LF. Nothing else is added or
// removed.
Text renderPlainText(std::string_view bytes);

// Whether the bytes are valid UTF-8 throughout (overlong forms, surrogates and code
// points past U+10FFFF are invalid).
bool isValidUtf8(std::string_view bytes);

// Whether the bytes are valid UTF-8 up to, at most, one incomplete character at the very
// end: a UTF-8 file cut short. That last piece decodes as U+FFFD.
bool isValidUtf8CutShort(std::string_view bytes);

// Turns every CR LF, lone LF and lone CR into CR LF.
Text normaliseLineBreaks(TextView text);

}  // namespace sorvane
