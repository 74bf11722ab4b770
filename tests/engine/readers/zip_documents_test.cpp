// The DOCX and ODT readers on small documents, one property each, beyond what the golden
// documents show: fields inside fields, toggles switched off, moved text, symbols, the
// reader's choice between two renderings of a drawing, white space rules.
#include <gtest/gtest.h>

#include <string>

#include "engine/readers/docx_reader.h"
#include "engine/readers/list_numbering.h"
#include "engine/readers/odt_reader.h"
#include "engine/containers/zip_archive.h"
#include "support/zip_writer.h"

namespace sorvane {
namespace {

struct DocCase {
    const char* what;
    std::string xml;   // the body of the document
    std::string text;  // UTF-8, CR LF
};

std::string readDocxBody(const std::string& body)
{
    const std::string xml = R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
                            R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"><w:body>)" +
                            body + "</w:body></w:document>";
    const std::string bytes = test::zipArchive({{"word/document.xml", xml, true}});
    auto archive = ZipArchive::open(bytes);
    if (!archive || !isDocx(**archive))
        return "<not a docx>";
    auto text = docxText(**archive);
    return text ? toUtf8(*text) : "<error " + text.error().message + ">";
}

std::string readOdtText(const std::string& text, const std::string& styles = "")
{
    const std::string xml =
        R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
        R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
        R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
        R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0">)"
        "<office:automatic-styles>" + styles + "</office:automatic-styles><office:body><office:text>" + text +
        "</office:text></office:body></office:document-content>";
    const std::string bytes = test::zipArchive(
        {{"mimetype", "application/vnd.oasis.opendocument.text\n"}, {"content.xml", xml, true}});
    auto archive = ZipArchive::open(bytes);
    if (!archive || !isOdt(**archive))
        return "<not an odt>";
    auto result = odtText(**archive);
    return result ? toUtf8(*result) : "<error " + result.error().message + ">";
}

std::string run(const std::string& t)
{
    return "<w:r><w:t xml:space=\"preserve\">" + t + "</w:t></w:r>";
}

TEST(DocxReader, ShowsWhatWordShows)
{
    const std::string begin = R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r>)";
    const std::string separate = R"(<w:r><w:fldChar w:fldCharType="separate"/></w:r>)";
    const std::string end = R"(<w:r><w:fldChar w:fldCharType="end"/></w:r>)";
    const std::string code = R"(<w:r><w:instrText>REF x</w:instrText></w:r>)";
    const DocCase cases[] = {
        {"a field in a field's result", "<w:p>" + begin + code + separate + run("a") + begin + code + separate +
                                            run("b") + end + run("c") + end + "</w:p>",
         "abc"},
        {"a field in a field's code shows nothing",
         "<w:p>" + begin + code + begin + code + separate + run("hidden") + end + separate + run("shown") + end +
             "</w:p>",
         "shown"},
        {"a field without end keeps its result", "<w:p>" + begin + code + separate + run("r") + "</w:p>", "r"},
        {"vanish switched off shows", R"(<w:p><w:r><w:rPr><w:vanish w:val="0"/></w:rPr><w:t>x</w:t></w:r></w:p>)",
         "x"},
        {"vanish with false", R"(<w:p><w:r><w:rPr><w:vanish w:val="false"/></w:rPr><w:t>y</w:t></w:r></w:p>)", "y"},
        {"moved-away text left out, moved-to kept",
         "<w:p><w:moveFrom>" + run("old") + "</w:moveFrom><w:moveTo>" + run("new") + "</w:moveTo></w:p>", "new"},
        {"symbols: Symbol-font code and plain code",
         R"(<w:p><w:r><w:sym w:font="Symbol" w:char="F061"/><w:sym w:char="2605"/><w:sym w:char="zz"/></w:r></w:p>)",
         "a★"},
        {"non-breaking hyphen and no-break space",
         "<w:p><w:r><w:t>a</w:t><w:noBreakHyphen/><w:t>b\xC2\xA0" "c</w:t><w:softHyphen/></w:r></w:p>", "a-b c"},
        {"only the chosen rendering of a drawing",
         "<w:p>" + run("x") + "<mc:AlternateContent><mc:Choice>" + run("1") + "</mc:Choice><mc:Fallback>" + run("2") +
             "</mc:Fallback></mc:AlternateContent></w:p>",
         "x1"},
        {"empty paragraphs add no blank lines", "<w:p/><w:p>" + run("a") + "</w:p><w:p/><w:p/><w:p>" + run("b") +
                                                     "</w:p><w:p/>",
         "a\r\n\r\nb"},
        {"list items are lines, set off from paragraphs",
         "<w:p>" + run("p") + "</w:p><w:p><w:pPr><w:numPr/></w:pPr>" + run("1") +
             "</w:p><w:p><w:pPr><w:numPr/></w:pPr>" + run("2") + "</w:p><w:p>" + run("q") + "</w:p>",
         "p\r\n\r\n1\r\n2\r\n\r\nq"},
        {"a reference to a missing note", R"(<w:p><w:r><w:t>a</w:t><w:footnoteReference w:id="9"/></w:r></w:p>)",
         "a[1]"},
        {"rows that start with empty cells",
         "<w:p>" + run("p") + "</w:p><w:tbl><w:tr><w:tc><w:p/></w:tc><w:tc><w:p>" + run("b") +
             "</w:p></w:tc></w:tr><w:tr><w:tc><w:p/></w:tc><w:tc><w:p/></w:tc></w:tr></w:tbl><w:p>" + run("q") +
             "</w:p>",
         "p\r\n\r\n\tb\r\n\t\r\n\r\nq"},
        {"empty cells keep their tabs",
         "<w:tbl><w:tr><w:tc><w:p>" + run("a") + "</w:p></w:tc><w:tc><w:p/></w:tc><w:tc><w:p>" + run("c") +
             "</w:p></w:tc></w:tr></w:tbl>",
         "a\t\tc"},
    };
    for (const DocCase& c : cases)
        EXPECT_EQ(readDocxBody(c.xml), c.text) << c.what;
}

// Notes that refer to notes: each note reached is numbered when first referred to and
// rendered once, footnotes before endnotes, whichever part the reference came from.
TEST(DocxReader, RendersEveryNoteReachedOnce)
{
    const std::string ns = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";
    const auto ref = [](const char* kind, int id) {
        return std::string("<w:r><w:") + kind + "Reference w:id=\"" + std::to_string(id) + "\"/></w:r>";
    };
    const auto note = [](const char* kind, int id, const std::string& inner) {
        return std::string("<w:") + kind + " w:id=\"" + std::to_string(id) + "\"><w:p><w:r><w:" + kind +
               "Ref/></w:r>" + inner + "</w:p></w:" + kind + ">";
    };
    struct NoteCase {
        const char* what;
        std::string body, footnotes, endnotes, text;
    };
    const NoteCase cases[] = {
        {"a footnote referring to a footnote", run("a") + ref("footnote", 1),
         note("footnote", 1, run("A") + ref("footnote", 2)) + note("footnote", 2, run("B")), "",
         "a[1]\r\n\r\n[1]A[2]\r\n\r\n[2]B"},
        {"an endnote referring to a footnote", run("a") + ref("endnote", 1), note("footnote", 5, run("F")),
         note("endnote", 1, run("E") + ref("footnote", 5)), "a[1]\r\n\r\n[1]E[2]\r\n\r\n[2]F"},
        {"notes referring to each other and themselves", run("a") + ref("footnote", 1),
         note("footnote", 1, run("A") + ref("footnote", 2) + ref("footnote", 1)) +
             note("footnote", 2, run("B") + ref("footnote", 1)),
         "", "a[1]\r\n\r\n[1]A[2][1]\r\n\r\n[2]B[1]"},
    };
    for (const NoteCase& c : cases) {
        // Enough notes in a chain that the list of notes grows while it is walked.
        const std::string xml = "<w:document " + ns + "><w:body><w:p>" + c.body + "</w:p></w:body></w:document>";
        const std::string bytes = test::zipArchive(
            {{"word/document.xml", xml, true},
             {"word/footnotes.xml", "<w:footnotes " + ns + ">" + c.footnotes + "</w:footnotes>", true},
             {"word/endnotes.xml", "<w:endnotes " + ns + ">" + c.endnotes + "</w:endnotes>", true}});
        auto archive = ZipArchive::open(bytes);
        ASSERT_TRUE(archive.ok());
        auto text = docxText(**archive);
        ASSERT_TRUE(text.ok()) << c.what;
        EXPECT_EQ(toUtf8(*text), c.text) << c.what;
    }

    // A chain of 40 footnotes, each referring to the next: the list grows many times
    // over while it is walked, and every note is there once.
    std::string body = run("a") + ref("footnote", 1);
    std::string footnotes;
    std::string expected = "a[1]";
    for (int i = 1; i <= 40; ++i) {
        footnotes += note("footnote", i, run("n") + (i < 40 ? ref("footnote", i + 1) : ""));
        expected += "\r\n\r\n[" + std::to_string(i) + "]n" + (i < 40 ? "[" + std::to_string(i + 1) + "]" : "");
    }
    const std::string bytes = test::zipArchive(
        {{"word/document.xml", "<w:document " + ns + "><w:body><w:p>" + body + "</w:p></w:body></w:document>", true},
         {"word/footnotes.xml", "<w:footnotes " + ns + ">" + footnotes + "</w:footnotes>", true}});
    auto archive = ZipArchive::open(bytes);
    ASSERT_TRUE(archive.ok());
    auto text = docxText(**archive);
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(toUtf8(*text), expected);
}

TEST(DocxReader, RefusesWhatItCannotRead)
{
    const std::string notXml = test::zipArchive({{"word/document.xml", "<w:document><w:body>", true}});
    auto archive = ZipArchive::open(notXml);
    ASSERT_TRUE(archive.ok());
    auto text = docxText(**archive);
    ASSERT_FALSE(text.ok());
    EXPECT_EQ(text.error().code, ErrorCode::BadInput);

    const std::string other = test::zipArchive({{"word/other.xml", "<x/>"}});
    auto notDocx = ZipArchive::open(other);
    ASSERT_TRUE(notDocx.ok());
    EXPECT_FALSE(isDocx(**notDocx));
    EXPECT_FALSE(isOdt(**notDocx));
}

TEST(DocxReader, HostileNumberingStaysBounded)
{
    // A level text of 5000 placeholders, a start at the top of the range, a level past
    // the last, a numbering style that links back to itself, and many paragraphs.
    std::string levelText;
    for (int i = 0; i < 5000; ++i)
        levelText += "%1";
    const std::string w = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";
    const std::string numbering =
        "<w:numbering " + w + R"(><w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0">)"
        R"(<w:start w:val="99999999999999"/><w:lvlText w:val=")" + levelText + R"("/></w:lvl></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="2"><w:numStyleLink w:val="Loop"/></w:abstractNum>)"
        R"(<w:num w:numId="1"><w:abstractNumId w:val="1"/></w:num><w:num w:numId="2"><w:abstractNumId w:val="2"/></w:num>)"
        "</w:numbering>";
    const std::string styles = "<w:styles " + w + R"(><w:style w:styleId="Loop"><w:basedOn w:val="Loop"/>)"
                               R"(<w:pPr><w:numPr><w:numId w:val="2"/></w:numPr></w:pPr></w:style></w:styles>)";
    std::string body = R"(<w:p><w:pPr><w:numPr><w:ilvl w:val="99"/><w:numId w:val="1"/></w:numPr></w:pPr>)" +
                       run("x") + "</w:p>";
    const int paragraphs = 2000;
    for (int i = 0; i < paragraphs; ++i)
        body += R"(<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr>)" + run("x") +
                R"(</w:p><w:p><w:pPr><w:pStyle w:val="Loop"/></w:pPr>)" + run("y") + "</w:p>";
    const std::string xml = "<w:document " + w + "><w:body>" + body + "</w:body></w:document>";
    const std::string bytes = test::zipArchive({{"word/document.xml", xml, true},
                                                {"word/numbering.xml", numbering, true},
                                                {"word/styles.xml", styles, true}});
    auto archive = ZipArchive::open(bytes);
    ASSERT_TRUE(archive);
    const auto text = docxText(**archive);
    ASSERT_TRUE(text);
    EXPECT_LE(text->size(), static_cast<std::size_t>(paragraphs) * (kMaxListLabel + 16));
    // The level past the last shows as the last, which has no text: no label at all.
    EXPECT_EQ(toUtf8(text->substr(0, 3)), "x\r\n");
    // The long level text gives a label of bounded length, the largest number over and over.
    const std::size_t lineEnd = text->find(u"\r\n", 3);
    EXPECT_LE(lineEnd - 3, static_cast<std::size_t>(kMaxListLabel) + 2);
    EXPECT_EQ(toUtf8(text->substr(3, 18)), "999999999999999999");
}

