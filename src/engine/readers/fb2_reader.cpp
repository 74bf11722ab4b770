#include "engine/readers/fb2_reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "engine/containers/xml_document.h"
#include "engine/containers/zip_archive.h"
#include "engine/render/html_renderer.h"

namespace sorvane {
namespace {

// What a .fb2.zip may inflate to: text deflates to a third or a quarter of its size,
// so a book much larger than this against its archive is a deflate bomb. Its DOM, the
// page made of it and the text each take as much again, so it is refused before it is
// inflated.
constexpr std::uint64_t kInflatedPerArchiveByte = 8;
constexpr std::uint64_t kInflatedAllowance = std::uint64_t{8} << 20;
constexpr std::uint64_t kMaxBookSize = std::uint64_t{128} << 20;

using Xml = XmlDocument;

Error bookError(std::string message)
{
    return Error{ErrorCode::BadInput, std::move(message), {}};
}

void appendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
}

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    for (std::string_view n : names)
        if (n == name)
            return true;
    return false;
}

struct PageTag {
    std::string_view open, close;
    bool block;
};

// The page element an FB2 element is shown as; titles and stanzas are line groups
// (one <p>, each of their lines ended by <br>), handled apart. Links, styles and
// anything unknown keep their text inline.
PageTag pageTag(std::string_view name)
{
    if (isOneOf(name, {"section", "body", "poem"}))
        return {"<div>", "</div>", true};
    if (isOneOf(name, {"epigraph", "cite", "annotation"}))
        return {"<blockquote>", "</blockquote>", true};
    if (isOneOf(name, {"p", "subtitle", "text-author", "date", "v"}))
        return {"<p>", "</p>", true};
    if (name == "table")
        return {"<table>", "</table>", true};
    if (name == "tr")
        return {"<tr>", "</tr>", true};
    if (name == "th")
        return {"<th>", "</th>", true};
    if (name == "td")
        return {"<td>", "</td>", true};
    if (name == "strong")
        return {"<b>", "</b>", false};
    if (name == "emphasis")
        return {"<i>", "</i>", false};
    if (name == "sub")
        return {"<sub>", "</sub>", false};
    if (name == "sup")
        return {"<sup>", "</sup>", false};
    return {"<span>", "</span>", false};
}

// FB2 turned into a page, so the page renderer lays it out as a browser shows the
// same book: paragraphs apart by a blank line, a title's or a stanza's lines one under
// another, table cells in their rows. Walked without recursion, so the depth of
// nested sections costs no stack.
class PageWriter {
public:
    void body(Xml::Node body) { walk(body); }

    // A line group of plain lines (the book's title and author).
    void lines(const std::vector<std::string>& texts)
    {
        m_page += "<p>";
        for (const std::string& t : texts) {
            if (&t != &texts.front())
                m_page += "<br>";
            appendEscaped(m_page, t);
        }
        m_page += "</p>";
    }

    std::string take() { return std::move(m_page); }

private:
    struct Frame {
        Xml::Node child;         // the next child to visit
        std::string_view close;  // written when the element ends
        bool group;              // its children are the lines of a title or stanza
    };

    void walk(Xml::Node root)
    {
        std::vector<Frame> stack;
        enter(root, false, stack);
        while (!stack.empty()) {
            Frame& top = stack.back();
            const Xml::Node node = top.child;
            if (!node) {
                m_page += top.close;
                stack.pop_back();
                continue;
            }
            top.child = Xml::nextSibling(node);
            if (Xml::isText(node))
                appendEscaped(m_page, Xml::text(node));
            else if (Xml::isElement(node))
                enter(node, top.group, stack);
        }
    }

    void enter(Xml::Node node, bool inGroup, std::vector<Frame>& stack)
    {
        const std::string_view name = Xml::localName(node);
        // Pictures, the embedded files that hold them, and the book's description
        // give no text.
        if (isOneOf(name, {"image", "binary", "description", "stylesheet"}))
            return;
        if (name == "empty-line") {
            if (inGroup)
                m_page += "<br>";
            else
                m_page += "<p>\u00A0</p>";
            return;
        }
        if (inGroup) {
            // The lines of a title or stanza (of a title nested in it too) are apart by
            // line breaks.
            if (isOneOf(name, {"title", "stanza", "epigraph"})) {
                stack.push_back({Xml::firstChild(node), "", true});
            } else if (isOneOf(name, {"p", "v", "subtitle", "text-author", "date"})) {
                if (m_groupHasLine)
                    m_page += "<br>";
                m_groupHasLine = true;
                m_page += "<span>";
                stack.push_back({Xml::firstChild(node), "</span>", false});
            } else {
                // Anything else inside a line stays inline, so the group stays one <p>.
                const PageTag tag = pageTag(name);
                openTag(node, tag.block ? PageTag{"<span>", "</span>", false} : tag, stack);
            }
            return;
        }
        if (name == "title" || name == "stanza") {
            m_groupHasLine = false;
            m_page += "<p>";
            stack.push_back({Xml::firstChild(node), "</p>", true});
            return;
        }
        openTag(node, pageTag(name), stack);
    }

    void openTag(Xml::Node node, const PageTag& tag, std::vector<Frame>& stack)
    {
        m_page += tag.open;
        stack.push_back({Xml::firstChild(node), tag.close, false});
    }

