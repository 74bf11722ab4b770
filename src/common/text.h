#pragma once
// Text representations shared by every layer. Document text is UTF-16, the form ICU and
// Qt use: after the code page 936 pass one char16_t is one character, so lengths count
// characters. File names, messages and parameter texts are UTF-8 std::string.

#include <string>
#include <string_view>

namespace sorvane {

using Text = std::u16string;
using TextView = std::u16string_view;

// Invalid input becomes U+FFFD; nothing is dropped.
Text fromUtf8(std::string_view utf8);
std::string toUtf8(TextView text);
// The UTF-8 text in Unicode normalization form C ("u" and a combining diaeresis become
// "ü"); invalid UTF-8 is returned as it is.
std::string toNfcUtf8(std::string_view utf8);
void appendUtf8(Text& out, std::string_view utf8);

}  // namespace sorvane
