#include "engine/render/plain_text_renderer.h"

#include "io/codepage.h"
#include "engine/encoding/encoding_detect.h"
#include "engine/encoding/utf8_check.h"

namespace sorvane {

Text normaliseLineBreaks(TextView text)
{
    Text out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// A UTF-8 or UTF-16 byte-order mark decides; otherwise UTF-8 when the bytes are valid
// UTF-8 (a cut-off last character aside) and read as plausible text
// (prefersCp936OverUtf8), otherwise code page 936.
Text renderPlainText(std::string_view bytes)
{
    Text decoded;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        decoded = fromUtf8(bytes.substr(3));
    else if (bytes.starts_with("\xFF\xFE"))
        decoded = decodeWith("UTF-16LE", bytes.substr(2)).value_or(Text());
    else if (bytes.starts_with("\xFE\xFF"))
        decoded = decodeWith("UTF-16BE", bytes.substr(2)).value_or(Text());
    else if (isValidUtf8CutShort(bytes) && !prefersCp936OverUtf8(bytes))
        decoded = fromUtf8(bytes);
    else
        decoded = decodeCp936(bytes);
    return normaliseLineBreaks(decoded);
}

}  // namespace sorvane
