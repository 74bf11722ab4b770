#include "engine/readers/readable_names.h"

#include "common/ascii.h"
#include "engine/readers/reader_table.h"

namespace sorvane {

std::optional<DocumentKind> documentKindByName(const std::filesystem::path& path)
{
    const std::string ext = toLowerAscii(path.extension().string());
    for (const ReadableName& name : kReadableNames)
        if (name.extension == ext)
            return name.kind;
    return std::nullopt;
}

bool readByReaderName(const std::filesystem::path& path)
{
    const std::string name = toLowerAscii(path.filename().string());
    for (const DocumentReader& row : documentReaders())
        if (row.read)
            for (std::string_view extension : row.extensionList())
                if (name.size() > extension.size() && name.ends_with(extension))
                    return true;
    return false;
}

std::string readableDocumentPatterns()
{
    std::string patterns;
    const auto add = [&patterns](std::string_view extension) {
        if (!patterns.empty())
            patterns += ';';
        patterns += '*';
        patterns += extension;
    };
    for (const ReadableName& name : kReadableNames)
        if (name.kind == DocumentKind::Html)
            add(name.extension);
    for (const DocumentReader& row : documentReaders())
        if (row.read)
            for (std::string_view extension : row.extensionList())
                add(extension);
    for (const ReadableName& name : kReadableNames)
        if (name.kind == DocumentKind::PlainText)
            add(name.extension);
    return patterns;
}

}  // namespace sorvane
