#pragma once
// Decides the character encoding of an HTML document the way a browser does, and
// decodes it.

#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"
#include "engine/encoding/encoding_labels.h"

namespace sorvane {

struct DocumentEncoding {
    enum class Source { Bom, Meta, Utf8Valid, Detector, Default };
    // The encoding's name as ICU knows it ("UTF-8", "windows-1252", "GB18030"...), or
    // "windows-936" for code page 936.
    std::string name;
    Source source = Source::Default;
    std::size_t bomLength = 0;  // bytes of byte-order mark to skip
};

// Never fails: code page 936 when nothing else decides.
DocumentEncoding detectEncoding(std::string_view bytes);

// Whether valid UTF-8 bytes are better read as code page 936: a few GBK characters can
// form valid UTF-8 that reads as no one's text. False for bytes that are not valid UTF-8.
bool prefersCp936OverUtf8(std::string_view bytes);

// The document without its byte-order mark, decoded. Invalid sequences become U+FFFD.
Text decodeDocument(std::string_view bytes, const DocumentEncoding& encoding);

// The same decoding, straight to UTF-8 for the HTML parser; UTF-8 bytes are passed on
// as they are.
std::string decodeDocumentToUtf8(std::string_view bytes, const DocumentEncoding& encoding);

}  // namespace sorvane
