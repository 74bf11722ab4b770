// The one choice of reader: content first, then the name; what is not read is refused
// with a message saying what it looks like.
#include <gtest/gtest.h>

#include "engine/containers/zip_archive.h"
#include "engine/encoding/encoding_labels.h"
#include "engine/readers/chm_reader.h"
#include "engine/readers/readable_names.h"
#include "engine/readers/reader_table.h"
#include "engine/convert/renderer.h"
#include "support/zip_writer.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::zipArchive;

const std::string kEpubZip = zipArchive({{"mimetype", "application/epub+zip"}, {"a.txt", "x"}});
// mimetype not first, so only a look inside the archive finds it.
const std::string kEpubLate = zipArchive({{"a.txt", "x"}, {"mimetype", "application/epub+zip"}});
const std::string kEpubNoMime = zipArchive({{"META-INF/container.xml", "<container/>"}});
const std::string kOtherZip = zipArchive({{"readme.txt", "hello"}});

TEST(DocumentReader, ChoosesByContentThenByName)
{
    const struct {
        const char* name;
        std::string bytes;
        const char* reader;  // nullptr: left to the page and text renderers
    } cases[] = {
        {"book.epub", kEpubZip, "EPUB"},
        {"book.zip", kEpubZip, "EPUB"},
        {"book", kEpubLate, "EPUB"},
        {"book.bin", kEpubNoMime, "EPUB"},
        {"book.epub", kOtherZip, "ZIP"},  // content wins over the name
        {"book.epub", "<html>not a book</html>", "EPUB"},
        {"book.EPUB", "", "EPUB"},
        {"page.txt", "From: <Saved by Blink>\r\nContent-Type: multipart/related;\r\n\ttype=\"text/html\"; b=x\r\n\r\n",
         "MHT"},
        {"a.htm", "Content-Type: Message/RFC822\n\nContent-Type: text/html\n\n<p>", "MHT"},
        {"a.mht", "Content-Type: text/html\r\n\r\n<p>x</p>", "MHT"},
        {"a.MHTML", "<p>x</p>", "MHT"},
        {"a.dat", "Content-Type: text/html\r\n\r\n<p>x</p>", nullptr},
        {"a.txt", "Subject: hi\r\nContent-Type: multipart/mixed; boundary=x\r\n\r\n", nullptr},
        {"a.txt", "note\r\nContent-Type: multipart/related\r\n", nullptr},
        {"a.txt", "Dear: you\r\n Content-Type: multipart/related\r\n", nullptr},
        {"help.dat", "ITSF\x03\0\0\0", "CHM"},
        {"help.CHM", "", "CHM"},
        {"a.pdf", "%PDF-1.7\n", "PDF"},
        {"a.htm", "\r\n%PDF-1.4", "PDF"},
        {"a.htm", "<html><head><meta name=keywords content=\"%PDF-1.7\"></head>", nullptr},
        {"a.txt", "The header reads %PDF-1.7\n", nullptr},
        {"a", "x%PDF-1.4\n", nullptr},
        {"a.doc", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'), "DOC"},
        {"a.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'), "OLE"},
        {"a.dat", "{\\rtf1\\ansi x}", "RTF"},
        {"a.txt", "\xEF\xBB\xBF\r\n{\\rtf1 x}", "RTF"},
        {"a.RTF", "", "RTF"},
        {"a.docx", std::string("PK\x03\x04", 4), "DOCX"},  // too short to open: named, so its reader says why
        {"a.odt", std::string("PK\x03\x04", 4), "ODT"},
        {"a.htm", "\x89PNG\r\n\x1A\n....", "image"},
        {"a.txt", "GIF89a....", "image"},
        {"a.txt", "Rar!\x1A\x07\x01", "archive"},
        {"a.txt", std::string("\x1F\x8B\x08\0", 4), "archive"},
        {"a", "\x7F" "ELF\x02\x01", "program"},
        {"a.txt", "MZ is the start of this text", nullptr},
        {"a.htm", "<p>page</p>", nullptr},
        {"a.txt", "PK is not a zip", nullptr},
        {"a.txt", std::string("PK\x03\x04", 4), "ZIP"},  // too short to hold the EPUB marker
        {"a.txt", "RIFF", nullptr},
        {"a.epub.txt", "words", nullptr},
        {"a.txt", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<FictionBook xmlns=\"x\">", "FB2"},
        {"book.zip", zipArchive({{"dir/", ""}, {"Book.FB2", "<FictionBook/>"}}), "FB2"},
        {"book.zip", zipArchive({{"a.fb2", "x"}, {"b.fb2", "y"}}), "ZIP"},  // not one book
        {"a.FB2.ZIP", "", "FB2"},
        {"a.xml", "<?xml version=\"1.0\"?><html/>", nullptr},
        {"a", "<FictionBook xmlns=\"x\">", "FB2"},
        {"a", std::string(60, '\0') + "BOOKMOBI" + std::string(10, '\0'), "MOBI"},
        {"a", std::string(60, '\0') + "TEXtREAd" + std::string(10, '\0'), "MOBI"},
        {"a.txt", std::string(60, '\0') + "BOOKMOBI", nullptr},  // too short for a database header
        {"a.azw3", "", "MOBI"},
        {"a.cbz", kOtherZip, "CBZ"},
        {"a.cbr", "Rar!\x1A\x07\x01", "CBR"},
        {"a.rar", "Rar!\x1A\x07\x01", "archive"},
        {"a.txt", "AT&TFORM\0\0\0\x10" "DJVU", "DjVu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.bytes.substr(0, 12));
        DocumentProbe probe(c.bytes, c.name);
        const DocumentReader* row = chooseDocumentReader(probe);
        if (!c.reader)
            EXPECT_EQ(row, nullptr) << row->name;
        else
            EXPECT_STREQ(row ? row->name : "none", c.reader);
    }
}

TEST(DocumentReader, OpensTheArchiveOnceForTheCheckAndTheReader)
{
    // The EPUB check looks inside this archive for its "mimetype" member; the reader is
    // handed that archive, not a second one.
    DocumentProbe probe(kEpubLate, "book");
    const DocumentReader* row = chooseDocumentReader(probe);
    ASSERT_STREQ(row ? row->name : "none", "EPUB");
    const Result<ZipArchive*> first = probe.zipArchive();
    const Result<ZipArchive*> again = probe.zipArchive();
    ASSERT_TRUE(first.ok() && again.ok());
    EXPECT_EQ(*first, *again);
    EXPECT_EQ((*first)->members().size(), 2u);
    // Bytes that are no archive fail the same way each time, saying why.
    DocumentProbe page("<p>x</p>", "a.epub");
    for (int i = 0; i < 2; ++i) {
        const Result<ZipArchive*> none = page.zipArchive();
        ASSERT_FALSE(none.ok());
        EXPECT_NE(none.error().message.find("ZIP"), std::string::npos) << none.error().message;
    }
}

TEST(DocumentReader, RefusesUnreadableKindsNamingWhatTheyAre)
{
    test::ScratchFolder dir;
    const struct {
        const char* name;
        std::string bytes;
        ErrorCode code;
        const char* says;
    } cases[] = {
        {"archive.epub", kOtherZip, ErrorCode::BinaryInput, "ZIP"},
        {"paper.htm", "%PDF-1.5\n%\xE2\xE3\xCF\xD3", ErrorCode::BinaryInput, "PDF"},
        {"sheet.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'),
         ErrorCode::BinaryInput, "Office"},
        {"old.doc", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'), ErrorCode::BadInput,
         "复合文档"},
        {"words.rtf", "plain words", ErrorCode::BadInput, "RTF"},
        {"cut.docx", std::string("PK\x03\x04", 4), ErrorCode::BadInput, "Word"},
        {"pic.txt", "\xFF\xD8\xFF\xE0", ErrorCode::BinaryInput, "图片"},
        {"fake.epub", "<p>x</p>", ErrorCode::BadInput, "EPUB"},
        {"cut.epub", kEpubZip.substr(0, kEpubZip.size() / 2), ErrorCode::BadInput, "EPUB"},
        {"empty.epub", kEpubZip, ErrorCode::BadInput, "EPUB"},  // no package document
        {"cut.chm", "ITSF\x03\0\0\0`\0\0\0", ErrorCode::BadInput, "CHM"},
        {"zeros.chm", "ITSF" + std::string(4096, '\0'), ErrorCode::BadInput, "CHM"},
        {"comic.cbz", kOtherZip, ErrorCode::BinaryInput, "CBZ"},
        {"empty.doc", "", ErrorCode::BadInput, "空"},
        {"letter.doc", std::string("\xFFWPC\x10\x00\x00\x00\x01\x0A", 10) + std::string(100, '\0'),
         ErrorCode::BinaryInput, "WordPerfect"},
        {"xml.doc", "<?xml version='1.0'?>\n<?mso-application progid=\"Word.Document\"?>\n<w:wordDocument/>",
         ErrorCode::BadInput, "Word 2003"},
        {"locked.odt",
         test::zipArchive({{"mimetype", "application/vnd.oasis.opendocument.text"},
                           {"META-INF/manifest.xml",
                            "<manifest:manifest><manifest:file-entry manifest:full-path='content.xml'>"
                            "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>"},
                           {"content.xml", "\x93\x11\xA7 not XML"}}),
         ErrorCode::BadInput, "已加密"},
        {"ancient.doc", std::string("\xDB\xA5\x2D\x00", 4) + std::string(508, '\0'), ErrorCode::BinaryInput,
         "Word 2.0"},
        {"locked.docx",
         test::readFile(std::filesystem::path(SORVANE_TEST_DATA) / "readers-bad" / "encrypted-package.docx"),
         ErrorCode::BinaryInput, "已加密"},
        {"comic.cbr", "Rar!\x1A\x07\x01\0", ErrorCode::BinaryInput, "CBR"},
        {"scan.djvu", std::string("AT&TFORM\0\0\0\x10" "DJVU", 16), ErrorCode::BinaryInput, "DjVu"},
        {"locked.mobi", test::readFile(std::filesystem::path(SORVANE_TEST_DATA) / "readers-bad" / "drm-locked.mobi"),
         ErrorCode::BadInput, "DRM"},
        {"nohtml.mht", "Content-Type: multipart/related; boundary=b\r\n\r\n--b\r\nContent-Type: image/png\r\n\r\nxx\r\n--b--\r\n",
         ErrorCode::BadInput, "HTML"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir / c.name, c.bytes);
        auto r = renderDocument(dir / c.name);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, c.code);
        EXPECT_NE(r.error().message.find(c.says), std::string::npos) << r.error().message;
        EXPECT_NE(r.error().where.find(c.name), std::string::npos);
    }
}

TEST(DocumentReader, AWebPageSavedUnderADocNameIsReadAsAPage)
{
    test::ScratchFolder dir;
    const struct {
        const char* name;
        std::string bytes;
        const char16_t* text;
    } cases[] = {
        {"saved.doc", "<html><body><p>网页</p></body></html>", u"网页"},
        {"bom.doc", "\xEF\xBB\xBF\r\n <p>网页</p>", u"网页"},
        {"rich.doc", "{\\rtf1\\ansi text}", u"text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir / c.name, c.bytes);
        auto r = renderDocument(dir / c.name);
        ASSERT_TRUE(r.ok()) << r.error().describe();
        EXPECT_EQ(*r, c.text);
    }
}

TEST(DocumentReader, PatternsListEveryReadableKind)
{
    const std::string patterns = readableDocumentPatterns();
    for (const char* p : {"*.htm", "*.html", "*.mht", "*.mhtml", "*.epub", "*.chm", "*.docx", "*.odt", "*.rtf", "*.doc",
                          "*.txt"})
        EXPECT_NE(patterns.find(p), std::string::npos) << p;
    // Refused kinds are not offered.
    EXPECT_EQ(patterns.find("*.zip"), std::string::npos);
    EXPECT_EQ(patterns.find(";;"), std::string::npos);
}

TEST(DocumentReader, HelpBooksTakeTheCodePageOfTheirLanguage)
{
    const struct {
        std::uint32_t lcid;
        const char* label;
    } cases[] = {
        {0x0804, "gbk"},          {0x1004, "gbk"},          {0x0404, "big5"},         {0x0C04, "big5"},
        {0x1404, "big5"},         {0x0411, "shift_jis"},    {0x0412, "euc-kr"},       {0x0419, "windows-1251"},
        {0x0415, "windows-1250"}, {0x0408, "windows-1253"}, {0x041F, "windows-1254"}, {0x040D, "windows-1255"},
        {0x0401, "windows-1256"}, {0x0426, "windows-1257"}, {0x041E, "windows-874"},  {0x042A, "windows-1258"},
        {0x0409, "windows-1252"}, {0x0407, "windows-1252"}, {0, "windows-1252"},      {0xFFFFFFFF, "windows-1252"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lcid);
        EXPECT_EQ(encodingForLanguageId(c.lcid), c.label);
    }
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

TEST(DocumentReader, ASavedPageOfTooManyPartsKeepsItsPageAndSaysSo)
{
    // The page first, then thousands of tiny parts: the parts past the cap are left
    // out, the page is rendered and the reader says what it left out.
    const std::string head = "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"B\"\r\n\r\n"
                             "--B\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>页面正文</p>\r\n";
    for (const std::size_t parts : {100u, 20000u}) {
        SCOPED_TRACE(parts);
        std::string mht = head;
        for (std::size_t i = 0; i < parts; ++i)
            mht += "--B\r\nContent-Type: image/png\r\nContent-Location: i" + std::to_string(i) + ".png\r\n\r\nxx\r\n";
        mht += "--B--\r\n";
        std::vector<std::string> problems;
        const auto text = renderDocumentBytes("page.mht", mht, &problems);
        ASSERT_TRUE(text.ok()) << text.error().describe();
        EXPECT_EQ(*text, u"页面正文");
        EXPECT_EQ(problems.size(), parts > 8000 ? 1u : 0u);
        if (!problems.empty()) {
            EXPECT_NE(problems[0].find("8000"), std::string::npos) << problems[0];
        }
    }
}

}  // namespace
}  // namespace sorvane
