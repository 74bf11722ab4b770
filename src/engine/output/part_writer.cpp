#include "engine/output/part_writer.h"

#include "engine/output/output_encoding.h"
#include "io/atomic_writer.h"

namespace sorvane {

Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost, const OutputFormat& format)
{
    const EncodedText encoded = encodeOutput(content, format);
    lost += encoded.lost;
    // A conversion writes many parts and can be run again; syncing each would cost more
    // than a lost output is worth.
    WriteOptions options;
    options.durable = false;
    options.throughLinks = false;
    return writeFileAtomically(file, encoded.bytes, options);
}

}  // namespace sorvane
