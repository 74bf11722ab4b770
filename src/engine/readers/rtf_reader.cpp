#include "engine/readers/rtf_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "io/codepage.h"
#include "engine/readers/doc_block_text.h"

namespace sorvane {

// Debian packages no library that reads RTF into text (only converters built as whole
// programs), so this is our own small reader: a tokenizer over groups, control words and
// text, driven by one table of the control words that matter for the visible text.

namespace {

// Where the text of a group goes.
enum class Dest : std::uint8_t { Body, Note, FontTable, Skip };

// What a control word does.
enum class Act : std::uint8_t {
    SkipDest,      // a destination whose content is never shown
    FontTable,     // \fonttbl: read font numbers and their code pages
    Footnote,      // \footnote: text that follows the body
    UnicodeAlt,    // \upr: an ANSI text with a Unicode twin in its \ud group
    UnicodeTwin,   // \ud
    Char,          // inserts one character
    Paragraph,     // \par
    Section,       // \sect, \page
    Line,          // \line
    Tab,           // \tab
    Cell,          // \cell, \nestcell
    Row,           // \row, \nestrow
    RowStart,      // \trowd
    Font,          // \fN
    FontCharset,   // \fcharsetN, in the font table
    FontCodePage,  // \cpgN, in the font table
    DefaultFont,   // \deffN
    AnsiCodePage,  // \ansicpgN
    AnsiCharset,   // \ansi
    MacCharset,    // \mac
    PcCharset,     // \pc
    PcaCharset,    // \pca
    Unicode,       // \uN
    UnicodeSkip,   // \ucN
    Binary,        // \binN
    Hidden,        // \v
    Deleted,       // \deleted
    InTable,       // \intbl
    ParagraphReset,  // \pard
    CharacterReset,  // \plain
    NoteMark,      // \chftn
};

struct Word {
    Act act;
    char16_t ch = 0;
};

const std::unordered_map<std::string_view, Word>& words()
{
    static const std::unordered_map<std::string_view, Word> table = {
        // Destinations left out: tables of the document's resources, its information,
        // pictures and object data, page furniture, comments and field codes.
        {"fonttbl", {Act::FontTable}},
        {"colortbl", {Act::SkipDest}},       {"stylesheet", {Act::SkipDest}},
        {"info", {Act::SkipDest}},           {"pict", {Act::SkipDest}},
        {"objdata", {Act::SkipDest}},        {"objclass", {Act::SkipDest}},
        {"objname", {Act::SkipDest}},        {"nonshppict", {Act::SkipDest}},
        {"header", {Act::SkipDest}},         {"headerl", {Act::SkipDest}},
        {"headerr", {Act::SkipDest}},        {"headerf", {Act::SkipDest}},
        {"footer", {Act::SkipDest}},         {"footerl", {Act::SkipDest}},
        {"footerr", {Act::SkipDest}},        {"footerf", {Act::SkipDest}},
        {"annotation", {Act::SkipDest}},     {"atnid", {Act::SkipDest}},
        {"atnauthor", {Act::SkipDest}},      {"fldinst", {Act::SkipDest}},
        {"listtable", {Act::SkipDest}},      {"listoverridetable", {Act::SkipDest}},
        {"revtbl", {Act::SkipDest}},         {"rsidtbl", {Act::SkipDest}},
        {"filetbl", {Act::SkipDest}},        {"pn", {Act::SkipDest}},
        {"xe", {Act::SkipDest}},             {"tc", {Act::SkipDest}},
        {"tcn", {Act::SkipDest}},            {"template", {Act::SkipDest}},
        {"ftnsep", {Act::SkipDest}},         {"ftnsepc", {Act::SkipDest}},
        {"ftncn", {Act::SkipDest}},          {"aftnsep", {Act::SkipDest}},
        {"aftnsepc", {Act::SkipDest}},       {"aftncn", {Act::SkipDest}},
        {"nonesttables", {Act::SkipDest}},   {"nesttableprops", {Act::SkipDest}},
        {"bkmkstart", {Act::SkipDest}},      {"bkmkend", {Act::SkipDest}},
        {"footnote", {Act::Footnote}},
        {"upr", {Act::UnicodeAlt}},          {"ud", {Act::UnicodeTwin}},
        // Breaks and characters.
        {"par", {Act::Paragraph}},           {"sect", {Act::Section}},
        {"page", {Act::Section}},            {"line", {Act::Line}},
        {"tab", {Act::Tab}},                 {"cell", {Act::Cell}},
        {"nestcell", {Act::Cell}},           {"row", {Act::Row}},
        {"nestrow", {Act::Row}},             {"trowd", {Act::RowStart}},
        {"emdash", {Act::Char, u'\u2014'}},  {"endash", {Act::Char, u'\u2013'}},
        {"bullet", {Act::Char, u'\u2022'}},  {"lquote", {Act::Char, u'\u2018'}},
        {"rquote", {Act::Char, u'\u2019'}},  {"ldblquote", {Act::Char, u'\u201C'}},
        {"rdblquote", {Act::Char, u'\u201D'}}, {"emspace", {Act::Char, u'\u2003'}},
        {"enspace", {Act::Char, u'\u2002'}}, {"qmspace", {Act::Char, u'\u2005'}},
        {"zwj", {Act::Char, u'\u200D'}},     {"zwnj", {Act::Char, u'\u200C'}},
        {"chftn", {Act::NoteMark}},
        // Fonts and code pages.
        {"f", {Act::Font}},                  {"fcharset", {Act::FontCharset}},
        {"cpg", {Act::FontCodePage}},        {"deff", {Act::DefaultFont}},
        {"ansicpg", {Act::AnsiCodePage}},    {"ansi", {Act::AnsiCharset}},
        {"mac", {Act::MacCharset}},          {"pc", {Act::PcCharset}},
        {"pca", {Act::PcaCharset}},
        // Unicode, binary data, character and paragraph state.
        {"u", {Act::Unicode}},               {"uc", {Act::UnicodeSkip}},
        {"bin", {Act::Binary}},              {"v", {Act::Hidden}},
        {"deleted", {Act::Deleted}},         {"intbl", {Act::InTable}},
        {"pard", {Act::ParagraphReset}},     {"plain", {Act::CharacterReset}},
    };
    return table;
}

// The code page (as a Windows code page number) of a font's \fcharset; 0 for the
// document's own code page.
int charsetCodePage(long long charset)
{
    switch (charset) {
    case 2: return 1252;  // symbol fonts: their glyphs sit on Latin-1 positions
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;  // 0 ANSI, 1 default and anything unknown
    }
}

struct Group {
    Dest dest = Dest::Body;
    Dest uprResume = Dest::Skip;  // where a \ud group inside \upr sends its text
    bool inUpr = false;
    bool hidden = false;
    bool deleted = false;
    bool inTable = false;
    int font = -1;  // -1: the default font
    long long uc = 1;
};

// Body paragraphs, then the footnotes. Font tables, colour and style tables, document
// information, pictures, embedded object data, headers, footers, comments, field codes,
// hidden and deleted text and every "\*" destination this reader does not know are left
// out. Bytes written as \'hh or as 8-bit text are decoded in the code page of the
// current font (its \fcharset or \cpg), else of the document (\ansicpg). Groups nested
// deeper than kMaxRtfDepth are read as if they were not nested further, so a hostile
// file costs time and memory linear in its size.
class RtfReader {
public:
    explicit RtfReader(std::string_view in) : m_in(in) { m_stack.emplace_back(); }

