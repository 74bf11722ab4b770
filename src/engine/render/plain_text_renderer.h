#pragma once
// Renders a plain-text document: what a browser shows for a .txt file, copied out.

#include <string_view>

#include "common/text.h"

namespace sorvane {

// The decoded text with every line break as CR LF; nothing else is added or removed.
// Never fails.
Text renderPlainText(std::string_view bytes);

Text normaliseLineBreaks(TextView text);

}  // namespace sorvane
