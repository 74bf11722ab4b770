#pragma once
// The program's one adapter over ICU's converters: code page 936 for every file we
// write, and decoding of source documents in any encoding ICU knows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"

namespace sorvane {

struct Cp936Bytes {
    std::string bytes;
    std::size_t lost = 0;     // characters the code page lacks, each written as '?'
    std::size_t dropped = 0;  // invisible format characters (soft hyphen, zero-width space) left out

    // Whether decoding `bytes` gives back exactly the encoded text.
    bool faithful() const { return lost == 0 && dropped == 0; }
};

// Never fails: a character the code page lacks becomes '?' and counts as lost, an
// invisible one is left out and counts as dropped.
Cp936Bytes encodeCp936(TextView text);

// Decodes code page 936 bytes; an invalid sequence becomes U+FFFD.
Text decodeCp936(std::string_view bytes);

// The text through code page 936 and back, in place. Returns how many characters became '?'.
std::size_t roundTripCp936(Text& text);

// 0..255 for a single byte, lead * 256 + trail for a double-byte character; '?' (0x3F)
// for a character the code page lacks.
std::uint16_t cp936Code(char16_t ch);

// Nothing for an unassigned code or a lone lead byte.
std::optional<char16_t> charFromCp936Code(std::uint16_t code);

// Decodes with ICU's converter of that name ("UTF-16LE", "Big5"); invalid or cut-off
// sequences become U+FFFD. Nothing when ICU has no such converter.
std::optional<Text> decodeWith(std::string_view icuName, std::string_view bytes);

// A character the encoding cannot hold becomes its substitute. Nothing when ICU has no
// such converter.
std::optional<std::string> encodeWith(std::string_view icuName, TextView text);

// An unpaired surrogate becomes U+FFFD. Faster than a converter for large output texts.
std::string encodeUtf8(TextView text);

bool hasConverter(std::string_view icuName);

}  // namespace sorvane
