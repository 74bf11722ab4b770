#pragma once
// A ZIP archive held in memory: the one adapter over the ZIP library. Members are looked
// up by their stored names only; a name is never turned into a path on disk, so a
// member called "../../x" is just a string that no lookup resolves outside the archive.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/result.h"

namespace sorvane {

struct ZipMember {
    std::string name;            // as stored (UTF-8 when the archive says so)
    std::uint64_t size = 0;      // the size the archive claims once inflated
    std::uint64_t packedSize = 0;
};

// Caps on what reading members may inflate to, so an archive that claims or inflates
// to gigabytes is refused early instead of filling memory.
struct ZipLimits {
    std::uint64_t maxMemberSize = std::uint64_t{256} << 20;    // one member
    std::uint64_t maxTotalInflated = std::uint64_t{1} << 30;   // all reads of one archive
    std::uint64_t maxMembers = 200'000;
};

class ZipArchive {
public:
    // Opens the archive in `bytes`, which must outlive the archive. Fails with BadInput
    // when the bytes are not a readable ZIP archive (also when it is cut short).
    static Result<std::unique_ptr<ZipArchive>> open(std::string_view bytes, ZipLimits limits = {});
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The size of the archive itself, in bytes.
    std::size_t archiveSize() const { return m_archiveSize; }
    // Every member, in the archive's own order (folders included, names ending in '/').
    const std::vector<ZipMember>& members() const { return m_members; }
    // The index of the member stored under exactly this name.
    std::optional<std::size_t> find(std::string_view name) const;
    // The same, ignoring ASCII case and Unicode composition (some books are packed with
    // names in another case than their links use, or write "ü" as "u" and a combining
    // mark where the file system stored one character).
    std::optional<std::size_t> findNoCase(std::string_view name) const;

    // The inflated content of a member. Fails with BadInput when the member is larger
    // than the caps allow, when its data is damaged (a CRC mismatch included) or when
    // the member does not exist; the message says which.
    Result<std::string> read(std::size_t index);
    Result<std::string> read(std::string_view name);

private:
    struct Impl;
    explicit ZipArchive(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
    std::vector<ZipMember> m_members;
    // Name, and name in lower case, to the first member stored under it.
    std::unordered_map<std::string, std::size_t> m_byName, m_byLowerName;
    std::uint64_t m_inflated = 0;
    std::size_t m_archiveSize = 0;
};

// The member a link in member `base` points to, resolved as a URL is; ".." never climbs
// above the archive's root. Nothing for a URL with a scheme ("http:", "data:").
std::optional<std::string> resolveMemberName(std::string_view base, std::string_view href);

// Whether the bytes start like a ZIP archive (a local file header or an empty archive).
bool looksLikeZip(std::string_view bytes);

}  // namespace sorvane