    Text run()
    {
        const std::size_t n = m_in.size();
        while (m_pos < n) {
            const char c = m_in[m_pos];
            if (c == '{') {
                ++m_pos;
                openGroup();
            } else if (c == '}') {
                ++m_pos;
                if (closeGroup())
                    break;
            } else if (c == '\\') {
                controlWord();
            } else {
                ++m_pos;
                if (c == '\r' || c == '\n' || skipOne())
                    continue;
                if (c == '\t')
                    tab();
                else
                    byte(static_cast<unsigned char>(c));
            }
        }
        flushBytes();
        Text notes = m_notes.take();
        if (!notes.empty()) {
            m_body.endBlock(2);
            m_body.text(notes);
        }
        return m_body.take();
    }

private:
    Group& top() { return m_stack.back(); }

    bool visible()
    {
        const Group& g = top();
        return (g.dest == Dest::Body || g.dest == Dest::Note) && !g.hidden && !g.deleted;
    }

    DocBlockText& out(Dest dest) { return dest == Dest::Note ? m_notes : m_body; }

    // Text is about to go to the current destination: a paragraph that starts here is a
    // block of its own, set off by a blank line unless it sits in a table.
    DocBlockText& startText()
    {
        const Dest dest = top().dest;
        bool& open = dest == Dest::Note ? m_noteParagraphOpen : m_bodyParagraphOpen;
        if (!open) {
            out(dest).endBlock(top().inTable ? 1 : 2);
            open = true;
        }
        return out(dest);
    }

