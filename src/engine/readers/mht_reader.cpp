#include "engine/readers/mht_reader.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/ascii.h"
#include "engine/containers/mime_message.h"
#include "engine/html/html_document.h"
#include "engine/render/html_renderer.h"

namespace sorvane {
namespace {

// More nested multiparts and messages than this is no saved page; the MIME parser
// descends into each level on its own stack.
constexpr std::size_t kMaxContainers = 1000;
// The MIME parser keeps about 3 KB for every part, so a file of many tiny parts costs
// sixty times its size. A saved page's parts are its page and the pictures and frames
// it shows; past this many parts (more than any real page has) the rest is left out.
constexpr std::size_t kMaxParts = 8000;
// Frames within frames are followed this deep.
constexpr int kMaxFrameDepth = 8;
// Frames missing from the file listed one by one in the problems of a frameset page.
constexpr std::size_t kMaxMissingFrames = 20;

std::size_t countNoCase(std::string_view s, std::string_view needle)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i + needle.size() <= s.size(); ++i)
        if (toLowerAscii(s[i]) == needle[0] && hasNoCaseAt(s, i, needle))
            ++n;
    return n;
}

// Header values and references without the blanks a MIME line may carry around them.
std::string_view trimmed(std::string_view s)
{
    return trimAscii(s, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Folds "." and ".." segments of a URL's path.
std::string withoutDotSegments(std::string_view path)
{
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    const bool leading = path.starts_with('/');
    while (pos <= path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view seg = path.substr(pos, end - pos);
        if (seg == "..") {
            if (!out.empty())
                out.pop_back();
        } else if (seg != "." && !(seg.empty() && end != path.size())) {
            out.push_back(seg);
        }
        pos = end + 1;
    }
    std::string result = leading ? "/" : "";
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i)
            result += '/';
        result += out[i];
    }
    return result;
}

// A link resolved against the URL of the page it is in, the way the saved file's
// Content-Location headers spell URLs.
std::string resolveUrl(std::string_view base, std::string_view href)
{
    href = trimmed(href.substr(0, href.find('#')));
    const std::size_t colon = href.find(':');
    if (colon != std::string_view::npos && href.substr(0, colon).find_first_of("/?") == std::string_view::npos)
        return std::string(href);  // has a scheme of its own
    const std::size_t schemeEnd = base.find("://");
    const std::size_t pathStart =
        schemeEnd == std::string_view::npos ? 0 : std::min(base.find('/', schemeEnd + 3), base.size());
    if (href.starts_with("//"))
        return std::string(base.substr(0, base.find(':') + 1)) + std::string(href);
    const std::string_view origin = base.substr(0, pathStart);
    std::string_view basePath = base.substr(pathStart);
    basePath = basePath.substr(0, basePath.find_first_of("?#"));
    std::string path;
    if (href.starts_with('/'))
        path = std::string(href);
    else
        path = std::string(basePath.substr(0, basePath.rfind('/') + 1)) + std::string(href);
    const std::size_t query = path.find('?');
    const std::string tail = query == std::string::npos ? "" : path.substr(query);
    return std::string(origin) + withoutDotSegments(path.substr(0, query)) + tail;
}

struct Part {
    const MimePart* part = nullptr;
    std::string location;
    std::string contentId;  // without its angle brackets
    bool html = false;
    std::string charset;
};

std::string stripAngles(std::string_view id)
{
    id = trimmed(id);
    if (id.starts_with('<') && id.ends_with('>') && id.size() >= 2)
        id = id.substr(1, id.size() - 2);
    return std::string(id);
}

// Every boundary string the file declares ("boundary=" and a quoted or bare value), in
// headers or not: counting a line that is no boundary only makes the cap stricter.
std::unordered_set<std::string_view> declaredBoundaries(std::string_view bytes)
{
    std::unordered_set<std::string_view> found;
    constexpr std::string_view key = "boundary";
    for (std::size_t i = 0; i + key.size() <= bytes.size(); ++i) {
        if (toLowerAscii(bytes[i]) != 'b' || !hasNoCaseAt(bytes, i, key))
            continue;
        std::size_t at = i + key.size();
        while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t'))
            ++at;
        if (at >= bytes.size() || bytes[at] != '=')
            continue;
        ++at;
        while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t'))
            ++at;
        std::size_t end = at;
        if (at < bytes.size() && bytes[at] == '"') {
            end = bytes.find_first_of("\"\r\n", ++at);
        } else {
            end = bytes.find_first_of("; \t\r\n", at);
        }
        if (end == std::string_view::npos)
            end = bytes.size();
        if (end > at)
            found.insert(bytes.substr(at, end - at));
    }
    return found;
}

