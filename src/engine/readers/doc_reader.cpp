#include "engine/readers/doc_reader.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "io/codepage.h"
#include "engine/encoding/encoding_detect.h"
#include "engine/encoding/encoding_labels.h"
#include "engine/readers/doc_block_text.h"
#include "engine/readers/doc_list_table.h"
#include "engine/readers/field_nesting.h"
#include "engine/containers/ole_compound_file.h"

namespace sorvane {
namespace {

// Streams larger than this are refused rather than read into memory.
constexpr std::uint64_t kMaxStreamSize = std::uint64_t{512} << 20;

constexpr std::uint16_t kWordIdent = 0xA5EC;
constexpr std::uint16_t kWord97Fib = 0x00C1;

// Word 6 and Word 95 write file information blocks of versions 101 to 105 (most with the
// identifier 0xA5DC), their text one byte a character or two in the code page of the
// document's language, and no table stream: the piece table of a document saved
// quickly lies in the WordDocument stream, one that was not has its text in one run.
constexpr std::uint16_t kWord6Ident = 0xA5DC;
constexpr std::uint16_t kWord6IdentAlternate = 0xA699;
constexpr std::uint16_t kWord6FirstFib = 101;
constexpr std::uint16_t kWord6LastFib = 105;
constexpr std::size_t kWord6Lid = 0x06;
constexpr std::uint16_t kWord6FlagComplex = 0x0004;
constexpr std::size_t kWord6FcMin = 0x18;
constexpr std::size_t kWord6FcMac = 0x1C;
// ccpText, ccpFtn, ccpHdd, ccpMcr, ccpAtn and ccpEdn, one after the other.
constexpr std::size_t kWord6CcpText = 0x34;
constexpr std::size_t kWord6FcClx = 0x160;

// Offsets and indexes in the file information block.
constexpr std::size_t kFibFlags = 0x0A;
constexpr std::uint16_t kFlagEncrypted = 0x0100;
constexpr std::uint16_t kFlagTable1 = 0x0200;
constexpr std::uint16_t kFlagObfuscated = 0x8000;
enum LwIndex { CcpText = 3, CcpFtn = 4, CcpHdd = 5, CcpAtn = 7, CcpEdn = 8 };
enum FcLcbIndex {
    Stshf = 1, PlcffndRef = 2, PlcfBteChpx = 12, PlcfBtePapx = 13, SttbfFfn = 15, Clx = 33, PlcfendRef = 46, PlfLst = 73,
    PlfLfo = 74
};

// Character property codes that hide text: a deleted revision, hidden and special
// hidden text.
constexpr std::uint16_t kSprmDeleted = 0x0800;
constexpr std::uint16_t kSprmVanish = 0x083C;
constexpr std::uint16_t kSprmSpecVanish = 0x0818;
// Paragraph property codes that make a paragraph mark the end of a table row.
constexpr std::uint16_t kSprmRowEnd = 0x2417;
constexpr std::uint16_t kSprmInnerRowEnd = 0x244C;
constexpr std::uint16_t kSprmTableDefinition = 0xD608;

class Bytes {
public:
    explicit Bytes(std::string_view data) : m_data(data) {}
    std::size_t size() const { return m_data.size(); }
    bool has(std::uint64_t at, std::uint64_t n) const { return at <= m_data.size() && n <= m_data.size() - at; }
    std::uint8_t u8(std::size_t at) const { return has(at, 1) ? static_cast<std::uint8_t>(m_data[at]) : 0; }
    std::uint16_t u16(std::size_t at) const
    {
        return has(at, 2) ? static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8)) : 0;
    }
    std::uint32_t u32(std::size_t at) const
    {
        return has(at, 4) ? static_cast<std::uint32_t>(u16(at)) | (static_cast<std::uint32_t>(u16(at + 2)) << 16) : 0;
    }
    std::string_view slice(std::size_t at, std::size_t n) const { return m_data.substr(at, n); }

private:
    std::string_view m_data;
};

struct Fib {
    std::uint16_t flags = 0;
    std::vector<std::uint32_t> lw;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> fcLcb;

