// Hostile and damaged word-processor documents through the whole conversion, once
// through the engine (ch_txt) and once through sorvane-cli: ZIP bombs, entity expansion,
// nesting a million deep, huge counts, compound files whose sector chains loop, encrypted
// and truncated files. Each must give text or a clear error quickly, the program must
// keep running, and no file that was there before may be lost or changed.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input_support.h"
#include "common/text.h"
#include "engine/convert/ch_txt.h"
#include "io/codepage.h"
#include "support/zip_writer.h"
#include "support/test_text.h"

namespace sorvane {
namespace {

using test::fingerprint;
using test::lostOrChanged;
using test::readFile;
using test::runCli;
using test::ScratchFolder;
using test::writeFile;

const std::string kDocxNs = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";

std::string docx(const std::string& documentXml, std::int64_t claimedSize = -1)
{
    test::ZipEntry doc{"word/document.xml", documentXml, true, claimedSize};
    return test::zipArchive({{"[Content_Types].xml", "<Types/>"}, doc});
}

std::string odt(const std::string& contentXml)
{
    return test::zipArchive({{"mimetype", "application/vnd.oasis.opendocument.text"},
                             {"content.xml", contentXml, true}});
}

std::string body(const std::string& inner)
{
    return "<w:document " + kDocxNs + "><w:body>" + inner + "</w:body></w:document>";
}

using test::repeat;

// The Word 97 fixture with some bytes changed. Its layout (checked by
// OfficeHostile.FixtureLayout): 512-byte sectors, the FAT in the sector named first in
// the header, the directory at sector 18, the WordDocument stream from sector 9.
std::string wordFixture()
{
    return readFile(std::filesystem::path(SORVANE_TEST_DATA) / "office/doc-chinese-english/input.doc");
}

std::uint32_t u32(const std::string& s, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

void put32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

constexpr std::uint32_t kDirectorySector = 18;
constexpr std::uint32_t kWordDocumentSector = 9;

std::size_t sectorOffset(std::uint32_t sector)
{
    return (std::size_t{sector} + 1) * 512;
}

// Points a sector's FAT entry at the sector itself: its chain loops for ever.
std::string withLoopingChain(std::uint32_t sector)
{
    std::string doc = wordFixture();
    const std::uint32_t fatSector = u32(doc, 0x4C);
    put32(doc, sectorOffset(fatSector) + 4 * sector, sector);
    return doc;
}

std::string withWordBytes(std::size_t at, std::uint32_t value)
{
    std::string doc = wordFixture();
    put32(doc, sectorOffset(kWordDocumentSector) + at, value);
    return doc;
}

struct OfficeCase {
    const char* what;
    std::string name;
    std::string bytes;
    bool converts;                   // false: refused with `error`
    ErrorCode error;                 // when refused
    std::vector<std::string> found;  // texts the converted output must hold (UTF-8)
    bool cut = false;                // converted only in part, with the problem reported
};

TEST(OfficeHostile, FixtureLayout)
{
    const std::string doc = wordFixture();
    ASSERT_GT(doc.size(), sectorOffset(kDirectorySector) + 512);
    EXPECT_EQ(doc.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    EXPECT_EQ(u32(doc, 0x30), kDirectorySector);
    // The sixth directory entry is the WordDocument stream, held in ordinary sectors.
    const std::size_t entry = sectorOffset(kDirectorySector) + 5 * 128;
    EXPECT_EQ(toUtf8(decodeWith("UTF-16LE", doc.substr(entry, 24)).value()), "WordDocument");
    EXPECT_EQ(u32(doc, entry + 0x74), kWordDocumentSector);
    EXPECT_GE(u32(doc, entry + 0x78), 4096u);
    EXPECT_EQ(u32(doc, sectorOffset(kWordDocumentSector)) & 0xFFFF, 0xA5ECu);
}

TEST(OfficeHostile, GiveTextOrAClearErrorWithNothingLost)
{
    const std::size_t deep = test::kSanitized ? 200'000 : 1'000'000;
    // Elements nested as deep as fits the memory a file of some kilobytes may take for
    // its tree; a million would be cut short before the innermost text.
    const std::size_t deepXml = test::kSanitized ? 200'000 : 300'000;
    const std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY lol \"lol\">"
                               "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
                               "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
                               "<!ENTITY lol9 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">]>";
    const std::string wordDoc = wordFixture();
    const std::string goodDocx = docx(body("<w:p><w:r><w:t>完整的文档</w:t></w:r></w:p>"));
    const std::string goodOdt = odt("<office:document-content><office:body><office:text><text:p>完整的文档</text:p>"
                                    "</office:text></office:body></office:document-content>");
    const std::string goodRtf =
        "{\\rtf1\\ansi\\ansicpg936 \\'cd\\'ea\\'d5\\'fb\\par " + std::string(100, 'x') + "\\par}";

    const OfficeCase cases[] = {
        // ZIP archives.
        {"member claiming four gigabytes", "claims.docx", docx(body("<w:p/>"), 0xFFFFFFF0), false,
         ErrorCode::BadInput, {}},
        // Read as far as memory in proportion to the file allows: the end is cut off.
        {"member inflating a thousandfold", "bomb.docx",
         docx(body("<w:p><w:r><w:t>前</w:t></w:r></w:p>" + repeat("<w:p/>", 2'000'000) +
                   "<w:p><w:r><w:t>后</w:t></w:r></w:p>")),
         true, {}, {"前"}, true},
        {"space marks inflating a thousandfold", "spaces-bomb.odt",
         odt("<office:document-content><office:body><office:text><text:p>甲" +
             repeat("<text:s text:c=\"1024\"/>", 400'000) + "乙</text:p></office:text></office:body>"
             "</office:document-content>"),
         true, {}, {"甲"}, true},
        {"entity expansion", "laughs.docx",
         docx(laughs + body("<w:p><w:r><w:t>&lol9;笑</w:t></w:r></w:p>")), true, {}, {"笑"}},
        {"elements nested 300,000 deep", "deep.docx",
         docx(body("<w:p>" + repeat("<w:hyperlink>", deepXml) + "<w:r><w:t>深处</w:t></w:r>" +
                   repeat("</w:hyperlink>", deepXml) + "</w:p>")),
         true, {}, {"深处"}},
        {"unclosed elements", "unclosed.docx", docx(body("<w:p><w:r><w:t>半")), false, ErrorCode::BadInput, {}},
        {"DOCX cut in half", "cut.docx", goodDocx.substr(0, goodDocx.size() / 2), false, ErrorCode::BadInput, {}},
        {"ODT cut in half", "cut.odt", goodOdt.substr(0, goodOdt.size() / 2), false, ErrorCode::BadInput, {}},
        {"ODT with a huge space count", "spaces.odt",
         odt("<office:document-content><office:body><office:text><text:p>甲<text:s text:c=\"999999999999\"/>乙"
             "</text:p></office:text></office:body></office:document-content>"),
         true, {}, {"甲", "乙"}},
        {"a ZIP that is no document", "other.docx", test::zipArchive({{"a.txt", "x"}}), false,
         ErrorCode::BinaryInput, {}},
        // RTF.
        {"groups nested a million deep", "deep.rtf",
         "{\\rtf1 " + std::string(deep, '{') + "\\u28145?\\u22788?" + std::string(deep, '}') + "}", true, {}, {"深处"}},
        {"groups opened a million times and never closed", "open.rtf",
         "{\\rtf1\\ansi\\ansicpg936 \\'c7\\'b0" + std::string(deep, '{'), true, {}, {"前"}},
        {"huge \\uc count", "uc.rtf", "{\\rtf1 {\\uc2147483647\\u20013 abc}\\u25991?}", true, {}, {"中文"}},
        {"huge \\bin count", "bin.rtf", "{\\rtf1 before\\par{\\bin4294967296 }}}}", true, {}, {"before"}},
        {"RTF cut in half", "cut.rtf", goodRtf.substr(0, goodRtf.size() / 2), true, {}, {"完整"}},
        // Compound files.
        {"Word document as made", "fixture.doc", wordDoc, true, {}, {"朱镕", "Tao Zhe"}},
        // The library stops reading the directory where its chain loops, so the
        // WordDocument stream is not found.
        {"directory chain that loops", "dirloop.doc", withLoopingChain(kDirectorySector), false,
         ErrorCode::BinaryInput, {}},
        {"WordDocument chain that loops", "streamloop.doc", withLoopingChain(kWordDocumentSector), false,
         ErrorCode::BadInput, {}},
        {"encrypted", "locked.doc", withWordBytes(0x08, 0x01000000u | (u32(wordDoc, sectorOffset(9) + 8) & 0xFFFF)),
         false, ErrorCode::BadInput, {}},
        {"piece table outside its stream", "clx.doc", withWordBytes(0x1A2, 0xFFFFFF00u), false, ErrorCode::BadInput,
         {}},
        {"text length far past the stream", "ccp.doc", withWordBytes(0x4C, 0x7FFFFFFFu), true, {}, {"朱镕"}},
        {"Word document cut in half", "cut.doc", wordDoc.substr(0, wordDoc.size() / 2), false, ErrorCode::BadInput,
         {}},
        {"compound file header only", "header.doc", wordDoc.substr(0, 512), false, ErrorCode::BadInput, {}},
    };

    for (const OfficeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder dir;
        writeFile(dir / c.name, c.bytes);
        writeFile(dir / "读者的笔记.txt", "keep me\r\n");
        const auto before = fingerprint(dir.path());
        const auto report = ch_txt(dir / c.name, 0, {}, {}, EngineContext{});
        const auto after = fingerprint(dir.path());
        EXPECT_EQ(lostOrChanged(before, after), "");
        if (c.converts) {
            ASSERT_TRUE(report.ok()) << report.error().describe();
            ASSERT_EQ(report->files.size(), 1u);
            const std::string text = toUtf8(decodeCp936(readFile(report->files[0])));
            for (const std::string& f : c.found)
                EXPECT_NE(text.find(f), std::string::npos) << "missing " << f << " in " << text.substr(0, 200);
            if (c.cut) {
                EXPECT_FALSE(report->problems.empty());
            }
        } else {
            ASSERT_FALSE(report.ok());
            EXPECT_EQ(report.error().code, c.error) << report.error().describe();
            EXPECT_EQ(report.error().where, (dir / c.name).string());
            EXPECT_FALSE(report.error().message.empty());
            EXPECT_TRUE(test::added(before, after).empty());
        }

        ScratchFolder cliDir;
        writeFile(cliDir / c.name, c.bytes);
        const auto cliBefore = fingerprint(cliDir.path());
        auto options = test::inFolder(cliDir.path());
        options.timeLimitSeconds = 60;
        const auto run = runCli({"--quiet", c.name}, options);
        ASSERT_TRUE(run.exited) << test::describe(run);
        EXPECT_EQ(lostOrChanged(cliBefore, fingerprint(cliDir.path())), "");
        EXPECT_EQ(run.status, !c.converts ? 1 : c.cut ? 3 : 0) << test::describe(run);
        if (!c.converts) {
            EXPECT_NE(run.err.find(report.error().message), std::string::npos) << run.err;
        }
    }
}

}  // namespace
}  // namespace sorvane