// Where the part after the first kMaxParts starts: at the line of its boundary ("--" and
// a declared boundary string, as MIME delimits parts), or the end of the file when it
// has no more parts than that. Text lines that merely begin with "--" are no boundary.
std::size_t partsCut(std::string_view bytes)
{
    const std::unordered_set<std::string_view> boundaries = declaredBoundaries(bytes);
    std::vector<std::size_t> lengths;
    for (const std::string_view b : boundaries)
        if (std::find(lengths.begin(), lengths.end(), b.size()) == lengths.end())
            lengths.push_back(b.size());
    // So many different boundary lengths is no saved page: every "--" line counts, which
    // keeps the cost of a line bounded.
    const bool everyDashLine = lengths.size() > 64;
    std::size_t count = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t lineEnd = bytes.find('\n', at);
        if (bytes.compare(at, 2, "--") == 0) {
            const std::string_view rest =
                bytes.substr(at + 2, (lineEnd == std::string_view::npos ? bytes.size() : lineEnd) - at - 2);
            bool boundary = everyDashLine;
            for (std::size_t k = 0; !boundary && k < lengths.size(); ++k)
                boundary = lengths[k] <= rest.size() && boundaries.contains(rest.substr(0, lengths[k]));
            if (boundary && ++count > kMaxParts)
                return at;
        }
        if (lineEnd == std::string_view::npos)
            break;
        at = lineEnd + 1;
    }
    return bytes.size();
}

// A saved page is a MIME message whose root part is the page and whose other parts are
// what the page uses. The root is the part the multipart's "start" parameter names, else
// the first text/html part. Its charset comes from the part's Content-Type, then the
// page's <meta>, then detection. Style sheets the page links are taken from the parts
// whose Content-Location matches. A frameset page gives the text of its frames that are
// parts of the file, in document order, one blank line between them.
class SavedPage {
public:
    SavedPage() = default;
    SavedPage(const SavedPage&) = delete;
    SavedPage& operator=(const SavedPage&) = delete;

    Result<Text> read(std::string_view bytes, ReadProblems& problems)
    {
        if (countNoCase(bytes, "multipart/") + countNoCase(bytes, "message/rfc822") > kMaxContainers)
            return Error{ErrorCode::BadInput, "保存的网页中嵌套的部分过多，不像是一个正常的网页文件", {}};
        if (const std::size_t cut = partsCut(bytes); cut < bytes.size()) {
            bytes = bytes.substr(0, cut);
            problems.push_back("保存的网页中的部分超过 " + std::to_string(kMaxParts) + " 个，其余部分未读取");
        }
        Result<std::unique_ptr<MimeMessage>> message = MimeMessage::parse(bytes);
        if (!message) {
            if (message.error().code != ErrorCode::BadInput)
                return message.error();
            return Error{ErrorCode::BadInput, "保存的网页文件已损坏：无法读取其 MIME 结构", {}};
        }
        m_message = std::move(*message);
        collectParts();
        indexParts();
        const Part* root = rootPart();
        if (!root)
            return Error{ErrorCode::BadInput, "保存的网页文件中没有 HTML 页面", {}};
        if (content(*root).empty())
            return Error{ErrorCode::BadInput, "保存的网页中的页面是空的，文件可能不完整", {}};
        std::unordered_set<const Part*> shown;
        return renderPart(*root, 0, shown, problems);
    }

private:
    // Every leaf part in document order; the first "start" parameter of a multipart
    // before them is kept for choosing the root.
    void collectParts()
    {
        for (const std::string& start : m_message->startParameters())
            if (m_start.empty())
                m_start = stripAngles(start);
        for (const MimePart& part : m_message->parts()) {
            Part p;
            p.part = &part;
            p.location = std::string(trimmed(part.location));
            p.contentId = stripAngles(part.contentId);
            p.html = part.html;
            p.charset = part.charset;
            m_parts.push_back(std::move(p));
        }
    }

    const Part* rootPart() const
    {
        if (!m_start.empty())
            for (const Part& p : m_parts)
                if (p.contentId == m_start)
                    return &p;
        for (const Part& p : m_parts)
            if (p.html)
                return &p;
        return nullptr;
    }

    // The first part (in document order) stored under the link's content id, or whose
    // location is the link resolved against `from` or the link as written. Looked up in
    // indexes, as a page may hold thousands of links.
    const Part* partForLink(const Part& from, std::string_view href) const
    {
        if (hasNoCaseAt(trimmed(href), 0, "cid:")) {
            const auto it = m_byContentId.find(stripAngles(trimmed(href).substr(4)));
            return it == m_byContentId.end() ? nullptr : it->second;
        }
        const auto byUrl = m_byLocation.find(resolveUrl(from.location, href));
        const auto asWritten = m_byLocation.find(std::string(trimmed(href)));
        const Part* a = byUrl == m_byLocation.end() ? nullptr : byUrl->second;
        const Part* b = asWritten == m_byLocation.end() ? nullptr : asWritten->second;
        return !a ? b : !b ? a : std::min(a, b);
    }

