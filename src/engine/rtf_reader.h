#pragma once
// Reads Rich Text Format documents. Debian packages no library that reads RTF into
// text (only converters built as whole programs), so this is our own small reader:
// a tokenizer over groups, control words and text, driven by one table of the control
// words that matter for the visible text.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "engine/document_reader.h"

namespace sorvane {

// Whether the bytes start an RTF document: "{\rtf", possibly after a UTF-8 byte-order
// mark and white space.
bool looksLikeRtf(std::string_view bytes);

// The text a browser shows for the document saved as HTML (see DocBlockText): body
// paragraphs, then the footnotes. Font tables, colour and style tables, document
// information, pictures, embedded object data, headers, footers, comments, field codes,
// hidden and deleted text and every "\*" destination this reader does not know are left
// out. Bytes written as \'hh or as 8-bit text are decoded in the code page of the
// current font (its \fcharset or \cpg), else of the document (\ansicpg). Groups nested
// deeper than kMaxRtfDepth are read as if they were not nested further, so a hostile
// file costs time and memory linear in its size. Never fails: a cut-off or malformed
// document gives the text read up to where it breaks.
Text readRtf(std::string_view bytes);

// How deep RTF groups may nest before deeper ones are flattened (as for HTML elements).
inline constexpr int kMaxRtfDepth = 512;

// readRtf as a row of the reader table.
Result<Text> readRtfDocument(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
