#include "engine/readers/chm_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/containers/chm_archive.h"
#include "engine/encoding/encoding_detect.h"
#include "engine/encoding/encoding_labels.h"
#include "engine/html/html_document.h"
#include "engine/render/html_renderer.h"

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

// The help library follows the directory's page links without remembering where it has
// been: the chain of listing pages (each names the next) when it lists a book, and the
// index pages (each names a child per entry) when it looks a name up, which it also does
// while opening a book. A link back to an earlier page makes it loop for ever, and an
// entry that runs past its page makes it read past its buffer. This pre-pass reads the
// directory the way the library does, computing page offsets with the same 32-bit
// arithmetic, and says whether every page either may reach is sound and reached once.
// A directory whose headers it cannot read is left to the library, which refuses it.
// It also checks the numbers the decompressor divides by (see compressionSound).
class DirectoryCheck {
public:
    explicit DirectoryCheck(std::string_view bytes) : m_bytes(bytes) {}

    bool sound()
    {
        if (m_bytes.size() < 0x58)
            return true;
        const std::uint64_t itsp = le64(0x48);
        if (itsp > m_bytes.size() || m_bytes.size() - itsp < 0x54 || m_bytes.substr(itsp, 4) != "ITSP")
            return true;
        m_dirOffset = itsp + le32(m_bytes, itsp + 8);
        m_blockLen = le32(m_bytes, itsp + 0x10);
        std::int32_t root = static_cast<std::int32_t>(le32(m_bytes, itsp + 0x1C));
        const std::int32_t head = static_cast<std::int32_t>(le32(m_bytes, itsp + 0x20));
        if (root <= -1)
            root = head;
        // Pages shorter than their header are read past their end; pages of more than a
        // megabyte are no help book's (they use 4 or 8 KiB) and each is allocated whole.
        if (m_blockLen < 0x14 || m_blockLen > (1u << 20))
            return false;
        // The listing chain.
        std::unordered_set<std::uint64_t> seen;
        for (std::int32_t page = head; page != -1;) {
            const auto at = pageOffset(page);
            if (!at || !isPage(*at, "PMGL"))
                break;
            if (!seen.insert(*at).second || !listingSound(*at))
                return false;
            page = static_cast<std::int32_t>(le32(m_bytes, *at + 0x10));
        }
        // The index tree: every page reached from the root at most once.
        seen.clear();
        std::vector<std::int32_t> pending{root};
        while (!pending.empty()) {
            const std::int32_t page = pending.back();
            pending.pop_back();
            if (page == -1)
                continue;
            const auto at = pageOffset(page);
            if (!at)
                continue;
            if (!seen.insert(*at).second)
                return false;
            if (isPage(*at, "PMGL")) {
                if (!listingSound(*at))
                    return false;
            } else if (isPage(*at, "PMGI")) {
                if (!indexSound(*at, pending))
                    return false;
            }
        }
        return compressionSound();
    }

private:
    static std::uint64_t le64In(std::string_view s, std::size_t at)
    {
        return static_cast<std::uint64_t>(le32(s, at)) | static_cast<std::uint64_t>(le32(s, at + 4)) << 32;
    }

    std::uint64_t le64(std::size_t at) const
    {
        return static_cast<std::uint64_t>(le32(m_bytes, at)) | static_cast<std::uint64_t>(le32(m_bytes, at + 4)) << 32;
    }

    // Where the library reads a page: the page number times the block length in 32-bit
    // unsigned arithmetic, after the directory header. Nothing when it cannot read a whole
    // block there.
    std::optional<std::uint64_t> pageOffset(std::int32_t page) const
    {
        const std::uint64_t at = m_dirOffset + static_cast<std::uint32_t>(static_cast<std::uint32_t>(page) * m_blockLen);
        if (at > m_bytes.size() || m_bytes.size() - at < m_blockLen)
            return std::nullopt;
        return at;
    }

    bool isPage(std::uint64_t at, std::string_view marker) const { return m_bytes.substr(at, 4) == marker; }

    // The entries' area: from the header to the block's end less its free space.
    std::uint64_t entriesEnd(std::uint64_t at) const
    {
        const std::uint32_t freeSpace = le32(m_bytes, at + 4);
        return freeSpace > m_blockLen ? at : at + m_blockLen - freeSpace;
    }

    // A compressed number: 7 bits a byte, high bit set on every byte but the last.
    bool word(std::uint64_t& pos, std::uint64_t limit, std::uint64_t& value) const
    {
        value = 0;
        while (pos < limit) {
            const auto b = static_cast<unsigned char>(m_bytes[pos++]);
            value = (value << 7) | (b & 0x7F);
            if (b < 0x80)
                return true;
        }
        return false;
    }

