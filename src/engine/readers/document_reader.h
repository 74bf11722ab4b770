#pragma once
// The one place that decides how a source document is read: by its first bytes, then by
// its name.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// What a reader could not read of a document whose other parts it rendered (a missing
// chapter, a damaged member), one line each, in words a user understands.
using ReadProblems = std::vector<std::string>;

// What the first bytes and the name of a document tell the rows of the reader table.
// ZIP archives are opened at most once, and only when a row asks about their members.
class DocumentProbe {
public:
    DocumentProbe(std::string_view bytes, const std::filesystem::path& path);
    ~DocumentProbe();

    std::string_view bytes() const { return m_bytes; }
    // The name's extension in lower case, with its dot (".epub"); empty when none.
    const std::string& extension() const { return m_extension; }
    bool startsWith(std::string_view signature) const { return m_bytes.starts_with(signature); }

    // Whether the bytes are a readable ZIP archive with a member of exactly this name.
    bool zipHasMember(std::string_view name);
    // A small member's content (up to 4 KiB), or nothing when there is no such member
    // or it is larger.
    std::optional<std::string> zipSmallMember(std::string_view name);

private:
    struct Zip;
    Zip* zip();
    std::string_view m_bytes;
    std::string m_extension;
    std::unique_ptr<Zip> m_zip;
    bool m_zipTried = false;
};

// The rendered text of a whole document, CR LF line breaks. `path` is the file's name
// (some libraries open the file themselves). Parts that could not be read but did not
// stop the rest go to `problems`.
using DocumentReadFunction = Result<Text> (*)(const std::filesystem::path& path, std::string&& bytes,
                                              ReadProblems& problems);

// One row of the reader table.
struct DocumentReader {
    const char* name;                        // what the document is, for messages ("EPUB")
    bool (*byContent)(DocumentProbe& probe);  // recognises the first bytes; null: never
    const char* extensions;                  // names read this way when no content rule
                                             // matched, ".a .b"; empty: none
    DocumentReadFunction read;               // null: recognised but not read
    const char* refusal;                     // the message when `read` is null (Chinese)
};

// The table, in the order rows are tried.
const std::vector<DocumentReader>& documentReaders();

// The row for this document, by content first, then by name; null for loose HTML and
// plain text, which the page and text renderers take.
const DocumentReader* chooseDocumentReader(DocumentProbe& probe);

// Whether a content rule of the table recognises these first bytes.
bool knownByContent(DocumentProbe& probe);

// The patterns of every document the program reads, for a file list's filter
// ("*.htm;*.html;...;*.txt").
std::string readableDocumentPatterns();

}  // namespace sorvane
