#include "engine/containers/zip_archive.h"

#include <zip.h>

#include <algorithm>

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

struct ZipArchive::Impl {
    zip_t* archive = nullptr;
    ZipLimits limits;
    ~Impl()
    {
        if (archive)
            zip_discard(archive);  // read-only: nothing to write back
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
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return Error{ErrorCode::BadInput, "无法读取 ZIP 压缩包", {}};
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        std::string message = "ZIP 压缩包已损坏或不完整（" + std::string(zip_error_strerror(&error)) + "）";
        zip_error_fini(&error);
        return Error{ErrorCode::BadInput, std::move(message), {}};
    }
    zip_error_fini(&error);
    auto impl = std::make_unique<Impl>();
    impl->archive = archive;
    impl->limits = limits;
    std::unique_ptr<ZipArchive> result(new ZipArchive(std::move(impl)));
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxMembers)
        return Error{ErrorCode::BadInput, "ZIP 压缩包的成员数目过多（" + std::to_string(count) + "）", {}};
    result->m_members.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        ZipMember member;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) == 0) {
            if (st.valid & ZIP_STAT_NAME)
                member.name = st.name;
            if (st.valid & ZIP_STAT_SIZE)
                member.size = st.size;
            if (st.valid & ZIP_STAT_COMP_SIZE)
                member.packedSize = st.comp_size;
        }
        result->m_byName.emplace(member.name, result->m_members.size());
        result->m_byLowerName.emplace(lowerAscii(member.name), result->m_members.size());
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
    const auto it = m_byLowerName.find(lowerAscii(name));
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
    zip_file_t* file = zip_fopen_index(m_impl->archive, index, 0);
    if (!file) {
        return Error{ErrorCode::BadInput,
                     "无法读取压缩包成员（" + std::string(zip_error_strerror(zip_get_error(m_impl->archive))) + "）",
                     member.name};
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(member.size));
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            // Damaged data or a CRC mismatch, found once the member has been read through.
            std::string message = "压缩包成员已损坏（" + std::string(zip_error_strerror(zip_file_get_error(file))) + "）";
            zip_fclose(file);
            return Error{ErrorCode::BadInput, std::move(message), member.name};
        }
        if (n == 0)
            break;
        // More bytes than the archive records is damage, or a bomb that lies about its size.
        if (out.size() + static_cast<std::uint64_t>(n) > std::min(room, member.size)) {
            zip_fclose(file);
            m_inflated += out.size();
            return tooLarge();
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    zip_fclose(file);
    m_inflated += out.size();
    return out;
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
