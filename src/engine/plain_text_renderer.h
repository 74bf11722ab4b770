#pragma once
// Renders a plain-text document: what a browser shows for a .txt file, copied out.

#include <string_view>

#include "common/text.h"

namespace sorvane {

// The decoded text with every line break as CR LF; nothing else is added or removed.
// Never fails.
Text renderPlainText(std::string_view bytes);

// Overlong forms, surrogates and code points past U+10FFFF are invalid.
bool isValidUtf8(std::string_view bytes);

// Valid UTF-8 but for one incomplete character at the very end: a UTF-8 file cut short.
bool isValidUtf8CutShort(std::string_view bytes);

Text normaliseLineBreaks(TextView text);

}  // namespace sorvane
