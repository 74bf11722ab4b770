// Hostile inputs at two sizes: every family of generated input is rendered at n and at
// 4n bytes (n = 256 KB), each run in a child process of its own so that one family's
// memory peak never hides another's. The work must grow linearly:
//   time(4n) / time(n) <= 6, time(4n) < 2 s, peak memory at 4n < 10 x input + 50 MB,
// and no run may crash.
//   hostile_scaling                        checks every bound; exits 1 if one is broken
//   hostile_scaling --report-only-timing   time bounds are reported, not enforced; memory
//                                          bounds and crashes still fail
//   hostile_scaling FAMILY...              only the families named
// A reader of a new format adds its families to families() below: a name, a function
// that makes an input of about the given size and the function that renders it.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/html_renderer.h"
#include "engine/render/plain_text_renderer.h"
#include "engine/convert/renderer.h"
#include "support/hostile_word.h"
#include "support/zip_writer.h"

namespace {

using namespace sorvane;

struct Family {
    const char* name;
    std::string (*generate)(std::size_t bytes);
    void (*render)(const std::string& input);
};

void renderAsHtml(const std::string& input)
{
    const Text text = renderHtml(std::string_view(input));
    if (text.size() == static_cast<std::size_t>(-1))
        std::abort();  // keeps the call from being optimised away
}

void renderAsPlainText(const std::string& input)
{
    const Text text = renderPlainText(input);
    if (text.size() == static_cast<std::size_t>(-1))
        std::abort();
}

// Renders through the reader choice, as a file of this name would be. A generated input
// the reader refuses measures nothing, so it fails the family.
template <const char* Name>
void renderAsFile(const std::string& input)
{
    const Result<Text> text = renderDocumentBytes(Name, input);
    if (!text) {
        std::fprintf(stderr, "%s: %s\n", Name, text.error().describe().c_str());
        std::abort();
    }
}

// The same for a bomb, which the reader may also refuse as too large: a refusal is a
// sound answer, and the family measures what was spent before it.
template <const char* Name>
void renderOrRefuseAsFile(const std::string& input)
{
    const Result<Text> text = renderDocumentBytes(Name, input);
    if (!text && text.error().code != ErrorCode::BadInput) {
        std::fprintf(stderr, "%s: %s\n", Name, text.error().describe().c_str());
        std::abort();
    }
}

constexpr char kRtfName[] = "book.rtf";
constexpr char kMhtName[] = "page.mht";
constexpr char kEpubName[] = "book.epub";
constexpr char kDocxName[] = "book.docx";
constexpr char kOdtName[] = "book.odt";
constexpr char kDocName[] = "book.doc";
constexpr char kFb2Name[] = "book.fb2";
constexpr char kFb2ZipName[] = "book.fb2.zip";
constexpr char kMobiName[] = "book.mobi";

// An office document of about `bytes` bytes whose main part, deflated, repeats `unit`
// over a hundred times `bytes` (markup by the million packs a thousandfold); a stored
// member pads the archive to its size.
std::string packedOfficeBomb(std::size_t bytes, test::ZipEntry first, const char* part, std::string_view head,
                             std::string_view unit, std::string_view tail)
{
    std::vector<test::ZipEntry> entries{std::move(first),
                                        test::repeatedMember(part, head, unit, 100 * bytes / unit.size(), tail)};
    const std::size_t used = entries[0].data.size() + entries[1].data.size() + 300;
    entries.push_back({"padding.bin", std::string(used < bytes ? bytes - used : 0, 'x')});
    return test::zipArchive(entries);
}

// A Word 97 document whose character-property bin table, of about `bytes` bytes, names
// one page of 101 runs in every entry.
std::string docBinTableOnOnePage(std::size_t bytes)
{
    std::string fixture;
    if (FILE* f = std::fopen(SORVANE_TEST_DATA "/office/doc-chinese-english/input.doc", "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            fixture.append(buffer, n);
        std::fclose(f);
    }
    return test::wordWithOnePageBinTable(fixture, bytes / 8);
}

// An EPUB whose spine lists `items` chapters, each a small page.
std::string epubWithSpine(std::size_t bytes)
{
    const std::size_t items = std::max<std::size_t>(1, bytes / 120);
    std::string manifest, spine;
    std::vector<test::ZipEntry> entries{{"mimetype", "application/epub+zip"},
                                        {"META-INF/container.xml",
                                         "<?xml version=\"1.0\"?><container version=\"1.0\" "
                                         "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
                                         "<rootfile full-path=\"book.opf\" media-type=\"application/oebps-package+xml\"/>"
                                         "</rootfiles></container>"}};
    for (std::size_t i = 0; i < items; ++i) {
        const std::string id = "c" + std::to_string(i % 64);
        if (i < 64) {
            manifest += "<item id=\"" + id + "\" href=\"" + id + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
            entries.push_back({id + ".xhtml", "<html><body><p>chapter " + std::to_string(i) + "</p></body></html>"});
        }
        spine += "<itemref idref=\"" + id + "\"/>";
    }
    entries.push_back({"book.opf", "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\">"
                                   "<manifest>" + manifest + "</manifest><spine>" + spine + "</spine></package>",
                       true});
    return test::zipArchive(entries);
}

// A DOCX whose body nests text boxes and runs deeply.
std::string docxNested(std::size_t bytes)
{
    std::string body;
    const std::size_t units = std::max<std::size_t>(1, bytes / 40);
    for (std::size_t i = 0; i < units; ++i)
        body += "<w:p><w:r><w:t>x</w:t></w:r>";
    for (std::size_t i = 0; i < units; ++i)
        body += "</w:p>";
    const std::string document =
        "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body>" + body + "</w:body></w:document>";
    return test::zipArchive({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", document, true}});
}

// The members of an EPUB whose package lists `hrefs` as its spine, in that order.
std::string epubOf(const std::vector<std::string>& hrefs, std::vector<test::ZipEntry> members)
{
    std::string manifest, spine;
    for (std::size_t i = 0; i < hrefs.size(); ++i) {
        const std::string id = "c" + std::to_string(i);
        manifest += "<item id=\"" + id + "\" href=\"" + hrefs[i] + "\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
    }
    members.insert(members.begin(),
                   {{"mimetype", "application/epub+zip"},
                    {"META-INF/container.xml",
                     "<?xml version=\"1.0\"?><container version=\"1.0\" "
                     "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
                     "<rootfile full-path=\"book.opf\" media-type=\"application/oebps-package+xml\"/>"
                     "</rootfiles></container>"},
                    {"book.opf",
                     "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\">"
                     "<manifest>" + manifest + "</manifest><spine>" + spine + "</spine></package>"}});
    return test::zipArchive(members);
}

// A sheet of many rules, and a page that links it again and again.
std::string manyRules()
{
    std::string sheet;
    for (int i = 0; i < 2000; ++i)
        sheet += ".k" + std::to_string(i) + " p span { display: none }\n";
    return sheet;
}

std::string linksToOneSheet(std::size_t bytes)
{
    std::string page = "<html><head>";
    while (page.size() < bytes)
        page += "<link rel=\"stylesheet\" href=\"s.css\"/><link rel=\"stylesheet\" href=\"./s.css\"/>";
    return page + "</head><body><p>x</p></body></html>";
}

std::string epubLinkingOneSheet(std::size_t bytes)
{
    return epubOf({"c.xhtml"}, {{"c.xhtml", linksToOneSheet(bytes)}, {"s.css", manyRules()}});
}

// A saved page of html and css parts at the given locations.
std::string savedPage(const std::vector<std::pair<std::string, std::string>>& parts)
{
    std::string s = "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"B\"; type=\"text/html\"\r\n\r\n";
    for (const auto& [location, content] : parts)
        s += "--B\r\nContent-Type: " + std::string(location.ends_with(".css") ? "text/css" : "text/html") +
             "\r\nContent-Location: http://x/" + location + "\r\n\r\n" + content + "\r\n";
    return s + "--B--\r\n";
}

std::string mhtLinkingOneSheet(std::size_t bytes)
{
    return savedPage({{"p.htm", linksToOneSheet(bytes)}, {"s.css", manyRules()}});
}

// A frameset whose frames all show one page.
std::string mhtFramesOnOnePage(std::size_t bytes)
{
    std::string frames = "<html><frameset>";
    while (frames.size() < bytes)
        frames += "<frame src=\"p.htm\">";
    return savedPage({{"top.htm", frames + "</frameset></html>"}, {"p.htm", "<p>page</p>"}});
}

// A spine naming one chapter under many spellings of its name; the chapter is half the
// book.
std::string epubChapterSpellings(std::size_t bytes)
{
    const std::string name = "chapterabcdefghijklmnop.xhtml";
    std::vector<std::string> hrefs;
    for (std::size_t i = 0; i < bytes / 2 / 120; ++i) {
        std::string href = name;
        for (std::size_t bit = 0; bit < 16; ++bit)
            if (i >> bit & 1)
                href[7 + bit] = static_cast<char>(href[7 + bit] - 'a' + 'A');
        hrefs.push_back(href);
    }
    std::string chapter = "<html><body>";
    while (chapter.size() < bytes / 2)
        chapter += "<p>chapter text</p>";
    return epubOf(hrefs, {{name, chapter + "</body></html>"}});
}

// `unit` repeated up to `bytes`, between `head` and `tail`.
std::string fill(std::size_t bytes, std::string_view head, std::string_view unit, std::string_view tail = {})
{
    std::string s(head);
    s.reserve(bytes + unit.size() + tail.size());
    while (s.size() + tail.size() < bytes)
        s.append(unit);
    s.append(tail);
    return s;
}

// Numbered units: `before` N `after`, repeated up to `bytes`.
std::string numbered(std::size_t bytes, std::string_view head, std::string_view before, std::string_view after,
                     std::string_view tail = {})
{
    std::string s(head);
    s.reserve(bytes + 64);
    for (std::size_t i = 0; s.size() + tail.size() < bytes; ++i) {
        s.append(before);
        s.append(std::to_string(i));
        s.append(after);
    }
    s.append(tail);
    return s;
}

// An FB2 book whose main body nests sections, each with a title and a stanza.
std::string fb2Nested(std::size_t bytes)
{
    const std::string unit = "<section><title><p>t</p></title><poem><stanza><v>x</v></stanza></poem>";
    const std::size_t units = std::max<std::size_t>(1, bytes / (unit.size() + 10));
    std::string s = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook><body>";
    for (std::size_t i = 0; i < units; ++i)
        s += unit;
    for (std::size_t i = 0; i < units; ++i)
        s += "</section>";
    return s + "</body></FictionBook>";
}

// Nested sections of text that deflates little, in a .fb2.zip (an archive that
// inflates much more is refused as a bomb).
std::string fb2Zipped(std::size_t bytes)
{
    std::string s = "<?xml version=\"1.0\"?><FictionBook><body>";
    std::uint32_t seed = 1;
    std::size_t open = 0;
    while (s.size() < bytes) {
        s += "<section><p>";
        for (int i = 0; i < 64; ++i) {
            seed = seed * 1103515245u + 12345u;
            s += static_cast<char>('a' + (seed >> 16) % 26);
        }
        s += "</p>";
        ++open;
    }
    for (; open > 0; --open)
        s += "</section>";
    s += "</body></FictionBook>";
    return test::zipArchive({{"book.fb2", s, true}});
}

void putBig16(std::string& s, std::size_t at, std::uint32_t v)
{
    s[at] = static_cast<char>(v >> 8);
    s[at + 1] = static_cast<char>(v);
}

void putBig32(std::string& s, std::size_t at, std::uint32_t v)
{
    putBig16(s, at, v >> 16);
    putBig16(s, at + 2, v & 0xFFFF);
}

// A Mobipocket book of uncompressed 4 KB text records, each a repeated unit (cut to
// the record's size).
std::string mobiRecords(std::size_t bytes, std::string_view unit)
{
    const std::size_t records = std::min<std::size_t>(60000, std::max<std::size_t>(1, bytes / 4096));
    std::string text = fill(4096, "", unit).substr(0, 4096);
    std::string record0(16 + 232, '\0');
    putBig16(record0, 0, 1);  // no compression
    putBig32(record0, 4, static_cast<std::uint32_t>(records * 4096));
    putBig16(record0, 8, static_cast<std::uint32_t>(records));
    putBig16(record0, 10, 4096);
    record0.replace(16, 4, "MOBI");
    putBig32(record0, 20, 232);
    putBig32(record0, 24, 2);
    putBig32(record0, 28, 65001);
    putBig32(record0, 36, 6);
    for (std::size_t at = 40; at < 80; at += 4)
        putBig32(record0, at, 0xFFFFFFFF);
    putBig32(record0, 80, static_cast<std::uint32_t>(records + 1));
    putBig32(record0, 108, 0xFFFFFFFF);
    putBig32(record0, 164, 0xFFFFFFFF);
    putBig32(record0, 168, 0xFFFFFFFF);
    putBig32(record0, 244, 0xFFFFFFFF);
    const std::size_t count = records + 1;
    std::string db(78, '\0');
    db.replace(0, 4, "Book");
    db.replace(60, 8, "BOOKMOBI");
    putBig16(db, 76, static_cast<std::uint32_t>(count));
    std::size_t offset = 78 + 8 * count + 2;
    for (std::size_t i = 0; i < count; ++i) {
        std::string entry(8, '\0');
        putBig32(entry, 0, static_cast<std::uint32_t>(offset));
        putBig32(entry, 4, static_cast<std::uint32_t>(2 * i));
        db += entry;
        offset += i == 0 ? record0.size() : text.size();
    }
    db += std::string(2, '\0') + record0;
    for (std::size_t i = 0; i < records; ++i)
        db += text;
    return db;
}

// A tag of about `bytes` bytes with distinct attributes.
std::string manyAttributes(std::size_t bytes)
{
    return numbered(bytes, "<p", " a", "=x", ">text");
}

std::string classList(std::size_t count, std::string_view prefix)
{
    std::string s;
    for (std::size_t i = 0; i < count; ++i) {
        s.append(prefix);
        s.append(std::to_string(i));
        s.push_back(' ');
    }
    return s;
}

// Selectors of many classes each against elements with many classes: the matching
// cost is the product unless it is budgeted.
std::string classSelectors(std::size_t bytes)
{
    const std::string element = "<p class=\"" + classList(100, "c") + "\">x</p>";
    std::string sheet = "<style>";
    std::string compound;
    for (std::size_t i = 0; i < 1000; ++i)
        compound += ".c" + std::to_string(i % 100);
    while (sheet.size() < bytes / 2)
        sheet += compound + "{display:none}\n";
    sheet += "</style>";
    return fill(bytes, sheet, element);
}

const std::vector<Family>& families()
{
    static const std::vector<Family> all = {
        {"nested divs", [](std::size_t b) { return fill(b, "", "<div>x"); }, renderAsHtml},
        {"nested and closed divs", [](std::size_t b) { return fill(b, "", "<div>x") + fill(b / 3, "", "</div>"); },
         renderAsHtml},
        {"nested spans", [](std::size_t b) { return fill(b, "", "<span>x"); }, renderAsHtml},
        {"nested tables", [](std::size_t b) { return fill(b, "", "<table><tr><td>x"); }, renderAsHtml},
        {"tables without rows", [](std::size_t b) { return fill(b, "", "<table><td>x"); }, renderAsHtml},
        {"nested lists", [](std::size_t b) { return fill(b, "", "<ul><li>x"); }, renderAsHtml},
        {"svg nesting", [](std::size_t b) { return fill(b, "<svg>", "<g>x"); }, renderAsHtml},
        {"misnested formatting", [](std::size_t b) { return fill(b, "", "<b><div></b>x"); }, renderAsHtml},
        {"re-opened formatting",
         [](std::size_t b) { return numbered(b / 2, "", "<b id=", ">") + fill(b / 2, "", "<p>x"); }, renderAsHtml},
        {"unclosed fonts", [](std::size_t b) { return fill(b, "", "<font color=red>x"); }, renderAsHtml},
        {"nesting after a quote in a name", [](std::size_t b) { return fill(b, "<p =\">", "<div>"); },
         renderAsHtml},
        {"nesting after raw text in a select", [](std::size_t b) { return fill(b, "<select><xmp>", "<div>"); },
         renderAsHtml},
        {"distinct attributes", manyAttributes, renderAsHtml},
        {"repeated attributes", [](std::size_t b) { return fill(b, "<p", " x=1", ">text"); }, renderAsHtml},
        {"class selectors", classSelectors, renderAsHtml},
        {"many style rules",
         [](std::size_t b) {
             return numbered(b / 2, "<style>", ".a", " .b{display:none}\n", "</style>") +
                    fill(b / 2, "<div class=a>", "<p class=b>x");
         },
         renderAsHtml},
        {"nested @media", [](std::size_t b) { return fill(b / 2, "<style>", "@media{") + "</style><p>x"; },
         renderAsHtml},
        {"long lang with text-transform",
         [](std::size_t b) {
             return fill(b / 2, "<div lang=\"tr", "-abcdefg", "\" style=text-transform:uppercase>") +
                    fill(b / 2, "", "<span>i</span>");
         },
         renderAsHtml},
        {"entities", [](std::size_t b) { return fill(b, "<p>", "&amp;&#x4E2D;&lt;&nbsp;&#x80000000;"); },
         renderAsHtml},
        {"long line", [](std::size_t b) { return fill(b, "<p>", "字 "); }, renderAsHtml},
        {"br runs", [](std::size_t b) { return fill(b, "<p>", "<br>"); }, renderAsHtml},
        {"unclosed comment", [](std::size_t b) { return fill(b, "<!--", "<div>-"); }, renderAsHtml},
        {"script escapes", [](std::size_t b) { return fill(b, "<script><!--", "<script></script>"); },
         renderAsHtml},
        {"cdata in svg in table", [](std::size_t b) { return fill(b, "<table><svg>", "<![CDATA[x]]>"); },
         renderAsHtml},
        {"invalid UTF-8", [](std::size_t b) { return fill(b, "<p>", "a\xFF\xE4\xB8"); }, renderAsHtml},
        {"undeclared GBK", [](std::size_t b) { return fill(b, "<p>", "\xD6\xD0\xCE\xC4"); }, renderAsHtml},
        {"NUL bytes after text", [](std::size_t b) { return fill(b, "<p>text", std::string(64, '\0')); },
         renderAsHtml},
        {"plain text lines", [](std::size_t b) { return fill(b, "", "第一行\r第二行\n"); }, renderAsPlainText},
        {"plain text long line", [](std::size_t b) { return fill(b, "", "字"); }, renderAsPlainText},
        {"rtf nested groups", [](std::size_t b) { return fill(b, "{\\rtf1\\ansi ", "{x"); }, renderAsFile<kRtfName>},
        {"rtf hex escapes", [](std::size_t b) { return fill(b, "{\\rtf1\\ansicpg936 ", "\\'c4\\'e3\\par "); },
         renderAsFile<kRtfName>},
        {"rtf numbered paragraphs",
         [](std::size_t b) { return fill(b, "{\\rtf1\\ansi ", "\\pard{\\*\\pn\\pnlvl3\\pnucrm{\\pntxta .}}x\\par "); },
         renderAsFile<kRtfName>},
        {"mht many parts",
         [](std::size_t b) {
             return fill(b, "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"B\"\r\n\r\n",
                         "--B\r\nContent-Type: text/html\r\n\r\n<p>x</p>\r\n", "--B--\r\n");
         },
         renderAsFile<kMhtName>},
        {"epub long spine", epubWithSpine, renderAsFile<kEpubName>},
        {"docx nested paragraphs", docxNested, renderAsFile<kDocxName>},
        {"docx empty elements",
         [](std::size_t b) {
             return packedOfficeBomb(b, {"[Content_Types].xml", "<Types/>"}, "word/document.xml",
                                     "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                                     "<w:body>",
                                     "<w:p/>", "</w:body></w:document>");
         },
         renderOrRefuseAsFile<kDocxName>},
        {"odt repeated space marks",
         [](std::size_t b) {
             return packedOfficeBomb(b, {"mimetype", "application/vnd.oasis.opendocument.text"}, "content.xml",
                                     "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                                     "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                                     "<office:text><text:p>a",
                                     "<text:s text:c=\"1024\"/>", "b</text:p></office:text></office:body></office:document-content>");
         },
         renderOrRefuseAsFile<kOdtName>},
        {"epub one sheet linked again and again", epubLinkingOneSheet, renderAsFile<kEpubName>},
        {"mht one sheet linked again and again", mhtLinkingOneSheet, renderAsFile<kMhtName>},
        {"mht frames showing one page", mhtFramesOnOnePage, renderAsFile<kMhtName>},
        {"epub one chapter under many spellings", epubChapterSpellings, renderAsFile<kEpubName>},
        {"doc bin table naming one page", docBinTableOnOnePage, renderAsFile<kDocName>},
        {"word 2003 xml paragraphs",
         [](std::size_t b) {
             return fill(b, "<?mso-application progid=\"Word.Document\"?><w:wordDocument "
                            "xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\"><w:body>",
                         "<w:p><w:r><w:t>x</w:t><w:tab/></w:r></w:p>") + "</w:body></w:wordDocument>";
         },
         renderAsFile<kDocName>},
        {"word 6 pieces naming one text",
         [](std::size_t b) { return test::word6Document("Old words\r", 0, std::max<std::size_t>(1, b / 12)); },
         renderAsFile<kDocName>},
        {"fb2 nested sections", fb2Nested, renderAsFile<kFb2Name>},
        {"fb2.zip nested sections", fb2Zipped, renderAsFile<kFb2ZipName>},
        {"mobi text records", [](std::size_t b) { return mobiRecords(b, "<p>xy</p>"); }, renderAsFile<kMobiName>},
        {"mobi links into the text",
         [](std::size_t b) { return mobiRecords(b, "<a filepos=0000000064>x</a>"); }, renderAsFile<kMobiName>},
    };
    return all;
}

struct Run {
    bool ok = false;       // finished normally
    std::string failure;   // how it did not
    double seconds = 0;
    long peakKb = 0;
};

// Renders one generated input in a child process and reports its time and peak memory.
Run runOnce(const Family& family, std::size_t bytes)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {false, "pipe failed", 0, 0};
    const pid_t pid = fork();
    if (pid < 0)
        return {false, "fork failed", 0, 0};
    if (pid == 0) {
        close(fds[0]);
        alarm(60);  // a hang is a failure, not a stalled run
        const std::string input = family.generate(bytes);
        const auto start = std::chrono::steady_clock::now();
        family.render(input);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (write(fds[1], &seconds, sizeof seconds) != sizeof seconds)
            _exit(3);
        _exit(0);
    }
    close(fds[1]);
    Run run;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.peakKb = usage.ru_maxrss;
    if (read(fds[0], &run.seconds, sizeof run.seconds) != sizeof run.seconds)
        run.seconds = 0;
    close(fds[0]);
    if (WIFSIGNALED(status)) {
        run.failure = WTERMSIG(status) == SIGALRM ? "timed out" : std::string("killed by ") + strsignal(WTERMSIG(status));
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.failure = "exit status " + std::to_string(WEXITSTATUS(status));
    } else {
        run.ok = true;
    }
    return run;
}

}  // namespace

int main(int argc, char** argv)
{
    bool reportOnlyTiming = false;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--report-only-timing")
            reportOnlyTiming = true;
        else if (arg == "--help" || arg == "-h") {
            std::printf("usage: hostile_scaling [--report-only-timing] [FAMILY...]\n");
            return 0;
        } else
            only.emplace_back(arg);
    }
    constexpr std::size_t n = 256 * 1024;
    constexpr double kMaxRatio = 6.0;
    constexpr double kMaxSeconds = 2.0;
    // Short runs are timed too coarsely for a ratio: both times count as at least this.
    constexpr double kTimeFloor = 0.01;

    std::printf("%-36s %10s %10s %6s %10s %10s %9s  %s\n", "family", "time n", "time 4n", "ratio", "peak n",
                "peak 4n", "limit 4n", "verdict");
    int failures = 0;
    int timingViolations = 0;
    for (const Family& family : families()) {
        if (!only.empty() && std::find(only.begin(), only.end(), family.name) == only.end())
            continue;
        const Run small = runOnce(family, n);
        const Run large = runOnce(family, 4 * n);
        const double ratio = std::max(large.seconds, kTimeFloor) / std::max(small.seconds, kTimeFloor);
        const long limitKb = static_cast<long>((10 * 4 * n + (50u << 20)) / 1024);
        std::string verdict;
        bool failed = false;
        if (!small.ok || !large.ok) {
            verdict = "CRASH (" + (small.ok ? large.failure : small.failure) + ")";
            failed = true;
        } else if (large.peakKb > 6 * small.peakKb) {
            verdict = "MEMORY (not linear)";
            failed = true;
        } else if (large.peakKb > limitKb || small.peakKb > limitKb) {
            verdict = "MEMORY (over the limit)";
            failed = true;
        } else if (ratio > kMaxRatio || large.seconds > kMaxSeconds) {
            verdict = ratio > kMaxRatio ? "SLOW (not linear)" : "SLOW (over 2 s)";
            ++timingViolations;
            failed = !reportOnlyTiming;
            if (reportOnlyTiming)
                verdict += ", reported";
        } else {
            verdict = "ok";
        }
        failures += failed;
        std::printf("%-36s %9.3fs %9.3fs %6.2f %8.1fMB %8.1fMB %7.1fMB  %s\n", family.name, small.seconds,
                    large.seconds, ratio, small.peakKb / 1024.0, large.peakKb / 1024.0, limitKb / 1024.0,
                    verdict.c_str());
        std::fflush(stdout);
    }
    if (timingViolations > 0 && reportOnlyTiming)
        std::printf("%d timing bound(s) broken (reported only)\n", timingViolations);
    if (failures > 0) {
        std::printf("%d famil%s failed\n", failures, failures == 1 ? "y" : "ies");
        return 1;
    }
    return 0;
}
