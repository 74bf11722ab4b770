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

TEST(EpubReader, EncryptedContentIsRefusedObfuscatedFontsAreNot)
{
    auto encryption = [](const char* algorithm) {
        return ZipEntry{"META-INF/encryption.xml",
                        std::string("<encryption xmlns='urn:oasis:names:tc:opendocument:xmlns:container' "
                                    "xmlns:enc='http://www.w3.org/2001/04/xmlenc#'><enc:EncryptedData>"
                                    "<enc:EncryptionMethod Algorithm='") +
                            algorithm +
                            "'/><enc:CipherData><enc:CipherReference URI='OPS/a.xhtml'/></enc:CipherData>"
                            "</enc:EncryptedData></encryption>"};
    };
    const ZipEntry chapter{"OPS/a.xhtml", page("<p>正文</p>")};
    const struct {
        const char* algorithm;
        bool refused;
    } cases[] = {
        {"http://www.w3.org/2001/04/xmlenc#aes128-cbc", true},
        {"http://www.idpf.org/2008/embedding", false},
        {"http://ns.adobe.com/pdf/enc#RC", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.algorithm);
        ReadProblems problems;
        auto text = readBook(book(item("a", "a.xhtml"), "<itemref idref='a'/>", {encryption(c.algorithm), chapter}),
                                  problems);
        if (c.refused) {
            ASSERT_FALSE(text.ok());
            EXPECT_NE(text.error().message.find("DRM"), std::string::npos);
        } else {
            ASSERT_TRUE(text.ok()) << text.error().describe();
            EXPECT_EQ(*text, u"正文");
        }
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
