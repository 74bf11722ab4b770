#include "engine/readers/reader_interface.h"

#include <algorithm>
#include <limits>

#include "common/ascii.h"
#include "engine/containers/ole_compound_file.h"
#include "engine/containers/zip_archive.h"

namespace sorvane {

// Each container is opened on first demand, and its outcome (the container or the error)
// kept for every later question.
struct DocumentProbe::Opened {
    std::optional<Result<std::unique_ptr<ZipArchive>>> zip;
    std::optional<Result<std::unique_ptr<OleCompoundFile>>> ole;
};

bool opensWithMarkup(std::string_view bytes)
{
    const std::string_view head = bytes.substr(0, 1024);
    if (head.find('\0') != std::string_view::npos)
        return false;
    std::size_t at = head.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    at = head.find_first_not_of(" \t\r\n", at);
    return at != std::string_view::npos && head[at] == '<';
}

std::size_t expansionAllowance(std::size_t inputBytes)
{
    constexpr std::size_t kFixed = std::size_t{32} << 20;
    const std::size_t most = std::numeric_limits<std::size_t>::max();
    return inputBytes > (most - kFixed) / 16 ? most : kFixed + 16 * inputBytes;
}

std::string partCutShortProblem(std::string_view part, std::size_t allowance)
{
    return std::string(part) + "过大，读取它所需的内存超过按文件大小允许的 " + std::to_string(allowance >> 20) +
           " MB，只读取了前面的部分";
}

DocumentProbe::DocumentProbe(std::string_view bytes, const std::filesystem::path& path)
    : m_path(path), m_bytes(bytes), m_extension(toLowerAscii(path.extension().string()))
{
}

DocumentProbe::~DocumentProbe() = default;

DocumentProbe::Opened& DocumentProbe::opened()
{
    if (!m_opened)
        m_opened = std::make_unique<Opened>();
    return *m_opened;
}

Result<ZipArchive*> DocumentProbe::zipArchive()
{
    auto& zip = opened().zip;
    if (!zip) {
        ZipLimits limits;
        limits.maxMemberSize = std::min<std::uint64_t>(limits.maxMemberSize, expansionAllowance(m_bytes.size()));
        zip.emplace(ZipArchive::open(m_bytes, limits));
    }
    if (!*zip)
        return zip->error();
    return zip->value().get();
}

Result<OleCompoundFile*> DocumentProbe::compoundFile()
{
    auto& ole = opened().ole;
    if (!ole)
        ole.emplace(OleCompoundFile::open(m_bytes));
    if (!*ole)
        return ole->error();
    return ole->value().get();
}

bool DocumentProbe::zipHasMember(std::string_view name)
{
    if (!looksLikeZip(m_bytes))
        return false;
    const Result<ZipArchive*> zip = zipArchive();
    return zip && (*zip)->find(name).has_value();
}

std::optional<std::string> DocumentProbe::zipSmallMember(std::string_view name)
{
    if (!looksLikeZip(m_bytes))
        return std::nullopt;
    const Result<ZipArchive*> zip = zipArchive();
    if (!zip)
        return std::nullopt;
    ZipArchive& archive = **zip;
    const auto index = archive.find(name);
    if (!index || archive.members()[*index].size > 4096)
        return std::nullopt;
    auto content = archive.read(*index);
    if (!content)
        return std::nullopt;
    return std::move(*content);
}

std::vector<std::string_view> DocumentReader::extensionList() const
{
    std::vector<std::string_view> names;
    std::string_view list = extensions ? extensions : "";
    for (std::string_view name = nextAsciiToken(list); !name.empty(); name = nextAsciiToken(list))
        names.push_back(name);
    return names;
}

}  // namespace sorvane
