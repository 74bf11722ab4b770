#pragma once
// The text cleanup of a conversion, in memory: code page 936 pass, replacement list,
// selection-blocking fragment, line split, separator lines, surplus blank lines and the
// split into size-limited parts. ch_txt adds rendering before and writing after; the
// command line's --stdout and the benchmarks use it directly.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "common/text.h"

namespace sorvane {

// The numbers the parameter texts stand for, as the cleanup uses them.
struct CleanupParams {
    std::int64_t maxRun = 0;     // separator lines longer than this are cut; <= 0: off
    std::int64_t head = 0;       // lines that form the head
    std::int64_t headBlank = 1;  // most consecutive blank lines in the head
    std::int64_t restBlank = 1;  // most consecutive blank lines in the rest
    std::int64_t sizeLimit = 0;  // characters per part; 0: no limit
};

// Reads every parameter text by its number value (whole numbers rounded half to even);
// the size is the value in K times 1024, rounded, and below 100 means no limit (0).
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

struct LineTable {
    Text text;
    std::vector<LineEntry> entries;

    // The entry's text as it is written (without indent).
    Text lineText(std::size_t index) const;
    // Appends the entry's text to `out`.
    void appendLine(std::size_t index, Text& out) const;
};

// The first steps of the cleanup: the text through code page 936 (what it lacks becomes
// '?'), the replacement list, and the code page again when a replacement brought in a
// character it lacks. The replacement editor shows this text, so a piece picked there is
// a piece of the text the conversion goes on with. Returns the characters lost.
std::size_t passCp936AndReplace(Text& text, const ReplacementList& list);

// Cuts the first "onselectstart" (any case) that starts at 1-based position 11 or later,
// together with a "return false" (any case) that follows it after one to eight other
// characters, and the one character after that. Any other text is left unchanged.
// Returns whether a fragment was cut.
bool removeSelectionBlocker(Text& text);

// Splits text + CR LF into lines: a line ends at CR LF or at a lone CR, a lone LF stays
// inside its line. Blanks (U+0020 only) are trimmed from both ends of every line.
LineTable splitLines(Text text);

// With maxRun > 0: a line whose characters other than blanks and ideographic spaces are
// more than maxRun copies of one character becomes maxRun copies of it, marked Separator.
void shortenSeparatorLines(LineTable& table, std::int64_t maxRun);

// Head rule: for every start index i from 0 to head - 1 - most, when the `most` entries
// from i on are blank (past the end counts as blank), the blank entries from i + most on
// are dropped. A run that begins in the head is cut wherever it ends.
void markHeadBlankLines(LineTable& table, std::int64_t head, std::int64_t most);

// Rest rule: from index `head` on, every run of blank entries keeps its first `most`
// entries; the rest are dropped.
void markRestBlankLines(LineTable& table, std::int64_t head, std::int64_t most);

// One output part: the index of its first line and its text, every line followed by CR LF.
struct TextPart {
    std::size_t start = 0;
    Text content;
};

// Splits the kept lines into parts. Lines longer than 4 characters and not separators get
// the indent "　　". With sizeLimit > 0 a part ends before the line that would bring its
// character count (indent included, line breaks not) past the limit; the first line of a
// part is never counted, so every part holds at least one line.
std::vector<TextPart> splitParts(const LineTable& table, std::int64_t sizeLimit);

// A rendered text cleaned up to the split into parts: its line table with every mark set.
// The steps before the line split, shared by the conversion and the replacement editor:
// the Traditional/Simplified conversion the parameters ask for, then, for GBK output,
// passCp936AndReplace, or for the other encodings the replacement list alone. Returns the
// characters lost to the code page, or the Error of a script conversion that could not
// run (its data missing).
Result<std::size_t> prepareText(Text& text, const ConversionParams& params, const ReplacementList& list);

struct CleanedText {
    LineTable table;
    std::size_t lostCharacters = 0;  // GBK output: characters code page 936 lacks, now '?'
    // Set when the script conversion could not run (its data is missing); the table is
    // then empty.
    std::optional<Error> error;
};

using ProgressFn = std::function<void(double done)>;

// Every step of the cleanup but the split: script conversion (params.script), for GBK
// output the code page 936 pass (what it lacks becomes '?', counted in lostCharacters),
// replacement list, selection-blocking fragment, line split, separator lines, head and
// rest blank-line rules; the other encodings are cleaned as rendered. `progress`, when
// set, is called a few times with the share done so far (0..1).
CleanedText cleanText(Text text, const ConversionParams& params, const ReplacementList& list,
                      const ProgressFn& progress = {});

struct ConvertedText {
    std::vector<TextPart> parts;     // at least one, unless `error` is set
    std::size_t lostCharacters = 0;  // GBK output: characters code page 936 lacks, now '?'
    std::size_t lines = 0;           // entries of the line table
    // Set when the script conversion could not run (its data is missing); parts is then
    // empty and nothing is to be written.
    std::optional<Error> error;
};

// Runs the whole cleanup on a rendered text: cleanText, then splitParts.
ConvertedText convertText(Text text, const ConversionParams& params, const ReplacementList& list,
                          const ProgressFn& progress = {});

}  // namespace sorvane
