#include "engine/readers/epub_reader.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/ascii.h"
#include "engine/render/html_renderer.h"
#include "engine/containers/xml_document.h"
#include "engine/containers/zip_archive.h"

namespace sorvane {
namespace {

// How many problems are listed one by one; the rest are counted.
constexpr std::size_t kProblemLines = 20;

struct ManifestItem {
    std::string member;  // resolved name inside the archive
    std::string mediaType;
};

Error bookError(std::string message)
{
    return Error{ErrorCode::BadInput, std::move(message), {}};
}

class ProblemList {
public:
    explicit ProblemList(ReadProblems& out) : m_out(out) {}
    ~ProblemList()
    {
        if (m_more > 0)
            m_out.push_back("另有 " + std::to_string(m_more) + " 处无法读取");
    }
    void add(std::string line)
    {
        if (m_listed < kProblemLines) {
            m_out.push_back(std::move(line));
            ++m_listed;
        } else {
            ++m_more;
        }
    }
    bool any() const { return m_listed > 0; }
    const std::string& first() const { return m_out[m_out.size() - m_listed]; }

private:
    ReadProblems& m_out;
    std::size_t m_listed = 0;
    std::size_t m_more = 0;
};

// Fonts may be obfuscated with these algorithms without any key; every other encryption
// locks text away.
bool isFontObfuscation(std::string_view algorithm)
{
    return algorithm == "http://www.idpf.org/2008/embedding" || algorithm == "http://ns.adobe.com/pdf/enc#RC";
}

// What META-INF/encryption.xml locks away: the members its EncryptedData entries name,
// but for obfuscated fonts, which need no key. An entry without a method is taken as
// locked; a key (EncryptedKey) locks nothing by itself, and an entry naming no member
// of the archive locks nothing in it. Encrypted pictures, sounds and fonts cost a book
// none of its text; encrypted chapters do. A list that cannot be read is taken as
// locking nothing, as before it was looked into.
struct Encryption {
    std::unordered_set<std::size_t> members;  // archive indexes of the locked members
};

Encryption encryptedMembers(ZipArchive& zip)
{
    Encryption out;
    const auto member = zip.find("META-INF/encryption.xml");
    if (!member)
        return out;
    auto bytes = zip.read(*member);
    if (!bytes)
        return out;
    auto doc = XmlDocument::parse(*bytes);
    if (!doc)
        return out;
    // Every EncryptedData below the root, walked without recursion.
    std::vector<XmlDocument::Node> stack{(*doc)->root()};
    while (!stack.empty()) {
        const XmlDocument::Node n = stack.back();
        stack.pop_back();
        for (XmlDocument::Node c = XmlDocument::firstChild(n); c; c = XmlDocument::nextSibling(c)) {
            if (!XmlDocument::isElement(c))
                continue;
            if (XmlDocument::localName(c) != "EncryptedData") {
                stack.push_back(c);
                continue;
            }
            const auto method = XmlDocument::childElement(c, "EncryptionMethod");
            const auto algorithm = method ? XmlDocument::attribute(method, "Algorithm") : std::nullopt;
            if (algorithm && isFontObfuscation(*algorithm))
                continue;
            const auto data = XmlDocument::childElement(c, "CipherData");
            const auto reference = data ? XmlDocument::childElement(data, "CipherReference") : nullptr;
            const auto uri = reference ? XmlDocument::attribute(reference, "URI") : std::nullopt;
            const auto name = uri ? resolveMemberName("", *uri) : std::nullopt;
            const auto index = name ? zip.findNoCase(*name) : std::nullopt;
            if (index)
                out.members.insert(*index);
        }
    }
    return out;
}

// The package document's name, from META-INF/container.xml; without one (a damaged
// book), the first member whose name ends in ".opf".
std::optional<std::string> packagePath(ZipArchive& zip, ProblemList& problems)
{
    if (const auto container = zip.findNoCase("META-INF/container.xml")) {
        auto bytes = zip.read(*container);
        if (!bytes) {
            problems.add("META-INF/container.xml: " + bytes.error().message);
        } else if (auto doc = XmlDocument::parse(*bytes); !doc) {
            problems.add("META-INF/container.xml: " + doc.error().message);
        } else {
            const auto rootfiles = XmlDocument::childElement((*doc)->root(), "rootfiles");
            for (auto r = rootfiles ? XmlDocument::firstChild(rootfiles) : nullptr; r; r = XmlDocument::nextSibling(r)) {
                if (!XmlDocument::isElement(r) || XmlDocument::localName(r) != "rootfile")
                    continue;
                const auto type = XmlDocument::attribute(r, "media-type");
                const auto path = XmlDocument::attribute(r, "full-path");
                if (path && (!type || *type == "application/oebps-package+xml"))
                    if (auto name = resolveMemberName("", *path))
                        return name;
            }
        }
    }
    for (const ZipMember& m : zip.members())
        if (m.name.size() > 4 && m.name.ends_with(".opf"))
            return m.name;
    return std::nullopt;
}

bool isPage(const ManifestItem& item)
{
    const std::string& t = item.mediaType;
    if (t == "application/xhtml+xml" || t == "text/html" || t == "application/xml" || t == "text/xml")
        return true;
    if (!t.empty())
        return false;
    const std::string& m = item.member;
    return m.ends_with(".xhtml") || m.ends_with(".html") || m.ends_with(".htm");
}

// XHTML chapters may self-close any element ("<title/>", "<script src='x.js'/>"). A page
// parser ignores that slash, so a self-closed raw-text element would take the rest of
// the chapter for its own text and hide it. Such elements get their end tag written out.
// Nothing when the chapter has none.
std::optional<std::string> closeSelfClosedRawText(std::string_view page)
{
    static constexpr std::string_view names[] = {"title",   "script",   "style",    "textarea", "iframe",
                                                 "noembed", "noframes", "noscript", "xmp"};
    auto isNameChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    std::string out;
    size_t copied = 0;
    size_t pos = 0;
    while ((pos = page.find('<', pos)) != std::string_view::npos) {
        if (page.substr(pos, 4) == "<!--") {
            const size_t end = page.find("-->", pos + 4);
            if (end == std::string_view::npos)
                break;
            pos = end + 3;
            continue;
        }
        size_t i = pos + 1;
        while (i < page.size() && isNameChar(page[i]))
            ++i;
        std::string name(page.substr(pos + 1, i - pos - 1));
        for (char& c : name)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        const bool rawText = std::find(std::begin(names), std::end(names), name) != std::end(names);
        if (!rawText || i >= page.size() || !(page[i] == '/' || page[i] == '>' || page[i] == ' ' || page[i] == '\t' ||
                                              page[i] == '\r' || page[i] == '\n')) {
            pos = i;
            continue;
        }
        const size_t close = page.find('>', i);
        if (close == std::string_view::npos)
            break;
        if (page[close - 1] == '/') {
            out.append(page.substr(copied, close - 1 - copied));
            out += "></" + name + ">";
            copied = close + 1;
        }
        pos = close + 1;
    }
    if (copied == 0)
        return std::nullopt;
    out.append(page.substr(copied));
    return out;
}

// An XHTML chapter may declare entities in an internal DTD subset
// ("<!DOCTYPE html [ <!ENTITY ...> ]>"). A page parser ends the doctype at the first
// '>', inside the subset, and shows the rest ("]>") as text; the doctype is written
// without its subset. Nothing when the chapter has none.
std::optional<std::string> dropInternalSubset(std::string_view page)
{
    const std::size_t doctype = page.substr(0, 4096).find("<!DOCTYPE");
    if (doctype == std::string_view::npos)
        return std::nullopt;
    const std::size_t open = page.find_first_of("[>", doctype);
    if (open == std::string_view::npos || page[open] != '[')
        return std::nullopt;
    // The subset ends at the first ']' outside quoted values and comments.
    char quote = 0;
    for (std::size_t i = open + 1; i < page.size(); ++i) {
        const char c = page[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (page.substr(i, 4) == "<!--") {
            const std::size_t end = page.find("-->", i + 4);
            if (end == std::string_view::npos)
                return std::nullopt;
            i = end + 2;
        } else if (c == ']') {
            const std::size_t close = page.find_first_not_of(" \t\r\n", i + 1);
            if (close == std::string_view::npos || page[close] != '>')
                return std::nullopt;
            std::string out(page.substr(0, open));
            out += '>';
            out.append(page.substr(close + 1));
            return out;
        }
    }
    return std::nullopt;
}

// The container file names the package document, whose spine gives the content
// documents in reading order (items marked linear="no" after the rest). Each is rendered
// as a page with the book's own style sheets; one blank line separates consecutive
// documents, and documents without text (a cover image) add none.
class EpubBook {
public:
    EpubBook(ZipArchive& zip, ProblemList& problems, Encryption encryption)
        : m_zip(zip), m_problems(problems), m_encryption(std::move(encryption))
    {
    }

    Result<Text> render(const std::string& opfName)
    {
        auto opfBytes = readMember(opfName);
        if (!opfBytes)
            return bookError("无法读取 EPUB 的包文件：" + opfBytes.error().message);
        auto opf = XmlDocument::parse(*opfBytes);
        if (!opf)
            return bookError("EPUB 的包文件格式错误：" + opf.error().message);
        const auto root = (*opf)->root();
        std::unordered_map<std::string, ManifestItem> manifest;
        if (const auto m = XmlDocument::childElement(root, "manifest")) {
            for (auto item = XmlDocument::firstChild(m); item; item = XmlDocument::nextSibling(item)) {
                if (!XmlDocument::isElement(item) || XmlDocument::localName(item) != "item")
                    continue;
                // An id is an XML name: spaces around it are no part of it.
                const auto id = trimmedAttribute(item, "id");
                const auto href = XmlDocument::attribute(item, "href");
                if (!id || !href)
                    continue;
                auto member = resolveMemberName(opfName, *href);
                if (!member)
                    continue;
                const auto type = XmlDocument::attribute(item, "media-type");
                manifest.emplace(std::string(*id), ManifestItem{std::move(*member), std::string(type.value_or(""))});
            }
        }
        std::vector<const ManifestItem*> order, notes;
        std::size_t unknown = 0;
        if (const auto spine = XmlDocument::childElement(root, "spine")) {
            for (auto ref = XmlDocument::firstChild(spine); ref; ref = XmlDocument::nextSibling(ref)) {
                if (!XmlDocument::isElement(ref) || XmlDocument::localName(ref) != "itemref")
                    continue;
                const auto idref = trimmedAttribute(ref, "idref");
                const auto it = idref ? manifest.find(std::string(*idref)) : manifest.end();
                if (it == manifest.end()) {
                    ++unknown;
                    m_problems.add("目录中的章节不存在：" + std::string(idref.value_or("")));
                    continue;
                }
                const auto linear = XmlDocument::attribute(ref, "linear");
                (linear && *linear == "no" ? notes : order).push_back(&it->second);
            }
        }
        order.insert(order.end(), notes.begin(), notes.end());
        if (order.empty())
            return bookError(unknown ? "EPUB 的阅读顺序中没有一个存在的章节" : "EPUB 的阅读顺序是空的，没有可读的章节");

        Text out;
        // A spine names each document once; one named again, under any of the names that
        // find its member, adds nothing new.
        std::unordered_set<std::size_t> seen;
        std::size_t rendered = 0;
        std::size_t locked = 0;
        for (const ManifestItem* item : order) {
            if (!isPage(*item))
                continue;
            const auto index = m_zip.findNoCase(item->member);
            if (index && !seen.insert(*index).second)
                continue;
            if (index && m_encryption.members.contains(*index)) {
                ++locked;
                m_problems.add(item->member + ": 这一章已加密（受 DRM 保护），略过");
                continue;
            }
            auto page = readMember(item->member);
            if (!page) {
                m_problems.add(item->member + ": " + page.error().message);
                continue;
            }
            ++rendered;
            const Text text = renderPage(item->member, *page);
            if (text.empty())
                continue;
            if (!out.empty())
                out += u"\r\n\r\n";
            out += text;
        }
        if (rendered == 0 && locked > 0)
            return bookError("这本 EPUB 电子书的内容已加密（受 DRM 保护），无法读取");
        if (rendered == 0 && m_problems.any())
            return bookError("EPUB 中没有一个章节可以读取：" + m_problems.first());
        return out;
    }

private:
    Result<std::string> readMember(const std::string& name)
    {
        const auto index = m_zip.findNoCase(name);
        if (!index)
            return Error{ErrorCode::BadInput, "电子书中缺少这个文件", name};
        auto bytes = m_zip.read(*index);
        if (!bytes)
            return Error{ErrorCode::BadInput, bytes.error().message, name};
        return bytes;
    }

    Text renderPage(const std::string& member, const std::string& bytes)
    {
        HtmlContext context;
        // An XHTML document's encoding is the one its XML declaration names.
        if (auto declared = xmlDeclaredEncoding(bytes))
            context.declaredEncoding = *declared;
        context.linkedStyleSheet = [this, &member](std::string_view href) -> std::optional<std::string> {
            const auto name = resolveMemberName(member, href);
            if (!name)
                return std::nullopt;
            auto cached = m_sheets.find(*name);
            if (cached == m_sheets.end()) {
                auto css = readMember(*name);
                if (!css)
                    m_problems.add(*name + ": " + css.error().message);
                cached = m_sheets.emplace(*name, css ? std::optional<std::string>(std::move(*css)) : std::nullopt).first;
            }
            return cached->second;
        };
        const auto withoutSubset = dropInternalSubset(bytes);
        const std::string_view page = withoutSubset ? std::string_view(*withoutSubset) : std::string_view(bytes);
        if (const auto closed = closeSelfClosedRawText(page))
            return renderHtml(*closed, context);
        return renderHtml(page, context);
    }

    static std::optional<std::string> trimmedAttribute(XmlDocument::Node node, const char* name)
    {
        const auto value = XmlDocument::attribute(node, name);
        if (!value)
            return std::nullopt;
        return std::string(trimAscii(*value));
    }

    ZipArchive& m_zip;
    ProblemList& m_problems;
    Encryption m_encryption;
    std::unordered_map<std::string, std::optional<std::string>> m_sheets;
};

// An EPUB names itself in a stored "mimetype" member, which comes first so that its
// name and value sit at fixed offsets; books packed without that order still carry the
// member or at least the container file.
bool isEpubFile(DocumentProbe& p)
{
    if (!looksLikeZip(p.bytes()))
        return false;
    if (p.bytes().size() >= 58 && p.bytes().substr(30, 28) == "mimetypeapplication/epub+zip")
        return true;
    if (auto mime = p.zipSmallMember("mimetype"))
        return mime->starts_with("application/epub+zip");
    return p.zipHasMember("META-INF/container.xml");
}

}  // namespace

Result<Text> readEpub(DocumentProbe& document, ReadProblems& problems)
{
    const Result<ZipArchive*> zip = document.zipArchive();
    if (!zip && zip.error().code == ErrorCode::Unreadable)
        return zip.error();  // the ZIP library could not be loaded
    if (!zip)
        return bookError("EPUB 电子书已损坏或不完整：" + zip.error().message);
    ZipArchive& archive = **zip;
    Encryption encryption = encryptedMembers(archive);
    ProblemList list(problems);
    const auto opf = packagePath(archive, list);
    if (!opf)
        return bookError("EPUB 电子书中找不到包文件（content.opf）");
    EpubBook book(archive, list, std::move(encryption));
    return book.render(*opf);
}

const DocumentReader& epubReader()
{
    static const DocumentReader row{"EPUB", isEpubFile, ".epub", readEpub, nullptr};
    return row;
}

}  // namespace sorvane
