#include "engine/chm_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <chm_lib.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "engine/encoding_detect.h"
#include "engine/html_document.h"
#include "engine/html_renderer.h"

namespace sorvane {
namespace {

// Caps on what one book may inflate to: one object, and all objects together.
constexpr std::uint64_t kMaxObject = std::uint64_t{64} << 20;
constexpr std::uint64_t kMaxTotal = std::uint64_t{1} << 30;
constexpr std::size_t kProblemLines = 20;

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::uint32_t le32(std::string_view s, std::size_t at)
{
    if (at + 4 > s.size())
        return 0;
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

std::uint16_t le16(std::string_view s, std::size_t at)
{
    if (at + 2 > s.size())
        return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      static_cast<unsigned char>(s[at + 1]) << 8);
}

bool isTopicName(std::string_view path)
{
    const std::string lower = lowerAscii(path);
    return lower.ends_with(".htm") || lower.ends_with(".html") || lower.ends_with(".xhtml") ||
           lower.ends_with(".shtml");
}

// "/a/b/../c.htm" from a link inside the book, relative to the folder of `base`; ".."
// never climbs above the root, and links with a scheme ("http:") give nothing.
std::optional<std::string> resolveTopic(std::string_view base, std::string_view href)
{
    href = href.substr(0, href.find_first_of("#?"));
    if (const size_t sep = href.find("::"); sep != std::string_view::npos) {
        // "ms-its:book.chm::/topic.htm": a book cannot tell its own file name, so the
        // path after "::" is looked up here; a topic of another book is simply missing.
        href = href.substr(sep + 2);
    } else if (const size_t colon = href.find(':'); colon != std::string_view::npos &&
                                                    href.substr(0, colon).find('/') == std::string_view::npos) {
        return std::nullopt;
    }
    std::vector<std::string> segments;
    auto split = [&](std::string_view path) {
        size_t pos = 0;
        while (pos <= path.size()) {
            size_t end = path.find_first_of("/\\", pos);
            if (end == std::string_view::npos)
                end = path.size();
            const std::string_view seg = path.substr(pos, end - pos);
            if (seg == "..") {
                if (!segments.empty())
                    segments.pop_back();
            } else if (!seg.empty() && seg != ".") {
                segments.emplace_back(seg);
            }
            pos = end + 1;
        }
    };
    if (!href.starts_with('/') && !href.starts_with('\\'))
        split(base.substr(0, base.rfind('/') == std::string_view::npos ? 0 : base.rfind('/')));
    split(href);
    if (segments.empty())
        return std::nullopt;
    std::string out;
    for (const std::string& s : segments)
        out += "/" + s;
    return out;
}

// The book held in an anonymous in-memory file, since the help library opens books by
// name; nothing is written to disk.
class MemoryFile {
public:
    explicit MemoryFile(std::string_view bytes)
    {
        m_fd = ::memfd_create("sorvane-chm", MFD_CLOEXEC);
        if (m_fd < 0)
            return;
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
            done += static_cast<size_t>(n);
        }
    }
    ~MemoryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    bool ok() const { return m_fd >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

private:
    int m_fd = -1;
};

class ChmBook {
public:
    ChmBook(chmFile* file, ReadProblems& problems) : m_file(file), m_problems(problems) {}
    ~ChmBook()
    {
        if (m_more > 0)
            m_problems.push_back("另有 " + std::to_string(m_more) + " 处无法读取");
    }

