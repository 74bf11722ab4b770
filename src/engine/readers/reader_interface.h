#pragma once
// What every reader of a document format shares: the document as the reader table and
// the reader see it, the shape of a row of the table, and the list of what could not be
// read. Readers include this header only, never the table that lists them.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "common/text.h"

namespace sorvane {

class OleCompoundFile;
class ZipArchive;

// What a reader could not read of a document whose other parts it rendered (a missing
// chapter, a damaged member), one line each, in words a user understands.
using ReadProblems = std::vector<std::string>;

// The memory a reader may spend on one expanded part of a document of `inputBytes` bytes
// (an inflated archive member and the tree parsed from it, together): 32 MiB plus sixteen
// times the input. A part packed a thousandfold is refused instead of costing memory out
// of all proportion to the file, while real documents, whose text packs some five- to
// tenfold and whose tree takes two to four times its text, are read whole: a text cut
// short is a worse loss to a reader than a peak of twenty times a large document.
std::size_t expansionAllowance(std::size_t inputBytes);

// Whether the bytes are text that opens with markup ('<' after a UTF-8 byte-order mark
// and blanks, no NUL in the first kilobyte).
bool opensWithMarkup(std::string_view bytes);

// What a reader reports when it read a part of the document (named as a user knows it,
// "正文") only as far as an allowance of `allowance` bytes let it.
std::string partCutShortProblem(std::string_view part, std::size_t allowance);

// A document to read: its name, its bytes, and the containers opened over them. The
// content checks of the table's rows look at it, and the reader chosen receives the same
// object, so a ZIP archive or compound file is opened at most once for both. The bytes
// must outlive the probe.
class DocumentProbe {
public:
    DocumentProbe(std::string_view bytes, const std::filesystem::path& path);
    ~DocumentProbe();
    DocumentProbe(const DocumentProbe&) = delete;
    DocumentProbe& operator=(const DocumentProbe&) = delete;

    // The name given (some documents come from standard input under a chosen name).
    const std::filesystem::path& path() const { return m_path; }
    std::string_view bytes() const { return m_bytes; }
    // The name's extension in lower case, with its dot (".epub"); empty when none.
    const std::string& extension() const { return m_extension; }
    bool startsWith(std::string_view signature) const { return m_bytes.starts_with(signature); }

    // For content checks. Whether the bytes start like a ZIP archive, open as one and
    // hold a member of exactly this name.
    bool zipHasMember(std::string_view name);
    // A small member's content (up to 4 KiB), or nothing when the bytes are no readable
    // archive, there is no such member or it is larger.
    std::optional<std::string> zipSmallMember(std::string_view name);

    // For readers. The bytes opened as a ZIP archive: the archive a content check already
    // opened, else opened now, no member inflating past the expansion allowance. Fails as
    // ZipArchive::open, with its message.
    Result<ZipArchive*> zipArchive();
    // The bytes opened as a compound file, likewise. Fails as OleCompoundFile::open.
    Result<OleCompoundFile*> compoundFile();

private:
    struct Opened;
    Opened& opened();
    std::filesystem::path m_path;
    std::string_view m_bytes;
    std::string m_extension;
    std::unique_ptr<Opened> m_opened;
};

// A reader: the rendered text of the whole document, CR LF line breaks. It receives the
// probe whose content checks chose it, and takes from it the bytes and any container
// opened over them. Parts that could not be read but did not stop the rest go to
// `problems`.
using DocumentReadFunction = Result<Text> (*)(DocumentProbe& document, ReadProblems& problems);

// One row of the reader table.
struct DocumentReader {
    const char* name;                        // what the document is, for messages ("EPUB")
    bool (*byContent)(DocumentProbe& probe);  // recognises the first bytes; null: never
    const char* extensions;                  // names read this way when no content rule
                                             // matched, ".a .b"; empty: none
    DocumentReadFunction read;               // null: recognised but not read
    const char* refusal;                     // the message when `read` is null (Chinese)
    // The name alone does not hold for markup: a first kilobyte without NUL bytes that
    // opens with '<' is the page it looks like (word processors save web pages under
    // ".doc" names).
    bool nameYieldsToMarkup = false;

    // The names listed in `extensions`, one each, in their order.
    std::vector<std::string_view> extensionList() const;
};

}  // namespace sorvane
