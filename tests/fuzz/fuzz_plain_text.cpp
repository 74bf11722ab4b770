// Fuzz target: the plain-text renderer on arbitrary bytes. Besides not crashing it
// checks that every line break comes out as CR LF, that normalising again changes
// nothing, and that valid UTF-8 (or UTF-8 cut short in its last character) without a
// byte-order mark or line breaks is passed through unchanged unless it reads as GBK.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/text.h"
#include "engine/encoding/encoding_detect.h"
#include "engine/encoding/utf8_check.h"
#include "engine/render/plain_text_renderer.h"
#include "engine/convert/renderer.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace sorvane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const Text text = renderPlainText(bytes);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r')
            FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == u'\n');
        if (text[i] == u'\n')
            FUZZ_CHECK(i > 0 && text[i - 1] == u'\r');
    }
    FUZZ_CHECK(normaliseLineBreaks(text) == text);

    const bool valid = isValidUtf8(bytes);
    if (valid)
        FUZZ_CHECK(toUtf8(fromUtf8(bytes)) == bytes);
    const bool hasBom = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
                        bytes.starts_with("\xFE\xFF");
    // UTF-8 cut short in its last character is still read as UTF-8, unless it is short
    // GBK text that happens to be valid UTF-8: that is read as GBK, whole characters
    // only.
    const bool cutShort = isValidUtf8CutShort(bytes);
    FUZZ_CHECK(!valid || cutShort);
    const bool gbk = prefersCp936OverUtf8(bytes);
    FUZZ_CHECK(!gbk || cutShort);
    if (cutShort && !hasBom && bytes.find_first_of("\r\n") == std::string_view::npos) {
        if (gbk)
            FUZZ_CHECK(text.find(u'\uFFFD') == Text::npos);
        else
            FUZZ_CHECK(text == fromUtf8(bytes));
    }

    // The sniffing that picks the renderer for names without a known extension.
    (void)documentKind("document", bytes);
    return 0;
}
