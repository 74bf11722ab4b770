#pragma once
// Every name the program reads a document by, in one place: the names the page and
// text renderers take by their extension alone, and the names of the readers' rows. The
// renderer's dispatch, the file list's filter and the command line's folder walk all
// ask here.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// How a document that no reader takes is rendered.
enum class DocumentKind { Html, PlainText };

struct ReadableName {
    std::string_view extension;  // lower case, with its dot
    DocumentKind kind;
};

// Names rendered as a page or as plain text whatever their first bytes (unless a
// reader's content check claims them).
inline constexpr ReadableName kReadableNames[] = {
    {".htm", DocumentKind::Html},      {".html", DocumentKind::Html},      {".xhtml", DocumentKind::Html},
    {".shtml", DocumentKind::Html},    {".asp", DocumentKind::Html},       {".aspx", DocumentKind::Html},
    {".php", DocumentKind::Html},      {".jsp", DocumentKind::Html},       {".txt", DocumentKind::PlainText},
    {".text", DocumentKind::PlainText},
};

// What kReadableNames says of the name's extension (in any case); nothing for a name
// not listed there.
std::optional<DocumentKind> documentKindByName(const std::filesystem::path& path);

// Whether a reader's row reads documents of this name (in any case): the name ends in
// one of the row's extensions (".epub", or ".fb2.zip" for a name of two parts).
bool readByReaderName(const std::filesystem::path& path);

// The patterns of every document the program reads, for a file list's filter: the
// page names, every name a reader's row reads, then the plain-text names
// ("*.htm;*.html;...;*.mht;...;*.txt;*.text").
std::string readableDocumentPatterns();

}  // namespace sorvane
