// Where a conversion writes and in what bytes: the encodings and line ends, the output
// folder, and the rules that keep the documents of one run from replacing each other.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/convert/ch_txt.h"
#include "engine/output/run_outputs.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

EngineContext fixedText(Text text)
{
    EngineContext context;
    context.render = [text](const std::filesystem::path&) -> Result<Text> { return text; };
    return context;
}

TEST(Output, EachEncodingAndLineEndByteForByte)
{
    // An emoji (outside the BMP), ½, Korean, the euro sign and 镕; the first line is long
    // enough for the indent, the second is not.
    const Text rendered = u"😀½한€镕\r\nab";
    const std::string indentGbk = "\xA1\xA1\xA1\xA1";
    const std::string indentUtf8 = "\xE3\x80\x80\xE3\x80\x80";
    struct Case {
        OutputEncoding encoding;
        LineEnd lineEnd;
        std::string expected;
        std::size_t lost;
    };
    const Case cases[] = {
        // Code page 936: what it lacks is '?', the euro sign is 0x80.
        {OutputEncoding::Gbk, LineEnd::CrLf, indentGbk + "???\x80\xE9\x46\r\nab\r\n", 3},
        {OutputEncoding::Gbk, LineEnd::Lf, indentGbk + "???\x80\xE9\x46\nab\n", 3},
        // GB18030: four-byte codes for the emoji, ½ and Korean; € is A2E3 there.
        {OutputEncoding::Gb18030, LineEnd::CrLf,
         indentGbk + "\x94\x39\xFC\x36\x81\x30\x86\x35\x83\x36\x84\x33\xA2\xE3\xE9\x46\r\nab\r\n", 0},
        {OutputEncoding::Gb18030, LineEnd::Lf,
         indentGbk + "\x94\x39\xFC\x36\x81\x30\x86\x35\x83\x36\x84\x33\xA2\xE3\xE9\x46\nab\n", 0},
        {OutputEncoding::Utf8, LineEnd::CrLf,
         indentUtf8 + "\xF0\x9F\x98\x80\xC2\xBD\xED\x95\x9C\xE2\x82\xAC\xE9\x95\x95\r\nab\r\n", 0},
        {OutputEncoding::Utf8, LineEnd::Lf,
         indentUtf8 + "\xF0\x9F\x98\x80\xC2\xBD\xED\x95\x9C\xE2\x82\xAC\xE9\x95\x95\nab\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.encoding)) + "/" + std::to_string(static_cast<int>(c.lineEnd)));
        ScratchFolder dir;
        ConversionParams params;
        params.encoding = c.encoding;
        params.lineEnd = c.lineEnd;
        const auto report = ch_txt(dir / "page.htm", 0, params, {}, fixedText(rendered));
        ASSERT_TRUE(report.ok()) << report.error().describe();
        EXPECT_EQ(readFile(dir / "page.txt"), c.expected);
        EXPECT_EQ(report->lostCharacters, c.lost);
    }
}

TEST(Output, TheReplacementListSeesTheRenderedTextUnlessItGoesToCodePage936)
{
    // A pair for a character code page 936 lacks: with GBK the text holds '?' by then.
    const ReplacementList list = {{u"😀", u"[笑]", "Y"}, {u"?", u"问", "Y"}};
    struct Case {
        OutputEncoding encoding;
        std::string expected;
    };
    const Case cases[] = {
        {OutputEncoding::Gbk, "\xCE\xCA\xCE\xCA\r\n"},  // 问问: both marks came from the code page
        {OutputEncoding::Utf8, "[\xE7\xAC\x91]\xE9\x97\xAE\r\n"},  // [笑]问
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        ConversionParams params;
        params.encoding = c.encoding;
        const auto report = ch_txt(dir / "p.htm", 0, params, list, fixedText(u"😀?"));
        ASSERT_TRUE(report.ok()) << report.error().describe();
        EXPECT_EQ(readFile(dir / "p.txt"), c.expected);
    }
}

TEST(Output, AnOutputFolderIsCreatedAndTakesEveryPart)
{
    ScratchFolder dir;
    // A .txt source maps onto itself beside it, but converts into another folder.
    const auto source = dir / "notes.txt";
    writeFile(source, "第一行文字内容\n第二行文字内容\n第三行文字内容\n");
    const std::string original = readFile(source);
    ConversionParams params;
    params.maxSize = "0.1";  // 102 characters per part: one line each
    params.outputFolder = dir / "out" / "deep";
    const std::string line(120, 'x');
    const Text text = fromUtf8(line + "\r\n" + line + "\r\n" + line);
    const auto report = ch_txt(source, 0, params, {}, fixedText(text));
    ASSERT_TRUE(report.ok()) << report.error().describe();
    const std::vector<std::filesystem::path> expected = {dir / "out" / "deep" / "notes.txt",
                                                          dir / "out" / "deep" / "notes_0001.txt",
                                                          dir / "out" / "deep" / "notes_0002.txt"};
    EXPECT_EQ(report->files, expected);
    for (const auto& file : expected)
        EXPECT_EQ(readFile(file), "\xA1\xA1\xA1\xA1" + line + "\r\n") << file;
    EXPECT_EQ(readFile(source), original);

    // Beside itself the same source is refused, and left alone.
    params.outputFolder.clear();
    const auto refused = ch_txt(source, 0, params, {}, EngineContext{});
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::WouldOverwrite);
    EXPECT_EQ(readFile(source), original);

    // An output folder that cannot be made (a file in its place) fails, naming it.
    writeFile(dir / "blocked", "x");
    params.outputFolder = dir / "blocked" / "sub";
    const auto blocked = ch_txt(source, 0, params, {}, fixedText(u"x"));
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().code, ErrorCode::Unwritable);
}

