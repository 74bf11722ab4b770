#pragma once
// The parser reads text one character at a time, and a page is mostly text. Long runs of
// it are therefore handed to the parser as short placeholders and put back into the text
// nodes after parsing, which leaves the tree exactly as the parser would have built it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/html/nesting_limiter.h"

namespace sorvane {

struct SparedText {
    std::string markup;                  // what the parser reads instead
    std::vector<std::string_view> runs;  // the text each placeholder stands for, by number
};

// The markup with the long runs of text inside `spans` (where the parser's tokenizer
// reads text in its data state, as limitMarkup finds them) replaced by placeholders.
// Nothing when no run is long enough, or when the markup holds a character, or a
// character reference, that a placeholder is made of. The runs point into `markup`.
std::optional<SparedText> spareTextRuns(std::string_view markup, const std::vector<MarkupSpan>& spans);

// Whether a parsed text may hold placeholders.
bool holdsSparedRuns(std::string_view text);

// A parsed text with each placeholder replaced by its run, as the parser would have
// read the run (CR LF and lone CR as LF).
std::string restoreSparedRuns(std::string_view text, const std::vector<std::string_view>& runs);

}  // namespace sorvane
