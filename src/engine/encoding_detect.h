#pragma once
// Decides the character encoding of an HTML document the way a browser does, and
// decodes it: byte-order mark, then the <meta> prescan of the first 1024 bytes, then
// UTF-8 when the whole file is valid UTF-8, then statistical detection, then code
// page 936.

#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"

namespace sorvane {

struct DocumentEncoding {
    enum class Source { Bom, Meta, Utf8Valid, Detector, Default };
    // The encoding's name as ICU knows it ("UTF-8", "windows-1252", "GB18030"...), or
    // "windows-936" for code page 936.
    std::string name;
    Source source = Source::Default;
    std::size_t bomLength = 0;  // bytes of byte-order mark to skip
};

// The ICU name for an encoding label as the WHATWG Encoding Standard maps labels
// (leading and trailing white space ignored, case ignored): "gb2312", "gbk", "x-gbk",
// "chinese"... give code page 936, "latin1" and "ascii" give windows-1252. Nothing for
// an unknown label and for the labels of the "replacement" encoding.
std::optional<std::string> encodingForLabel(std::string_view label);

// The encoding a <meta charset> or <meta http-equiv="Content-Type" content="...">
// declares in the first 1024 bytes, found by the prescan of the HTML standard; a
// declared UTF-16 counts as UTF-8 and x-user-defined as windows-1252. Nothing when no
// usable declaration is found.
std::optional<std::string> prescanMetaCharset(std::string_view bytes);

// The charset value of a Content-Type style string ("text/html; charset=gbk" gives
// "gbk"), or nothing.
std::optional<std::string> charsetFromContent(std::string_view content);

// Decides the encoding of a whole document.
DocumentEncoding detectEncoding(std::string_view bytes);

// Whether bytes that are valid UTF-8 are better read as code page 936: every non-ASCII
// byte pairs up as a common Chinese character or Chinese punctuation, and the UTF-8
// reading holds characters that text rarely holds (spacing modifier letters, IPA,
// combining marks, C1 controls, unassigned or private-use code points) or mixes
// scripts. False for bytes that are not valid UTF-8.
bool prefersCp936OverUtf8(std::string_view bytes);

// The name used for code page 936 in DocumentEncoding::name.
inline constexpr std::string_view cp936Name = "windows-936";

// Decodes the document (without its byte-order mark) in the given encoding. Invalid
// sequences become U+FFFD and decoding goes on.
Text decodeDocument(std::string_view bytes, const DocumentEncoding& encoding);

// The same decoding, straight to UTF-8 (what the HTML parser reads).
std::string decodeDocumentToUtf8(std::string_view bytes, const DocumentEncoding& encoding);

}  // namespace sorvane
