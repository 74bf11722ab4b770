#include "engine/readers/odt_reader.h"

#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/readers/doc_block_text.h"
#include "engine/readers/doc_xml_walk.h"
#include "engine/readers/odt_numbering.h"
#include "engine/containers/xml_document.h"
#include "engine/containers/zip_archive.h"

namespace sorvane {
namespace {

using X = XmlDocument;
using Node = XmlDocument::Node;

// The spaces one text:s gives at most (a wide line's worth), and the spaces all of them
// give in one document before each counts as a single space: a few kilobytes of
// compressed XML must not turn into hundreds of megabytes of blanks.
constexpr int kMaxSpaces = 256;
constexpr std::size_t kMaxSpacesTotal = std::size_t{1} << 20;

// Names of the styles whose text properties hide their text (text:display="none"),
// from a styles container of content.xml or styles.xml.
void collectHiddenStyles(Node root, std::set<std::string>& hidden)
{
    for (Node container = X::firstChild(root); container; container = X::nextSibling(container)) {
        if (!X::isElement(container))
            continue;
        const std::string_view c = X::name(container);
        if (c != "office:automatic-styles" && c != "office:styles")
            continue;
        for (Node style = X::firstChild(container); style; style = X::nextSibling(style)) {
            if (!X::isElement(style) || X::name(style) != "style:style")
                continue;
            const Node props = X::childElement(style, "text-properties");
            const auto name = X::attribute(style, "style:name");
            if (props && name && X::attribute(props, "text:display").value_or("") == "none")
                hidden.insert(std::string(*name));
        }
    }
}

// content.xml, with the hidden-text styles, list styles and outline numbering of
// content.xml and styles.xml: paragraphs, headings and list items as blocks, list
// numbers and bullets (also those a paragraph style applies), numbered headings, text:s
// as its count of spaces (at most 256 each, 1 Mi in all, then one each), tabs, line
// breaks, text boxes where they are anchored, tables with cells separated by tabs, and the notes after the body, each
// marked "[citation]" in the body and before its text. White space in the text
// collapses as the format says. Comments, tracked deletions and text in a style with
// display "none" are left out.
class OdtReader {
public:
    OdtReader(ZipArchive& archive, ReadProblems* problems) : m_archive(archive), m_problems(problems) {}

    Result<Text> run()
    {
        if (Result<std::string> styles = m_archive.read("styles.xml"))
            if (auto doc = X::parseWithin(std::move(*styles), expansionAllowance(m_archive.archiveSize()))) {
                collectHiddenStyles((*doc)->root(), m_hiddenStyles);
                m_numbering.read((*doc)->root());
            }
        Result<std::string> xml = m_archive.read("content.xml");
        if (!xml)
            return Error{ErrorCode::BadInput, "OpenDocument 文档的正文无法读取：" + xml.error().message, {}};
        const std::size_t allowance = expansionAllowance(m_archive.archiveSize());
        auto doc = X::parseWithin(std::move(*xml), allowance);
        if (!doc)
            return Error{ErrorCode::BadInput, "OpenDocument 文档的正文无法读取：" + doc.error().message, {}};
        if ((*doc)->cutShort() && m_problems)
            m_problems->push_back(partCutShortProblem("OpenDocument 文档的正文", allowance));
        const Node root = (*doc)->root();
        collectHiddenStyles(root, m_hiddenStyles);
        m_numbering.read(root);
        const Node body = X::childElement(root, "body");
        if (body)
            walk(body, m_body);
        return m_body.takeWithNotes(m_notes);
    }

private:
    void walk(Node top, DocBlockText& out)
    {
        walkXml(
            top, [&](Node n) { return enter(n, out); }, [&](Node n) { leave(n, out); });
    }

    bool hiddenStyle(Node n) const
    {
        const auto style = X::attribute(n, "text:style-name");
        return style && m_hiddenStyles.contains(std::string(*style));
    }

    // Text as the format shows it: tabs and line ends are spaces, and a run of spaces
    // is one, none at the start of a paragraph.
    void text(std::string_view utf8, DocBlockText& out)
    {
        std::string collapsed;
        collapsed.reserve(utf8.size());
        for (char c : utf8) {
            if (c == '\t' || c == '\r' || c == '\n')
                c = ' ';
            if (c == ' ') {
                if (m_afterSpace)
                    continue;
                m_afterSpace = true;
            } else {
                m_afterSpace = false;
            }
            collapsed.push_back(c);
        }
        out.text(fromUtf8(collapsed));
    }