    bool name(std::uint64_t& pos, std::uint64_t limit) const
    {
        std::uint64_t length = 0;
        if (!word(pos, limit, length) || length > kChmMaxPathLength || limit - pos < length)
            return false;
        pos += length;
        return true;
    }

    bool listingSound(std::uint64_t at)
    {
        const std::uint64_t end = entriesEnd(at);
        const std::uint64_t limit = at + m_blockLen;
        std::uint64_t pos = at + 0x14;
        std::uint64_t space = 0, start = 0, length = 0;
        while (pos < end) {
            const std::uint64_t nameAt = pos;
            if (!name(pos, limit))
                return false;
            std::uint64_t nameLength = 0, p = nameAt;
            word(p, limit, nameLength);
            const std::string_view entry = m_bytes.substr(p, nameLength);
            if (!word(pos, limit, space) || !word(pos, limit, start) || !word(pos, limit, length))
                return false;
            // The library reads these two while opening the book, before it knows how to
            // decompress anything: one said to be compressed sends it dividing by zero.
            for (int k = 0; k < 2; ++k) {
                if (!equalsNoCase(entry, kCompressionObjects[k]))
                    continue;
                if (space != 0)
                    return false;
                m_compression[k].push_back({start, length});
            }
        }
        return true;
    }

    static bool equalsNoCase(std::string_view a, std::string_view b)
    {
        return a.size() == b.size() && lowerAscii(a) == lowerAscii(b);
    }

    // The decompressor divides by the reset table's block length and by a block count
    // the control data gives; a book where either is zero would stop the program. Every
    // entry for those objects in the pages checked is tested, so the one the library
    // finds is among them.
    bool compressionSound() const
    {
        const std::uint64_t dataOffset =
            le32(m_bytes, 4) >= 3 ? le64(0x58) : le64(0x48) + le64(0x50);
        auto object = [&](const Span& span, std::size_t want) -> std::optional<std::string_view> {
            const std::uint64_t at = dataOffset + span.start;
            if (at < dataOffset || at > m_bytes.size() || m_bytes.size() - at < want || span.length < want)
                return std::nullopt;
            return m_bytes.substr(at, want);
        };
        // The reset table: LZX frames are 32 KiB in every book compilers write, and the
        // table of frame addresses must lie inside the table object, rising, within the
        // compressed length. The decompressor trusts all of it.
        for (const Span& span : m_compression[0]) {
            const auto table = object(span, 0x28);
            if (!table)
                return false;
            const std::uint32_t count = le32(*table, 4);
            const std::uint32_t tableOffset = le32(*table, 0x0C);
            const std::uint64_t compressed = le64In(*table, 0x18);
            if (le64In(*table, 0x20) != 0x8000 || tableOffset < 0x28 || tableOffset > span.length ||
                (span.length - tableOffset) / 8 < count)
                return false;
            const auto entries = object(span, tableOffset + std::uint64_t{count} * 8);
            if (!entries)
                return false;
            std::uint64_t previous = 0;
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint64_t address = le64In(*entries, tableOffset + std::size_t{i} * 8);
                if (address < previous || address > compressed)
                    return false;
                previous = address;
            }
        }
        for (const Span& span : m_compression[1]) {
            const auto control = object(span, 0x18);
            if (!control)
                return false;
            // The library reads and scales these (version 2 counts in 32 KiB units) and
            // divides by them even when it then finds the control data unusable.
            const std::uint32_t scale = le32(*control, 0x08) == 2 ? 0x8000u : 1u;
            const std::uint32_t resetInterval = le32(*control, 0x0C) * scale;
            const std::uint32_t windowSize = le32(*control, 0x10) * scale;
            const std::uint32_t windowsPerReset = le32(*control, 0x14);
            if (windowSize / 2 == 0 || resetInterval / (windowSize / 2) * windowsPerReset == 0)
                return false;
            // LZX windows are powers of two from 32 KiB to 2 MiB.
            if (windowSize < 0x8000 || windowSize > 0x200000 || (windowSize & (windowSize - 1)) != 0 ||
                resetInterval % (windowSize / 2) != 0)
                return false;
        }
        return true;
    }

    bool indexSound(std::uint64_t at, std::vector<std::int32_t>& children) const
    {
        const std::uint64_t end = entriesEnd(at);
        const std::uint64_t limit = at + m_blockLen;
        std::uint64_t pos = at + 8;
        std::uint64_t child = 0;
        while (pos < end) {
            if (!name(pos, limit) || !word(pos, limit, child))
                return false;
            children.push_back(static_cast<std::int32_t>(child));
        }
        return true;
    }

    struct Span {
        std::uint64_t start, length;
    };
    static constexpr std::string_view kCompressionObjects[2] = {
        "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable",
        "::DataSpace/Storage/MSCompressed/ControlData"};

    std::string_view m_bytes;
    std::uint64_t m_dirOffset = 0;
    std::uint32_t m_blockLen = 0;
    std::vector<Span> m_compression[2];
};

