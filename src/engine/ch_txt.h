#pragma once
// The conversion engine: renders one document, cleans its text by the conversion
// parameters and the replacement list, and writes it as one or more text files, split by
// the size limit: code page 936 with CR LF line ends unless the parameters choose another
// encoding or line end.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "engine/line_pipeline.h"
#include "engine/renderer.h"

namespace sorvane {

struct EngineContext {
    // Folder of the program's own files: the preview writes "TEMP.TXT" and its further
    // parts there.
    std::filesystem::path programFolder;
    // Conversion mode reports "正在转换 " + path + " ..." here (UTF-8) before rendering.
    std::function<void(const std::string& caption)> setCaption;
    // Called now and then during long work with the share done so far (0..1); a front
    // end may keep its window responsive or show progress from it. Optional.
    std::function<void(double done)> progress;
    // The renderer to use; renderDocument when empty.
    Renderer render;
    // Called with the names of every part, once they are known and before the first is
    // written; an Error returned here stops the conversion with nothing written. A run
    // uses it to keep its documents from writing over each other (RunOutputs). Optional.
    std::function<Status(const std::vector<std::filesystem::path>& names)> claimOutputs;
};

struct ConversionReport {
    std::vector<std::filesystem::path> files;  // every part written, in order
    std::size_t lostCharacters = 0;  // GBK output: characters code page 936 lacks, written as '?'
    std::size_t lines = 0;           // entries of the line table
};

// Converts the document at `source`. preview == 0 writes beside the source (or into
// params.outputFolder, created when missing), named after it; any other value writes "TEMP.TXT" (and "TEMP_nnnn.txt" parts) into
// context.programFolder and leaves the caption alone.
// On failure returns an Error naming the file and the reason; parts already complete
// stay as written. Refuses (WouldOverwrite) a conversion whose output would be the
// source document itself, before anything is written.
Result<ConversionReport> ch_txt(const std::filesystem::path& source, int preview,
                                const ConversionParams& params, const ReplacementList& list,
                                const EngineContext& context);

// The path of the first part: the source's output name in conversion mode, "TEMP.TXT" in
// the program folder in preview mode. Further parts are named by partPath.
std::filesystem::path outputBase(const std::filesystem::path& source, int preview,
                                 const ConversionParams& params, const EngineContext& context);

// Writes a text convertDocument made of `source`, as ch_txt would after converting it:
// the same names, checks and failures.
Result<ConversionReport> writeConverted(const std::filesystem::path& source, int preview,
                                        const ConvertedText& text, const ConversionParams& params,
                                        const EngineContext& context);

// Renders the document (context.render, or renderDocument) and cleans its text, writing
// nothing: what ch_txt would write, in memory. Fails as the renderer fails.
Result<ConvertedText> convertDocument(const std::filesystem::path& source, const ConversionParams& params,
                                      const ReplacementList& list, const EngineContext& context);

}  // namespace sorvane
