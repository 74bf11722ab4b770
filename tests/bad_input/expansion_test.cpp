// Small documents that ask a reader for far more work or text than they hold: a space
// mark repeated, elements by the million, one style sheet linked thousands of times,
// frames that share their pages, one chapter named again under other spellings. Each
// must give its text once, in bounded time, or be refused clearly. A Word bin table
// naming one page in every entry too.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input_support.h"
#include "common/text.h"
#include "engine/convert/renderer.h"
#include "support/hostile_word.h"
#include "support/zip_writer.h"
#include "support/test_text.h"

namespace sorvane {
namespace {

using test::ZipEntry;

using test::repeat;

std::size_t occurrences(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

std::string odtWithSpaces(std::size_t marks)
{
    const std::string content =
        R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
        R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:text><text:p>甲)" +
        repeat(R"(<text:s text:c="1024"/>)", marks) + "乙</text:p></office:text></office:body></office:document-content>";
    return test::zipArchive(
        {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", content, true}});
}

std::string docxWithEmptyParagraphs(std::size_t count)
{
    const std::string document =
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)" +
        repeat("<w:p/>", count) + "</w:body></w:document>";
    return test::zipArchive({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", document, true}});
}

std::string epub(const std::vector<std::string>& spineHrefs, std::vector<ZipEntry> members)
{
    std::string manifest, spine;
    for (std::size_t i = 0; i < spineHrefs.size(); ++i) {
        const std::string id = "c" + std::to_string(i);
        manifest += "<item id='" + id + "' href='" + spineHrefs[i] + "' media-type='application/xhtml+xml'/>";
        spine += "<itemref idref='" + id + "'/>";
    }
    members.insert(members.begin(),
                   {ZipEntry{"mimetype", "application/epub+zip"},
                    ZipEntry{"META-INF/container.xml",
                             "<?xml version='1.0'?><container xmlns='urn:oasis:names:tc:opendocument:xmlns:container'>"
                             "<rootfiles><rootfile full-path='content.opf' media-type='application/oebps-package+xml'/>"
                             "</rootfiles></container>"},
                    ZipEntry{"content.opf",
                             "<?xml version='1.0'?><package xmlns='http://www.idpf.org/2007/opf' version='3.0'>"
                             "<manifest>" + manifest + "</manifest><spine>" + spine + "</spine></package>",
                             true}});
    return test::zipArchive(members);
}

// A chapter that links one sheet of many rules `links` times, under four spellings of its
// name that all find the same member.
std::string epubLinkingOneSheet(std::size_t links)
{
    const char* const spellings[] = {"s.css", "S.css", "./s.css", "s.CSS"};
    std::string head;
    for (std::size_t i = 0; i < links; ++i)
        head += std::string("<link rel='stylesheet' href='") + spellings[i % 4] + "'/>";
    std::string sheet;
    for (int i = 0; i < 2000; ++i)
        sheet += ".k" + std::to_string(i) + " p span { display: none }\n";
    const std::string chapter = "<?xml version='1.0'?><html xmlns='http://www.w3.org/1999/xhtml'><head>" + head +
                                "</head><body><p>样式</p></body></html>";
    return epub({"c.xhtml"}, {{"c.xhtml", chapter, true}, {"s.css", sheet, true}});
}

// A saved page of html parts at the given locations with the given contents.
std::string savedPage(const std::vector<std::pair<std::string, std::string>>& parts)
{
    std::string s = "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"B\"; type=\"text/html\"\r\n\r\n";
    for (const auto& [location, html] : parts)
        s += "--B\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: http://x/" + location + "\r\n\r\n" +
             html + "\r\n";
    return s + "--B--\r\n";
}

std::string frameset(const std::vector<std::string>& sources)
{
    std::string s = "<html><frameset>";
    for (const std::string& src : sources)
        s += "<frame src=\"" + src + "\">";
    return s + "</frameset></html>";
}

// Levels of `width` framesets, each showing every page of the next level; the last
// level's pages hold the text "叶".
std::string framesSharingPages(int levels, int width)
{
    const auto name = [](int level, int i) { return "L" + std::to_string(level) + "_" + std::to_string(i) + ".htm"; };
    std::vector<std::pair<std::string, std::string>> parts;
    for (int level = 0; level < levels; ++level) {
        for (int i = 0; i < (level == 0 ? 1 : width); ++i) {
            if (level == levels - 1) {
                parts.emplace_back(name(level, i), "<p>叶" + std::to_string(i) + "</p>");
                continue;
            }
            std::vector<std::string> next;
            for (int j = 0; j < width; ++j)
                next.push_back(name(level + 1, j));
            parts.emplace_back(name(level, i), frameset(next));
        }
    }
    return savedPage(parts);
}

TEST(ExpansionBombs, GiveEachTextOnceInBoundedTime)
{
    const std::string fixture =
        test::readFile(std::filesystem::path(SORVANE_TEST_DATA) / "office/doc-chinese-english/input.doc");
    const struct {
        const char* what;
        const char* name;
        std::string bytes;
        bool givesText;          // false: refused as damaged input
        std::string marker;      // UTF-8 text the output holds `times` times
        std::size_t times;
        std::size_t maxChars;    // of the whole output
        bool reportsProblem;     // what was cut is named among the problems
    } cases[] = {
        {"a space mark repeated", "spaces.odt", odtWithSpaces(20'000), true, "乙", 1, 2'000'000, true},
        {"five million empty paragraphs", "empty.docx", docxWithEmptyParagraphs(5'000'000), false, "", 0, 0, false},
        {"one sheet linked 20,000 times", "sheets.epub", epubLinkingOneSheet(20'000), true, "样式", 1, 100, false},
        {"one chapter under five spellings",
         "spellings.epub",
         epub({"Text/Ch.xhtml", "text/ch.xhtml", "TEXT/CH.XHTML", "Text/CH.xhtml", "text/Ch.XHTML"},
              {{"Text/Ch.xhtml", "<?xml version='1.0'?><html xmlns='http://www.w3.org/1999/xhtml'><body><p>一章</p>"
                                 "</body></html>"}}),
         true, "一章", 1, 100, false},
        {"frames sharing their pages, six levels of six", "dag.mht", framesSharingPages(6, 6), true, "叶", 6, 1000,
         false},
        {"a Word bin table naming one page 800,000 times", "bins.doc",
         test::wordWithOnePageBinTable(fixture, 800'000), true, "朱镕", 1, 1000, false},
        {"25,000 frames showing one page", "frames.mht",
         savedPage({{"top.htm", frameset(std::vector<std::string>(25'000, "p.htm"))}, {"p.htm", "<p>页</p>"}}), true,
         "页", 1, 100, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReadProblems problems;
        const auto start = std::chrono::steady_clock::now();
        const Result<Text> text = renderDocumentBytes(c.name, c.bytes, &problems);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 10.0);
        if (!c.givesText) {
            EXPECT_FALSE(text.ok());
            if (!text.ok()) {
                EXPECT_EQ(text.error().code, ErrorCode::BadInput);
                EXPECT_FALSE(text.error().message.empty());
            }
            continue;
        }
        EXPECT_TRUE(text.ok()) << text.error().describe();
        if (!text.ok())
            continue;
        EXPECT_LE(text->size(), c.maxChars);
        EXPECT_EQ(occurrences(toUtf8(*text), c.marker), c.times);
        EXPECT_EQ(!problems.empty(), c.reportsProblem) << (problems.empty() ? "" : problems.front());
    }
}

}  // namespace
}  // namespace sorvane