    std::uint32_t ccp(LwIndex i) const { return static_cast<std::size_t>(i) < lw.size() ? lw[i] : 0; }
    std::pair<std::uint32_t, std::uint32_t> at(FcLcbIndex i) const
    {
        return static_cast<std::size_t>(i) < fcLcb.size() ? fcLcb[i] : std::pair<std::uint32_t, std::uint32_t>{0, 0};
    }
};

Result<Fib> readFib(const Bytes& doc)
{
    if (doc.size() < 0x22 || doc.u16(0) != kWordIdent)
        return Error{ErrorCode::BadInput, "不是 Word 文档（文件头不对）", {}};
    Fib fib;
    fib.flags = doc.u16(kFibFlags);
    if (fib.flags & (kFlagEncrypted | kFlagObfuscated))
        return Error{ErrorCode::BadInput, "这个 Word 文档已加密，无法读取；请先在字处理程序中去掉密码", {}};
    if (doc.u16(2) < kWord97Fib)
        return Error{ErrorCode::BadInput, "这是 Word 97 以前的文档格式，无法读取", {}};
    std::size_t pos = 0x20;
    const std::size_t csw = doc.u16(pos);
    pos += 2 + csw * 2;
    const std::size_t cslw = doc.u16(pos);
    pos += 2;
    for (std::size_t i = 0; i < cslw && doc.has(pos, 4); ++i, pos += 4)
        fib.lw.push_back(doc.u32(pos));
    const std::size_t cbRgFcLcb = doc.u16(pos);
    pos += 2;
    for (std::size_t i = 0; i < cbRgFcLcb && doc.has(pos, 8); ++i, pos += 8)
        fib.fcLcb.emplace_back(doc.u32(pos), doc.u32(pos + 4));
    if (fib.lw.size() <= CcpEdn || fib.fcLcb.size() <= Clx)
        return Error{ErrorCode::BadInput, "Word 文档的文件信息块不完整", {}};
    return fib;
}

struct Piece {
    std::uint32_t cpStart = 0;
    std::uint32_t cpEnd = 0;
    std::uint32_t fc = 0;  // byte offset of the first character in the WordDocument stream
    bool compressed = false;
};

// The piece table: where each range of characters is stored, and how.
// `narrow`: every piece holds one byte a position at its plain offset, as in Word 6 and 95.
Result<std::vector<Piece>> readPieces(const Bytes& table, std::uint32_t fcClx, std::uint32_t lcbClx,
                                      bool narrow = false)
{
    const Error damaged{ErrorCode::BadInput, "Word 文档的文本索引（piece table）已损坏", {}};
    if (!table.has(fcClx, lcbClx))
        return damaged;
    std::size_t pos = fcClx;
    const std::size_t end = std::size_t{fcClx} + lcbClx;
    while (pos < end && table.u8(pos) == 0x01)  // formatting records before the table
        pos += 3 + table.u16(pos + 1);
    if (pos >= end || table.u8(pos) != 0x02)
        return damaged;
    const std::uint32_t lcb = table.u32(pos + 1);
    pos += 5;
    if (lcb < 16 || !table.has(pos, lcb) || pos + lcb > end)
        return damaged;
    const std::size_t n = (lcb - 4) / 12;
    std::vector<Piece> pieces;
    pieces.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        Piece p;
        p.cpStart = table.u32(pos + 4 * i);
        p.cpEnd = table.u32(pos + 4 * (i + 1));
        const std::uint32_t fc = table.u32(pos + 4 * (n + 1) + 8 * i + 2);
        p.compressed = narrow || (fc & 0x40000000u) != 0;
        p.fc = narrow ? fc : p.compressed ? (fc & 0x3FFFFFFFu) / 2 : (fc & 0x3FFFFFFFu);
        if (p.cpEnd > p.cpStart)
            pieces.push_back(p);
    }
    return pieces;
}

// A range of byte offsets in the WordDocument stream.
struct FcRange {
    std::uint32_t fcStart;
    std::uint32_t fcEnd;
};