// Renders the topics in the order of the table of contents (the .hhc sitemap), each once
// even when listed again, then every other HTML topic in the book's own order, one blank
// line between topics. A topic without its own charset is read in the code page of the
// book's language (encodingForLanguageId).
class ChmBook {
public:
    ChmBook(const ChmArchive& file, ReadProblems& problems) : m_file(file), m_problems(problems) {}
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
        // It is read once: it may inflate to megabytes, all counted against the cap.
        std::optional<std::string> sitemap = hhc.empty() ? std::nullopt : object(hhc);
        if (!sitemap) {
            hhc.clear();
            for (const std::string& name : allObjects())
                if (lowerAscii(name).ends_with(".hhc")) {
                    hhc = name;
                    sitemap = object(hhc);
                    break;
                }
        }
        if (sitemap)
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
        const std::optional<std::uint64_t> length = m_file.objectLength(path);
        if (!length)
            return std::nullopt;
        if (*length > kMaxObject || m_total + *length > kMaxTotal) {
            problem(path + ": 页面解压后过大，已跳过");
            return std::nullopt;
        }
        std::string bytes(static_cast<size_t>(*length), '\0');
        if (*length > 0) {
            const std::int64_t got = m_file.read(path, bytes.data(), *length);
            if (got != static_cast<std::int64_t>(*length)) {
                problem(path + ": 页面数据已损坏或不完整");
                return std::nullopt;
            }
        }
        m_total += *length;
        return bytes;
    }

    const std::vector<std::string>& allObjects()
    {
        if (!m_listed_objects) {
            m_listed_objects = true;
            m_objects = m_file.fileNames(1'000'000);
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
        for (const HtmlDocument::Node param : doc.elementsNamed("param")) {
            const auto name = HtmlDocument::attribute(param, "name");
            const auto value = HtmlDocument::attribute(param, "value");
            if (name && value && lowerAscii(*name) == "local")
                if (auto path = resolveTopic(hhcPath, *value); path && isTopicName(*path))
                    topics.push_back(*path);
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
            // Each sheet is read once for the whole book: topics share their sheets, and
            // every read counts against the cap on all content read.
            auto cached = m_sheets.find(*name);
            if (cached == m_sheets.end())
                cached = m_sheets.emplace(*name, object(*name)).first;
            return cached->second;
        };
        return renderHtml(bytes, context);
    }

    const ChmArchive& m_file;
    ReadProblems& m_problems;
    std::string m_encoding;
    std::vector<std::string> m_objects;
    std::unordered_map<std::string, std::optional<std::string>> m_sheets;  // by path
    bool m_listed_objects = false;
    std::uint64_t m_total = 0;
    std::size_t m_listed = 0;
    std::size_t m_more = 0;
};

}  // namespace

namespace {

bool isChmFile(DocumentProbe& p)
{
    return p.startsWith("ITSF");
}

}  // namespace

Result<Text> readChm(DocumentProbe& document, ReadProblems& problems)
{
    const std::string_view bytes = document.bytes();
    if (!bytes.starts_with("ITSF") || bytes.size() < 0x60)
        return Error{ErrorCode::BadInput, "CHM 帮助文件已损坏或不完整", {}};
    if (!DirectoryCheck(bytes).sound())
        return Error{ErrorCode::BadInput, "CHM 帮助文件的目录或压缩信息已损坏，无法读取", {}};
    MemoryFile file(bytes);
    if (!file.ok())
        return Error{ErrorCode::Unreadable, "无法为 CHM 帮助文件分配内存", {}};
    const Result<std::unique_ptr<ChmArchive>> chm = ChmArchive::open(file.path());
    if (!chm) {
        if (chm.error().code != ErrorCode::BadInput)
            return chm.error();
        return Error{ErrorCode::BadInput, "CHM 帮助文件已损坏或不完整，无法打开", {}};
    }
    Result<Text> text = Error{ErrorCode::BadInput, {}, {}};
    {
        ChmBook book(**chm, problems);
        text = book.render(bytes);
    }
    return text;
}

const DocumentReader& chmReader()
{
    static const DocumentReader row{"CHM", isChmFile, ".chm", readChm, nullptr};
    return row;
}

}  // namespace sorvane
