#include "engine/readers/docx_reader.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/readers/doc_block_text.h"
#include "engine/readers/docx_numbering.h"
#include "engine/readers/doc_xml_walk.h"
#include "engine/readers/field_nesting.h"
#include "engine/containers/xml_document.h"
#include "engine/containers/zip_archive.h"

namespace sorvane {
namespace {

using X = XmlDocument;
using Node = XmlDocument::Node;

bool isOn(Node element)
{
    // A toggle property such as <w:vanish/> is on unless its value says off.
    const auto val = X::attribute(element, "w:val");
    return !val || (*val != "0" && *val != "false" && *val != "off");
}

bool hasOnChild(Node parent, std::string_view name)
{
    if (!parent)
        return false;
    const Node child = X::childElement(parent, name);
    return child && isOn(child);
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Paragraph styles that make a block of their own rather than a paragraph: headings
// (by their built-in English name, which Word keeps whatever the display language, or
// by an outline level) and list styles.
std::set<std::string> blockStyles(ZipArchive& archive)
{
    std::set<std::string> ids;
    Result<std::string> xml = archive.read("word/styles.xml");
    if (!xml)
        return ids;
    auto doc = X::parseWithin(std::move(*xml), expansionAllowance(archive.archiveSize()));
    if (!doc)
        return ids;
    for (Node s = X::firstChild((*doc)->root()); s; s = X::nextSibling(s)) {
        if (!X::isElement(s) || X::name(s) != "w:style")
            continue;
        const auto id = X::attribute(s, "w:styleId");
        if (!id)
            continue;
        const Node nameNode = X::childElement(s, "name");
        const std::string name = nameNode ? lower(X::attribute(nameNode, "w:val").value_or("")) : "";
        const Node pPr = X::childElement(s, "pPr");
        if (name.starts_with("heading") || name == "title" || name == "subtitle" ||
            (pPr && (X::childElement(pPr, "outlineLvl") || X::childElement(pPr, "numPr"))))
            ids.insert(std::string(*id));
    }
    return ids;
}

class DocxReader {
public:
    DocxReader(ZipArchive& archive, ReadProblems* problems)
        : m_archive(archive), m_problems(problems), m_blockStyles(blockStyles(archive)), m_numbering(archive)
    {
    }

    Result<Text> run()
    {
        Result<std::string> xml = m_archive.read("word/document.xml");
        if (!xml)
            return Error{ErrorCode::BadInput, "Word 文档的正文无法读取：" + xml.error().message, {}};
        const std::size_t allowance = expansionAllowance(m_archive.archiveSize());
        auto doc = X::parseWithin(std::move(*xml), allowance);
        if (!doc)
            return Error{ErrorCode::BadInput, "Word 文档的正文无法读取：" + doc.error().message, {}};
        if ((*doc)->cutShort() && m_problems)
            m_problems->push_back(partCutShortProblem("Word 文档的正文", allowance));
        walk((*doc)->root(), m_body);
        doc->reset();

        // Notes in the order they are first referred to, footnotes first. A note may
        // refer to further notes (an endnote to a footnote too), so both lists are walked
        // by index until neither grows; each note is numbered and rendered once.
        DocBlockText notes;
        NotePart footnotes = notePart("word/footnotes.xml", "w:footnote");
        NotePart endnotes = notePart("word/endnotes.xml", "w:endnote");
        size_t footnotesDone = 0;
        size_t endnotesDone = 0;
        while (footnotesDone < m_footnoteOrder.size() || endnotesDone < m_endnoteOrder.size()) {
            while (footnotesDone < m_footnoteOrder.size())
                renderNote(footnotes, "w:footnote", m_footnoteOrder[footnotesDone++], notes);
            while (endnotesDone < m_endnoteOrder.size())
                renderNote(endnotes, "w:endnote", m_endnoteOrder[endnotesDone++], notes);
        }
        return m_body.takeWithNotes(notes);
    }

private:
    struct Paragraph {
        int breaks = 2;
    };

    // A notes part, parsed, with its notes by id; empty when the part is missing or broken.
    struct NotePart {
        std::unique_ptr<XmlDocument> doc;
        std::map<std::string, Node, std::less<>> byId;
    };

    NotePart notePart(const char* part, std::string_view element)
    {
        NotePart result;
        if (m_footnoteOrder.empty() && m_endnoteOrder.empty())
            return result;
        Result<std::string> xml = m_archive.read(part);
        if (!xml)
            return result;
        auto doc = X::parseWithin(std::move(*xml), expansionAllowance(m_archive.archiveSize()));
        if (!doc)
            return result;
        result.doc = std::move(*doc);
        for (Node n = X::firstChild(result.doc->root()); n; n = X::nextSibling(n))
            if (X::isElement(n) && X::name(n) == element)
                if (const auto id = X::attribute(n, "w:id"))
                    result.byId.emplace(std::string(*id), n);
        return result;
    }

    // `id` is taken by value: rendering the note may add to the list it came from.
    void renderNote(const NotePart& part, std::string_view element, std::string id, DocBlockText& out)
    {
        const auto it = part.byId.find(id);
        if (it == part.byId.end())
            return;
        m_currentNote = m_noteNumbers[std::string(element) + id];
        out.endBlock(2);
        walk(it->second, out);
    }

    // Whether text in the current run is shown: not inside a field's code.
    bool shown() const { return m_fields.shown(); }

    void walk(Node top, DocBlockText& out)
    {
        walkXml(
            top, [&](Node n) { return enter(n, out); }, [&](Node n) { leave(n, out); });
    }

    bool enter(Node n, DocBlockText& out)
    {
        if (!X::isElement(n))
            return false;
        const std::string_view name = X::name(n);
        if (!name.starts_with("w:")) {
            // Of two renderings of one drawing only the first is read.
            return name != "mc:Fallback";
        }
        const std::string_view local = name.substr(2);
        if (local == "p") {
            Paragraph p;
            // An automatic number or bullet starts the paragraph's text; a numbered
            // paragraph is a list item, a block of its own.
            const Node pPr = X::childElement(n, "pPr");
            const Text label = pPr ? m_numbering.label(pPr) : Text();
            if (!label.empty())
                p.breaks = 1;
            if (pPr) {
                const Node style = X::childElement(pPr, "pStyle");
                const auto id = style ? X::attribute(style, "w:val") : std::nullopt;
                if (X::childElement(pPr, "numPr") || X::childElement(pPr, "outlineLvl") ||
                    (id && m_blockStyles.contains(std::string(*id))))
                    p.breaks = 1;
            }
            if (m_tableDepth > 0)
                p.breaks = 1;
            out.endBlock(p.breaks);
            m_paragraphs.push_back(p);
            out.text(label);
            return true;
        }
        if (local == "r")
            return !hasOnChild(X::childElement(n, "rPr"), "vanish") && !hasOnChild(X::childElement(n, "rPr"), "specVanish");
        if (wordRunPiece(local, n, shown(), out))
            return false;
        if (local == "noBreakHyphen") {
            if (shown())
                out.text(u'-');
            return false;
        }
        if (local == "sym") {
            if (shown())
                symbol(n, out);
            return false;
        }
        if (local == "fldChar") {
            m_fields.mark(X::attribute(n, "w:fldCharType").value_or(""));
            return false;
        }
        if (local == "footnoteReference" || local == "endnoteReference") {
            if (shown())
                noteReference(n, local == "footnoteReference", out);
            return false;
        }
        if (local == "footnoteRef" || local == "endnoteRef") {
            if (m_currentNote > 0)
                out.text(fromUtf8("[" + std::to_string(m_currentNote) + "]"));
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
        // Properties, deleted and moved-away text, comments and field codes carry no
        // shown text.
        static const std::set<std::string_view> skipped = {
            "pPr",     "rPr",        "sectPr",      "tblPr",      "tblGrid",     "trPr",
            "tcPr",    "del",        "moveFrom",    "delText",    "instrText",   "delInstrText",
            "sdtPr",   "sdtEndPr",   "commentReference", "annotationRef", "tblPrEx", "customXmlPr",
            "smartTagPr", "fldData"};
        return !skipped.contains(local);
    }

    void leave(Node n, DocBlockText& out)
    {
        if (!X::isElement(n))
            return;
        const std::string_view name = X::name(n);
        if (name == "w:p") {
            out.endBlock(m_paragraphs.empty() ? 2 : m_paragraphs.back().breaks);
            if (!m_paragraphs.empty())
                m_paragraphs.pop_back();
        } else if (name == "w:tc") {
            out.endCell();
        } else if (name == "w:tr") {
            out.endRow();
        } else if (name == "w:tbl") {
            --m_tableDepth;
            out.endBlock(1);
        }
    }

    void symbol(Node n, DocBlockText& out)
    {
        const auto code = X::attribute(n, "w:char");
        if (!code)
            return;
        unsigned value = 0;
        for (const char c : *code) {
            const int d = c >= '0' && c <= '9' ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0 || value > 0xFFF)
                return;
            value = value * 16 + static_cast<unsigned>(d);
        }
        // Symbol fonts put their glyphs at F020..F0FF; the character is the low byte.
        if (value >= 0xF020 && value <= 0xF0FF)
            value -= 0xF000;
        if (value >= 0x20 && (value < 0xD800 || value > 0xDFFF))
            out.text(static_cast<char16_t>(value));
    }

    void noteReference(Node n, bool footnote, DocBlockText& out)
    {
        const auto id = X::attribute(n, "w:id");
        if (!id)
            return;
        const std::string key = std::string(footnote ? "w:footnote" : "w:endnote") + std::string(*id);
        int& number = m_noteNumbers[key];
        if (number == 0) {
            number = ++m_noteCount;
            (footnote ? m_footnoteOrder : m_endnoteOrder).push_back(std::string(*id));
        }
        out.text(fromUtf8("[" + std::to_string(number) + "]"));
    }

    ZipArchive& m_archive;
    ReadProblems* m_problems;
    std::set<std::string> m_blockStyles;
    DocxNumbering m_numbering;
    DocBlockText m_body;
    std::vector<Paragraph> m_paragraphs;
    int m_tableDepth = 0;
    FieldNesting m_fields;
    std::map<std::string, int> m_noteNumbers;
    std::vector<std::string> m_footnoteOrder;
    std::vector<std::string> m_endnoteOrder;
    int m_noteCount = 0;
    int m_currentNote = 0;
};

}  // namespace

bool isDocx(const ZipArchive& archive)
{
    return archive.find("word/document.xml").has_value();
}

// The main document part, then the footnotes and endnotes it refers to: every paragraph,
// headings and list items as blocks of their own, manual line breaks, tabs, symbols, the
// shown result of fields (not their code), text boxes where they are anchored, tables
// with cells separated by tabs, list numbers and bullets before their paragraphs, and the
// notes after the body, each marked "[n]" in the body and before its text. Headers, footers, comments, hidden runs (w:vanish) and
// deleted revisions are left out; inserted ones are kept.
Result<Text> docxText(ZipArchive& archive, ReadProblems* problems)
{
    return DocxReader(archive, problems).run();
}

Result<Text> readDocx(DocumentProbe& document, ReadProblems& problems)
{
    const Result<ZipArchive*> archive = document.zipArchive();
    if (!archive && archive.error().code == ErrorCode::Unreadable)
        return archive.error();  // the ZIP library could not be loaded
    if (!archive)
        return Error{ErrorCode::BadInput, "Word 文档已损坏，无法读取：" + archive.error().message, {}};
    if (!isDocx(**archive))
        return Error{ErrorCode::BinaryInput, "这是一个 ZIP 压缩包，但其中没有 Word 文档的正文，无法读取", {}};
    return docxText(**archive, &problems);
}

namespace {

// A ZIP archive named as a Word document goes to this reader even when damaged, so that
// the error says what is wrong with it; one that names itself another kind in a
// "mimetype" member does not.
bool isDocxFile(DocumentProbe& p)
{
    if (!looksLikeZip(p.bytes()))
        return false;
    return p.zipHasMember("word/document.xml") || (p.extension() == ".docx" && !p.zipHasMember("mimetype"));
}

}  // namespace

const DocumentReader& docxReader()
{
    static const DocumentReader row{"DOCX", isDocxFile, ".docx", readDocx, nullptr};
    return row;
}

}  // namespace sorvane