// Whether a property list switches on one of the toggles `sprms` (the last one given
// wins, as when Word applies them in order).
bool switchesOn(std::string_view grpprl, std::initializer_list<std::uint16_t> sprms)
{
    const Bytes b(grpprl);
    std::size_t pos = 0;
    bool on = false;
    while (b.has(pos, 2)) {
        const std::uint16_t sprm = b.u16(pos);
        pos += 2;
        std::size_t size = 0;
        switch (sprm >> 13) {
        case 0:
        case 1: size = 1; break;
        case 2:
        case 4:
        case 5: size = 2; break;
        case 3: size = 4; break;
        case 7: size = 3; break;
        default:
            // Variable: a length byte, then the data; a table definition has a two-byte
            // length that counts itself less one.
            size = sprm == kSprmTableDefinition ? std::size_t{b.u16(pos)} + 1 : 1 + std::size_t{b.u8(pos)};
            break;
        }
        if (!b.has(pos, size))
            break;
        if (std::find(sprms.begin(), sprms.end(), sprm) != sprms.end()) {
            const std::uint8_t v = b.u8(pos);
            on = v == 1 || v == 0x81;  // 0x81: the opposite of the style's value, which is off
        }
        pos += size;
    }
    return on;
}

// The properties of one formatted disk page: its runs' file ranges and property lists.
// `cpp` tells where a run's property list starts in the page and how long it is.
template <typename PropertiesOf>
void readPropertyPages(const Bytes& doc, const Bytes& table, std::pair<std::uint32_t, std::uint32_t> plc,
                       std::size_t entrySize, PropertiesOf&& propertiesOf, std::vector<FcRange>& out)
{
    const auto [fc, lcb] = plc;
    if (lcb < 12 || !table.has(fc, lcb))
        return;
    const std::size_t n = (lcb - 4) / 8;
    // Each page is read once: a table whose entries all name one page would otherwise
    // repeat its runs once per entry.
    std::unordered_set<std::uint32_t> pagesRead;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t pn = table.u32(fc + 4 * (n + 1) + 4 * i) & 0x3FFFFFu;
        const std::size_t page = std::size_t{pn} * 512;
        if (!doc.has(page, 512) || !pagesRead.insert(pn).second)
            continue;
        const std::size_t runs = doc.u8(page + 511);
        if (runs == 0 || 4 * (runs + 1) + entrySize * runs > 511)
            continue;
        for (std::size_t r = 0; r < runs; ++r) {
            const std::size_t offset = std::size_t{doc.u8(page + 4 * (runs + 1) + entrySize * r)} * 2;
            if (offset == 0 || offset >= 511)
                continue;
            if (propertiesOf(doc.slice(page, 512), offset))
                out.push_back({doc.u32(page + 4 * r), doc.u32(page + 4 * (r + 1))});
        }
    }
    std::sort(out.begin(), out.end(), [](const FcRange& a, const FcRange& b) { return a.fcStart < b.fcStart; });
}

// The file ranges whose character properties hide them: hidden text and deleted
// revisions.
std::vector<FcRange> readHiddenRuns(const Bytes& doc, const Bytes& table, std::pair<std::uint32_t, std::uint32_t> plc)
{
    std::vector<FcRange> runs;
    readPropertyPages(
        doc, table, plc, 1,
        [](std::string_view page, std::size_t offset) {
            const std::size_t cb = static_cast<std::uint8_t>(page[offset]);
            return offset + 1 + cb <= 511 &&
                   switchesOn(page.substr(offset + 1, cb), {kSprmDeleted, kSprmVanish, kSprmSpecVanish});
        },
        runs);
    return runs;
}

// The file ranges of paragraphs that end a table row (their mark is the row's end, not
// a cell's).
std::vector<FcRange> readRowEnds(const Bytes& doc, const Bytes& table, std::pair<std::uint32_t, std::uint32_t> plc)
{
    std::vector<FcRange> rows;
    readPropertyPages(
        doc, table, plc, 13,
        [](std::string_view page, std::size_t offset) {
            std::size_t cb = static_cast<std::uint8_t>(page[offset]);
            std::size_t start = offset + 1;
            std::size_t size = cb * 2 - 1;
            if (cb == 0) {
                if (offset + 1 >= 511)
                    return false;
                size = std::size_t{static_cast<std::uint8_t>(page[offset + 1])} * 2;
                start = offset + 2;
            }
            // A style number, then the property list.
            return size >= 2 && start + size <= 511 &&
                   switchesOn(page.substr(start + 2, size - 2), {kSprmRowEnd, kSprmInnerRowEnd});
        },
        rows);
    return rows;
}

