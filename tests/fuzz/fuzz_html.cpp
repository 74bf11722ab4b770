// Feeds arbitrary bytes to the HTML renderer: encoding detection, the nesting limiter,
// the parser and the text collection. Besides the sanitizers' checks, the text must
// hold CR LF line breaks only and no no-break space.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/html_document.h"
#include "engine/html_renderer.h"
#include "engine/renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)sorvane::documentKind("page", bytes);
    const sorvane::Text text = sorvane::renderHtml(bytes);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))
            __builtin_trap();
        if (c == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            __builtin_trap();
        if (c == 0xA0)
            __builtin_trap();
    }
    // A small limit makes the limiter rewrite often; the result must still parse.
    if (auto limited = sorvane::limitNestingDepth(bytes, 4))
        (void)sorvane::renderHtmlUtf8(*limited);
    return 0;
}
