#include "engine/output/source_guard.h"

#include <sys/stat.h>

#include <system_error>

namespace sorvane {
namespace {

// One spelling per path: absolute, with ".", ".." and the links of existing folders
// resolved, so "a/../b.txt" and "b.txt" meet.
std::filesystem::path resolved(const std::filesystem::path& path)
{
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        return path.lexically_normal();
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : canonical;
}

// The device and inode of the existing file `path` ends at, links followed.
std::optional<std::pair<unsigned long, unsigned long>> fileId(const std::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return std::pair<unsigned long, unsigned long>(static_cast<unsigned long>(st.st_dev),
                                                   static_cast<unsigned long>(st.st_ino));
}

}  // namespace

SourceGuard::SourceGuard(const std::vector<std::filesystem::path>& sources) : m_sources(sources)
{
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        m_byPath.emplace(resolved(m_sources[i]), i);
        if (const auto id = fileId(m_sources[i]))
            m_byFile.emplace(*id, i);
    }
}

// The folder is resolved, then the name put back: a file's own link is caught by its
// inode, and the parts of one document resolve their folder once.
std::filesystem::path SourceGuard::resolvedPath(const std::filesystem::path& file) const
{
    const std::filesystem::path folder = file.parent_path();
    if (m_lastResolved.empty() || folder != m_lastFolder) {
        m_lastFolder = folder;
        m_lastResolved = resolved(folder.empty() ? std::filesystem::path(".") : folder);
    }
    const std::filesystem::path name = file.filename();
    if (name.empty() || name == "." || name == "..")
        return resolved(file);
    return m_lastResolved / name;
}

std::optional<std::size_t> SourceGuard::sourceAt(const std::filesystem::path& file) const
{
    if (m_sources.empty())
        return std::nullopt;
    if (!m_byFile.empty())
        if (const auto id = fileId(file))
            if (const auto it = m_byFile.find(*id); it != m_byFile.end())
                return it->second;
    if (const auto it = m_byPath.find(resolvedPath(file)); it != m_byPath.end())
        return it->second;
    return std::nullopt;
}

}  // namespace sorvane
