#include "engine/part_writer.h"

#include "io/atomic_writer.h"
#include "io/codepage.h"

namespace sorvane {

Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost)
{
    const Cp936Bytes encoded = encodeCp936(content);
    lost += encoded.lost;
    // A conversion writes many parts and can be run again; syncing each would cost more
    // than a lost output is worth.
    WriteOptions options;
    options.durable = false;
    options.throughLinks = false;
    return writeFileAtomically(file, encoded.bytes, options);
}

}  // namespace sorvane
