#include "engine/output/output_encoding.h"

#include <stdexcept>

#include "io/codepage.h"

namespace sorvane {
namespace {

// CR LF to LF in place. Works on the encoded bytes: none of the three encodings uses the
// byte 0x0D inside a multi-byte character, so every CR byte is a line end's.
void dropCarriageReturns(std::string& bytes)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        bytes[out++] = bytes[i];
    }
    bytes.resize(out);
}

}  // namespace

EncodedText encodeOutput(TextView text, const OutputFormat& format)
{
    EncodedText out;
    switch (format.encoding) {
    case OutputEncoding::Gbk: {
        Cp936Bytes cp936 = encodeCp936(text);
        out.bytes = std::move(cp936.bytes);
        out.lost = cp936.lost;
        break;
    }
    case OutputEncoding::Gb18030:
        // ICU always has GB18030; without it the installation itself is broken.
        if (std::optional<std::string> bytes = encodeWith("GB18030", text))
            out.bytes = std::move(*bytes);
        else
            throw std::runtime_error("ICU has no GB18030 converter");
        break;
    case OutputEncoding::Utf8:
        out.bytes = encodeUtf8(text);
        break;
    }
    if (format.lineEnd == LineEnd::Lf)
        dropCarriageReturns(out.bytes);
    return out;
}

}  // namespace sorvane
