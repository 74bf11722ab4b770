#include "engine/readers/wordml_reader.h"

#include <string>
#include <string_view>
#include <vector>

#include "engine/containers/xml_document.h"
#include "engine/readers/doc_block_text.h"
#include "engine/readers/doc_xml_walk.h"
#include "engine/readers/field_nesting.h"
#include "engine/readers/list_numbering.h"

namespace sorvane {
namespace {

using X = XmlDocument;
using Node = X::Node;

constexpr std::string_view kWordNs = "http://schemas.microsoft.com/office/word/2003/wordml";
constexpr std::string_view kAuxNs = "http://schemas.microsoft.com/office/word/2003/auxHint";

bool isWord(Node n, std::string_view local)
{
    return X::isElement(n) && X::localName(n) == local && X::namespaceUri(n) == kWordNs;
}

// A property switched on: the element present, its w:val absent or not "off"/"0"/"false".
bool isOn(Node props, std::string_view local)
{
    if (!props)
        return false;
    const Node e = X::childElement(props, local);
    if (!e)
        return false;
    const auto v = X::attributeLocal(e, "val");
    return !v || (*v != "off" && *v != "0" && *v != "false");
}

// The number or bullet Word wrote for a list paragraph (w:listPr/wx:t), with the space
// after it: a tab where Word put one, else a space. Bullets drawn from Symbol or
// Wingdings become the characters they show.
Text listLabel(Node pPr)
{
    const Node listPr = pPr ? X::childElement(pPr, "listPr") : nullptr;
    if (!listPr)
        return {};
    for (Node c = X::firstChild(listPr); c; c = X::nextSibling(c)) {
        if (!X::isElement(c) || X::localName(c) != "t" || X::namespaceUri(c) != kAuxNs)
            continue;
        const auto value = X::attributeLocal(c, "val");
        if (!value || value->empty())
            return {};
        Text label;
        const std::string font(X::attributeLocal(c, "font").value_or(""));
        for (char16_t ch : fromUtf8(*value)) {
            const char32_t shown = symbolFontChar(font, ch);
            label.push_back(shown <= 0xFFFF ? static_cast<char16_t>(shown) : ch);
        }
        if (label.size() > static_cast<std::size_t>(kMaxListLabel))
            label.resize(static_cast<std::size_t>(kMaxListLabel));
        label.push_back(X::attributeLocal(c, "wTabAfter") ? u'\t' : u' ');
        return label;
    }
    return {};
}

class WordXmlReader {
public:
    Text run(Node body)
    {
        walk(body, m_body);
        return m_body.takeWithNotes(m_notes);
    }

private:
    void walk(Node top, DocBlockText& out)
    {
        walkXml(
            top, [&](Node n) { return enter(n, out); }, [&](Node n) { leave(n, out); });
    }

    bool shown() const { return m_fields.shown(); }

    bool enter(Node n, DocBlockText& out)
    {
        if (!X::isElement(n))
            return false;
        const std::string_view ns = X::namespaceUri(n);
        if (ns == kAuxNs)
            return true;  // sections and sub-sections hold the paragraphs
        if (ns != kWordNs)
            return false;  // drawings, properties of other vocabularies
        const std::string_view local = X::localName(n);
        if (local == "p") {
            const Node pPr = X::childElement(n, "pPr");
            const Text label = listLabel(pPr);
            const bool heading = pPr && X::childElement(pPr, "outlineLvl");
            m_breaks.push_back(!label.empty() || heading || m_tableDepth > 0 ? 1 : 2);
            out.endBlock(m_breaks.back());
            out.text(label);
            // A note's number starts its first paragraph.
            out.text(m_pendingMark);
            m_pendingMark.clear();
            return true;
        }
        if (local == "r") {
            const Node rPr = X::childElement(n, "rPr");
            return !isOn(rPr, "vanish");
        }
        if (wordRunPiece(local, n, shown(), out))
            return false;
        if (local == "fldChar") {
            m_fields.mark(X::attributeLocal(n, "fldCharType").value_or(""));
            return false;
        }
        if (local == "footnote" || local == "endnote") {
            // The note's text stands where it is referred to; it is shown after the body.
            if (!shown() || m_inNote)
                return false;
            const std::string mark = "[" + std::to_string(++m_noteCount) + "]";
            out.text(fromUtf8(mark));
            m_notes.endBlock(2);
            m_pendingMark = fromUtf8(mark);
            m_inNote = true;
            const std::size_t depth = m_breaks.size();
            walk(n, m_notes);
            m_notes.text(m_pendingMark);  // a note without paragraphs still shows its number
            m_pendingMark.clear();
            m_breaks.resize(depth);
            m_inNote = false;
            return false;
        }
        if (local == "tbl") {
            ++m_tableDepth;
            return true;
        }
        if (local == "tr") {
            out.startRow();
            return true;
        }
        // Properties, deleted text, field codes, headers and footers show nothing.
        static constexpr std::string_view skipped[] = {"pPr",     "rPr",   "sectPr",  "tblPr",     "tblGrid",
                                                       "trPr",    "tcPr",  "delText", "instrText", "hdr",
                                                       "ftr",     "annotation", "pict", "binData", "docPr"};
        for (std::string_view s : skipped)
            if (local == s)
                return false;
        return true;
    }

    void leave(Node n, DocBlockText& out)
    {
        if (!X::isElement(n) || X::namespaceUri(n) != kWordNs)
            return;
        const std::string_view local = X::localName(n);
        if (local == "p") {
            out.endBlock(m_breaks.empty() ? 2 : m_breaks.back());
            if (!m_breaks.empty())
                m_breaks.pop_back();
        } else if (local == "tc") {
            out.endCell();
        } else if (local == "tr") {
            out.endRow();
        } else if (local == "tbl") {
            --m_tableDepth;
            out.endBlock(1);
        }
    }

    DocBlockText m_body;
    DocBlockText m_notes;
    std::vector<int> m_breaks;  // the breaks each open paragraph ends with
    FieldNesting m_fields;
    int m_tableDepth = 0;
    int m_noteCount = 0;
    bool m_inNote = false;
    Text m_pendingMark;  // the number of the note being read, until its first paragraph
};

bool isWordXmlFile(DocumentProbe& p)
{
    const std::string_view head = p.bytes().substr(0, 1024);
    return head.find("<?mso-application progid=\"Word.Document\"?>") != std::string_view::npos ||
           head.find("<w:wordDocument") != std::string_view::npos;
}

}  // namespace

Result<Text> readWordXml(DocumentProbe& document, ReadProblems&)
{
    auto doc = X::parse(document.bytes());
    if (!doc)
        return Error{ErrorCode::BadInput, "Word 2003 XML 文档格式错误：" + doc.error().message, {}};
    const Node root = (*doc)->root();
    const Node body = isWord(root, "wordDocument") ? X::childElement(root, "body") : nullptr;
    if (!body)
        return Error{ErrorCode::BadInput, "Word 2003 XML 文档中没有正文（w:body）", {}};
    WordXmlReader reader;
    return reader.run(body);
}

const DocumentReader& wordXmlReader()
{
    static const DocumentReader row{"Word 2003 XML", isWordXmlFile, "", readWordXml, nullptr};
    return row;
}

}  // namespace sorvane
