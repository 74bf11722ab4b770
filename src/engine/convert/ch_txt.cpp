#include "engine/convert/ch_txt.h"

#include <new>
#include <system_error>

#include "common/program_paths.h"
#include "engine/output/output_folder.h"
#include "engine/output/output_naming.h"
#include "engine/output/part_writer.h"
#include "engine/output/source_guard.h"

namespace sorvane {

std::filesystem::path outputBase(const std::filesystem::path& source, int preview,
                                 const ConversionParams& params, const EngineContext& context)
{
    if (preview != 0)
        return programFile(context.programFolder, kScratchFileName);
    if (!context.output.empty())
        return context.output;
    return outputBasePath(source, namingWidth(params.naming), params.outputFolder);
}

Result<ConvertedText> convertDocument(const std::filesystem::path& source, const ConversionParams& params,
                                      const ReplacementList& list, const EngineContext& context)
{
    if (usesCleaning(params, context.cleaning)) {
        Result<ConvertedText> cleaned = convertCleaned(source, params, list, context.cleaning, context.render);
        if (cleaned && context.progress)
            context.progress(0.6);
        return cleaned;
    }
    ReadProblems problems;
    Result<Text> rendered = context.render ? context.render(source) : renderDocument(source, &problems);
    if (!rendered)
        return rendered.error();
    ProgressFn progress;
    if (context.progress)
        progress = [&context](double done) { context.progress(0.1 + 0.5 * done); };
    ConvertedText converted = convertText(std::move(rendered).value(), params, list, progress);
    if (converted.error)
        return Error{converted.error->code, converted.error->message, source.string()};
    converted.problems = std::move(problems);
    return converted;
}

Result<ConversionReport> writeConverted(const std::filesystem::path& source, int preview,
                                        const ConvertedText& text, const ConversionParams& params,
                                        const EngineContext& context)
{
    const std::filesystem::path base = outputBase(source, preview, params, context);

    // Every name is known before the first write, so a conversion that would replace its
    // own source is refused with nothing touched.
    const SourceGuard guard({source});
    std::vector<std::filesystem::path> names;
    names.reserve(text.parts.size());
    for (const TextPart& part : text.parts) {
        names.push_back(partPath(base, part.start));
        if (guard.sourceAt(names.back()))
            return Error{ErrorCode::WouldOverwrite, "输出文件就是源文件本身，转换会覆盖源文件，已跳过",
                         source.string()};
    }
    if (context.claimOutputs) {
        Status claimed = context.claimOutputs(names);
        if (!claimed)
            return claimed.error();
    }
    if (preview == 0 && !params.outputFolder.empty()) {
        Status made = makeOutputFolder(base.parent_path());
        if (!made)
            return made.error();
    }

    ConversionReport report;
    report.lostCharacters = text.lostCharacters;
    report.lines = text.lines;
    report.problems = text.problems;
    report.removed = text.removed;
    // The preview's scratch file is the program's own, read back by the preview window in
    // code page 936 with CR LF, whatever the user's output encoding.
    const OutputFormat format = preview == 0 ? static_cast<const OutputFormat&>(params) : OutputFormat{};
    // Every part is written before any is renamed into place, so a full disk half way
    // leaves the old book whole.
    FileCommit commit(kPartWriteOptions);
    for (size_t k = 0; k < names.size(); ++k) {
        Status written = writePart(commit, names[k], text.parts[k].content, report.lostCharacters, format);
        if (!written)
            return written.error();
        if (context.progress)
            context.progress(0.6 + 0.4 * static_cast<double>(k + 1) / static_cast<double>(names.size()));
    }
    Status committed = commit.commit();
    if (!committed)
        return committed.error();
    report.files = std::move(names);
    removeOtherParts(base, report.files, [&](const std::filesystem::path& file) {
        return guard.sourceAt(file) || (context.ownedElsewhere && context.ownedElsewhere(file));
    });
    return report;
}

namespace {

Result<ConversionReport> convertAndWrite(const std::filesystem::path& source, int preview,
                                         const ConversionParams& params, const ReplacementList& list,
                                         const EngineContext& context)
{
    if (preview == 0 && context.setCaption)
        context.setCaption("正在转换 " + source.string() + " ...");

    Result<ConvertedText> converted = convertDocument(source, params, list, context);
    if (!converted)
        return converted.error();
    return writeConverted(source, preview, *converted, params, context);
}

}  // namespace

// A conversion writes beside the source, or into params.outputFolder (created when
// missing), and reports "正在转换 " + path + " ..." as the caption before rendering. The
// preview writes "TEMP.TXT" and its "TEMP_nnnn.txt" parts into the program folder, always
// in code page 936 with CR LF, and leaves the caption alone.
Result<ConversionReport> ch_txt(const std::filesystem::path& source, int preview,
                                const ConversionParams& params, const ReplacementList& list,
                                const EngineContext& context)
{
    // A document too large for memory is reported like any other failure, so no caller
    // (and no window's event loop) ever sees the exception.
    try {
        return convertAndWrite(source, preview, params, list, context);
    } catch (const std::bad_alloc&) {
        return Error{ErrorCode::BadInput, "文档太大，内存不足，无法转换", source.string()};
    }
}

}  // namespace sorvane
