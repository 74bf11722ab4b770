#pragma once
// Whether bytes are well-formed UTF-8.

#include <string_view>

namespace sorvane {

// Overlong forms, surrogates and code points past U+10FFFF are invalid.
bool isValidUtf8(std::string_view bytes);

// Valid UTF-8 but for one incomplete character at the very end: a UTF-8 file cut short.
bool isValidUtf8CutShort(std::string_view bytes);

}  // namespace sorvane
