#include "engine/containers/zip_archive.h"

#include <algorithm>

#include "common/text.h"
#include "engine/containers/zip_module.h"
#include "io/program_module.h"

namespace sorvane {
namespace {

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

// The ZIP library lives in a module of its own, loaded with the first archive.
struct ZipArchive::Impl {
    const ZipModule* zip = nullptr;
    void* archive = nullptr;
    ZipLimits limits;
    ~Impl()
    {
        if (archive)
            zip->close(archive);
    }
};

ZipArchive::ZipArchive(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ZipArchive::~ZipArchive() = default;

Result<std::unique_ptr<ZipArchive>> ZipArchive::open(std::string_view bytes, ZipLimits limits)
{
    // The library takes an empty buffer for an empty archive; a file with no bytes is
    // no archive at all.
    if (bytes.size() < 22)
        return Error{ErrorCode::BadInput, "ZIP 压缩包已损坏或不完整（文件过短）", {}};
    Result<const ZipModule*> zip = loadModuleTable<ZipModule>("zip");
    if (!zip)
        return zip.error();
    std::string why;
    void* archive = (*zip)->open(bytes.data(), bytes.size(), sinkInto(why));
    if (!archive) {
        if (why.empty())
            return Error{ErrorCode::BadInput, "无法读取 ZIP 压缩包", {}};
        return Error{ErrorCode::BadInput, "ZIP 压缩包已损坏或不完整（" + why + "）", {}};
    }
    auto impl = std::make_unique<Impl>();
    impl->zip = *zip;
    impl->archive = archive;
    impl->limits = limits;
    std::unique_ptr<ZipArchive> result(new ZipArchive(std::move(impl)));
    result->m_archiveSize = bytes.size();
    const std::int64_t count = (*zip)->count(archive);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxMembers)
        return Error{ErrorCode::BadInput, "ZIP 压缩包的成员数目过多（" + std::to_string(count) + "）", {}};
    result->m_members.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        ZipMember member;
        (*zip)->stat(archive, static_cast<std::uint64_t>(i), sinkInto(member.name), &member.size, &member.packedSize);
        result->m_byName.emplace(member.name, result->m_members.size());
        result->m_byLowerName.emplace(lowerAscii(toNfcUtf8(member.name)), result->m_members.size());
        result->m_members.push_back(std::move(member));
    }
    return result;
}

std::optional<std::size_t> ZipArchive::find(std::string_view name) const
{
    const auto it = m_byName.find(std::string(name));
    if (it == m_byName.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::size_t> ZipArchive::findNoCase(std::string_view name) const
{
    if (auto exact = find(name))
        return exact;
    const auto it = m_byLowerName.find(lowerAscii(toNfcUtf8(name)));
    if (it == m_byLowerName.end())
        return std::nullopt;
    return it->second;
}

Result<std::string> ZipArchive::read(std::string_view name)
{
    const auto index = find(name);
    if (!index)
        return Error{ErrorCode::BadInput, "压缩包中没有这个成员", std::string(name)};
    return read(*index);
}

Result<std::string> ZipArchive::read(std::size_t index)
{
    if (index >= m_members.size())
        return Error{ErrorCode::BadInput, "压缩包中没有这个成员", {}};
    const ZipMember& member = m_members[index];
    const ZipLimits& limits = m_impl->limits;
    const std::uint64_t room = std::min(limits.maxMemberSize, limits.maxTotalInflated - std::min(m_inflated, limits.maxTotalInflated));
    auto tooLarge = [&] {
        return Error{ErrorCode::BadInput, "压缩包成员解压后过大或超出记录的大小（已损坏或疑似压缩炸弹），已拒绝", member.name};
    };
    // The claimed size is checked first; the inflated bytes are counted as they come,
    // since the claim may lie.
    if (member.size > room)
        return tooLarge();
    std::string out;
    out.reserve(static_cast<std::size_t>(member.size));
    std::string why;
    std::uint64_t written = 0;
    // More bytes than the archive records is damage, or a bomb that lies about its size.
    const ZipReadStatus status = m_impl->zip->read(m_impl->archive, index, std::min(room, member.size),
                                                   sinkInto(out), &written, sinkInto(why));
    switch (status) {
    case ZipReadStatus::Done:
        m_inflated += written;
        return out;
    case ZipReadStatus::OpenFailed:
        return Error{ErrorCode::BadInput, "无法读取压缩包成员（" + why + "）", member.name};
    case ZipReadStatus::Damaged:
        // Damaged data or a CRC mismatch, found once the member has been read through.
        return Error{ErrorCode::BadInput, "压缩包成员已损坏（" + why + "）", member.name};
    case ZipReadStatus::TooLarge:
        m_inflated += written;
        break;
    }
    return tooLarge();
}

// Percent-escapes undone, any "#fragment" or "?query" dropped, backslashes read as
// slashes, then resolved against the folder of `base` with "." and ".." segments folded.
std::optional<std::string> resolveMemberName(std::string_view base, std::string_view href)
{
    href = href.substr(0, href.find_first_of("#?"));
    // A scheme ("http:", "file:", "data:") is a link outside the archive; a Windows
    // drive letter is not a member either.
    const size_t colon = href.find(':');
    if (colon != std::string_view::npos && href.substr(0, colon).find('/') == std::string_view::npos)
        return std::nullopt;
    std::string decoded;
    decoded.reserve(href.size());
    for (size_t i = 0; i < href.size(); ++i) {
        if (href[i] == '%' && i + 2 < href.size() && hexValue(href[i + 1]) >= 0 &&
            hexValue(href[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(hexValue(href[i + 1]) * 16 + hexValue(href[i + 2])));
            i += 2;
        } else {
            decoded.push_back(href[i] == '\\' ? '/' : href[i]);
        }
    }
    std::vector<std::string> segments;
    if (!decoded.starts_with('/')) {
        const size_t slash = base.rfind('/');
        std::string_view folder = slash == std::string_view::npos ? std::string_view{} : base.substr(0, slash);
        size_t pos = 0;
        while (pos < folder.size()) {
            size_t end = folder.find('/', pos);
            if (end == std::string_view::npos)
                end = folder.size();
            if (end > pos)
                segments.emplace_back(folder.substr(pos, end - pos));
            pos = end + 1;
        }
    }
    size_t pos = 0;
    while (pos <= decoded.size()) {
        size_t end = decoded.find('/', pos);
        if (end == std::string::npos)
            end = decoded.size();
        const std::string_view seg = std::string_view(decoded).substr(pos, end - pos);
        if (seg == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.emplace_back(seg);
        }
        pos = end + 1;
    }
    std::string out;
    for (const std::string& s : segments) {
        if (!out.empty())
            out.push_back('/');
        out += s;
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

bool looksLikeZip(std::string_view bytes)
{
    return bytes.starts_with(std::string_view("PK\x03\x04", 4)) || bytes.starts_with(std::string_view("PK\x05\x06", 4)) ||
           bytes.starts_with(std::string_view("PK\x07\x08", 4));
}

}  // namespace sorvane