// A paragraph's file range and the list it belongs to.
struct ListParagraph {
    FcRange range;
    DocParagraphList list;
};

// The paragraphs whose properties, or their style's (`styleLists` by style index), name
// a list, in file order.
std::vector<ListParagraph> readListParagraphs(const Bytes& doc, const Bytes& table,
                                              std::pair<std::uint32_t, std::uint32_t> plc,
                                              const std::vector<std::optional<DocParagraphList>>& styleLists)
{
    std::vector<ListParagraph> out;
    const auto [fc, lcb] = plc;
    if (lcb < 12 || !table.has(fc, lcb))
        return out;
    const std::size_t n = (lcb - 4) / 8;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t page = std::size_t{table.u32(fc + 4 * (n + 1) + 4 * i) & 0x3FFFFFu} * 512;
        if (!doc.has(page, 512))
            continue;
        const std::size_t runs = doc.u8(page + 511);
        if (runs == 0 || 4 * (runs + 1) + 13 * runs > 511)
            continue;
        for (std::size_t r = 0; r < runs; ++r) {
            const std::size_t offset = std::size_t{doc.u8(page + 4 * (runs + 1) + 13 * r)} * 2;
            if (offset == 0 || offset >= 511)
                continue;
            // The PAPX: a size in words (or 0 and then the size), a style, the properties.
            std::size_t start = page + offset + 1;
            std::size_t size = std::size_t{doc.u8(page + offset)} * 2;
            if (size == 0) {
                size = std::size_t{doc.u8(page + offset + 1)} * 2;
                ++start;
            } else {
                --size;
            }
            if (size < 2 || start + size > page + 511)
                continue;
            const std::size_t istd = doc.u16(start);
            const auto style = istd < styleLists.size() ? styleLists[istd] : std::nullopt;
            if (const auto list = docParagraphList(doc.slice(start + 2, size - 2), style))
                out.push_back({{doc.u32(page + 4 * r), doc.u32(page + 4 * (r + 1))}, *list});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const ListParagraph& a, const ListParagraph& b) { return a.range.fcStart < b.range.fcStart; });
    return out;
}

bool inRanges(const std::vector<FcRange>& ranges, std::uint32_t fc)
{
    auto it = std::upper_bound(ranges.begin(), ranges.end(), fc,
                               [](std::uint32_t v, const FcRange& r) { return v < r.fcStart; });
    return it != ranges.begin() && fc < std::prev(it)->fcEnd;
}

// The character positions of note references in the main text, from a PLC of
// references (positions followed by two-byte data).
std::vector<std::uint32_t> readReferencePositions(const Bytes& table, std::pair<std::uint32_t, std::uint32_t> plc)
{
    std::vector<std::uint32_t> cps;
    const auto [fc, lcb] = plc;
    if (lcb < 10 || !table.has(fc, lcb))
        return cps;
    const std::size_t n = (lcb - 4) / 6;
    for (std::size_t i = 0; i < n; ++i)
        cps.push_back(table.u32(fc + 4 * i));
    std::sort(cps.begin(), cps.end());
    return cps;
}

// The end of a table cell as Word writes it, and the code this reader gives a row's end.
constexpr char16_t kCellMark = 0x07;
constexpr char16_t kRowMark = 0x1D;

class WordReader {
public:
    WordReader(const Bytes& doc, std::vector<Piece> pieces, std::vector<FcRange> hidden, std::vector<FcRange> rowEnds)
        : m_doc(doc), m_pieces(std::move(pieces)), m_hidden(std::move(hidden)), m_rowEnds(std::move(rowEnds)),
          m_budget(doc.size())
    {
    }

    // The encoding of pieces stored one byte a position: windows-1252 in Word 97 and later,
    // the code page of the document's language in Word 6 and 95.
    void setNarrowEncoding(std::string encoding) { m_narrowEncoding = std::move(encoding); }

    // The list tables and the paragraphs that belong to lists, for their numbers.
    void setLists(DocListTable lists, std::vector<ListParagraph> paragraphs)
    {
        m_lists = std::move(lists);
        m_listParagraphs = std::move(paragraphs);
    }

