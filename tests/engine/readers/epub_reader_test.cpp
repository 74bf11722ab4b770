// EPUB books that are damaged or locked: what can be read is rendered and the rest is
// named; encrypted content is refused, obfuscated fonts are not.
#include <gtest/gtest.h>

#include "engine/readers/epub_reader.h"
#include "support/zip_writer.h"

namespace sorvane {
namespace {

using test::ZipEntry;
using test::zipArchive;

std::string page(const std::string& body)
{
    return "<?xml version='1.0' encoding='utf-8'?><html xmlns='http://www.w3.org/1999/xhtml'><head><title/></head>"
           "<body>" + body + "</body></html>";
}

std::string book(const std::string& items, const std::string& spine, std::vector<ZipEntry> more)
{
    std::vector<ZipEntry> members = {
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         "<container><rootfiles><rootfile full-path='OPS/book.opf' media-type='application/oebps-package+xml'/>"
         "</rootfiles></container>"},
        {"OPS/book.opf", "<package xmlns='http://www.idpf.org/2007/opf'><manifest>" + items + "</manifest><spine>" +
                             spine + "</spine></package>"},
    };
    members.insert(members.end(), more.begin(), more.end());
    return zipArchive(members);
}

std::string item(const char* id, const char* href)
{
    return std::string("<item id='") + id + "' href='" + href + "' media-type='application/xhtml+xml'/>";
}

// The book read as the reader table hands it over: the probe, named as a book.
Result<Text> readBook(const std::string& bytes, ReadProblems& problems)
{
    DocumentProbe document(bytes, "book.epub");
    return readEpub(document, problems);
}

TEST(EpubReader, DamagedBookRendersWhatCanBeReadAndNamesTheRest)
{
    const std::string bytes = book(item("a", "a.xhtml") + item("b", "bad.xhtml") + item("c", "gone.xhtml") +
                                       item("d", "d.xhtml"),
                                   "<itemref idref='a'/><itemref idref='b'/><itemref idref='c'/>"
                                   "<itemref idref='nowhere'/><itemref idref='d'/><itemref idref='a'/>",
                                   {{"OPS/a.xhtml", page("<p>甲</p>"), true},
                                    {"OPS/bad.xhtml", page("<p>坏</p>"), true, -1, true},
                                    {"OPS/d.xhtml", page("<p>丁</p><script src='x.js'/><p>戊</p>")}});
    ReadProblems problems;
    auto text = readBook(bytes, problems);
    ASSERT_TRUE(text.ok()) << text.error().describe();
    // "a" listed twice comes out once; the self-closed script hides nothing.
    EXPECT_EQ(*text, u"甲\r\n\r\n丁\r\n\r\n戊");
    ASSERT_EQ(problems.size(), 3u);
    std::string all;
    for (const std::string& p : problems)
        all += p + "\n";
    for (const char* named : {"bad.xhtml", "gone.xhtml", "nowhere"})
        EXPECT_NE(all.find(named), std::string::npos) << all;

    // Nothing readable at all: an error naming the first problem.
    ReadProblems none;
    auto empty = readBook(book(item("c", "gone.xhtml"), "<itemref idref='c'/>", {}), none);
    ASSERT_FALSE(empty.ok());
    EXPECT_NE(empty.error().message.find("gone.xhtml"), std::string::npos) << empty.error().message;
}

TEST(EpubReader, EncryptedChaptersAreLockedObfuscatedFontsAndOtherMembersAreNot)
{
    // One encrypted member a case: its algorithm and the member it names.
    auto encryption = [](const char* algorithm, const char* uri) {
        return ZipEntry{"META-INF/encryption.xml",
                        std::string("<encryption xmlns='urn:oasis:names:tc:opendocument:xmlns:container' "
                                    "xmlns:enc='http://www.w3.org/2001/04/xmlenc#'><enc:EncryptedKey Id='k'>"
                                    "<enc:EncryptionMethod Algorithm='http://www.w3.org/2001/04/xmlenc#rsa-1_5'/>"
                                    "</enc:EncryptedKey><enc:EncryptedData><enc:EncryptionMethod Algorithm='") +
                            algorithm + "'/><enc:CipherData><enc:CipherReference URI='" + uri +
                            "'/></enc:CipherData></enc:EncryptedData></encryption>"};
    };
    const char* aes = "http://www.w3.org/2001/04/xmlenc#aes128-cbc";
    const struct {
        const char* algorithm;
        const char* uri;
        const char16_t* text;  // nothing: refused as locked
        std::size_t problems;
    } cases[] = {
        {aes, "OPS/a.xhtml", u"乙", 1},             // one chapter of two locked: the other, and a problem
        {aes, "OPS/A.XHTML", u"乙", 1},             // named in another case
        {aes, "OPS/video.mp4", u"正文\r\n\r\n乙", 0},  // a locked video costs no text
        {aes, "OPS/gone.xhtml", u"正文\r\n\r\n乙", 0}, // naming no member locks nothing
        {"http://www.idpf.org/2008/embedding", "OPS/a.xhtml", u"正文\r\n\r\n乙", 0},
        {"http://ns.adobe.com/pdf/enc#RC", "OPS/a.xhtml", u"正文\r\n\r\n乙", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uri);
        ReadProblems problems;
        auto text = readBook(book(item("a", "a.xhtml") + item("b", "b.xhtml"), "<itemref idref='a'/><itemref idref='b'/>",
                                  {encryption(c.algorithm, c.uri), {"OPS/a.xhtml", page("<p>正文</p>")},
                                   {"OPS/b.xhtml", page("<p>乙</p>")}, {"OPS/video.mp4", "\x01\x02"}}),
                             problems);
        ASSERT_TRUE(text.ok()) << text.error().describe();
        EXPECT_EQ(*text, c.text);
        EXPECT_EQ(problems.size(), c.problems);
    }
    // Every chapter locked: the book is refused.
    ReadProblems problems;
    auto text = readBook(book(item("a", "a.xhtml"), "<itemref idref='a'/>",
                              {encryption(aes, "OPS/a.xhtml"), {"OPS/a.xhtml", page("<p>正文</p>")}}),
                         problems);
    ASSERT_FALSE(text.ok());
    EXPECT_NE(text.error().message.find("DRM"), std::string::npos);
}

TEST(EpubReader, IdsWithSpacesAndNamesInAnotherCompositionFindTheirChapters)
{
    const struct {
        std::string items;
        std::string spine;
        std::string member;
    } cases[] = {
        // An id is an XML name: the spaces around it are not part of it.
        {"<item id=' a ' href='a.xhtml' media-type='application/xhtml+xml'/>", "<itemref idref='a '/>", "OPS/a.xhtml"},
        // The link writes "u" and a combining diaeresis, the archive one character "ü".
        {item("a", "content_u%CC%88.xhtml"), "<itemref idref='a'/>", "OPS/content_\xC3\xBC.xhtml"},
        // And the other way round.
        {item("a", "content_%C3%BC.xhtml"), "<itemref idref='a'/>", "OPS/content_u\xCC\x88.xhtml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        ReadProblems problems;
        auto text = readBook(book(c.items, c.spine, {{c.member, page("<p>正文</p>")}}), problems);
        ASSERT_TRUE(text.ok()) << text.error().describe();
        EXPECT_EQ(*text, u"正文");
        EXPECT_EQ(problems.size(), 0u);
    }
}

TEST(EpubReader, ChaptersShowAsABrowserShowsThem)
{
    const struct {
        const char* what;
        std::string chapter;
        const char16_t* text;
    } cases[] = {
        {"internal DTD subset",
         "<?xml version='1.0' encoding='utf-8'?>\n<!DOCTYPE html [\n<!ENTITY nbsp '&#160;'>\n"
         "<!ENTITY odd \"a ] > b\"><!-- ] -->\n]>\n<html xmlns='http://www.w3.org/1999/xhtml'><body><p>正文</p>"
         "</body></html>",
         u"正文"},
        {"doctype without subset", "<!DOCTYPE html><html><body><p>正文</p></body></html>", u"正文"},
        {"svg text",
         page("<p>图</p><svg xmlns='http://www.w3.org/2000/svg'><text x='0' y='10'>第一行</text>"
              "<text x='0' y='20'>第二行</text></svg>"),
         u"图\r\n\r\n第一行\r\n第二行"},
        {"mathml",
         page("<p>公式</p><math xmlns='http://www.w3.org/1998/Math/MathML' display='block'><mi>a</mi><mo>+</mo>"
              "<mi>b</mi></math>"),
         u"公式\r\n\r\na+b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReadProblems problems;
        auto text = readBook(book(item("a", "a.xhtml"), "<itemref idref='a'/>", {{"OPS/a.xhtml", c.chapter}}),
                             problems);
        ASSERT_TRUE(text.ok()) << text.error().describe();
        EXPECT_EQ(*text, c.text);
    }
}

}  // namespace
}  // namespace sorvane
