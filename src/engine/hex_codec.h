#pragma once
// The hex form of the replacement-list file: four upper-case hexadecimal digits per
// character, computed from the character's code page 936 value.
//
// A character's group is (code + 0x7FFF) modulo 65,536, where code is its single byte
// (0..255) or lead * 256 + trail for a double-byte character. So "A" is 8040, a blank
// 801F, 中 56CF, and a character the code page lacks is written as the question mark's
// group 803E.

#include <string>
#include <string_view>

#include "common/text.h"

namespace sorvane {

// The encoded form of `text`: 4 * text.size() digits, one group per UTF-16 unit (a unit
// the code page lacks, including each half of a surrogate pair, gives 803E). The empty
// text gives the empty string. No length limit.
std::string C_HEX(TextView text);

// Decodes a digit string made by C_HEX. Never fails and never stops early: every group
// of four characters (the last one may be shorter and is read by its own value) appends
// exactly one character. A group that C_HEX never produces appends '?' when it holds a
// character other than a hexadecimal digit, or when its value is no character of the
// code page (for example a half double-byte code). Lower-case digits are read too.
Text R_HEX(std::string_view hex);

}  // namespace sorvane
