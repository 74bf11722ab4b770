#include "engine/convert/ch_txt.h"


#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/codepage.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

std::string gbk(TextView text)
{
    return encodeCp936(text).bytes;
}

// A context whose renderer returns `text` for any path, so no source file is needed.
EngineContext fixedText(Text text, const std::filesystem::path& programFolder = {})
{
    EngineContext context;
    context.programFolder = programFolder;
    context.render = [text](const std::filesystem::path&) -> Result<Text> { return text; };
    return context;
}

Text numberedLines(int count, const Text& stem)
{
    Text text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += u"\r\n";
        text += stem + fromUtf8(std::to_string(i));
    }
    return text;
}

TEST(ChTxt, ConvertsAPlainTextSourceBesideIt)
{
    ScratchFolder dir;
    const auto source = dir / "chap7.text";
    writeFile(source, "第七章　归来\n\n\n\n  他推开门，院子里的桂花正开。  \n==========\n完\n");
    ConversionParams params;
    params.naming = 2;  // three digits
    params.maxRun = "6";
    std::vector<std::string> captions;
    EngineContext context;
    context.setCaption = [&](const std::string& c) { captions.push_back(c); };
    std::vector<double> progress;
    context.progress = [&](double d) { progress.push_back(d); };

    const auto report = ch_txt(source, 0, params, {}, context);
    ASSERT_TRUE(report.ok()) << report.error().describe();
    const auto output = dir / "chap007.txt";
    ASSERT_EQ(report->files, std::vector<std::filesystem::path>{output});
    EXPECT_EQ(readFile(output), gbk(u"　　第七章　归来\r\n\r\n　　他推开门，院子里的桂花正开。\r\n======\r\n完\r\n\r\n"));
    EXPECT_EQ(report->lines, 8u);
    EXPECT_EQ(report->lostCharacters, 0u);
    EXPECT_EQ(captions, std::vector<std::string>{"正在转换 " + source.string() + " ..."});
    ASSERT_FALSE(progress.empty());
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_LE(progress[i - 1], progress[i]);
}

TEST(ChTxt, PreviewWritesScratchPartsIntoTheProgramFolder)
{
    ScratchFolder dir;
    const auto program = dir / "prog";
    std::filesystem::create_directory(program);
    ConversionParams params;
    params.maxSize = "0.1";  // 102 characters
    bool captionSet = false;
    EngineContext context = fixedText(numberedLines(60, u"第"), program);
    context.setCaption = [&](const std::string&) { captionSet = true; };

    const auto report = ch_txt(dir / "book.htm", 1, params, {}, context);
    ASSERT_TRUE(report.ok()) << report.error().describe();
    EXPECT_FALSE(captionSet);
    ASSERT_GE(report->files.size(), 2u);
    EXPECT_EQ(report->files[0], program / "TEMP.TXT");
    // Lines "第0".."第9" count 2, "第10".. 3: the second part starts at index 38.
    EXPECT_EQ(report->files[1], program / "TEMP_0038.txt");
    for (const auto& f : report->files)
        EXPECT_TRUE(std::filesystem::exists(f)) << f;
    EXPECT_FALSE(std::filesystem::exists(dir / "book.txt"));
}

TEST(ChTxt, EmptyDocumentStillCreatesTheFile)
{
    ScratchFolder dir;
    ConversionParams params;
    auto report = ch_txt(dir / "empty.htm", 0, params, {}, fixedText(u""));
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(readFile(dir / "empty.txt"), "\r\n");

    params.restBlank = "0";
    report = ch_txt(dir / "empty.htm", 0, params, {}, fixedText(u""));
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(std::filesystem::exists(dir / "empty.txt"));
    EXPECT_EQ(readFile(dir / "empty.txt"), "");
}

TEST(ChTxt, LostCharactersAreReported)
{
    ScratchFolder dir;
    const auto report = ch_txt(dir / "a.htm", 0, {}, {}, fixedText(u"表情\U0001F600和\u0E01"));
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report->lostCharacters, 2u);
    EXPECT_EQ(readFile(dir / "a.txt"), gbk(u"　　表情?和?\r\n"));
}

