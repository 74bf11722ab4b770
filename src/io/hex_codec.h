#pragma once
// The hex form of the texts in the replacement-list file.

#include <string>
#include <string_view>

#include "common/text.h"

namespace sorvane {

// Four upper-case hex digits per UTF-16 unit. Never fails.
std::string C_HEX(TextView text);

// The text of a C_HEX string. Never fails: a damaged group reads as '?'.
Text R_HEX(std::string_view hex);

}  // namespace sorvane