    // The paragraph, cell or row of the current destination has ended.
    void endParagraph() { (top().dest == Dest::Note ? m_noteParagraphOpen : m_bodyParagraphOpen) = false; }

    void openGroup()
    {
        m_skip = 0;
        if (static_cast<int>(m_stack.size()) > kMaxRtfDepth)
            ++m_flattened;
        else
            m_stack.push_back(m_stack.back());
    }

    // Returns true when the outermost group has closed: the document ends there.
    bool closeGroup()
    {
        m_skip = 0;
        if (m_flattened > 0) {
            --m_flattened;
            return false;
        }
        if (m_stack.size() > 1)
            m_stack.pop_back();
        return m_stack.size() == 1;
    }

    // Consumes one character of the text that stands in for the last \uN.
    bool skipOne()
    {
        if (m_skip <= 0)
            return false;
        --m_skip;
        return true;
    }

    void controlWord()
    {
        const std::size_t n = m_in.size();
        ++m_pos;  // the backslash
        if (m_pos >= n)
            return;
        const char c = m_in[m_pos];
        if (!isLetter(c)) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const std::size_t start = m_pos;
        while (m_pos < n && isLetter(m_in[m_pos]))
            ++m_pos;
        const std::string_view name = m_in.substr(start, m_pos - start);
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (m_pos < n && m_in[m_pos] == '-' && m_pos + 1 < n && isDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < n && isDigit(m_in[m_pos])) {
            hasParam = true;
            // Saturates instead of overflowing: a huge count reads as "everything".
            param = std::min<long long>(param * 10 + (m_in[m_pos] - '0'), INT_MAX);
            ++m_pos;
        }
        if (negative)
            param = -param;
        if (m_pos < n && m_in[m_pos] == ' ')
            ++m_pos;

        const auto& table = words();
        const auto it = table.find(name);
        if (it == table.end()) {
            skipOne();
            return;
        }
        const Word word = it->second;
        if (word.act == Act::Binary) {
            // Binary data is never text; its length is clamped to what is left.
            const long long len = hasParam ? std::max<long long>(param, 0) : 0;
            m_pos += static_cast<std::size_t>(std::min<long long>(len, static_cast<long long>(n - m_pos)));
            return;
        }
        if (skipOne())
            return;
        apply(word, hasParam, param);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\'': {
            int value = -1;
            if (m_pos + 1 >= m_in.size()) {
                m_pos = m_in.size();  // cut off inside the escape
                return;
            }
            {
                const int hi = hexValue(m_in[m_pos]);
                const int lo = hexValue(m_in[m_pos + 1]);
                if (hi >= 0 && lo >= 0) {
                    value = hi * 16 + lo;
                    m_pos += 2;
                }
            }
            if (value < 0 || skipOne())
                return;
            byte(static_cast<unsigned char>(value));
            return;
        }
        case '*':
            // An optional destination: left out unless this reader knows it (\ud).
            top().dest = Dest::Skip;
            return;
        case '~':
            if (!skipOne())
                character(u'\u00A0');
            return;
        case '_':
            if (!skipOne())
                character(u'-');
            return;
        case '\\':
        case '{':
        case '}':
            if (!skipOne())
                byte(static_cast<unsigned char>(c));
            return;
        case '\r':
        case '\n':
            if (!skipOne())
                apply(Word{Act::Paragraph}, false, 0);
            return;
        case '\t':
            if (!skipOne())
                tab();
            return;
        default:  // \- optional hyphen, \| and \: formula marks: nothing to show
            skipOne();
            return;
        }
    }

