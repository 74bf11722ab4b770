#pragma once
// What every word-processor reader's text must satisfy, whatever the input: line breaks
// are CR LF only, and no no-break space is left (it reads as a space).

#include <cstddef>

#include "common/text.h"
#include "fuzz_support.h"

namespace sorvane::fuzz {

inline void checkRenderedText(const Text& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        FUZZ_CHECK(c != u'\r' || (i + 1 < text.size() && text[i + 1] == u'\n'));
        FUZZ_CHECK(c != u'\n' || (i > 0 && text[i - 1] == u'\r'));
        FUZZ_CHECK(c != 0xA0);
    }
}

}  // namespace sorvane::fuzz
