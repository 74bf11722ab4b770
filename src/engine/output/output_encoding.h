#pragma once
// The bytes of an output file: the text in the chosen encoding with the chosen line ends.

#include <cstddef>
#include <string>

#include "common/conversion_params.h"
#include "common/text.h"

namespace sorvane {

struct EncodedText {
    std::string bytes;
    std::size_t lost = 0;  // characters the encoding lacks, each written as '?' (GBK only)
};

// Encodes `text`, whose lines end in CR LF, in `format`; GBK with CR LF gives exactly its
// code page 936 bytes. Throws std::runtime_error only when ICU lacks GB18030 (a broken
// installation).
EncodedText encodeOutput(TextView text, const OutputFormat& format);

}  // namespace sorvane
