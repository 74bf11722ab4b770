#pragma once
// The value forms of the keys of section SET in the settings file.

#include <optional>
#include <string>
#include <string_view>

#include "common/conversion_params.h"

namespace sorvane {

// The value stored for MAX_L and MAX_Len: the number the box's text begins with, rounded
// to the nearest whole number (halves to the even one), as plain decimal digits with a
// minus sign when negative; 0 is stored as an empty value.
// "12.6" -> "13", "7 lines" -> "7", "12.5" -> "12", "-3" -> "-3", "0" / "" / "abc" -> "".
std::string maxValueForm(std::string_view boxText);

// The index a stored Value0..Value2 selects: the rounded number of the value when it is
// -1 (no selection) to 9; nothing (the box keeps its default) when the value is empty or
// its number lies outside -1..9.
std::optional<int> storedIndex(std::string_view value);

// Keys of section SET written after the six described ones, so a file without them reads
// exactly as before: the output folder (empty: beside each source) and the output
// encoding.
inline constexpr std::string_view kOutPathKey = "OUT_PATH";
inline constexpr std::string_view kOutEncKey = "OUT_ENC";

// The value stored for OUT_ENC: "GBK", "GB18030" or "UTF-8".
std::string outEncValue(OutputEncoding encoding);

// The encoding a stored OUT_ENC selects, letters in any case; an empty, absent or unknown
// value selects GBK, the default.
OutputEncoding storedOutEnc(std::string_view value);

}  // namespace sorvane
