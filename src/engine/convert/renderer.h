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
#include "engine/readers/readable_names.h"
#include "engine/readers/reader_interface.h"
#include "engine/render/html_renderer.h"

namespace sorvane {

// Which renderer a document goes to: by its extension (documentKindByName), else by
// markup at its start.
DocumentKind documentKind(const std::filesystem::path& path, std::string_view bytes);

// Renders the document at `path` with the reader chooseDocumentReader picks, else as a
// page or plain text (documentKind). Fails with NotFound or Unreadable when the file
// cannot be read, BinaryInput for a kind the program does not read (saying what it
// looks like), or as the reader fails.
Result<Text> renderDocument(const std::filesystem::path& path);

// The same; what could not be read of a book that otherwise rendered goes to `problems`.
Result<Text> renderDocument(const std::filesystem::path& path, ReadProblems* problems);

// Renders a document already read (standard input): `name` chooses the reader as the
// path does for renderDocument and names the document in errors. Fails as renderDocument.
Result<Text> renderDocumentBytes(const std::filesystem::path& name, std::string bytes,
                                 ReadProblems* problems = nullptr);

// Reads a document from the open descriptor `fd` (standard input) as renderDocument reads
// a file: binary content is refused after its first kilobyte and input past
// kMaxDocumentSize without reading on, so endless input ends. `name` names it in errors.
// Fails with Unreadable, BinaryInput or BadInput.
Result<std::string> readDocumentStream(int fd, const std::filesystem::path& name);
// The same, a loose web page rendered with `page` (its renderPage shows part of it, say).
Result<Text> renderDocument(const std::filesystem::path& path, ReadProblems* problems, const HtmlContext& page);
Result<Text> renderDocumentBytes(const std::filesystem::path& name, std::string bytes, ReadProblems* problems,
                                 const HtmlContext& page);

// The renderer a conversion uses; tests and front ends may put their own in its place.
using Renderer = std::function<Result<Text>(const std::filesystem::path&)>;

}  // namespace sorvane
