// The ZIP and XML adapters: member lookup and caps, damage reported, link resolution
// that never leaves the archive, and XML in legacy encodings without entity expansion.
#include <gtest/gtest.h>

#include "engine/containers/xml_document.h"
#include "engine/containers/zip_archive.h"
#include "support/zip_writer.h"

namespace sorvane {
namespace {

using test::ZipEntry;
using test::zipArchive;

TEST(ZipArchive, ReadsMembersAndRefusesWhatIsDamagedOrTooLarge)
{
    const std::string bytes = zipArchive({
        {"mimetype", "application/epub+zip"},
        {"OEBPS/text.html", std::string(5000, 'x') + "end", true},
        {"bad-crc.txt", "hello", false, -1, true},
        {"liar.txt", std::string(4096, 'a'), true, 10},
        {"../../escape.txt", "outside"},
    });
    ZipLimits limits;
    limits.maxMemberSize = 4000;
    auto zip = ZipArchive::open(bytes, limits);
    ASSERT_TRUE(zip.ok()) << zip.error().describe();
    ZipArchive& a = **zip;
    ASSERT_EQ(a.members().size(), 5u);
    EXPECT_EQ(a.members()[1].name, "OEBPS/text.html");
    EXPECT_EQ(a.members()[1].size, 5003u);

    auto mime = a.read("mimetype");
    ASSERT_TRUE(mime.ok());
    EXPECT_EQ(*mime, "application/epub+zip");
    // Claimed size over the cap: refused before inflating.
    auto big = a.read("OEBPS/text.html");
    ASSERT_FALSE(big.ok());
    EXPECT_EQ(big.error().where, "OEBPS/text.html");
    // Claims 10 bytes, inflates to 4096: stopped when the real bytes pass the cap.
    auto liar = a.read("liar.txt");
    EXPECT_FALSE(liar.ok());
    auto crc = a.read("bad-crc.txt");
    ASSERT_FALSE(crc.ok());
    EXPECT_NE(crc.error().message.find("校验和不符"), std::string::npos) << crc.error().message;
    // A "../" name is an ordinary key; nothing resolves to it from inside the archive.
    EXPECT_TRUE(a.read("../../escape.txt").ok());
    EXPECT_FALSE(a.read("escape.txt").ok());
    EXPECT_FALSE(a.read("missing").ok());
    EXPECT_EQ(a.findNoCase("oebps/TEXT.html"), std::optional<std::size_t>(1));

    // The total cap counts every read of the archive.
    ZipLimits total;
    total.maxTotalInflated = 30;
    auto small = ZipArchive::open(bytes, total);
    ASSERT_TRUE(small.ok());
    EXPECT_TRUE((*small)->read("mimetype").ok());  // 20 bytes
    EXPECT_FALSE((*small)->read("mimetype").ok());  // 40 > 30

    // Not an archive, an archive cut short, and nothing at all.
    EXPECT_FALSE(ZipArchive::open("PK\x03\x04 not really").ok());
    EXPECT_FALSE(ZipArchive::open(std::string_view(bytes).substr(0, bytes.size() - 30)).ok());
    EXPECT_FALSE(ZipArchive::open("").ok());
}

TEST(ZipArchive, ResolvesLinksInsideTheArchiveOnly)
{
    const struct {
        const char* base;
        const char* href;
        std::optional<std::string> want;
    } cases[] = {
        {"OEBPS/content.opf", "text/ch1.xhtml", "OEBPS/text/ch1.xhtml"},
        {"OEBPS/text/ch1.xhtml", "../css/book.css", "OEBPS/css/book.css"},
        {"OEBPS/text/ch1.xhtml", "../../../../etc/passwd", "etc/passwd"},
        {"OEBPS/text/ch1.xhtml", "/top.css", "top.css"},
        {"content.opf", "./a/./b/../c.html#frag", "a/c.html"},
        {"content.opf", "%E7%AB%A0.html?x=1", "章.html"},
        {"a/b.html", "sub\\c.html", "a/sub/c.html"},
        {"a/b.html", "http://example.com/x.css", std::nullopt},
        {"a/b.html", "data:text/css,x", std::nullopt},
        {"a/b.html", "C:/x.css", std::nullopt},
        {"a/b.html", "..", std::nullopt},
        {"a/b.html", "100%.html", "a/100%.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " + " + c.href);
        EXPECT_EQ(resolveMemberName(c.base, c.href), c.want);
    }
}

TEST(XmlDocument, ParsesNamespacesEncodingsAndRefusesBrokenDocuments)
{
    auto doc = XmlDocument::parse(
        "<?xml version='1.0'?>\n<!DOCTYPE x [<!ENTITY a 'AAAAAAAAAA'><!ENTITY b '&a;&a;&a;&a;'>]>"
        "<opf:package xmlns:opf='http://www.idpf.org/2007/opf' xmlns:dc='http://purl.org/dc/elements/1.1/'>"
        "<dc:title> A &amp; B </dc:title><opf:item opf:idref='c1' href='x'/><t>&b;</t><w><![CDATA[<x>]]> &#x4E2D;</w>"
        "</opf:package>");
    ASSERT_TRUE(doc.ok()) << doc.error().describe();
    const auto root = (*doc)->root();
    EXPECT_EQ(XmlDocument::localName(root), "package");
    EXPECT_EQ(XmlDocument::namespaceUri(root), "http://www.idpf.org/2007/opf");
    const auto title = XmlDocument::childElement(root, "title");
    ASSERT_TRUE(title);
    EXPECT_EQ(XmlDocument::namespaceUri(title), "http://purl.org/dc/elements/1.1/");
    EXPECT_EQ(XmlDocument::textContent(title), " A & B ");
    const auto item = XmlDocument::childElement(root, "item");
    EXPECT_EQ(XmlDocument::attributeLocal(item, "idref"), std::optional<std::string_view>("c1"));
    EXPECT_EQ(XmlDocument::attribute(item, "idref"), std::nullopt);
    EXPECT_EQ(XmlDocument::attribute(item, "href"), std::optional<std::string_view>("x"));
    // The DTD's entities are not expanded.
    EXPECT_EQ(XmlDocument::textContent(XmlDocument::childElement(root, "t")).find("AAAA"), std::string::npos);
    EXPECT_EQ(XmlDocument::textContent(XmlDocument::childElement(root, "w")), "<x> 中");

    // GBK declared in the prolog: 镕 and 喆 are E9 46 and 86 B4.
    auto gbk = XmlDocument::parse("<?xml version=\"1.0\" encoding=\"GBK\"?><p>\xE9\x46\x86\xB4</p>");
    ASSERT_TRUE(gbk.ok()) << gbk.error().describe();
    EXPECT_EQ(XmlDocument::textContent((*gbk)->root()), "镕喆");

    for (const char* bad : {"", "<a><b></a>", "<a", "just text", "<?xml version='1.0'?>"}) {
        SCOPED_TRACE(bad);
        auto r = XmlDocument::parse(bad);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, ErrorCode::BadInput);
    }
    EXPECT_EQ(xmlDeclaredEncoding("<?xml version='1.0' encoding='gb2312'?><a/>"), std::optional<std::string>("gb2312"));
    EXPECT_EQ(xmlDeclaredEncoding("<a encoding='x'/>"), std::nullopt);
}

// A budget for the bytes and the tree together: a tree that fits is whole, one that
// does not stops where the budget ran out (the start is kept, the end is not), and bytes
// over the budget on their own, or a budget spent before the root element, are refused.
TEST(XmlDocument, ParsesWithinAMemoryBudget)
{
    std::string many = "<r><first/>";
    for (int i = 0; i < 100'000; ++i)
        many += "<e/>";
    many += "<last/></r>";
    struct Case {
        const char* what;
        std::size_t budget;
        bool ok;
        bool cut;
    };
    const Case cases[] = {
        {"room for all", std::size_t{64} << 20, true, false},
        {"room for the bytes and part of the tree", many.size() + (std::size_t{1} << 20), true, true},
        {"room for the bytes only", many.size() + 16, false, false},
        {"not even the bytes", many.size() / 2, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = XmlDocument::parseWithin(many, c.budget);
        ASSERT_EQ(doc.ok(), c.ok);
        if (!c.ok) {
            EXPECT_EQ(doc.error().code, ErrorCode::BadInput);
            EXPECT_NE(doc.error().message.find(std::to_string(c.budget >> 20) + " MB"), std::string::npos)
                << doc.error().message;
            continue;
        }
        EXPECT_EQ((*doc)->cutShort(), c.cut);
        const auto root = (*doc)->root();
        EXPECT_TRUE(XmlDocument::childElement(root, "first"));
        EXPECT_EQ(XmlDocument::childElement(root, "last") != nullptr, !c.cut);
    }
}

}  // namespace
}  // namespace sorvane
