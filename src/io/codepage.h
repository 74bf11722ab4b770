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

// Encodes in Windows code page 936 (no fallback mappings): U+20AC is 0x80, a character the
// code page lacks becomes '?' (0x3F) and counts as lost, a default-ignorable one is left
// out and counts as dropped. Never fails.
Cp936Bytes encodeCp936(TextView text);

// Decodes code page 936 bytes; an invalid sequence becomes U+FFFD.
Text decodeCp936(std::string_view bytes);

// Passes the text through code page 936 and back, in place: every character the code
// page lacks becomes '?', every one it leaves out disappears. Returns how many became '?'.
std::size_t roundTripCp936(Text& text);

// The code page 936 value of one character: 0..255 for a single byte, lead * 256 + trail
// for a double-byte character. A character the code page lacks gives '?' (0x3F).
std::uint16_t cp936Code(char16_t ch);

// The character whose code page 936 value is `code`, or nothing when no character has it
// (an unassigned or half double-byte code).
std::optional<char16_t> charFromCp936Code(std::uint16_t code);

// Decodes `bytes` with the converter ICU knows by `icuName` (for example "UTF-8",
// "UTF-16LE", "windows-1252", "GB18030", "Big5", "Shift_JIS"). Invalid or truncated
// sequences become U+FFFD and decoding goes on. Returns nothing when ICU has no such
// converter.
std::optional<Text> decodeWith(std::string_view icuName, std::string_view bytes);

// Encodes `text` with the converter ICU knows by `icuName` ("GB18030"). A character the
// encoding cannot hold (only an unpaired surrogate, for the Unicode encodings) becomes
// the encoding's substitute. Returns nothing when ICU has no such converter.
std::optional<std::string> encodeWith(std::string_view icuName, TextView text);

// UTF-8 of `text` in one pass into a buffer sized for the worst case; an unpaired
// surrogate becomes U+FFFD. Faster than a converter for the large texts of output files.
std::string encodeUtf8(TextView text);

// Whether ICU can open a converter by this name.
bool hasConverter(std::string_view icuName);

}  // namespace sorvane