TEST(ChTxt, LargeCountsAndValuesWork)
{
    ScratchFolder dir;
    Text text = numberedLines(40000, u"行");
    text += u"\r\n" + Text(45000, u'-');
    ConversionParams params;
    params.maxRun = "40000";
    params.maxSize = "3000000";
    params.head = "40000";
    params.headBlank = "9";
    const auto report = ch_txt(dir / "big.htm", 0, params, {}, fixedText(text));
    ASSERT_TRUE(report.ok()) << report.error().describe();
    EXPECT_EQ(report->lines, 40001u);
    ASSERT_EQ(report->files.size(), 1u);
    const std::string bytes = readFile(dir / "big.txt");
    EXPECT_TRUE(bytes.ends_with("\r\n" + std::string(40000, '-') + "\r\n"));

    // Split small: indexes of five digits in the part names.
    params.maxSize = "1";
    const auto split = ch_txt(dir / "big.htm", 0, params, {}, fixedText(text));
    ASSERT_TRUE(split.ok());
    EXPECT_EQ(split->files.back(), dir / "big_40000.txt");
    EXPECT_TRUE(std::filesystem::exists(dir / "big_40000.txt"));
}

TEST(ChTxt, RefusesToOverwriteTheSource)
{
    ScratchFolder dir;
    // A .txt source with the name kept maps onto itself.
    const auto source = dir / "notes.txt";
    const std::string original = "原文\r\n";
    writeFile(source, original);
    auto report = ch_txt(source, 0, {}, {}, EngineContext{});
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::WouldOverwrite);
    EXPECT_EQ(report.error().where, source.string());
    EXPECT_EQ(readFile(source), original);

    // Reached through another spelling of the same path.
    report = ch_txt(dir.path() / "." / "notes.txt", 0, {}, {}, EngineContext{});
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::WouldOverwrite);

    // A source that exists only for the renderer is compared by its resolved name.
    std::filesystem::create_directory(dir / "sub");
    report = ch_txt(dir / "sub" / ".." / "ghost.txt", 0, {}, {}, fixedText(u"正文"));
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::WouldOverwrite);
    EXPECT_FALSE(std::filesystem::exists(dir / "ghost.txt"));

    // The output name is a link to the source.
    writeFile(dir / "linked.htm", "<p>正文</p>");
    std::filesystem::create_symlink(dir / "linked.htm", dir / "linked.txt");
    report = ch_txt(dir / "linked.htm", 0, {}, {}, EngineContext{});
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::WouldOverwrite);
    EXPECT_EQ(readFile(dir / "linked.htm"), "<p>正文</p>");

    // A later part of the preview would be the source: nothing at all is written.
    const auto program = dir / "prog";
    std::filesystem::create_directory(program);
    const auto scratchPart = program / "TEMP_0038.txt";
    writeFile(scratchPart, "keep");
    ConversionParams params;
    params.maxSize = "0.1";
    report = ch_txt(scratchPart, 1, params, {}, fixedText(numberedLines(60, u"第"), program));
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::WouldOverwrite);
    EXPECT_EQ(readFile(scratchPart), "keep");
    EXPECT_FALSE(std::filesystem::exists(program / "TEMP.TXT"));
}

TEST(ChTxt, SourceFailuresNameTheFile)
{
    ScratchFolder dir;
    auto report = ch_txt(dir / "missing.htm", 0, {}, {}, EngineContext{});
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::NotFound);
    EXPECT_EQ(report.error().where, (dir / "missing.htm").string());

    std::filesystem::create_directory(dir / "folder.htm");
    report = ch_txt(dir / "folder.htm", 0, {}, {}, EngineContext{});
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Unreadable);
    EXPECT_FALSE(std::filesystem::exists(dir / "folder.txt"));
}

TEST(ChTxt, UnwritableOutputIsAnError)
{
    ScratchFolder dir;
    // The output folder is a plain file, so nothing can be created in it (even as root).
    writeFile(dir / "file", "x");
    auto report = ch_txt(dir / "file" / "ch1.htm", 0, {}, {}, fixedText(u"正文"));
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Unwritable);
    EXPECT_EQ(report.error().where, (dir / "file" / "ch1.txt").string());
    EXPECT_FALSE(report.error().message.empty());

    // Preview into a program folder that does not exist.
    report = ch_txt(dir / "a.htm", 1, {}, {}, fixedText(u"正文", dir / "no-such-folder"));
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Unwritable);
}