    void indexParts()
    {
        for (const Part& p : m_parts) {
            if (!p.location.empty())
                m_byLocation.emplace(p.location, &p);
            m_byContentId.emplace(p.contentId, &p);
        }
    }

    // The part's content with its transfer encoding undone.
    std::string content(const Part& p) const { return m_message->content(*p.part); }

    // Each part is shown once: a frame whose page is already shown (or being shown, as
    // a frameset that shows itself again) is left out, so frames that share pages cost
    // no more than the pages themselves.
    Text renderPart(const Part& page, int depth, std::unordered_set<const Part*>& shown, ReadProblems& problems)
    {
        shown.insert(&page);
        const std::string bytes = content(page);
        if (countNoCase(bytes, "<frameset") > 0 && depth < kMaxFrameDepth) {
            std::vector<std::string> frames = frameSources(bytes);
            if (!frames.empty()) {
                Text out;
                std::size_t missing = 0;
                for (const std::string& src : frames) {
                    const Part* frame = partForLink(page, src);
                    if (!frame) {
                        if (++missing <= kMaxMissingFrames)
                            problems.push_back("框架页面不在文件中：" + src);
                        continue;
                    }
                    if (shown.contains(frame))
                        continue;
                    const Text text = renderPart(*frame, depth + 1, shown, problems);
                    if (text.empty())
                        continue;
                    if (!out.empty())
                        out += u"\r\n\r\n";
                    out += text;
                }
                if (missing > kMaxMissingFrames)
                    problems.push_back("另有 " + std::to_string(missing - kMaxMissingFrames) + " 个框架页面不在文件中");
                return out;
            }
        }
        HtmlContext context;
        context.declaredEncoding = page.charset;
        context.linkedStyleSheet = [this, &page](std::string_view href) -> std::optional<std::string> {
            if (const Part* sheet = partForLink(page, href))
                return content(*sheet);
            return std::nullopt;
        };
        return renderHtml(bytes, context);
    }

    // The src of each <frame> of a frameset page, in document order; nothing when the
    // page has a body after all. URLs are ASCII, so the bytes are read as they are.
    static std::vector<std::string> frameSources(const std::string& bytes)
    {
        const HtmlDocument doc(bytes);
        std::vector<std::string> sources;
        if (doc.body())
            return sources;
        for (const HtmlDocument::Node frame : doc.elementsNamed("frame"))
            if (const auto src = HtmlDocument::attribute(frame, "src"))
                sources.emplace_back(*src);
        return sources;
    }

    std::unique_ptr<MimeMessage> m_message;
    std::vector<Part> m_parts;
    std::unordered_map<std::string, const Part*> m_byLocation;   // first part at each location
    std::unordered_map<std::string, const Part*> m_byContentId;  // first part with each id
    std::string m_start;
};

}  // namespace

bool looksLikeSavedPage(std::string_view bytes)
{
    // The header block: "Name: value" lines, folded lines starting with white space,
    // up to the first empty line.
    std::size_t pos = 0;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        pos = 3;
    bool headers = false;
    std::string contentType;
    bool inContentType = false;
    while (pos < bytes.size() && pos < 65536) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        pos = end + 1;
        if (line.empty())
            break;
        if (line.front() == ' ' || line.front() == '\t') {
            if (!headers)
                return false;
            if (inContentType)
                contentType += std::string(line);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == 0 || colon == std::string_view::npos)
            return false;
        for (char c : line.substr(0, colon))
            if (c <= ' ' || c >= 127)
                return false;
        headers = true;
        inContentType = hasNoCaseAt(line, 0, "content-type:");
        if (inContentType)
            contentType = std::string(line.substr(colon + 1));
    }
    const std::string_view type = trimmed(contentType);
    return headers && (hasNoCaseAt(type, 0, "multipart/related") || hasNoCaseAt(type, 0, "message/rfc822"));
}

Result<Text> readMht(DocumentProbe& document, ReadProblems& problems)
{
    SavedPage page;
    return page.read(document.bytes(), problems);
}

namespace {

bool isMhtFile(DocumentProbe& p)
{
    return looksLikeSavedPage(p.bytes());
}

}  // namespace

const DocumentReader& mhtReader()
{
    static const DocumentReader row{"MHT", isMhtFile, ".mht .mhtml", readMht, nullptr};
    return row;
}

}  // namespace sorvane