    // Numbers the notes in the order the main text refers to them.
    void numberNotes(const std::vector<std::uint32_t>& footnoteRefs, const std::vector<std::uint32_t>& endnoteRefs)
    {
        std::vector<std::pair<std::uint32_t, int>> all;  // position, +k footnote / -k endnote
        for (std::size_t i = 0; i < footnoteRefs.size(); ++i)
            all.emplace_back(footnoteRefs[i], static_cast<int>(i + 1));
        for (std::size_t i = 0; i < endnoteRefs.size(); ++i)
            all.emplace_back(endnoteRefs[i], -static_cast<int>(i + 1));
        std::sort(all.begin(), all.end());
        m_footnoteNumbers.assign(footnoteRefs.size(), 0);
        m_endnoteNumbers.assign(endnoteRefs.size(), 0);
        int number = 0;
        for (const auto& [cp, which] : all) {
            m_bodyNumbers[cp] = ++number;
            if (which > 0)
                m_footnoteNumbers[static_cast<std::size_t>(which - 1)] = number;
            else
                m_endnoteNumbers[static_cast<std::size_t>(-which - 1)] = number;
        }
    }

    enum class Part { Body, Footnotes, Endnotes };

    // Reads the characters [from, to) of one part into `out`.
    void read(std::uint32_t from, std::uint32_t to, Part part, DocBlockText& out)
    {
        m_part = part;
        m_noteIndex = 0;
        m_fields.clear();
        m_chars.clear();
        m_marks.clear();
        m_paragraphLists.clear();
        m_paragraphStart = 0;
        m_lastWasCellMark = false;
        for (const Piece& p : m_pieces) {
            const std::uint32_t start = std::max(from, p.cpStart);
            const std::uint32_t end = std::min(to, p.cpEnd);
            if (start < end)
                readPiece(p, start, end);
        }
        emit(out);
    }

private:
    void readPiece(const Piece& p, std::uint32_t start, std::uint32_t end)
    {
        const std::uint64_t count = std::min<std::uint64_t>(end - start, m_budget);
        const std::uint64_t unit = p.compressed ? 1 : 2;
        const std::uint64_t offset = std::uint64_t{p.fc} + (start - p.cpStart) * unit;
        if (offset >= m_doc.size())
            return;
        const std::uint64_t available = std::min<std::uint64_t>(count, (m_doc.size() - offset) / unit);
        m_budget -= available;
        const std::string_view bytes = m_doc.slice(static_cast<std::size_t>(offset), static_cast<std::size_t>(available * unit));
        if (p.compressed) {
            // A double-byte code page gives fewer characters than positions; the
            // positions then only matter for piece and part boundaries, which Word 6
            // and 95 keep between characters.
            const Text text = decodeWith(m_narrowEncoding, bytes).value_or(Text());
            for (std::size_t i = 0; i < text.size() && i < available; ++i)
                collect(text[i], static_cast<std::uint32_t>(offset + i), start + static_cast<std::uint32_t>(i));
        } else {
            for (std::size_t i = 0; i < available; ++i) {
                const char16_t c = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                                         (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
                collect(c, static_cast<std::uint32_t>(offset + 2 * i), start + static_cast<std::uint32_t>(i));
            }
        }
    }

    // Keeps the characters that show: not hidden, not deleted, not in a field's code.
    void collect(char16_t c, std::uint32_t fc, std::uint32_t cp)
    {
        // Field marks keep the field nesting even where they are hidden.
        if (c == 0x13) {
            m_fields.begin();
            return;
        }
        if (c == 0x14) {
            m_fields.separate();
            return;
        }
        if (c == 0x15) {
            m_fields.end();
            return;
        }
        if (!m_fields.shown() || inRanges(m_hidden, fc))
            return;
        if (c == 0x02)
            m_marks.push_back(noteNumber(cp));
        if (c == kRowMark)
            return;  // not a character Word writes; the mark of a row end stands for it
        // A cell mark whose paragraph ends a row is the row's end. Without paragraph
        // properties, a row's end is the mark right after its last cell's mark.
        if (c == kCellMark && (m_rowEnds.empty() ? m_lastWasCellMark : inRanges(m_rowEnds, fc))) {
            m_chars += kRowMark;
            m_lastWasCellMark = false;
            return;
        }
        m_lastWasCellMark = c == kCellMark;
        m_chars += c;
        if (c == 0x0D || c == kCellMark) {
            if (const DocParagraphList* list = paragraphList(fc))
                m_paragraphLists.emplace_back(m_paragraphStart, *list);
            m_paragraphStart = m_chars.size();
        }
    }

    // The list of the paragraph whose mark is at `fc`, if it has one.
    const DocParagraphList* paragraphList(std::uint32_t fc) const
    {
        auto it = std::upper_bound(m_listParagraphs.begin(), m_listParagraphs.end(), fc,
                                   [](std::uint32_t v, const ListParagraph& p) { return v < p.range.fcStart; });
        if (it == m_listParagraphs.begin() || fc >= std::prev(it)->range.fcEnd)
            return nullptr;
        return &std::prev(it)->list;
    }

    // Whether the paragraph that starts at `i` lies outside a table: it ends with a
    // paragraph mark, not a cell mark.
    bool paragraphOutsideTable(std::size_t i) const
    {
        for (; i < m_chars.size(); ++i) {
            if (m_chars[i] == 0x0D)
                return true;
            if (m_chars[i] == kCellMark || m_chars[i] == kRowMark)
                return false;
        }
        return i > 0;
    }

    void emit(DocBlockText& out)
    {
        Text run;
        const auto flush = [&] {
            if (!run.empty()) {
                out.text(run);
                run.clear();
            }
        };
        std::size_t mark = 0;
        bool paragraphStart = true;
        bool inRow = false;
        std::size_t nextList = 0;    // the next entry of m_paragraphLists
        bool listParagraph = false;  // the current paragraph is a list item
        for (std::size_t i = 0; i < m_chars.size(); ++i) {
            const char16_t c = m_chars[i];
            if (paragraphStart && !inRow && !paragraphOutsideTable(i)) {
                out.startRow();
                inRow = true;
            }
            if (paragraphStart) {
                // A numbered list item is a block of its own, its number or bullet first;
                // a list level that shows nothing leaves the paragraph as it is.
                const bool afterListItem = listParagraph;
                listParagraph = false;
                if (nextList < m_paragraphLists.size() && m_paragraphLists[nextList].first == i) {
                    const Text label = m_lists.label(m_paragraphLists[nextList++].second);
                    listParagraph = !label.empty();
                    out.text(label);
                }
                // A paragraph after a list is set off from it as from any paragraph.
                if (afterListItem && !listParagraph && !inRow)
                    out.endBlock(2);
            }
            paragraphStart = c == 0x0D || c == kCellMark || c == kRowMark;
            if (c == kRowMark)
                inRow = false;
            if (c >= 0x20 || c == 0x09) {
                run += c;
                continue;
            }
            flush();
            switch (c) {
            case 0x0D: out.endBlock(listParagraph ? 1 : 2); break;
            case 0x0B: out.lineBreak(); break;
            case 0x0C:
            case 0x0E: out.endBlock(2); break;
            case kCellMark: out.endCell(); break;
            case kRowMark:
                out.endRow();
                if (paragraphOutsideTable(i + 1))
                    out.endBlock(2);
                break;
            case 0x1E: out.text(u'-'); break;
            case 0x02:
                if (mark < m_marks.size() && m_marks[mark] > 0)
                    out.text(fromUtf8("[" + std::to_string(m_marks[mark]) + "]"));
                ++mark;
                break;
            default: break;  // pictures, drawn objects, comment marks, optional hyphens
            }
        }
        flush();
        m_chars.clear();
    }

    int noteNumber(std::uint32_t cp)
    {
        if (m_part == Part::Body) {
            const auto it = m_bodyNumbers.find(cp);
            return it != m_bodyNumbers.end() ? it->second : 0;
        }
        const auto& numbers = m_part == Part::Footnotes ? m_footnoteNumbers : m_endnoteNumbers;
        const int number = m_noteIndex < numbers.size() ? numbers[m_noteIndex] : 0;
        ++m_noteIndex;
        return number;
    }

    const Bytes& m_doc;
    std::string m_narrowEncoding = "windows-1252";
    std::vector<Piece> m_pieces;
    std::vector<FcRange> m_hidden;
    std::vector<FcRange> m_rowEnds;
    bool m_lastWasCellMark = false;
    std::uint64_t m_budget;  // characters still allowed: no more than the stream has bytes
    Text m_chars;             // the shown characters of the part being read
    std::vector<int> m_marks;  // the number of each note mark in m_chars
    DocListTable m_lists;
    std::vector<ListParagraph> m_listParagraphs;
    // The index in m_chars where each list paragraph starts, with its list.
    std::vector<std::pair<std::size_t, DocParagraphList>> m_paragraphLists;
    std::size_t m_paragraphStart = 0;
    Part m_part = Part::Body;
    FieldNesting m_fields;
    std::map<std::uint32_t, int> m_bodyNumbers;
    std::vector<int> m_footnoteNumbers;
    std::vector<int> m_endnoteNumbers;
    std::size_t m_noteIndex = 0;
};

bool isWord6(const Bytes& doc)
{
    const std::uint16_t ident = doc.u16(0);
    const std::uint16_t nFib = doc.u16(2);
    return (ident == kWord6Ident || ident == kWord6IdentAlternate) && nFib >= kWord6FirstFib &&
           nFib <= kWord6LastFib && doc.size() > kWord6FcClx + 8;
}

// The code page of a Word 6 or 95 document's text. The language the file names is the
// language of the Word that saved it, and an English Word wrote Russian or Czech text in
// the code page of its fonts, so a Western language only stands when the text's own
// bytes do not read plainly as another code page.
std::string word6Encoding(const Bytes& doc, const std::vector<Piece>& pieces)
{
    std::string byLanguage = encodingForLanguageId(doc.u16(kWord6Lid));
    if (byLanguage != "windows-1252")
        return byLanguage;
    constexpr std::size_t kSample = 64 * 1024;
    std::string sample;
    for (const Piece& p : pieces) {
        if (sample.size() >= kSample || p.fc >= doc.size())
            break;
        sample.append(doc.slice(p.fc, std::min<std::size_t>(p.cpEnd - p.cpStart, kSample - sample.size())));
    }
    if (std::none_of(sample.begin(), sample.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return byLanguage;
    const DocumentEncoding detected = detectEncoding(sample);
    return detected.source == DocumentEncoding::Source::Detector ? detected.name : byLanguage;
}

// The text of a document whose sub-documents follow each other in one run of character
// positions: the main text, then its footnotes, then (after headers and comments) its
// endnotes, the notes after the body.
Text readParts(WordReader& reader, std::uint64_t text, std::uint64_t footnotes, std::uint64_t endnotesStart,
               std::uint64_t endnotesEnd)
{
    const auto cp = [](std::uint64_t v) { return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX)); };
    DocBlockText body;
    reader.read(0, cp(text), WordReader::Part::Body, body);
    DocBlockText notes;
    reader.read(cp(text), cp(footnotes), WordReader::Part::Footnotes, notes);
    notes.endBlock(2);
    reader.read(cp(endnotesStart), cp(endnotesEnd), WordReader::Part::Endnotes, notes);
    return body.takeWithNotes(notes);
}

// The text of a Word 6 or Word 95 document: the main text, then footnotes and endnotes
// (unnumbered: their references are in tables this reader does not take), with tables,
// fields' shown results and line breaks as in later versions. Hidden text and list
// numbers are kept in property formats of their own and are not read.
Result<Text> word6Text(const Bytes& doc)
{
    if (doc.u16(kFibFlags) & kFlagEncrypted)
        return Error{ErrorCode::BadInput, "这个 Word 文档已加密，无法读取；请先在字处理程序中去掉密码", {}};
    std::uint64_t ccp[6];
    for (std::size_t i = 0; i < 6; ++i)
        ccp[i] = doc.u32(kWord6CcpText + 4 * i);
    std::vector<Piece> pieces;
    if (doc.u16(kFibFlags) & kWord6FlagComplex) {
        Result<std::vector<Piece>> complex = readPieces(doc, doc.u32(kWord6FcClx), doc.u32(kWord6FcClx + 4), true);
        if (!complex)
            return complex.error();
        pieces = std::move(*complex);
    } else {
        const std::uint32_t fcMin = doc.u32(kWord6FcMin);
        const std::uint32_t fcMac = doc.u32(kWord6FcMac);
        if (fcMac < fcMin || fcMac > doc.size())
            return Error{ErrorCode::BadInput, "Word 文档的文件信息块已损坏（正文的位置不对）", {}};
        pieces.push_back({0, fcMac - fcMin, fcMin, true});
    }
    const std::string encoding = word6Encoding(doc, pieces);
    WordReader reader(doc, std::move(pieces), {}, {});
    reader.setNarrowEncoding(encoding);
    const std::uint64_t text = ccp[0];
    const std::uint64_t footnotes = text + ccp[1];
    const std::uint64_t endnotesStart = footnotes + ccp[2] + ccp[3] + ccp[4];
    return readParts(reader, text, footnotes, endnotesStart, endnotesStart + ccp[5]);
}

}  // namespace