    // Characters the format writes as elements are never collapsed.
    void literal(TextView t, DocBlockText& out)
    {
        out.text(t);
        m_afterSpace = false;
    }

    bool enter(Node n, DocBlockText& out)
    {
        if (X::isText(n)) {
            if (m_paragraphDepth > 0)
                text(X::text(n), out);
            return false;
        }
        if (!X::isElement(n))
            return false;
        const std::string_view name = X::name(n);
        if (name == "text:p" || name == "text:h") {
            if (hiddenStyle(n))
                return false;
            bool styleNumbered = false;
            const Text number = label(n, styleNumbered);
            // Paragraphs numbered by their style are the items of one list, as in a list.
            const int breaks = name == "text:h" || m_listDepth > 0 || m_tableDepth > 0 || styleNumbered ? 1 : 2;
            out.endBlock(breaks);
            m_paragraphBreaks.push_back(breaks);
            ++m_paragraphDepth;
            m_afterSpace = true;
            if (!m_notePrefix.empty())
                out.text(std::exchange(m_notePrefix, Text()));
            out.text(number);
            return true;
        }
        if (name == "text:span" || name == "text:a")
            return !hiddenStyle(n);
        if (name == "text:s") {
            const auto c = X::attribute(n, "text:c");
            int count = 1;
            if (c) {
                count = 0;
                for (const char ch : *c) {
                    if (ch < '0' || ch > '9')
                        break;
                    count = std::min(count * 10 + (ch - '0'), kMaxSpaces);
                }
            }
            std::size_t spaces = static_cast<std::size_t>(std::max(count, 0));
            if (m_spacesGiven + spaces > kMaxSpacesTotal) {
                if (m_problems && m_spacesGiven <= kMaxSpacesTotal)
                    m_problems->push_back("文档中连续空格的标记过多，超过 " + std::to_string(kMaxSpacesTotal) +
                                          " 个空格后每处只保留一个空格");
                spaces = std::min<std::size_t>(spaces, 1);
                m_spacesGiven = kMaxSpacesTotal + 1;
            } else {
                m_spacesGiven += spaces;
            }
            literal(Text(spaces, u' '), out);
            return false;
        }
        if (name == "text:tab") {
            out.tab();
            m_afterSpace = false;
            return false;
        }
        if (name == "text:line-break") {
            out.lineBreak();
            m_afterSpace = true;
            return false;
        }
        if (name == "text:list") {
            startList(n);
            return true;
        }
        if (name == "text:list-item" || name == "text:list-header") {
            ++m_listDepth;
            out.endBlock(1);
            if (!m_lists.empty()) {
                ListFrame& list = m_lists.back();
                list.item = n;
                list.header = name == "text:list-header";
                const auto start = X::attribute(n, "text:start-value");
                list.startValue = start ? parseListNumber(*start) : std::nullopt;
            }
            return true;
        }
        if (name == "table:table") {
            ++m_tableDepth;
            out.endBlock(1);
            return true;
        }
        if (name == "table:table-row") {
            out.startRow();
            return true;
        }
        if (name == "text:note") {
            const Node citation = X::childElement(n, "note-citation");
            const Node body = X::childElement(n, "note-body");
            const std::string mark = "[" + (citation ? X::textContent(citation) : std::string()) + "]";
            literal(fromUtf8(mark), out);
            // A note inside a note is left out, so nesting cannot deepen the walk.
            if (body && !m_inNote) {
                // The note's paragraphs go to the notes, with the mark before them.
                const std::vector<int> outer = std::exchange(m_paragraphBreaks, {});
                const int depth = std::exchange(m_paragraphDepth, 0);
                const bool afterSpace = m_afterSpace;
                m_notes.endBlock(2);
                m_notePrefix = fromUtf8(mark + " ");
                m_inNote = true;
                walk(body, m_notes);
                m_inNote = false;
                m_notePrefix.clear();
                m_paragraphBreaks = outer;
                m_paragraphDepth = depth;
                m_afterSpace = afterSpace;
            }
            return false;
        }
        // Comments, tracked changes (the deleted text lives there), hidden paragraphs
        // and text, and the descriptions of drawings are never shown; a writer's copy of
        // a list number (text:number) gives way to the number counted here.
        static const std::set<std::string_view> skipped = {
            "office:annotation", "office:annotation-end", "text:tracked-changes", "text:hidden-text",
            "text:hidden-paragraph", "svg:desc", "svg:title", "table:table-columns",
            "table:table-column", "text:sequence-decls", "text:variable-decls", "text:user-field-decls",
            "office:forms", "text:note-citation", "text:number"};
        return !skipped.contains(name);
    }

