#include "engine/readers/rtf_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "io/codepage.h"
#include "engine/render/html_renderer.h"
#include "engine/readers/doc_block_text.h"
#include "engine/readers/list_numbering.h"
#include "engine/readers/rtf_list_table.h"
#include "engine/readers/rtf_paragraph_numbers.h"

namespace sorvane {

// Debian packages no library that reads RTF into text (only converters built as whole
// programs), so this is our own small reader: a tokenizer over groups, control words and
// text, driven by one table of the control words that matter for the visible text.

namespace {

// Where the text of a group goes.
enum class Dest : std::uint8_t {
    Body, Note, FontTable, ListTable, LevelText, LevelNumbers, OverrideTable, HtmlTag, Skip,
    Numbering,      // a \pn or \pnseclvlN group: a numbering definition, no text
    NumberingText,  // its \pntxtb or \pntxta: the text around the number
};

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
    ListTable,     // \listtable
    OverrideTable, // \listoverridetable
    List,          // \list, in the list table
    ListLevel,     // \listlevel
    ListId,        // \listidN
    LevelFormat,   // \levelnfcN, \levelnfcnN
    LevelStart,    // \levelstartatN
    LevelFollow,   // \levelfollowN
    LevelLegal,    // \levellegal
    LevelText,     // \leveltext
    LevelNumbers,  // \levelnumbers
    ListOverride,  // \listoverride
    ListNumber,    // \lsN: a paragraph's list, or an override's number
    ListLevelNumber,  // \ilvlN
    ListText,      // \listtext, \pntext: the number the writer put before the paragraph
    Numbering,     // \pn: the paragraph's numbering, older form
    SectionNumbering,  // \pnseclvlN: a section's outline level N
    NumberingLevel,    // \pnlvlN
    NumberingKind,     // \pnlvlbody, \pnlvlblt, \pnlvlcont (ch: the kind)
    NumberingFormat,   // \pndec, \pnucrm... (ch: the NumberFormat)
    NumberingStart,    // \pnstartN
    NumberingBefore,   // \pntxtb
    NumberingAfter,    // \pntxta
    FromHtml,      // \fromhtml1: the document wraps an HTML page
    HtmlTag,       // \htmltagN: markup of the wrapped page
    HtmlRtf,       // \htmlrtf, \htmlrtf0: text that belongs to the RTF rendering only
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
        {"listtable", {Act::ListTable}},     {"listoverridetable", {Act::OverrideTable}},
        {"listname", {Act::SkipDest}},
        {"revtbl", {Act::SkipDest}},         {"rsidtbl", {Act::SkipDest}},
        {"filetbl", {Act::SkipDest}},
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
        // Lists.
        {"list", {Act::List}},               {"listlevel", {Act::ListLevel}},
        {"listid", {Act::ListId}},           {"levelnfc", {Act::LevelFormat}},
        {"levelnfcn", {Act::LevelFormat}},   {"levelstartat", {Act::LevelStart}},
        {"levelfollow", {Act::LevelFollow}}, {"levellegal", {Act::LevelLegal}},
        {"leveltext", {Act::LevelText}},     {"levelnumbers", {Act::LevelNumbers}},
        {"listoverride", {Act::ListOverride}}, {"ls", {Act::ListNumber}},
        {"ilvl", {Act::ListLevelNumber}},    {"listtext", {Act::ListText}},
        {"pntext", {Act::ListText}},
        // Paragraph numbering of the older form.
        {"pn", {Act::Numbering}},            {"pnseclvl", {Act::SectionNumbering}},
        {"pnlvl", {Act::NumberingLevel}},
        {"pnlvlbody", {Act::NumberingKind, char16_t(RtfParagraphNumbers::Kind::Body)}},
        {"pnlvlblt", {Act::NumberingKind, char16_t(RtfParagraphNumbers::Kind::Bullet)}},
        {"pnlvlcont", {Act::NumberingKind, char16_t(RtfParagraphNumbers::Kind::Continuation)}},
        {"pndec", {Act::NumberingFormat, char16_t(NumberFormat::Decimal)}},
        {"pnucrm", {Act::NumberingFormat, char16_t(NumberFormat::UpperRoman)}},
        {"pnlcrm", {Act::NumberingFormat, char16_t(NumberFormat::LowerRoman)}},
        {"pnucltr", {Act::NumberingFormat, char16_t(NumberFormat::UpperLetter)}},
        {"pnlcltr", {Act::NumberingFormat, char16_t(NumberFormat::LowerLetter)}},
        {"pndecd", {Act::NumberingFormat, char16_t(NumberFormat::DecimalFullWidth)}},
        {"pncnum", {Act::NumberingFormat, char16_t(NumberFormat::DecimalCircle)}},
        {"pndbnum", {Act::NumberingFormat, char16_t(NumberFormat::ChineseCounting)}},
        {"pndbnumd", {Act::NumberingFormat, char16_t(NumberFormat::ChineseCounting)}},
        {"pndbnuml", {Act::NumberingFormat, char16_t(NumberFormat::ChineseLegal)}},
        {"pnstart", {Act::NumberingStart}},
        {"pntxtb", {Act::NumberingBefore}},  {"pntxta", {Act::NumberingAfter}},
        {"pnf", {Act::Font}},
        // HTML wrapped in RTF.
        {"fromhtml", {Act::FromHtml}},       {"htmltag", {Act::HtmlTag}},
        {"htmlrtf", {Act::HtmlRtf}},
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
    Dest outer = Dest::Body;      // where the enclosing group's text goes
    bool inUpr = false;
    bool hidden = false;
    bool deleted = false;
    bool inTable = false;
    bool listText = false;  // inside \listtext or \pntext
    bool htmlRtf = false;   // between \htmlrtf and \htmlrtf0
    long long list = 0;     // the paragraph's \ls, 0 for none
    int numbering = -1;     // the paragraph's \pn definition, -1 for none
    int numberingEdit = -1; // the definition the words of this \pn group write
    long long listLevel = 0;
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
        if (m_fromHtml) {
            flushHtmlBytes();
            return renderHtmlUtf8(toUtf8(m_html));
        }
        Text notes = m_notes.take();
        if (!notes.empty()) {
            m_body.endBlock(2);
            m_body.text(notes);
        }
        return m_body.take();
    }

private:
    Group& top() { return m_stack.back(); }
    const Group& top() const { return m_stack.back(); }

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
            // A numbered paragraph is a list item, a block of its own.
            const bool listItem = top().listText || top().list > 0 || top().numbering >= 0;
            out(dest).endBlock(top().inTable || listItem ? 1 : 2);
            open = true;
            // Without a \listtext of its own, a paragraph of a list is numbered from
            // the list table, else from its \pn; the \pn numbers count either way, so
            // that they stay in step with the writer's.
            if (!top().listText && top().list > 0) {
                out(dest).text(m_listTable.label(top().list, top().listLevel));
            } else if (top().numbering >= 0) {
                const Text label = m_numbers.label(top().numbering);
                if (!top().listText)
                    out(dest).text(label);
            } else if (dest == Dest::Body && !top().listText) {
                m_numbers.unnumbered();
            }
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
        else {
            m_stack.push_back(m_stack.back());
            top().outer = m_stack[m_stack.size() - 2].dest;
        }
    }

    // Returns true when the outermost group has closed: the document ends there.
    bool closeGroup()
    {
        m_skip = 0;
        if (m_flattened > 0) {
            --m_flattened;
            return false;
        }
        if (m_stack.size() > 1) {
            if (m_stack.size() == m_levelGroupDepth)
                endListLevel();
            if (m_stack.size() == m_numberTextGroupDepth)
                endNumberingText();
            const Dest closing = top().dest;
            m_stack.pop_back();
            if (closing == Dest::LevelNumbers && top().dest != closing)
                m_listTable.levelNumbers(std::exchange(m_levelNumbers, {}));
        }
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
        case Act::Line:
        case Act::Section:
            if (m_fromHtml) {
                htmlText(u"\r\n");
                break;
            }
            if (word.act == Act::Line) {
                if (visible()) {
                    flushBytes();
                    startText().lineBreak();
                }
                break;
            }
            if (word.act == Act::Section) {
                if (visible()) {
                    flushBytes();
                    out(g.dest).endBlock(2);
                    endParagraph();
                }
                break;
            }
            if (visible()) {
                flushBytes();
                out(g.dest).endBlock(g.inTable || g.list > 0 || g.numbering >= 0 ? 1 : 2);
                endParagraph();
            }
            break;
        case Act::Tab: tab(); break;
        case Act::Cell:
        case Act::Row:
            // Table structure stands even when the cell's text is hidden.
            if (!m_fromHtml && (g.dest == Dest::Body || g.dest == Dest::Note)) {
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
            if (!m_fromHtml && (g.dest == Dest::Body || g.dest == Dest::Note) && !m_rowOpen) {
                flushBytes();
                out(g.dest).startRow();
                m_rowOpen = true;
            }
            break;
        case Act::Font:
            if (g.dest == Dest::FontTable) {
                m_fontBeingDefined = static_cast<int>(param);
                m_fontName.clear();
            } else {
                g.font = static_cast<int>(param);
            }
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
            if (v >= 0 && v <= 0xFFFF) {
                if (g.dest == Dest::LevelText || g.dest == Dest::NumberingText) {
                    Text& kept = g.dest == Dest::LevelText ? m_levelText : m_numberText;
                    if (kept.size() < kMaxLevelBytes)
                        kept += static_cast<char16_t>(v);
                } else {
                    character(symbolChar(static_cast<char16_t>(v)));
                }
            }
            m_skip = g.uc;
            break;
        }
        case Act::UnicodeSkip: g.uc = hasParam ? std::max<long long>(param, 0) : 1; break;
        case Act::Binary: break;  // handled before
        case Act::Hidden: g.hidden = !hasParam || param != 0; break;
        case Act::Deleted: g.deleted = !hasParam || param != 0; break;
        case Act::InTable: g.inTable = true; break;
        case Act::ParagraphReset:
            g.inTable = false;
            g.list = 0;
            g.listLevel = 0;
            g.numbering = -1;
            break;
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
        // The list tables are read where they belong, at the document's top level (as
        // "\*" destinations or not).
        case Act::ListTable: g.dest = topLevelTable() ? Dest::ListTable : Dest::Skip; break;
        case Act::OverrideTable: g.dest = topLevelTable() ? Dest::OverrideTable : Dest::Skip; break;
        case Act::List:
            if (g.dest == Dest::ListTable)
                m_listTable.startList();
            break;
        case Act::ListLevel:
            if (g.dest == Dest::ListTable) {
                m_listTable.startLevel();
                m_levelText.clear();
                m_levelGroupDepth = m_stack.size();
            }
            break;
        case Act::ListId:
            if (g.dest == Dest::ListTable)
                m_listTable.listId(param);
            else if (g.dest == Dest::OverrideTable)
                m_listTable.overrideListId(param);
            break;
        case Act::LevelFormat:
            if (g.dest == Dest::ListTable)
                m_listTable.levelFormat(param);
            break;
        case Act::LevelStart:
            if (g.dest == Dest::ListTable)
                m_listTable.levelStart(param);
            break;
        case Act::LevelFollow:
            if (g.dest == Dest::ListTable)
                m_listTable.levelFollow(param);
            break;
        case Act::LevelLegal:
            if (g.dest == Dest::ListTable)
                m_listTable.levelLegal(!hasParam || param != 0);
            break;
        case Act::LevelText:
        case Act::LevelNumbers:
            if (g.dest == Dest::ListTable) {
                g.dest = word.act == Act::LevelText ? Dest::LevelText : Dest::LevelNumbers;
                if (word.act == Act::LevelText)
                    m_levelText.clear();
                else
                    m_levelNumbers.clear();
            } else {
                g.dest = Dest::Skip;
            }
            break;
        case Act::ListOverride:
            if (g.dest == Dest::OverrideTable)
                m_listTable.startOverride();
            break;
        case Act::ListNumber:
            if (g.dest == Dest::OverrideTable)
                m_listTable.overrideNumber(param);
            else
                g.list = std::max<long long>(param, 0);
            break;
        case Act::ListLevelNumber: g.listLevel = std::max<long long>(param, 0); break;
        case Act::ListText: g.listText = true; break;
        case Act::Numbering:
            // A group of the paragraph's properties (as a "\*" destination or not): the
            // paragraph it sits in is numbered by it.
            if ((g.outer == Dest::Body || g.outer == Dest::Note) && m_stack.size() >= 2) {
                g.dest = Dest::Numbering;
                g.numberingEdit = m_numbers.startParagraph();
                m_stack[m_stack.size() - 2].numbering = g.numberingEdit;
            } else {
                g.dest = Dest::Skip;
            }
            break;
        case Act::SectionNumbering:
            if (g.outer == Dest::Body || g.outer == Dest::Note) {
                g.dest = Dest::Numbering;
                g.numberingEdit = m_numbers.startSectionLevel(param);
            } else {
                g.dest = Dest::Skip;
            }
            break;
        case Act::NumberingLevel:
            if (g.dest == Dest::Numbering && g.numberingEdit >= RtfParagraphNumbers::kOutlineLevels)
                m_numbers.useSectionLevel(g.numberingEdit, param);
            break;
        case Act::NumberingKind:
            if (g.dest == Dest::Numbering && g.numberingEdit >= RtfParagraphNumbers::kOutlineLevels)
                m_numbers.definition(g.numberingEdit).kind = static_cast<RtfParagraphNumbers::Kind>(word.ch);
            break;
        case Act::NumberingFormat:
            if (g.dest == Dest::Numbering)
                m_numbers.definition(g.numberingEdit).format = static_cast<NumberFormat>(word.ch);
            break;
        case Act::NumberingStart:
            if (g.dest == Dest::Numbering)
                m_numbers.definition(g.numberingEdit).start = static_cast<int>(std::clamp<long long>(param, 0, INT_MAX));
            break;
        case Act::NumberingBefore:
        case Act::NumberingAfter:
            if (g.outer == Dest::Numbering) {
                g.dest = Dest::NumberingText;
                m_numberText.clear();
                m_numberTextAfter = word.act == Act::NumberingAfter;
                m_numberTextGroupDepth = m_stack.size();
            } else {
                g.dest = Dest::Skip;
            }
            break;
        case Act::FromHtml: m_fromHtml = !hasParam || param != 0; break;
        case Act::HtmlTag:
            // A "\*" destination in the body that holds the page's markup.
            if (m_fromHtml && g.outer == Dest::Body)
                g.dest = Dest::HtmlTag;
            break;
        case Act::HtmlRtf: g.htmlRtf = !hasParam || param != 0; break;
        }
    }

    // Whether text here belongs to the wrapped page: its markup, and body text outside
    // the parts only the RTF rendering shows.
    bool toHtml()
    {
        const Group& g = top();
        return g.dest == Dest::HtmlTag || (g.dest == Dest::Body && !g.htmlRtf);
    }

    void htmlText(TextView text)
    {
        if (!toHtml())
            return;
        flushHtmlBytes();
        m_html += text;
    }

    void flushHtmlBytes()
    {
        if (m_htmlBytes.empty())
            return;
        m_html += decode(m_htmlBytesCodePage, m_htmlBytes);
        m_htmlBytes.clear();
    }

    // Whether the current group is a table of the document: a group of its own directly
    // inside the document's group.
    bool topLevelTable() const { return m_stack.size() == 3 && top().outer == Dest::Body; }

    // A \listlevel group is closing: its text is decoded in the font the level set,
    // wherever in the group it set it. Bytes were kept as F000 + byte, the form symbol
    // fonts' glyphs take in \uN too.
    void endListLevel()
    {
        m_levelGroupDepth = 0;
        m_listTable.levelText(decodeKeptText(std::exchange(m_levelText, {})));
    }

    // A \pntxtb or \pntxta group is closing: its text, decoded as a level's text is,
    // goes around the number of the definition its \pn group writes.
    void endNumberingText()
    {
        m_numberTextGroupDepth = 0;
        const int edit = m_stack.size() >= 2 ? m_stack[m_stack.size() - 2].numberingEdit : -1;
        if (edit < 0)
            return;
        RtfParagraphNumbers::Definition& d = m_numbers.definition(edit);
        (m_numberTextAfter ? d.after : d.before) = decodeKeptText(std::exchange(m_numberText, {}));
    }

    // Text kept with its bytes as F000 + byte, decoded in the current font: a symbol
    // font's glyphs as the characters they draw, other bytes in the font's code page.
    Text decodeKeptText(const Text& kept)
    {
        const std::string* symbol = symbolFont();
        const int codePage = currentCodePage();
        Text text;
        std::string bytes;
        const auto flush = [&] {
            if (!bytes.empty())
                text += decode(codePage, bytes);
            bytes.clear();
        };
        for (const char16_t c : kept) {
            const bool isByte = c >= 0xF000 && c <= 0xF0FF;
            if (symbol) {
                const char16_t b = isByte ? static_cast<char16_t>(c - 0xF000) : c;
                const char32_t shown = b < 0x20 ? b : symbolFontChar(*symbol, b);
                text += shown <= 0xFFFF ? static_cast<char16_t>(shown) : b;
            } else if (isByte) {
                bytes.push_back(static_cast<char>(c - 0xF000));
            } else {
                flush();
                text += c;
            }
        }
        flush();
        return text;
    }

    // The name of the current font when it is a symbol font, else null.
    const std::string* symbolFont()
    {
        const int font = top().font >= 0 ? top().font : m_defaultFont;
        const auto it = m_symbolFonts.find(font);
        return it == m_symbolFonts.end() ? nullptr : &it->second;
    }

    // The character the current font shows for `ch`: a Symbol or Wingdings glyph as
    // the Unicode character it draws.
    char16_t symbolChar(char16_t ch)
    {
        const std::string* font = symbolFont();
        if (!font)
            return ch;
        const char32_t shown = symbolFontChar(*font, ch);
        return shown <= 0xFFFF ? static_cast<char16_t>(shown) : ch;
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
        const Dest dest = top().dest;
        if (dest == Dest::FontTable) {
            fontNameByte(b);
            return;
        }
        if (dest == Dest::LevelText) {
            if (m_levelText.size() < kMaxLevelBytes)
                m_levelText += static_cast<char16_t>(0xF000 + b);
            return;
        }
        if (dest == Dest::LevelNumbers) {
            if (m_levelNumbers.size() < kMaxLevelBytes)
                m_levelNumbers.push_back(static_cast<char>(b));
            return;
        }
        if (dest == Dest::NumberingText) {
            if (m_numberText.size() < kMaxLevelBytes)
                m_numberText += static_cast<char16_t>(0xF000 + b);
            return;
        }
        if (m_fromHtml) {
            if (!toHtml())
                return;
            if (!m_htmlBytes.empty() && currentCodePage() != m_htmlBytesCodePage)
                flushHtmlBytes();
            m_htmlBytesCodePage = currentCodePage();
            m_htmlBytes.push_back(static_cast<char>(b));
            return;
        }
        if (!visible())
            return;
        const int codePage = currentCodePage();
        if (symbolFont()) {
            character(symbolChar(b));
            return;
        }
        // A lone A0 is a no-break space in the double-byte code pages too, where it is
        // no character's first byte.
        if (!m_bytes.empty() && (codePage != m_bytesCodePage || top().dest != m_bytesDest))
            flushBytes();
        if (b == 0xA0 && isDoubleByte(codePage) && !m_afterLeadByte) {
            character(u'\u00A0');
            return;
        }
        if (m_bytes.empty())
            startText();
        m_bytesCodePage = codePage;
        m_bytesDest = top().dest;
        m_bytes.push_back(static_cast<char>(b));
        // Whether the bytes now end with the first byte of a double-byte character.
        m_afterLeadByte = !m_afterLeadByte && isDoubleByte(codePage) &&
                          (codePage == 932 ? (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) : b >= 0x81);
    }

    // The font table's names: a font's name ends at ";". Only the symbol fonts are kept.
    void fontNameByte(unsigned char b)
    {
        if (m_fontBeingDefined < 0)
            return;
        if (b != ';') {
            if (m_fontName.size() < 64)
                m_fontName.push_back(static_cast<char>(b));
            return;
        }
        while (!m_fontName.empty() && m_fontName.front() == ' ')
            m_fontName.erase(m_fontName.begin());
        if (symbolFontChar(m_fontName, 0xA7) != 0xA7)  // a font the symbol map knows
            m_symbolFonts[m_fontBeingDefined] = m_fontName;
        m_fontName.clear();
    }

    static bool isDoubleByte(int codePage)
    {
        return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
    }

    void character(char16_t ch)
    {
        if (top().dest == Dest::NumberingText) {
            if (m_numberText.size() < kMaxLevelBytes)
                m_numberText += ch;
            return;
        }
        if (m_fromHtml) {
            htmlText(TextView(&ch, 1));
            return;
        }
        if (!visible())
            return;
        flushBytes();
        startText().text(ch);
    }

    void tab()
    {
        if (m_fromHtml) {
            htmlText(u"\t");
            return;
        }
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
        m_afterLeadByte = false;
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
    std::string m_fontName;                         // the name of the font being defined
    std::unordered_map<int, std::string> m_symbolFonts;  // font number -> Symbol, Wingdings

    RtfListTable m_listTable;
    Text m_levelText;             // the \leveltext of the level being read, bytes as F000 + byte
    std::string m_levelNumbers;   // its \levelnumbers
    std::size_t m_levelGroupDepth = 0;  // the stack size in the \listlevel group, 0 outside
    static constexpr std::size_t kMaxLevelBytes = 256;
    RtfParagraphNumbers m_numbers;
    Text m_numberText;  // the \pntxtb or \pntxta being read, bytes as F000 + byte
    bool m_numberTextAfter = false;
    std::size_t m_numberTextGroupDepth = 0;  // the stack size in that group, 0 outside
    int m_defaultFont = -1;
    int m_documentCodePage = 1252;

    std::string m_bytes;  // 8-bit text not yet decoded
    bool m_afterLeadByte = false;  // m_bytes ends with a double-byte character's first byte
    int m_bytesCodePage = 1252;
    Dest m_bytesDest = Dest::Body;

    bool m_fromHtml = false;  // \fromhtml1: the text is the wrapped page, rendered at the end
    Text m_html;
    std::string m_htmlBytes;
    int m_htmlBytesCodePage = 1252;

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
