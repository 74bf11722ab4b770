#pragma once
// Text representations shared by every layer.
//
// Document text is held as UTF-16 (std::u16string), the form ICU and Qt use. Once a text
// has passed through code page 936 every character is in the Basic Multilingual Plane,
// so one char16_t is one character and lengths count characters, as the rules need.
// File names, messages and parameter texts are UTF-8 std::string.

#include <string>
#include <string_view>

namespace sorvane {

using Text = std::u16string;
using TextView = std::u16string_view;

// UTF-8 <-> UTF-16. Invalid input becomes U+FFFD; nothing is dropped.
Text fromUtf8(std::string_view utf8);
std::string toUtf8(TextView text);

// Appends UTF-8 decoded to UTF-16 to `out`; invalid sequences become U+FFFD.
void appendUtf8(Text& out, std::string_view utf8);

}  // namespace sorvane