    void leave(Node n, DocBlockText& out)
    {
        if (!X::isElement(n))
            return;
        const std::string_view name = X::name(n);
        if (name == "text:p" || name == "text:h") {
            out.endBlock(m_paragraphBreaks.empty() ? 2 : m_paragraphBreaks.back());
            if (!m_paragraphBreaks.empty())
                m_paragraphBreaks.pop_back();
            if (m_paragraphDepth > 0)
                --m_paragraphDepth;
        } else if (name == "text:list") {
            if (!m_lists.empty())
                m_lists.pop_back();
        } else if (name == "text:list-item" || name == "text:list-header") {
            --m_listDepth;
            out.endBlock(1);
        } else if (name == "table:table-cell" || name == "table:covered-table-cell") {
            out.endCell();
        } else if (name == "table:table-row") {
            out.endRow();
        } else if (name == "table:table") {
            --m_tableDepth;
            out.endBlock(1);
        }
    }

    // A text:list being walked: its style, its level, the counters it shares with the
    // lists it continues or nests in, and the item whose first paragraph is numbered.
    struct ListFrame {
        const ListDefinition* style = nullptr;
        ListCounters* counters = nullptr;
        int level = 0;
        Node item = nullptr;
        bool header = false;
        std::optional<int> startValue;
    };

    // A list nested in an item is the next level of the same list; a top-level list
    // starts its numbers again unless it continues an earlier list, the last one of its
    // style or the one it names.
    void startList(Node n)
    {
        ListFrame frame;
        const auto styleName = X::attribute(n, "text:style-name");
        if (!m_lists.empty()) {
            const ListFrame& parent = m_lists.back();
            frame.style = styleName ? m_numbering.listStyle(*styleName) : parent.style;
            frame.counters = parent.counters;
            frame.level = parent.level + 1;
            m_lists.push_back(frame);
            return;
        }
        const std::string style(styleName.value_or(""));
        frame.style = m_numbering.listStyle(style);
        if (const auto id = X::attribute(n, "text:continue-list")) {
            const auto it = m_listsById.find(*id);
            if (it != m_listsById.end())
                frame.counters = it->second;
        } else if (X::attribute(n, "text:continue-numbering").value_or("") == "true") {
            const auto it = m_lastListOfStyle.find(style);
            if (it != m_lastListOfStyle.end())
                frame.counters = it->second;
        }
        if (!frame.counters)
            frame.counters = &m_listCounters.emplace_back();
        m_lastListOfStyle[style] = frame.counters;
        if (const auto id = X::attribute(n, "xml:id"))
            m_listsById[std::string(*id)] = frame.counters;
        m_lists.push_back(frame);
    }

    // The number or bullet of the paragraph or heading `n`: the first paragraph of a
    // list item gets the item's (a list header's gets none), from the list's style or,
    // when the list names none, the paragraph style's list style; a paragraph outside
    // lists whose style applies a list style is numbered in that style's one list
    // (`styleNumbered` is then set); a heading outside lists gets the outline
    // numbering's.
    Text label(Node n, bool& styleNumbered)
    {
        if (!m_lists.empty() && m_lists.back().item && m_lists.back().item == X::parent(n)) {
            ListFrame& list = m_lists.back();
            list.item = nullptr;
            const ListDefinition* style = list.style ? list.style : paragraphStyleList(n).second;
            if (list.header || !style)
                return {};
            return list.counters->next(*style, list.level, list.startValue);
        }
        if (m_lists.empty() && X::name(n) == "text:p") {
            const auto [styleName, style] = paragraphStyleList(n);
            if (!style)
                return {};
            styleNumbered = true;
            return m_styleListCounters[std::string(styleName)].next(*style, 0);
        }
        if (X::name(n) != "text:h" || !m_numbering.outline() ||
            X::attribute(n, "text:is-list-header").value_or("") == "true")
            return {};
        const int level = parseListNumber(X::attribute(n, "text:outline-level").value_or("1")).value_or(1);
        std::optional<int> restart;
        if (X::attribute(n, "text:restart-numbering").value_or("") == "true")
            restart = parseListNumber(X::attribute(n, "text:start-value").value_or("1"));
        return m_outlineCounters.next(*m_numbering.outline(), std::max(level, 1) - 1, restart);
    }