    Result<Text> render(std::string_view header)
    {
        std::uint32_t lcid = le32(header, 0x14);
        std::string hhc;
        if (const auto system = object("/#SYSTEM"))
            readSystem(*system, lcid, hhc);
        m_encoding = encodingForLanguageId(lcid);
        std::vector<std::string> topics;
        // The table of contents: the one #SYSTEM names, else the first .hhc in the book.
        if (hhc.empty() || !object(hhc)) {
            hhc.clear();
            for (const std::string& name : allObjects())
                if (lowerAscii(name).ends_with(".hhc")) {
                    hhc = name;
                    break;
                }
        }
        if (!hhc.empty())
            if (const auto sitemap = object(hhc))
                tocTopics(hhc, *sitemap, topics);
        for (const std::string& name : allObjects())
            if (isTopicName(name) && !name.starts_with("/#") && !name.starts_with("/$"))
                topics.push_back(name);

        Text out;
        std::unordered_set<std::string> seen;
        std::size_t rendered = 0;
        for (const std::string& topic : topics) {
            if (!seen.insert(lowerAscii(topic)).second)
                continue;
            const auto bytes = object(topic);
            if (!bytes)
                continue;
            ++rendered;
            const Text text = renderTopic(topic, *bytes);
            if (text.empty())
                continue;
            if (!out.empty())
                out += u"\r\n\r\n";
            out += text;
        }
        if (rendered == 0)
            return Error{ErrorCode::BadInput, "CHM 帮助文件中没有可以读取的页面", {}};
        return out;
    }

private:
    void problem(std::string line)
    {
        if (m_listed < kProblemLines) {
            m_problems.push_back(std::move(line));
            ++m_listed;
        } else {
            ++m_more;
        }
    }

    // An object's content; nothing when it is missing, too large or damaged (the latter
    // two noted as problems).
    std::optional<std::string> object(const std::string& path)
    {
        if (path.size() > CHM_MAX_PATHLEN)
            return std::nullopt;
        chmUnitInfo ui{};
        if (chm_resolve_object(m_file, path.c_str(), &ui) != CHM_RESOLVE_SUCCESS)
            return std::nullopt;
        if (ui.length > kMaxObject || m_total + ui.length > kMaxTotal) {
            problem(path + ": 页面解压后过大，已跳过");
            return std::nullopt;
        }
        std::string bytes(static_cast<size_t>(ui.length), '\0');
        if (ui.length > 0) {
            const LONGINT64 got = chm_retrieve_object(m_file, &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                                      static_cast<LONGINT64>(ui.length));
            if (got != static_cast<LONGINT64>(ui.length)) {
                problem(path + ": 页面数据已损坏或不完整");
                return std::nullopt;
            }
        }
        m_total += ui.length;
        return bytes;
    }

    const std::vector<std::string>& allObjects()
    {
        if (!m_listed_objects) {
            m_listed_objects = true;
            chm_enumerate(
                m_file, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
                [](chmFile*, chmUnitInfo* ui, void* context) -> int {
                    auto* names = static_cast<std::vector<std::string>*>(context);
                    if (names->size() >= 1'000'000)
                        return CHM_ENUMERATOR_SUCCESS;
                    names->emplace_back(ui->path);
                    return CHM_ENUMERATOR_CONTINUE;
                },
                &m_objects);
        }
        return m_objects;
    }

    // #SYSTEM: a version, then records of a 16-bit code, a 16-bit length and data; code 0
    // names the table of contents, code 4 starts with the language id.
    static void readSystem(std::string_view system, std::uint32_t& lcid, std::string& hhc)
    {
        std::size_t pos = 4;
        while (pos + 4 <= system.size()) {
            const std::uint16_t code = le16(system, pos);
            const std::uint16_t length = le16(system, pos + 2);
            const std::string_view data = system.substr(pos + 4, length);
            if (code == 0 && !data.empty()) {
                const std::string name(data.substr(0, data.find('\0')));
                if (auto path = resolveTopic("/", name))
                    hhc = *path;
            } else if (code == 4 && data.size() >= 4) {
                if (const std::uint32_t id = le32(data, 0))
                    lcid = id;
            }
            pos += 4 + length;
        }
    }

