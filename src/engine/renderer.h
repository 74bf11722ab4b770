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
#include "engine/document_reader.h"

namespace sorvane {

// Which renderer a document goes to.
enum class DocumentKind { Html, PlainText };

// Which renderer a document with this name and these first bytes goes to: .htm, .html,
// .xhtml, .shtml and saved server pages are HTML, .txt and .text plain text; any other
// name is sniffed (markup start after a BOM and white space).
DocumentKind documentKind(const std::filesystem::path& path, std::string_view bytes);

// Renders the document at `path`. Books and saved pages go to the reader the table of
// document_reader.h chooses; other files are pages or plain text, chosen by extension
// or, for other names, by sniffing their first bytes. Fails with NotFound / Unreadable
// when the file cannot be read, BinaryInput when it is a kind the program does not read
// (the message says what it looks like), BadInput when a book or saved page is too
// damaged to give any text.
Result<Text> renderDocument(const std::filesystem::path& path);

// The same; what could not be read of a book that otherwise rendered goes to `problems`.
Result<Text> renderDocument(const std::filesystem::path& path, ReadProblems* problems);

// Renders a document already read (standard input): `name` chooses the reader as the
// path does for renderDocument and names the document in errors. Fails as renderDocument.
Result<Text> renderDocumentBytes(const std::filesystem::path& name, std::string bytes,
                                 ReadProblems* problems = nullptr);

// The renderer a conversion uses; tests and front ends may put their own in its place.
using Renderer = std::function<Result<Text>(const std::filesystem::path&)>;

}  // namespace sorvane
