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

namespace sorvane {

// Which renderer a document goes to.
enum class DocumentKind { Html, PlainText };

// Which renderer a document with this name and these first bytes goes to: .htm, .html,
// .xhtml, .shtml and saved server pages are HTML, .txt and .text plain text; any other
// name is sniffed (markup start after a BOM and white space).
DocumentKind documentKind(const std::filesystem::path& path, std::string_view bytes);

// The whole content of a file. Fails with NotFound, or Unreadable (a folder, a device,
// pipe or socket, no permission, an I/O error).
Result<std::string> readWholeFile(const std::filesystem::path& path);

// Renders the document at `path`, choosing the renderer by its extension or, for other
// names, by sniffing its first bytes. Fails with NotFound / Unreadable when the file
// cannot be read, BinaryInput when it is neither text nor HTML.
Result<Text> renderDocument(const std::filesystem::path& path);

// Renders a document already read (standard input): `name` chooses the renderer as the
// path does for renderDocument and names the document in errors. Fails with BinaryInput.
Result<Text> renderDocumentBytes(const std::filesystem::path& name, std::string bytes);

// The renderer a conversion uses; tests and front ends may put their own in its place.
using Renderer = std::function<Result<Text>(const std::filesystem::path&)>;

}  // namespace sorvane
