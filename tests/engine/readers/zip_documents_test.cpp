// The DOCX and ODT readers on small documents, one property each, beyond what the golden
// documents show: fields inside fields, toggles switched off, moved text, symbols, the
// reader's choice between two renderings of a drawing, white space rules.
#include <gtest/gtest.h>

#include <string>

#include "engine/readers/docx_reader.h"
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

TEST(OdtReader, ShowsWhatTheFormatSays)
{
    const std::string hiddenStyle = R"(<style:style style:name="H" style:family="paragraph">)"
                                    R"(<style:text-properties text:display="none"/></style:style>)";
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
    };
    for (const DocCase& c : cases)
        EXPECT_EQ(readOdtText(c.xml, hiddenStyle), c.text) << c.what;
}

}  // namespace
}  // namespace sorvane