    std::string m_page;
    bool m_groupHasLine = false;  // the open title or stanza has a line already
};

// The text of an element with its white space collapsed, or empty.
std::string plainText(Xml::Node node)
{
    std::string out;
    bool space = false;
    for (char c : node ? Xml::textContent(node) : std::string()) {
        if (isAsciiSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

// The book's title, then each author's name, from the description's title-info.
std::vector<std::string> titleLines(Xml::Node root)
{
    std::vector<std::string> lines;
    const Xml::Node description = Xml::childElement(root, "description");
    const Xml::Node info = description ? Xml::childElement(description, "title-info") : nullptr;
    if (!info)
        return lines;
    if (std::string title = plainText(Xml::childElement(info, "book-title")); !title.empty())
        lines.push_back(std::move(title));
    for (Xml::Node a = Xml::firstChild(info); a; a = Xml::nextSibling(a)) {
        if (!Xml::isElement(a) || Xml::localName(a) != "author")
            continue;
        std::string name;
        for (std::string_view part : {"first-name", "middle-name", "last-name"}) {
            const std::string text = plainText(Xml::childElement(a, part));
            if (!text.empty())
                name += (name.empty() ? "" : " ") + text;
        }
        if (name.empty())
            name = plainText(Xml::childElement(a, "nickname"));
        if (!name.empty())
            lines.push_back(std::move(name));
    }
    return lines;
}

bool isNotesBody(Xml::Node body)
{
    return Xml::attribute(body, "name").has_value();
}

Result<Text> renderBook(std::string_view bytes)
{
    auto doc = XmlDocument::parse(bytes);
    if (!doc)
        return bookError("FB2 电子书格式错误：" + doc.error().message);
    const Xml::Node root = (*doc)->root();
    if (Xml::localName(root) != "FictionBook")
        return bookError("这不是 FB2 电子书（根元素不是 FictionBook）");
    std::vector<Xml::Node> bodies, notes;
    for (Xml::Node n = Xml::firstChild(root); n; n = Xml::nextSibling(n))
        if (Xml::isElement(n) && Xml::localName(n) == "body")
            (isNotesBody(n) ? notes : bodies).push_back(n);
    bodies.insert(bodies.end(), notes.begin(), notes.end());
    if (bodies.empty())
        return bookError("FB2 电子书中没有正文（body）");
    PageWriter page;
    // The main body usually opens with the book's title and author; when it does not,
    // the description's are printed at the top so the text still names its book.
    if (!Xml::childElement(bodies.front(), "title"))
        if (const auto lines = titleLines(root); !lines.empty())
            page.lines(lines);
    for (Xml::Node body : bodies)
        page.body(body);
    return renderHtmlUtf8(page.take());
}

bool isFb2Name(const std::filesystem::path& path)
{
    return toLowerAscii(path.filename().string()).ends_with(".fb2");
}

// The single .fb2 member of an archive, or nothing.
std::optional<std::size_t> bookMember(ZipArchive& zip)
{
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < zip.members().size(); ++i) {
        const std::string& name = zip.members()[i].name;
        if (name.ends_with('/'))
            continue;
        if (found || !isFb2Name(name))
            return std::nullopt;
        found = i;
    }
    return found;
}

bool isFb2File(DocumentProbe& p)
{
    if (looksLikeZip(p.bytes())) {
        const Result<ZipArchive*> zip = p.zipArchive();
        return zip && bookMember(**zip).has_value();
    }
    std::string_view head = p.bytes().substr(0, 1024);
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3);
    return (head.starts_with("<?xml") && head.find("<FictionBook") != std::string_view::npos) ||
           head.starts_with("<FictionBook");
}

}  // namespace

Result<Text> readFb2(DocumentProbe& document, ReadProblems& /*problems*/)
{
    if (!looksLikeZip(document.bytes()))
        return renderBook(document.bytes());
    const Result<ZipArchive*> zip = document.zipArchive();
    if (!zip)
        return bookError("FB2 压缩包已损坏或不完整：" + zip.error().message);
    const auto member = bookMember(**zip);
    if (!member)
        return bookError("这个压缩包中没有唯一的一本 FB2 电子书");
    const std::uint64_t limit =
        std::min(kMaxBookSize, kInflatedPerArchiveByte * document.bytes().size() + kInflatedAllowance);
    if ((*zip)->members()[*member].size > limit)
        return bookError("压缩包中的 FB2 电子书解压后过大（超过 " + std::to_string(limit >> 20) +
                         " MB），可能是压缩炸弹，拒绝读取");
    auto bytes = (*zip)->read(*member);
    // The size the archive claims may lie; what was inflated is checked again.
    if (bytes && bytes->size() > limit)
        return bookError("压缩包中的 FB2 电子书解压后过大（超过 " + std::to_string(limit >> 20) +
                         " MB），可能是压缩炸弹，拒绝读取");
    if (!bytes)
        return bookError("无法解压压缩包中的 FB2 电子书：" + bytes.error().message);
    return renderBook(*bytes);
}

const DocumentReader& fb2Reader()
{
    static const DocumentReader row{"FB2", isFb2File, ".fb2 .fb2.zip", readFb2, nullptr};
    return row;
}

}  // namespace sorvane
