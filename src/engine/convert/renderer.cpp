#include "engine/convert/renderer.h"

#include <optional>
#include <string>
#include <utility>

#include "common/ascii.h"
#include "engine/readers/reader_table.h"
#include "engine/render/html_renderer.h"
#include "engine/render/plain_text_renderer.h"

namespace sorvane {
namespace {

bool hasUtf16Bom(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// Markup starts, after a BOM and white space, with "<!", "<?" or "<" and a letter.
bool looksLikeHtml(std::string_view bytes)
{
    size_t i = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && isAsciiSpace(bytes[i]))
        ++i;
    if (i + 1 >= bytes.size() || bytes[i] != '<')
        return false;
    const char c = bytes[i + 1];
    return c == '!' || c == '?' || isAsciiAlpha(c);
}

// The document read by the row chosen for it. The reader receives the probe that chose
// it, with any container its content check opened; errors name the document.
Result<Text> readWithRow(const DocumentReader& reader, DocumentProbe& probe, ReadProblems* problems)
{
    const std::string name = probe.path().string();
    if (!reader.read)
        return Error{ErrorCode::BinaryInput, reader.refusal, name};
    ReadProblems found;
    Result<Text> text = reader.read(probe, found);
    if (!text) {
        Error error = text.error();
        if (!error.where.empty() && error.where != name)
            error.message += "（" + error.where + "）";
        error.where = name;
        return error;
    }
    if (problems)
        problems->insert(problems->end(), found.begin(), found.end());
    return text;
}

}  // namespace

// The page and plain-text names say what they are; any other name is sniffed
// (looksLikeHtml, in the decoded text for UTF-16).
DocumentKind documentKind(const std::filesystem::path& path, std::string_view bytes)
{
    if (const auto byName = documentKindByName(path))
        return *byName;
    if (hasUtf16Bom(bytes)) {
        // Sniff the markup start in the decoded text's first characters.
        const std::string head = toUtf8(renderPlainText(bytes.substr(0, 256)));
        return looksLikeHtml(head) ? DocumentKind::Html : DocumentKind::PlainText;
    }
    return looksLikeHtml(bytes) ? DocumentKind::Html : DocumentKind::PlainText;
}

Result<Text> renderDocument(const std::filesystem::path& path)
{
    return renderDocument(path, nullptr);
}

namespace {

// NUL bytes in the first kilobyte mark a binary file. Unless its first bytes are those
// of a kind the reader table knows (to read it, or to say what it is), it is refused
// before the rest is read, so a huge binary file, or endless binary input, costs nothing.
constexpr std::size_t kSniffSize = 1024;

HeadCheck refuseBinary(const std::filesystem::path& path)
{
    return [path](std::string_view head) -> std::optional<Error> {
        if (hasUtf16Bom(head) || head.find('\0') == std::string_view::npos)
            return std::nullopt;
        DocumentProbe probe(head, path);
        if (knownByContent(probe))
            return std::nullopt;
        return Error{ErrorCode::BinaryInput, "不是文本或网页文件（含有二进制数据）", {}};
    };
}

}  // namespace

Result<std::string> readDocumentStream(int fd, const std::filesystem::path& name)
{
    return readWholeStream(fd, name.string(), kSniffSize, refuseBinary(name));
}

Result<Text> renderDocument(const std::filesystem::path& path, ReadProblems* problems)
{
    return renderDocument(path, problems, HtmlContext{});
}

Result<Text> renderDocument(const std::filesystem::path& path, ReadProblems* problems, const HtmlContext& page)
{
    Result<std::string> bytes = readWholeFile(path, kSniffSize, refuseBinary(path));
    if (!bytes)
        return bytes.error();
    return renderDocumentBytes(path, std::move(*bytes), problems, page);
}

Result<Text> renderDocumentBytes(const std::filesystem::path& name, std::string bytes, ReadProblems* problems)
{
    return renderDocumentBytes(name, std::move(bytes), problems, HtmlContext{});
}

Result<Text> renderDocumentBytes(const std::filesystem::path& name, std::string bytes, ReadProblems* problems,
                                 const HtmlContext& page)
{
    {
        DocumentProbe probe(bytes, name);
        if (const DocumentReader* reader = chooseDocumentReader(probe)) {
            if (bytes.empty())
                return Error{ErrorCode::BadInput, "文件是空的（0 字节），没有可以读取的内容", name.string()};
            return readWithRow(*reader, probe, problems);
        }
    }
    const std::string_view view = bytes;
    if (!hasUtf16Bom(view) && view.substr(0, 1024).find('\0') != std::string_view::npos)
        return Error{ErrorCode::BinaryInput, "不是文本或网页文件（含有二进制数据）", name.string()};
    if (documentKind(name, view) == DocumentKind::Html)
        return page.renderPage ? renderHtml(view, page) : renderHtml(std::move(bytes));
    return renderPlainText(view);
}

}  // namespace sorvane
