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
    bool offered;  // listed in the file list's filter of every readable type
};

// Names rendered as a page or as plain text whatever their first bytes (unless a
// reader's content check claims them). The filter offers the usual ones; the server
// pages' names and .text are read all the same when given.
inline constexpr ReadableName kReadableNames[] = {
    {".htm", DocumentKind::Html, true},         {".html", DocumentKind::Html, true},
    {".xhtml", DocumentKind::Html, false},      {".shtml", DocumentKind::Html, false},
    {".asp", DocumentKind::Html, false},        {".aspx", DocumentKind::Html, false},
    {".php", DocumentKind::Html, false},        {".jsp", DocumentKind::Html, false},
    {".txt", DocumentKind::PlainText, true},    {".text", DocumentKind::PlainText, false},
};

// What kReadableNames says of the name's extension (in any case); nothing for a name
// not listed there.
std::optional<DocumentKind> documentKindByName(const std::filesystem::path& path);

// The patterns of every document the program reads, for a file list's filter: the
// offered page names, every name a reader's row reads, then the offered plain-text
// names ("*.htm;*.html;*.mht;...;*.txt").
std::string readableDocumentPatterns();

}  // namespace sorvane
