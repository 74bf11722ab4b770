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