    void apply(const Word& word, bool hasParam, long long param)
    {
        Group& g = top();
        switch (word.act) {
        case Act::SkipDest: g.dest = Dest::Skip; break;
        case Act::FontTable: g.dest = Dest::FontTable; break;
        case Act::Footnote:
            if (g.dest == Dest::Body || g.dest == Dest::Note) {
                g.dest = Dest::Note;
                flushBytes();
                m_notes.endBlock(2);
                m_noteParagraphOpen = false;
            } else {
                g.dest = Dest::Skip;
            }
            break;
        case Act::UnicodeAlt:
            g.uprResume = g.dest;
            g.inUpr = true;
            g.dest = Dest::Skip;
            break;
        case Act::UnicodeTwin:
            if (g.inUpr)
                g.dest = g.uprResume;
            break;
        case Act::Char: character(word.ch); break;
        case Act::Paragraph:
            if (visible()) {
                flushBytes();
                out(g.dest).endBlock(g.inTable ? 1 : 2);
                endParagraph();
            }
            break;
        case Act::Section:
            if (visible()) {
                flushBytes();
                out(g.dest).endBlock(2);
                endParagraph();
            }
            break;
        case Act::Line:
            if (visible()) {
                flushBytes();
                startText().lineBreak();
            }
            break;
        case Act::Tab: tab(); break;
        case Act::Cell:
        case Act::Row:
            // Table structure stands even when the cell's text is hidden.
            if (g.dest == Dest::Body || g.dest == Dest::Note) {
                flushBytes();
                if (word.act == Act::Cell) {
                    out(g.dest).endCell();
                } else {
                    out(g.dest).endRow();
                    m_rowOpen = false;
                }
                endParagraph();
            }
            break;
        case Act::RowStart:
            // Some writers repeat the row's definition before its end: only the first
            // one starts the row.
            if ((g.dest == Dest::Body || g.dest == Dest::Note) && !m_rowOpen) {
                flushBytes();
                out(g.dest).startRow();
                m_rowOpen = true;
            }
            break;
        case Act::Font:
            if (g.dest == Dest::FontTable)
                m_fontBeingDefined = static_cast<int>(param);
            else
                g.font = static_cast<int>(param);
            break;
        case Act::FontCharset:
            if (g.dest == Dest::FontTable && m_fontBeingDefined >= 0)
                m_fontCodePage[m_fontBeingDefined] = charsetCodePage(param);
            break;
        case Act::FontCodePage:
            if (g.dest == Dest::FontTable && m_fontBeingDefined >= 0 && param > 0)
                m_fontCodePage[m_fontBeingDefined] = static_cast<int>(param);
            break;
        case Act::DefaultFont: m_defaultFont = static_cast<int>(param); break;
        case Act::AnsiCodePage:
            if (param > 0)
                m_documentCodePage = static_cast<int>(param);
            break;
        case Act::AnsiCharset: m_documentCodePage = 1252; break;
        case Act::MacCharset: m_documentCodePage = 10000; break;
        case Act::PcCharset: m_documentCodePage = 437; break;
        case Act::PcaCharset: m_documentCodePage = 850; break;
        case Act::Unicode: {
            const long long v = param < 0 ? param + 65536 : param;
            if (v >= 0 && v <= 0xFFFF)
                character(static_cast<char16_t>(v));
            m_skip = g.uc;
            break;
        }
        case Act::UnicodeSkip: g.uc = hasParam ? std::max<long long>(param, 0) : 1; break;
        case Act::Binary: break;  // handled before
        case Act::Hidden: g.hidden = !hasParam || param != 0; break;
        case Act::Deleted: g.deleted = !hasParam || param != 0; break;
        case Act::InTable: g.inTable = true; break;
        case Act::ParagraphReset: g.inTable = false; break;
        case Act::CharacterReset:
            g.hidden = false;
            g.deleted = false;
            g.font = -1;
            break;
        case Act::NoteMark:
            if (g.dest == Dest::Body && visible())
                ++m_noteCount;
            if (visible() && m_noteCount > 0) {
                const std::string mark = "[" + std::to_string(m_noteCount) + "]";
                for (const char ch : mark)
                    character(static_cast<char16_t>(ch));
            }
            break;
        }
    }