TEST(OdtReader, ShowsWhatTheFormatSays)
{
    const std::string styles = R"(<style:style style:name="H" style:family="paragraph">)"
                               R"(<style:text-properties text:display="none"/></style:style>)"
                               R"(<text:list-style style:name="N"><text:list-level-style-number text:level="1")"
                               R"( style:num-format="1" style:num-suffix="."/></text:list-style>)";
    const DocCase cases[] = {
        {"white space collapses, none at a paragraph's start",
         "<text:p>  a \n\t b  <text:span> c</text:span></text:p>", "a b c"},
        {"text:s without a count is one space", "<text:p>a<text:s/>b</text:p>", "a b"},
        {"text:s after a space is kept", "<text:p>a <text:s text:c=\"2\"/>b</text:p>", "a   b"},
        {"a space after text:s collapses with nothing before it", "<text:p>a<text:s/> b</text:p>", "a  b"},
        {"a line break starts a fresh run of white space", "<text:p>a<text:line-break/> b</text:p>", "a\r\nb"},
        {"paragraph in a hidden style", "<text:p text:style-name=\"H\">x</text:p><text:p>y</text:p>", "y"},
        {"hidden paragraph and text elements", "<text:p>a<text:hidden-text>b</text:hidden-text></text:p>"
                                               "<text:hidden-paragraph>c</text:hidden-paragraph>",
         "a"},
        {"a note inside a note is left out",
         "<text:p>a<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>n"
         "<text:note><text:note-citation>2</text:note-citation><text:note-body><text:p>m</text:p>"
         "</text:note-body></text:note></text:p></text:note-body></text:note></text:p>",
         "a[1]\r\n\r\n[1] n[2]"},
        {"covered cells keep their tabs",
         "<table:table><table:table-row><table:table-cell><text:p>a</text:p></table:table-cell>"
         "<table:covered-table-cell/><table:table-cell><text:p>c</text:p></table:table-cell>"
         "</table:table-row></table:table>",
         "a\t\tc"},
        {"headings and list items are lines",
         "<text:h>H</text:h><text:list><text:list-item><text:p>1</text:p></text:list-item>"
         "<text:list-item><text:p>2</text:p></text:list-item></text:list><text:p>p</text:p>",
         "H\r\n1\r\n2\r\n\r\np"},
        {"a writer's copy of the number gives way to the counted one",
         "<text:list text:style-name=\"N\"><text:list-item><text:p><text:number>7.</text:number>a</text:p>"
         "</text:list-item></text:list>",
         "1.\ta"},
    };
    for (const DocCase& c : cases)
        EXPECT_EQ(readOdtText(c.xml, styles), c.text) << c.what;
}

}  // namespace
}  // namespace sorvane
