#pragma once
// The conversion of one document: rendered, cleaned and written as one or more text files.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "engine/convert/line_pipeline.h"
#include "engine/convert/page_cleaning.h"
#include "engine/convert/renderer.h"

namespace sorvane {

struct EngineContext {
    std::filesystem::path programFolder;  // where the preview writes "TEMP.TXT"
    // Gets the caption (UTF-8) naming the document, before a conversion renders it.
    std::function<void(const std::string& caption)> setCaption;
    // Gets the share done so far (0..1) now and then. Optional.
    std::function<void(double done)> progress;
    Renderer render;  // renderDocument when empty
    // Gets every part's name before the first is written; an Error stops the conversion
    // with nothing written (BatchPlan::claim keeps a run's documents apart this way).
    // Optional.
    std::function<Status(const std::vector<std::filesystem::path>& names)> claimOutputs;
    // Whether `file`, named like one of this document's parts, belongs to the rest of the
    // run (a source, or another document's output), so it is not taken for a part left
    // from an earlier conversion and removed. Optional: without it only the document's own
    // source is kept.
    std::function<bool(const std::filesystem::path& file)> ownedElsewhere;
    // The first output file the run planned for the document (BatchPlan::output); empty:
    // outputBasePath's name. Optional.
    std::filesystem::path output;
    CleanOptions cleaning;  // the reader's rules, and what the batch's pages share
};

struct ConversionReport {
    std::vector<std::filesystem::path> files;  // every part written, in order
    std::size_t lostCharacters = 0;  // GBK output: characters code page 936 lacks, written as '?'
    std::size_t lines = 0;           // entries of the line table
    // What the reader could not read of the document, one line each: written, with parts
    // left out.
    std::vector<std::string> problems{};
    clean::RemovalReport removed{};  // what cleaning took out
};

// Converts the document at `source`: preview == 0 writes it under outputBase's name, any
// other value writes the preview's scratch file. The parts are written as one commit:
// once all are in place, files named as further parts of the same base that this
// conversion did not write (left by an earlier, longer one) are removed, so the folder
// holds exactly the new book. Fails as the renderer and writePart fail, leaving the old
// parts all as they were, with BadInput when the document does not fit in memory, and
// with WouldOverwrite, before anything is written, when an output would be the source
// itself.
Result<ConversionReport> ch_txt(const std::filesystem::path& source, int preview,
                                const ConversionParams& params, const ReplacementList& list,
                                const EngineContext& context);

// The path of the first part: the name the run planned, else the source's output name,
// or "TEMP.TXT" in the program folder for the preview. Further parts are named by
// partPath.
std::filesystem::path outputBase(const std::filesystem::path& source, int preview,
                                 const ConversionParams& params, const EngineContext& context);

// Writes what convertDocument made of `source` as ch_txt would: same names, checks and
// failures.
Result<ConversionReport> writeConverted(const std::filesystem::path& source, int preview,
                                        const ConvertedText& text, const ConversionParams& params,
                                        const EngineContext& context);

// What ch_txt would write, in memory, with the reader's problems (context.render, when
// set, reports none). Fails as the renderer or the script conversion fails; with
// cleaning, also as convertCleaned fails.
Result<ConvertedText> convertDocument(const std::filesystem::path& source, const ConversionParams& params,
                                      const ReplacementList& list, const EngineContext& context);

}  // namespace sorvane
