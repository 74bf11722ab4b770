#include "engine/output/run_outputs.h"

#include <system_error>
#include <unordered_map>

namespace sorvane {
namespace {

// One spelling per file: absolute, with ".", ".." and the links of existing folders
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

}  // namespace

std::vector<std::optional<std::size_t>> earlierSameOutput(const std::vector<std::filesystem::path>& outputs)
{
    std::vector<std::optional<std::size_t>> earlier(outputs.size());
    std::unordered_map<std::string, std::size_t> first;
    first.reserve(outputs.size());
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto [it, inserted] = first.emplace(resolved(outputs[i]).native(), i);
        if (!inserted)
            earlier[i] = it->second;
    }
    return earlier;
}

Error sameOutputError(const std::filesystem::path& source, const std::filesystem::path& earlierSource,
                      const std::filesystem::path& output)
{
    return Error{ErrorCode::WouldOverwrite,
                 "与 " + earlierSource.string() + " 的输出文件相同（" + output.string() +
                     "），为了不覆盖它，没有转换",
                 source.string()};
}

Error outputExistsError(const std::filesystem::path& source, const std::filesystem::path& file)
{
    return Error{ErrorCode::OutputExists, "输出文件 " + file.string() + " 已存在，已跳过", source.string()};
}

RunOutputs::RunOutputs(const std::vector<std::filesystem::path>& sources, bool noClobber)
    : m_noClobber(noClobber), m_sources(sources)
{
}

// A document's own source is not "another source": whether it would replace itself is
// its writer's check, which words it differently.
Status RunOutputs::claim(const std::filesystem::path& source, const std::vector<std::filesystem::path>& names)
{
    const std::optional<std::size_t> self = m_sources.sourceAt(source);
    std::vector<std::filesystem::path> keys;
    keys.reserve(names.size());
    for (const auto& name : names) {
        keys.push_back(resolved(name));
        if (const auto it = m_written.find(keys.back()); it != m_written.end() && it->second != source)
            return sameOutputError(source, it->second, name);
        if (const auto other = m_sources.sourceAt(name); other && other != self)
            return Error{ErrorCode::WouldOverwrite,
                         "输出文件 " + name.string() + " 是本次转换的另一个源文件 " +
                             m_sources.source(*other).string() + "，为了不覆盖它，没有转换",
                         source.string()};
    }
    if (m_noClobber) {
        for (std::size_t k = 0; k < names.size(); ++k) {
            std::error_code ec;
            if (m_written.count(keys[k]) == 0 && std::filesystem::exists(std::filesystem::symlink_status(names[k], ec)))
                return outputExistsError(source, names[k]);
        }
    }
    for (auto& key : keys)
        m_written.emplace(std::move(key), source);
    return Ok{};
}

bool RunOutputs::ownedByOther(const std::filesystem::path& source, const std::filesystem::path& file) const
{
    if (const auto it = m_written.find(resolved(file)); it != m_written.end() && it->second != source)
        return true;
    return m_sources.sourceAt(file).has_value();
}

}  // namespace sorvane
