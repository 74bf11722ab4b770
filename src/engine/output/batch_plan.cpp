#include "engine/output/batch_plan.h"

#include <system_error>
#include <utility>

#include "engine/output/output_naming.h"

namespace sorvane {
namespace {

std::vector<BatchSource> inOneFolder(const std::vector<std::filesystem::path>& sources,
                                     const std::filesystem::path& folder)
{
    std::vector<BatchSource> out;
    out.reserve(sources.size());
    for (const auto& source : sources)
        out.push_back({source, folder, true});
    return out;
}

std::vector<std::filesystem::path> filesAmong(const std::vector<BatchSource>& sources)
{
    std::vector<std::filesystem::path> files;
    for (const BatchSource& s : sources)
        if (s.isFile)
            files.push_back(s.source);
    return files;
}

}  // namespace

BatchPlan::BatchPlan(std::vector<BatchSource> sources, const ConversionParams& params, bool noClobber)
    : m_sources(std::move(sources)), m_claims(filesAmong(m_sources), noClobber)
{
    const int width = namingWidth(params.naming);
    m_params.reserve(m_sources.size());
    m_outputs.reserve(m_sources.size());
    for (const BatchSource& s : m_sources) {
        m_params.push_back(params);
        m_params.back().outputFolder = s.outputFolder;
        m_outputs.push_back(outputBasePath(s.source, width, s.outputFolder));
    }
    keepPackedBooksApart(width);
    // Both checks need only the names, so they are made before anything runs.
    m_refusals.resize(m_sources.size());
    const auto earlier = earlierSameOutput(m_outputs);
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        std::error_code ec;
        if (earlier[i])
            m_refusals[i] = sameOutputError(m_sources[i].source, m_sources[*earlier[i]].source, m_outputs[i]);
        else if (noClobber && std::filesystem::exists(std::filesystem::symlink_status(m_outputs[i], ec)))
            m_refusals[i] = outputExistsError(m_sources[i].source, m_outputs[i]);
    }
}

// A packed book ("d.fb2.zip") is named as its book would be ("d.txt"), unless another
// document of the run takes that name, as its output or as its source (the book itself
// beside it, "d.fb2"): then it keeps its book's extension ("d.fb2.txt"), so both are
// converted.
void BatchPlan::keepPackedBooksApart(int width)
{
    // Every output and source, once forwards and once backwards: a name met earlier in
    // either order is met twice.
    std::vector<std::filesystem::path> names = m_outputs;
    for (const std::filesystem::path& file : filesAmong(m_sources))
        names.push_back(file);
    const auto before = earlierSameOutput(names);
    std::vector<std::filesystem::path> reversed(names.rbegin(), names.rend());
    const auto after = earlierSameOutput(reversed);
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        if (!before[i] && !after[names.size() - 1 - i])
            continue;
        if (auto kept = packedBookOutputBasePath(m_sources[i].source, width, m_sources[i].outputFolder))
            m_outputs[i] = std::move(*kept);
    }
}

BatchPlan::BatchPlan(const std::vector<std::filesystem::path>& sources, const ConversionParams& params,
                     bool noClobber)
    : BatchPlan(inOneFolder(sources, params.outputFolder), params, noClobber)
{
}

Status BatchPlan::claim(std::size_t index, const std::vector<std::filesystem::path>& names)
{
    return m_claims.claim(m_sources[index].source, names);
}

bool BatchPlan::ownedElsewhere(std::size_t index, const std::filesystem::path& file) const
{
    if (m_claims.ownedByOther(m_sources[index].source, file))
        return true;
    std::error_code ec;
    const std::filesystem::path spelled = std::filesystem::absolute(file, ec).lexically_normal();
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        if (i != index && std::filesystem::absolute(m_outputs[i], ec).lexically_normal() == spelled)
            return true;
    }
    return false;
}

std::filesystem::path bookFolder(const std::vector<std::filesystem::path>& chapters,
                                 const std::filesystem::path& outputFolder)
{
    if (!outputFolder.empty() || chapters.empty())
        return outputFolder;
    std::error_code ec;
    const std::filesystem::path first = std::filesystem::absolute(chapters.front(), ec);
    return (ec ? chapters.front() : first).parent_path();
}

}  // namespace sorvane
