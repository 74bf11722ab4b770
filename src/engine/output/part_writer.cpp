#include "engine/output/part_writer.h"

#include <algorithm>
#include <system_error>

#include "engine/output/output_encoding.h"
#include "engine/output/output_naming.h"

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

std::vector<std::filesystem::path> otherParts(const std::filesystem::path& base,
                                              const std::vector<std::filesystem::path>& written)
{
    std::vector<std::filesystem::path> found;
    const std::filesystem::path folder = base.has_parent_path() ? base.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // Named as partPath names them, so "./x" and "x" compare alike.
        const std::filesystem::path file = base.parent_path() / it->path().filename();
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc) || !partStart(base, file))
            continue;
        if (std::find(written.begin(), written.end(), file) == written.end())
            found.push_back(file);
    }
    std::sort(found.begin(), found.end());
    return found;
}

void removeOtherParts(const std::filesystem::path& base, const std::vector<std::filesystem::path>& written,
                      const std::function<bool(const std::filesystem::path& file)>& keep)
{
    for (const std::filesystem::path& file : otherParts(base, written)) {
        if (keep && keep(file))
            continue;
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
}

}  // namespace sorvane
