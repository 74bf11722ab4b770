#pragma once
// The hex form of the replacement-list file: one group of four upper-case hexadecimal
// digits per character, (code page 936 value + 0x7FFF) modulo 65,536. So "A" is 8040,
// a blank 801F, 中 56CF, and a character the code page lacks 803E (the group of '?').

#include <string>
#include <string_view>

#include "common/text.h"

namespace sorvane {

// The encoded form of `text`: 4 * text.size() digits, one group per UTF-16 unit (each
// half of a surrogate pair gives 803E). Never fails; no length limit.
std::string C_HEX(TextView text);

// Decodes a digit string made by C_HEX, one character per group of four (a shorter last
// group is read by its own value). Never fails: a group holding anything but hexadecimal
// digits (either case), or whose value is no character of the code page, gives '?'.
Text R_HEX(std::string_view hex);

}  // namespace sorvane