TEST(Output, EarlierSameOutputFindsTheFirstOfEachName)
{
    ScratchFolder dir;
    std::filesystem::create_directory(dir / "sub");
    const std::vector<std::filesystem::path> outputs = {
        dir / "a.txt", dir / "b.txt", dir / "sub" / ".." / "a.txt", dir / "c.txt", dir / "b.txt", dir / "a.txt",
    };
    const auto earlier = earlierSameOutput(outputs);
    const std::vector<std::optional<std::size_t>> expected = {std::nullopt, std::nullopt, 0, std::nullopt, 1, 0};
    EXPECT_EQ(earlier, expected);
}

TEST(Output, RunOutputsRefusesWhatAnotherDocumentOfTheRunWroteOrReads)
{
    ScratchFolder dir;
    writeFile(dir / "old.txt", "kept");
    writeFile(dir / "x.txt", "a source");
    const auto a = dir / "a.htm";
    const auto b = dir / "b.htm";
    const auto x = dir / "x.txt";
    struct Step {
        std::filesystem::path source;
        std::vector<std::filesystem::path> names;
        bool ok;
        ErrorCode code;
        const char* named;  // a name the message must hold
    };
    const auto run = [&](bool noClobber, const std::vector<Step>& steps) {
        RunOutputs outputs({a, b, x}, noClobber);
        for (const Step& s : steps) {
            SCOPED_TRACE(s.source.string() + (noClobber ? " no-clobber" : ""));
            const Status claimed = outputs.claim(s.source, s.names);
            ASSERT_EQ(claimed.ok(), s.ok);
            if (s.ok)
                continue;
            EXPECT_EQ(claimed.error().code, s.code);
            EXPECT_NE(claimed.error().message.find(s.named), std::string::npos) << claimed.error().message;
        }
    };
    run(false, {
                   {a, {dir / "a.txt", dir / "a_0100.txt"}, true, {}, ""},
                   // b's second part is a's: b is refused, naming a, and records nothing.
                   {b, {dir / "b.txt", dir / "sub" / ".." / "a_0100.txt"}, false, ErrorCode::WouldOverwrite, "a.htm"},
                   {b, {dir / "b.txt"}, true, {}, ""},
                   // A file that is another source of the run.
                   {b, {dir / "x.txt"}, false, ErrorCode::WouldOverwrite, "x.txt"},
                   // The same document may write its own files again.
                   {a, {dir / "a.txt"}, true, {}, ""},
                   // Existing files are replaced without --no-clobber.
                   {x, {dir / "old.txt"}, true, {}, ""},
               });
    run(true, {
                  {a, {dir / "a.txt"}, true, {}, ""},
                  {b, {dir / "b.txt", dir / "old.txt"}, false, ErrorCode::OutputExists, "old.txt"},
                  // Written earlier in the run, then exists: still the same document's own.
                  {a, {dir / "a.txt"}, true, {}, ""},
                  {b, {dir / "b.txt"}, true, {}, ""},
              });
}

}  // namespace
}  // namespace sorvane