TEST(ChTxt, FailedPartKeepsEarlierPartsAndLeavesNoHalfFile)
{
    ScratchFolder dir;
    ConversionParams params;
    params.maxSize = "0.1";
    const EngineContext context = fixedText(numberedLines(120, u"第"));
    // A folder in the way of the third part.
    const auto first = ch_txt(dir / "b.htm", 0, params, {}, context);
    ASSERT_TRUE(first.ok());
    ASSERT_GE(first->files.size(), 3u);
    const std::string secondBytes = readFile(first->files[1]);
    std::filesystem::remove(first->files[2]);
    std::filesystem::create_directory(first->files[2]);

    const auto report = ch_txt(dir / "b.htm", 0, params, {}, context);
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::Unwritable);
    EXPECT_EQ(report.error().where, first->files[2].string());
    EXPECT_EQ(readFile(first->files[1]), secondBytes);

    // A write cut short by the file size limit (EFBIG): the part is removed, not left
    // half written, and the earlier parts stay.
    std::filesystem::remove(first->files[2]);
    ConversionParams big;
    big.maxSize = "4";
    const Text text = numberedLines(2000, u"很长的一行文字");  // parts of about 8 K bytes
    Result<ConversionReport> cut = Error{};
    {
        test::FileSizeLimit limit(6000);
        ASSERT_TRUE(limit.active());
        cut = ch_txt(dir / "c.htm", 0, big, {}, fixedText(text));
    }
    ASSERT_FALSE(cut.ok());
    EXPECT_EQ(cut.error().code, ErrorCode::Unwritable);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.txt"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().ends_with(".tmp")) << entry.path();
}

// A re-run replaces the whole earlier book or, when a part cannot be written, nothing;
// parts of the earlier book that the new one does not have are removed, while files only
// named like parts, and those the run owns elsewhere, stay.
TEST(ChTxt, ARerunReplacesTheWholeBookOrNothing)
{
    const struct {
        const char* name;
        int newLines;
        bool thirdPartBlocked;
    } cases[] = {{"fewer parts", 10, false}, {"a part cannot be written", 120, true}};
    const std::vector<std::string> decoys = {"b_0000.txt", "b_12.txt", "b_00012.txt", "b_0777.txt", "b_0012.htm",
                                             "bb_0012.txt"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        ConversionParams params;
        params.maxSize = "0.1";
        const auto old = ch_txt(dir / "b.htm", 0, params, {}, fixedText(numberedLines(120, u"第")));
        ASSERT_TRUE(old.ok());
        ASSERT_GE(old->files.size(), 4u);
        std::vector<std::string> oldBytes;
        for (const auto& file : old->files)
            oldBytes.push_back(readFile(file));
        for (const std::string& name : decoys)
            writeFile(dir / name, name);
        if (c.thirdPartBlocked) {
            std::filesystem::remove(old->files[2]);
            std::filesystem::create_directory(old->files[2]);
        }

        EngineContext context = fixedText(numberedLines(c.newLines, u"乙"));
        context.ownedElsewhere = [](const std::filesystem::path& file) { return file.filename() == "b_0777.txt"; };
        const auto again = ch_txt(dir / "b.htm", 0, params, {}, context);
        EXPECT_EQ(again.ok(), !c.thirdPartBlocked);
        for (std::size_t k = 0; k < old->files.size(); ++k) {
            if (c.thirdPartBlocked && k != 2) {
                EXPECT_EQ(readFile(old->files[k]), oldBytes[k]) << k;
            }
            if (!c.thirdPartBlocked && k > 0) {
                EXPECT_FALSE(std::filesystem::exists(old->files[k])) << k;
            }
        }
        for (const std::string& name : decoys)
            EXPECT_EQ(readFile(dir / name), name);
    }
}

TEST(ChTxt, RendererFailureIsPassedOn)
{
    ScratchFolder dir;
    EngineContext context;
    context.render = [](const std::filesystem::path& p) -> Result<Text> {
        return Error{ErrorCode::BinaryInput, "不是文本或网页文件", p.string()};
    };
    const auto report = ch_txt(dir / "x.bin", 0, {}, {}, context);
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::BinaryInput);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.txt"));
}

}  // namespace
}  // namespace sorvane