    // The list style the paragraph style of `n` applies: its name and definition, or
    // nothing.
    std::pair<std::string_view, const ListDefinition*> paragraphStyleList(Node n) const
    {
        const auto paragraphStyle = X::attribute(n, "text:style-name");
        const auto listStyle = paragraphStyle ? m_numbering.paragraphListStyle(*paragraphStyle) : std::nullopt;
        if (!listStyle)
            return {{}, nullptr};
        return {*listStyle, m_numbering.listStyle(*listStyle)};
    }

    ZipArchive& m_archive;
    ReadProblems* m_problems;
    std::size_t m_spacesGiven = 0;  // by text:s; past kMaxSpacesTotal once the cap is hit
    OdtNumbering m_numbering;
    std::vector<ListFrame> m_lists;
    std::deque<ListCounters> m_listCounters;
    std::map<std::string, ListCounters*, std::less<>> m_lastListOfStyle;
    std::map<std::string, ListCounters*, std::less<>> m_listsById;
    // By list style: the counters of the paragraphs numbered through their style.
    std::map<std::string, ListCounters, std::less<>> m_styleListCounters;
    ListCounters m_outlineCounters;
    std::set<std::string> m_hiddenStyles;
    DocBlockText m_body;
    DocBlockText m_notes;
    std::vector<int> m_paragraphBreaks;
    int m_paragraphDepth = 0;
    int m_listDepth = 0;
    int m_tableDepth = 0;
    bool m_afterSpace = true;
    bool m_inNote = false;
    Text m_notePrefix;  // the mark that starts a note's first paragraph
};

}  // namespace

bool isOdt(ZipArchive& archive)
{
    if (!archive.find("mimetype"))
        return false;
    Result<std::string> type = archive.read("mimetype");
    if (!type)
        return false;
    std::string_view t = *type;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' '))
        t.remove_suffix(1);
    return t == "application/vnd.oasis.opendocument.text";
}

Result<Text> odtText(ZipArchive& archive, ReadProblems* problems)
{
    return OdtReader(archive, problems).run();
}

Result<Text> readOdt(DocumentProbe& document, ReadProblems& problems)
{
    const Result<ZipArchive*> archive = document.zipArchive();
    if (!archive && archive.error().code == ErrorCode::Unreadable)
        return archive.error();  // the ZIP library could not be loaded
    if (!archive)
        return Error{ErrorCode::BadInput, "OpenDocument 文档已损坏，无法读取：" + archive.error().message, {}};
    if (!isOdt(**archive))
        return Error{ErrorCode::BinaryInput, "这是一个 ZIP 压缩包，但不是 OpenDocument 文本文档，无法读取", {}};
    // A document saved with a password lists how each part was encrypted in its
    // manifest; its parts are then no XML at all.
    if (const auto manifest = (*archive)->findNoCase("META-INF/manifest.xml")) {
        const Result<std::string> bytes = (*archive)->read(*manifest);
        if (bytes && bytes->find("encryption-data") != std::string::npos)
            return Error{ErrorCode::BadInput, "这个 OpenDocument 文档已加密，无法读取；请先在字处理程序中去掉密码", {}};
    }
    return odtText(**archive, &problems);
}

namespace {

// A ZIP archive named .odt goes to this reader even when damaged, so that the error
// says what is wrong with it.
bool isOdtFile(DocumentProbe& p)
{
    if (!looksLikeZip(p.bytes()))
        return false;
    if (p.extension() == ".odt")
        return true;
    const auto mime = p.zipSmallMember("mimetype");
    return mime && mime->starts_with("application/vnd.oasis.opendocument.text") &&
           mime->find_first_not_of(" \r\n", 39) == std::string::npos;
}

}  // namespace

const DocumentReader& odtReader()
{
    static const DocumentReader row{"ODT", isOdtFile, ".odt", readOdt, nullptr};
    return row;
}

}  // namespace sorvane
