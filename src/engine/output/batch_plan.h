#pragma once
// What a run of conversions writes, decided once for every front end before the first
// document is converted: each document's output name, the documents refused because an
// earlier one of the run takes that name (or, when asked, because it exists), and the
// record of the files written as the run goes, so no document replaces what another
// wrote or a source of the run.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

#include "common/conversion_params.h"
#include "common/result.h"
#include "engine/output/run_outputs.h"

namespace sorvane {

// One document of a run.
struct BatchSource {
    std::filesystem::path source;
    std::filesystem::path outputFolder;  // where its files go; empty: beside the source
    bool isFile = true;                  // false for standard input: no output can replace it
};

class BatchPlan {
public:
    // Plans the documents in run order, each with its own output folder. With
    // `noClobber` a document whose first output file exists is refused (OutputExists),
    // and so is any later part that exists and was not written by this run.
    BatchPlan(std::vector<BatchSource> sources, const ConversionParams& params, bool noClobber = false);
    // The same for documents that all go into params.outputFolder (beside each source
    // when it is empty).
    BatchPlan(const std::vector<std::filesystem::path>& sources, const ConversionParams& params,
              bool noClobber = false);

    std::size_t size() const { return m_sources.size(); }

    // The parameters to convert document `index` with: the run's, with its output folder.
    const ConversionParams& params(std::size_t index) const { return m_params[index]; }

    // The first output file of document `index` (further parts are named by partPath).
    const std::filesystem::path& output(std::size_t index) const { return m_outputs[index]; }

    // Why document `index` is not to be converted, or nothing: WouldOverwrite naming the
    // earlier source whose first output file is the same, or OutputExists (noClobber).
    const std::optional<Error>& refusal(std::size_t index) const { return m_refusals[index]; }

    // Records the files document `index` is about to write, just before it writes them;
    // documents claim in run order, one at a time (hand it to EngineContext::claimOutputs).
    // Fails as RunOutputs::claim, recording nothing.
    Status claim(std::size_t index, const std::vector<std::filesystem::path>& names);

    // Whether `file` belongs to the run apart from document `index`: a source, the first
    // output of another document, or a file another document wrote (hand it to
    // EngineContext::ownedElsewhere, so no such file is taken for a stale part).
    bool ownedElsewhere(std::size_t index, const std::filesystem::path& file) const;

private:
    void keepPackedBooksApart(int width);

    std::vector<BatchSource> m_sources;
    std::vector<ConversionParams> m_params;
    std::vector<std::filesystem::path> m_outputs;
    std::vector<std::optional<Error>> m_refusals;
    RunOutputs m_claims;
};

// The folder a book joined from `chapters` goes into: `outputFolder`, or the folder of
// the first chapter when it is empty.
std::filesystem::path bookFolder(const std::vector<std::filesystem::path>& chapters,
                                 const std::filesystem::path& outputFolder);

}  // namespace sorvane
