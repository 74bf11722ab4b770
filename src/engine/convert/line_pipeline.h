#pragma once
// The text cleanup of a conversion, in memory: everything between rendering and writing.
// ch_txt, the command line's --stdout and the benchmarks share it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "common/text.h"
#include "engine/clean/removal_report.h"

namespace sorvane {

// The numbers the parameter texts stand for.
struct CleanupParams {
    std::int64_t maxRun = 0;     // separator lines longer than this are cut; <= 0: off
    std::int64_t head = 0;       // lines that form the head
    std::int64_t headBlank = 1;  // most consecutive blank lines in the head
    std::int64_t restBlank = 1;  // most consecutive blank lines in the rest
    std::int64_t sizeLimit = 0;  // characters per part; 0: no limit
};

// Never fails: a text that is no number reads as 0, and a size limit below 100
// characters means no limit.
CleanupParams cleanupParams(const ConversionParams& params);

enum class LineMark : char {
    Keep,       // written
    Dropped,    // a surplus blank line, not written
    Separator,  // a shortened separator line, written without indent
};

// One line of the line table. The entries point into the table's text instead of owning
// their own strings, so a long document costs one allocation, not one per line.
struct LineEntry {
    std::size_t offset = 0;  // start of the trimmed line in LineTable::text
    std::size_t length = 0;  // its length in characters
    char16_t fill = 0;       // Separator lines: the character repeated `length` times
    LineMark mark = LineMark::Keep;

    bool blank() const { return length == 0; }
};

// The entry of the line text[from, to) of a table's text, its spaces at both ends left
// out as splitLines leaves them out.
LineEntry trimmedEntry(TextView text, std::size_t from, std::size_t to);

struct LineTable {
    Text text;
    std::vector<LineEntry> entries;

    // An entry's text as it is written, without indent.
    Text lineText(std::size_t index) const;
    void appendLine(std::size_t index, Text& out) const;
};

// The code page 936 pass and the replacement list, in place, as a GBK conversion makes
// them. Returns the characters that became '?'.
std::size_t passCp936AndReplace(Text& text, const ReplacementList& list);

// Cuts the fragment a page uses to block selecting its text ("onselectstart ... return
// false"), where the rule finds one. Returns whether a fragment was cut.
bool removeSelectionBlocker(Text& text);

// The line table of `text`, every line trimmed of blanks. A line ends at CR LF or a lone
// CR; a lone LF stays inside its line.
LineTable splitLines(Text text);

// Cuts lines of more than maxRun copies of one character to maxRun copies, marked
// Separator. Does nothing when maxRun <= 0.
void shortenSeparatorLines(LineTable& table, std::int64_t maxRun);

// Head rule: a run of blank entries that starts at index head - 1 - most or earlier keeps
// its first `most` entries; the rest of it is marked Dropped, wherever the run ends.
void markHeadBlankLines(LineTable& table, std::int64_t head, std::int64_t most);

// Rest rule: from index `head` on, every run of blank entries keeps its first `most`
// entries; the rest are dropped.
void markRestBlankLines(LineTable& table, std::int64_t head, std::int64_t most);

// One output part: the index of its first line and its text, every line followed by CR LF.
struct TextPart {
    std::size_t start = 0;
    Text content;
};

// The kept lines, indented, in parts of about `sizeLimit` characters (0: one part). Every
// part holds at least one line.
std::vector<TextPart> splitParts(const LineTable& table, std::int64_t sizeLimit);

// The steps before the line split, in place, shared by the conversion and the
// replacement editor. Returns the characters lost to the code page; fails as
// convertScript.
Result<std::size_t> prepareText(Text& text, const ConversionParams& params, const ReplacementList& list);

// A rendered text cleaned up to the split into parts: its line table with every mark set.
struct CleanedText {
    LineTable table;
    std::size_t lostCharacters = 0;  // GBK output: characters code page 936 lacks, now '?'
    // Set when the script conversion could not run (its data is missing); the table is
    // then empty.
    std::optional<Error> error;
};

using ProgressFn = std::function<void(double done)>;

// Every step of the cleanup but the split into parts. A failed script conversion is
// reported in `error`. `progress`, when set, gets the share done so far (0..1).
CleanedText cleanText(Text text, const ConversionParams& params, const ReplacementList& list,
                      const ProgressFn& progress = {});

struct ConvertedText {
    std::vector<TextPart> parts;     // at least one, unless `error` is set
    std::size_t lostCharacters = 0;  // GBK output: characters code page 936 lacks, now '?'
    std::size_t lines = 0;           // entries of the line table
    // What the reader could not read of a document it otherwise read (a missing chapter,
    // parts past a cap), one line each; filled by convertDocument.
    std::vector<std::string> problems;
    clean::RemovalReport removed{};  // what cleaning took out (ConversionParams::cleanPages)
    // Set when the script conversion could not run (its data is missing); parts is then
    // empty and nothing is to be written.
    std::optional<Error> error;
};

// Runs the whole cleanup on a rendered text: cleanText, then splitParts.
ConvertedText convertText(Text text, const ConversionParams& params, const ReplacementList& list,
                          const ProgressFn& progress = {});

}  // namespace sorvane
