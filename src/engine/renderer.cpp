#include "engine/renderer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

#include "engine/html_renderer.h"
#include "engine/plain_text_renderer.h"

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
    return renderDocumentBytes(path, std::move(*bytes));
}

Result<Text> renderDocumentBytes(const std::filesystem::path& name, std::string bytes)
{
    const std::string_view view = bytes;
    if (!hasUtf16Bom(view) && view.substr(0, 1024).find('\0') != std::string_view::npos)
        return Error{ErrorCode::BinaryInput, "不是文本或网页文件（含有二进制数据）", name.string()};
    if (documentKind(name, view) == DocumentKind::Html)
        return renderHtml(std::move(bytes));
    return renderPlainText(view);
}

}  // namespace sorvane
