#pragma once
// The parser reads text one character at a time and keeps every element it makes, and a
// page is mostly text and line breaks. Long runs of them are therefore handed to the
// parser as short placeholders, and read back from the page itself when the text is
// collected.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/html/html_text_reader.h"
#include "engine/html/nesting_limiter.h"

namespace sorvane {

struct SparedText {
    std::string markup;                  // what the parser reads instead
    std::vector<std::string_view> runs;  // the markup each placeholder stands for, by number
};

// The markup with the long runs inside `limited`'s text spans replaced by placeholders.
// A run holds text, the references nbsp, amp, lt, gt, quot and numeric ones to
// characters from U+00A0 up, and, when `lineBreaks` is set, the bare <br> tags between
// text that limitMarkup found. Nothing when no run is long enough, or when the markup
// holds a character, or a reference to one, that a placeholder is made of. The runs
// point into `markup`.
std::optional<SparedText> spareTextRuns(std::string_view markup, const LimitedMarkup& limited, bool lineBreaks);

// Whether a parsed text holds placeholders.
bool holdsSparedRuns(std::string_view text);

// Reads a parsed text, each placeholder read as its run: its text as the parser would
// have made it (CR LF and CR read as LF, references resolved) and its <br>s.
void readSparedText(std::string_view text, const std::vector<std::string_view>& runs, HtmlTextReader& reader);

}  // namespace sorvane
