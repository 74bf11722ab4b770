#include "engine/renderer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

#include "engine/html_renderer.h"
#include "engine/plain_text_renderer.h"
#include "engine/doc_reader.h"
#include "engine/docx_reader.h"
#include "engine/odt_reader.h"
#include "engine/ole_compound_file.h"
#include "engine/rtf_reader.h"
#include "engine/zip_archive.h"

namespace sorvane {
namespace {

std::string lowerExtension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool hasUtf16Bom(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// Markup starts, after a BOM and white space, with "<!", "<?" or "<" and a letter.
bool looksLikeHtml(std::string_view bytes)
{
    size_t i = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' ||
                                bytes[i] == '\n' || bytes[i] == '\f'))
        ++i;
    if (i + 1 >= bytes.size() || bytes[i] != '<')
        return false;
    const char c = bytes[i + 1];
    return c == '!' || c == '?' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

DocumentKind documentKind(const std::filesystem::path& path, std::string_view bytes)
{
    static const char* const html[] = {".htm", ".html", ".xhtml", ".shtml", ".asp", ".aspx", ".php", ".jsp"};
    const std::string ext = lowerExtension(path);
    if (ext == ".txt" || ext == ".text")
        return DocumentKind::PlainText;
    for (const char* e : html)
        if (ext == e)
            return DocumentKind::Html;
    if (hasUtf16Bom(bytes)) {
        // Sniff the markup start in the decoded text's first characters.
        const std::string head = toUtf8(renderPlainText(bytes.substr(0, 256)));
        return looksLikeHtml(head) ? DocumentKind::Html : DocumentKind::PlainText;
    }
    return looksLikeHtml(bytes) ? DocumentKind::Html : DocumentKind::PlainText;
}

Result<std::string> readWholeFile(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return Error{ErrorCode::NotFound, "文件不存在", path.string()};
    if (std::filesystem::is_directory(status))
        return Error{ErrorCode::Unreadable, "这是一个文件夹，不是文件", path.string()};
    // A pipe would block the open until someone writes to it, and a device may never end.
    if (!std::filesystem::is_regular_file(status))
        return Error{ErrorCode::Unreadable, "不是普通文件（设备、管道或套接字），无法读取", path.string()};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Error{ErrorCode::Unreadable, std::string("无法读取: ") + std::strerror(errno), path.string()};
    std::string bytes;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0)
        bytes.resize(static_cast<size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || (size > 0 && in.gcount() != size))
        return Error{ErrorCode::Unreadable, "读取文件时出错", path.string()};
    return bytes;
}

Result<Text> renderDocument(const std::filesystem::path& path)
{
    Result<std::string> bytes = readWholeFile(path);
    if (!bytes)
        return bytes.error();
    const std::string_view view = *bytes;
    // Word-processor documents, chosen by content whatever their name.
    if (looksLikeRtf(view))
        return readRtf(view);
    if (looksLikeZip(view)) {
        auto archive = ZipArchive::open(view);
        if (!archive)
            return Error{ErrorCode::BadInput, "ZIP 压缩包已损坏，无法读取：" + archive.error().message, path.string()};
        ZipArchive& zip = **archive;
        const bool docx = isDocx(zip);
        if (!docx && !isOdt(zip))
            return Error{ErrorCode::BinaryInput, "这是一个 ZIP 压缩包，不是可以转换的文档", path.string()};
        Result<Text> text = docx ? readDocx(zip) : readOdt(zip);
        if (!text)
            return Error{text.error().code, text.error().message, path.string()};
        return text;
    }
    if (looksLikeOle(view)) {
        auto file = OleCompoundFile::open(view);
        if (!file)
            return Error{ErrorCode::BadInput, file.error().message, path.string()};
        if (!isWordDocument(**file))
            return Error{ErrorCode::BinaryInput, "复合文档中没有 Word 正文（可能是 Excel 或 PowerPoint 文件，或者文件已损坏）",
                         path.string()};
        Result<Text> text = readWordDocument(**file);
        if (!text)
            return Error{text.error().code, text.error().message, path.string()};
        return text;
    }
    if (!hasUtf16Bom(view) && view.substr(0, 1024).find('\0') != std::string_view::npos)
        return Error{ErrorCode::BinaryInput, "不是文本或网页文件（含有二进制数据）", path.string()};
    if (documentKind(path, view) == DocumentKind::Html)
        return renderHtml(std::move(*bytes));
    return renderPlainText(view);
}

}  // namespace sorvane