bool isWordDocument(const OleCompoundFile& file)
{
    return file.hasStream("WordDocument");
}

// The WordDocument stream's file information block leads to the piece table in the table
// stream and to the character runs that mark hidden and deleted text. The main text
// comes first, then the footnotes and endnotes, each marked "[n]" in the body and before
// its text. Paragraphs, line breaks, tabs, table cells and rows and the shown result of
// fields are kept, list paragraphs with their numbers or bullets from the list tables;
// field codes, pictures, headers, footers, comments, hidden text and
// deleted revisions are left out.
Result<Text> docText(const OleCompoundFile& file)
{
    Result<std::string> docStream = file.readStream("WordDocument", kMaxStreamSize);
    if (!docStream)
        return docStream.error();
    const Bytes doc(*docStream);
    if (isWord6(doc))
        return word6Text(doc);
    Result<Fib> fib = readFib(doc);
    if (!fib)
        return fib.error();
    Result<std::string> tableStream =
        file.readStream(fib->flags & kFlagTable1 ? "1Table" : "0Table", kMaxStreamSize);
    if (!tableStream)
        return tableStream.error();
    const Bytes table(*tableStream);
    Result<std::vector<Piece>> pieces = readPieces(table, fib->at(Clx).first, fib->at(Clx).second);
    if (!pieces)
        return pieces.error();

    WordReader reader(doc, std::move(*pieces), readHiddenRuns(doc, table, fib->at(PlcfBteChpx)),
                      readRowEnds(doc, table, fib->at(PlcfBtePapx)));
    reader.setLists(DocListTable(*tableStream, fib->at(PlfLst), fib->at(PlfLfo),
                                 docFontNames(*tableStream, fib->at(SttbfFfn))),
                    readListParagraphs(doc, table, fib->at(PlcfBtePapx),
                                       docStyleLists(*tableStream, fib->at(Stshf))));
    reader.numberNotes(readReferencePositions(table, fib->at(PlcffndRef)),
                       readReferencePositions(table, fib->at(PlcfendRef)));

    // Sub-documents follow each other in one run of character positions: main text,
    // footnotes, headers, comments, endnotes.
    const std::uint64_t text = fib->ccp(CcpText);
    const std::uint64_t footnotes = text + fib->ccp(CcpFtn);
    const std::uint64_t endnotesStart = footnotes + fib->ccp(CcpHdd) + fib->ccp(CcpAtn);
    return readParts(reader, text, footnotes, endnotesStart, endnotesStart + fib->ccp(CcpEdn));
}

Result<Text> readDoc(DocumentProbe& document, ReadProblems&)
{
    const Result<OleCompoundFile*> file = document.compoundFile();
    if (!file)
        return file.error();
    if (!isWordDocument(**file))
        return Error{ErrorCode::BinaryInput,
                     "复合文档中没有 Word 正文（可能是 Excel 或 PowerPoint 文件，或者文件已损坏），无法读取", {}};
    return docText(**file);
}

namespace {

// A compound file named .doc goes to this reader even when damaged, so that the error
// says what is wrong with it; any other compound file only when it holds a Word
// document.
bool isDocFile(DocumentProbe& p)
{
    if (!looksLikeOle(p.bytes()))
        return false;
    if (p.extension() == ".doc")
        return !opensWithMarkup(p.bytes());
    const Result<OleCompoundFile*> file = p.compoundFile();
    return file && isWordDocument(**file);
}

}  // namespace

const DocumentReader& docReader()
{
    static const DocumentReader row{"DOC", isDocFile, ".doc", readDoc, nullptr, true};
    return row;
}

}  // namespace sorvane