    // The "Local" of every sitemap entry, in document order.
    void tocTopics(const std::string& hhcPath, const std::string& bytes, std::vector<std::string>& topics)
    {
        DocumentEncoding encoding = detectEncoding(bytes);
        if (encoding.source != DocumentEncoding::Source::Bom && encoding.source != DocumentEncoding::Source::Meta)
            if (auto name = encodingForLabel(m_encoding))
                encoding.name = *name;
        const std::string utf8 = decodeDocumentToUtf8(bytes, encoding);
        const HtmlDocument doc(utf8);
        std::vector<HtmlDocument::Node> stack{doc.documentElement()};
        while (!stack.empty()) {
            const HtmlDocument::Node n = stack.back();
            stack.pop_back();
            if (!n || HtmlDocument::kind(n) != HtmlNodeKind::Element)
                continue;
            if (doc.tagName(n) == "param") {
                const auto name = HtmlDocument::attribute(n, "name");
                const auto value = HtmlDocument::attribute(n, "value");
                if (name && value && lowerAscii(*name) == "local")
                    if (auto path = resolveTopic(hhcPath, *value); path && isTopicName(*path))
                        topics.push_back(*path);
                continue;
            }
            for (std::size_t i = HtmlDocument::childCount(n); i-- > 0;)
                stack.push_back(HtmlDocument::child(n, i));
        }
    }

    Text renderTopic(const std::string& path, const std::string& bytes)
    {
        HtmlContext context;
        context.fallbackEncoding = m_encoding;
        context.linkedStyleSheet = [this, &path](std::string_view href) -> std::optional<std::string> {
            const auto name = resolveTopic(path, href);
            if (!name)
                return std::nullopt;
            return object(*name);
        };
        return renderHtml(bytes, context);
    }

    chmFile* m_file;
    ReadProblems& m_problems;
    std::string m_encoding;
    std::vector<std::string> m_objects;
    bool m_listed_objects = false;
    std::uint64_t m_total = 0;
    std::size_t m_listed = 0;
    std::size_t m_more = 0;
};

}  // namespace

std::string encodingForLanguageId(std::uint32_t lcid)
{
    const std::uint32_t language = lcid & 0xFFFF;
    switch (language) {
    case 0x0404:  // Taiwan
    case 0x0C04:  // Hong Kong
    case 0x1404:  // Macao
        return "big5";
    default:
        break;
    }
    static const struct {
        std::uint16_t primary;
        const char* label;
    } table[] = {
        {0x04, "gbk"},          {0x11, "shift_jis"},    {0x12, "euc-kr"},       {0x1E, "windows-874"},
        {0x2A, "windows-1258"}, {0x19, "windows-1251"}, {0x22, "windows-1251"}, {0x23, "windows-1251"},
        {0x02, "windows-1251"}, {0x2F, "windows-1251"}, {0x05, "windows-1250"}, {0x15, "windows-1250"},
        {0x0E, "windows-1250"}, {0x18, "windows-1250"}, {0x1B, "windows-1250"}, {0x24, "windows-1250"},
        {0x1A, "windows-1250"}, {0x08, "windows-1253"}, {0x1F, "windows-1254"}, {0x0D, "windows-1255"},
        {0x01, "windows-1256"}, {0x29, "windows-1256"}, {0x20, "windows-1256"}, {0x25, "windows-1257"},
        {0x26, "windows-1257"}, {0x27, "windows-1257"},
    };
    for (const auto& row : table)
        if ((language & 0x3FF) == row.primary)
            return row.label;
    return "windows-1252";
}

Result<Text> readChmBytes(std::string_view bytes, ReadProblems& problems)
{
    if (!bytes.starts_with("ITSF") || bytes.size() < 0x60)
        return Error{ErrorCode::BadInput, "CHM 帮助文件已损坏或不完整", {}};
    MemoryFile file(bytes);
    if (!file.ok())
        return Error{ErrorCode::Unreadable, "无法为 CHM 帮助文件分配内存", {}};
    chmFile* chm = chm_open(file.path().c_str());
    if (!chm)
        return Error{ErrorCode::BadInput, "CHM 帮助文件已损坏或不完整，无法打开", {}};
    Result<Text> text = Error{ErrorCode::BadInput, {}, {}};
    {
        ChmBook book(chm, problems);
        text = book.render(bytes);
    }
    chm_close(chm);
    return text;
}

Result<Text> readChm(const std::filesystem::path&, std::string&& bytes, ReadProblems& problems)
{
    return readChmBytes(bytes, problems);
}

}  // namespace sorvane