    // The code page that 8-bit text in the current group is written in.
    int currentCodePage()
    {
        const int font = top().font >= 0 ? top().font : m_defaultFont;
        const auto it = m_fontCodePage.find(font);
        if (it != m_fontCodePage.end() && it->second > 0)
            return it->second;
        return m_documentCodePage;
    }

    // One byte of text, kept until the run ends so that a double-byte character split
    // over two \'hh escapes decodes as one.
    void byte(unsigned char b)
    {
        if (!visible())
            return;
        const int codePage = currentCodePage();
        if (!m_bytes.empty() && (codePage != m_bytesCodePage || top().dest != m_bytesDest))
            flushBytes();
        if (m_bytes.empty())
            startText();
        m_bytesCodePage = codePage;
        m_bytesDest = top().dest;
        m_bytes.push_back(static_cast<char>(b));
    }

    void character(char16_t ch)
    {
        if (!visible())
            return;
        flushBytes();
        startText().text(ch);
    }

    void tab()
    {
        if (!visible())
            return;
        flushBytes();
        startText().tab();
    }

    void flushBytes()
    {
        if (m_bytes.empty())
            return;
        out(m_bytesDest).text(decode(m_bytesCodePage, m_bytes));
        m_bytes.clear();
    }

    // Decodes through ICU's converter for the Windows code page; a code page ICU does
    // not know reads as windows-1252, so the ASCII text still comes through.
    Text decode(int codePage, std::string_view bytes)
    {
        if (codePage == 936)
            return decodeCp936(bytes);
        std::string& name = m_converterNames[codePage];
        if (name.empty()) {
            name = "windows-1252";
            const std::string number = std::to_string(codePage);
            const std::string candidates[] = {codePage == 10000 ? "macintosh" : "windows-" + number,
                                              "ibm-" + number, "cp" + number};
            for (const std::string& candidate : candidates)
                if (hasConverter(candidate)) {
                    name = candidate;
                    break;
                }
        }
        if (auto text = decodeWith(name, bytes))
            return std::move(*text);
        return decodeWith("windows-1252", bytes).value_or(Text());
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    std::string_view m_in;
    std::size_t m_pos = 0;
    std::vector<Group> m_stack;
    int m_flattened = 0;  // groups opened past the depth limit and not yet closed
    long long m_skip = 0; // characters still to skip after a \uN

    std::unordered_map<int, int> m_fontCodePage;  // font number -> code page (0: document's)
    std::unordered_map<int, std::string> m_converterNames;
    int m_fontBeingDefined = -1;
    int m_defaultFont = -1;
    int m_documentCodePage = 1252;

    std::string m_bytes;  // 8-bit text not yet decoded
    int m_bytesCodePage = 1252;
    Dest m_bytesDest = Dest::Body;

    DocBlockText m_body;
    DocBlockText m_notes;
    int m_noteCount = 0;
    bool m_bodyParagraphOpen = false;
    bool m_rowOpen = false;  // a \trowd has started a row that has not ended
    bool m_noteParagraphOpen = false;
};

}  // namespace

bool looksLikeRtf(std::string_view bytes)
{
    std::size_t i = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.substr(i).starts_with("{\\rtf");
}

Text rtfText(std::string_view bytes)
{
    // Anything before the first group (a byte-order mark, white space) is not text.
    const std::size_t start = bytes.find('{');
    if (start == std::string_view::npos)
        return Text();
    return RtfReader(bytes.substr(start)).run();
}

Result<Text> readRtf(DocumentProbe& document, ReadProblems&)
{
    if (!looksLikeRtf(document.bytes()))
        return Error{ErrorCode::BadInput, "文件名是 RTF 文档，但内容不是（开头没有 {\\rtf），无法读取", {}};
    return rtfText(document.bytes());
}

namespace {

bool isRtfFile(DocumentProbe& p)
{
    return looksLikeRtf(p.bytes());
}

}  // namespace

const DocumentReader& rtfReader()
{
    static const DocumentReader row{"RTF", isRtfFile, ".rtf", readRtf, nullptr};
    return row;
}

}  // namespace sorvane
