#pragma once
// The rendering layer: given a source document, the plain text that a browser's
// select-all + copy of the rendered document yields, every line break as CR LF.
// Nothing here touches the clipboard, the network or any file but the one given.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/text.h"
#include "io/file_reader.h"  // readWholeFile, which callers of the renderer use too

namespace sorvane {

// Which renderer a document goes to.
enum class DocumentKind { Html, PlainText };

// Which renderer a document with this name and these first bytes goes to: .htm, .html,
// .xhtml, .shtml and saved server pages are HTML, .txt and .text plain text; any other
// name is sniffed (markup start after a BOM and white space).
DocumentKind documentKind(const std::filesystem::path& path, std::string_view bytes);

// Renders the document at `path`, choosing the renderer by its extension or, for other
// names, by sniffing its first bytes. Fails with NotFound / Unreadable when the file
// cannot be read, BinaryInput when it is neither text nor HTML.
Result<Text> renderDocument(const std::filesystem::path& path);

// The renderer a conversion uses; tests and front ends may put their own in its place.
using Renderer = std::function<Result<Text>(const std::filesystem::path&)>;

}  // namespace sorvane
