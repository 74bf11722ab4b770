#include "engine/output/part_writer.h"

#include "engine/output/output_encoding.h"

namespace sorvane {

Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost, const OutputFormat& format)
{
    const EncodedText encoded = encodeOutput(content, format);
    lost += encoded.lost;
    return writeFileAtomically(file, encoded.bytes, kPartWriteOptions);
}

Status writePart(FileCommit& commit, const std::filesystem::path& file, TextView content, std::size_t& lost,
                 const OutputFormat& format)
{
    const EncodedText encoded = encodeOutput(content, format);
    lost += encoded.lost;
    return commit.add(file, encoded.bytes);
}

}  // namespace sorvane
