// Bad source documents through the whole conversion, once through the engine (ch_txt)
// and once through sorvane-cli: empty files, NUL bytes, broken UTF-8, GBK and UTF-16,
// names with Chinese characters and blanks, sources that are folders, links to nothing,
// pipes or devices, and outputs that would replace their source. Each run must give the
// documented error or a sound result, the program must keep running, and no file that
// was there before may be lost or changed.

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input_support.h"
#include "common/text.h"
#include "engine/convert/ch_txt.h"
#include "io/codepage.h"
#include "support/test_text.h"

namespace sorvane {
namespace {

using test::fingerprint;
using test::lostOrChanged;
using test::readFile;
using test::runCli;
using test::ScratchFolder;
using test::writeFile;

using test::gbk;

std::string utf16le(const char* utf8Text)
{
    std::string out;
    for (const char16_t c : fromUtf8(utf8Text)) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::string utf16be(const char* utf8Text)
{
    std::string out;
    for (const char16_t c : fromUtf8(utf8Text)) {
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

// The output of a conversion, decoded from code page 936.
std::string outputText(const std::filesystem::path& file)
{
    return toUtf8(decodeCp936(readFile(file)));
}

// A folder with the source and a file that belongs to the user beside it.
void prepare(const ScratchFolder& dir, const std::string& name, const std::string& bytes)
{
    writeFile(dir / name, bytes);
    writeFile(dir / "读者的笔记.txt", gbk("不可丢失的内容\r\n"));
}

struct SourceCase {
    const char* what;
    std::string name;
    std::string bytes;
    bool converts;                   // false: refused with `error`
    ErrorCode error;                 // when refused
    std::vector<std::string> found;  // texts the converted output must hold (UTF-8)
};

TEST(BadSource, ContentIsConvertedOrRefusedWithNothingLost)
{
    const std::string nul(1, '\0');
    const std::string zeros(65536, '\0');
    const SourceCase cases[] = {
        {"empty file", "empty.htm", "", true, {}, {}},
        {"empty plain-text file", "empty.text", "", true, {}, {}},
        {"only NUL bytes", "zeros.htm", zeros, false, ErrorCode::BinaryInput, {}},
        {"only NUL bytes, unknown kind", "zeros.dat", std::string(100, '\0'), false, ErrorCode::BinaryInput, {}},
        {"NUL bytes after the first kilobyte", "late-nul.htm",
         "<p>" + std::string(1200, 'a') + "</p><p>文字保留</p>" + zeros, true, {}, {"文字保留"}},
        {"invalid UTF-8 sequences", "bad-utf8.htm",
         "<meta charset=utf-8><p>前文 \xC3\x28 \xE2\x82 \xED\xA0\x80 \xF8\x88\x80\x80\x80 \xC0\xAF 后文</p>", true, {},
         {"前文", "后文"}},
        {"UTF-8 cut in the middle of a character", "cut-utf8.htm",
         "<meta charset=utf-8><p>完整的句子。</p><p>最后一行\xE4\xB8", true, {}, {"完整的句子。", "最后一行"}},
        {"undeclared UTF-8 cut in the middle of a character", "cut-utf8-plain.htm",
         "<p>没有声明编码的网页，内容是中文，文件在一个字的中间被截断了。</p><p>尾巴\xE4", true, {},
         {"没有声明编码的网页", "尾巴"}},
        {"plain text in UTF-8 cut in the middle of a character", "cut.text",
         "纯文本的第一行\n第二行在字的中间截断\xE6\x96", true, {}, {"纯文本的第一行", "第二行在字的中间截断"}},
        {"GBK declared", "gbk.htm", "<meta charset=gbk><p>" + gbk("国标编码的正文") + "</p>", true, {},
         {"国标编码的正文"}},
        {"GBK undeclared", "gbk-plain.htm",
         "<p>" + gbk("这是一篇没有声明编码的国标码网页，浏览器要靠猜测来决定它的编码。") + "</p>", true, {},
         {"没有声明编码的国标码网页"}},
        {"GBK cut after a lead byte", "cut-gbk.htm", "<meta charset=gbk><p>" + gbk("截断之前") + "\xD6", true, {},
         {"截断之前"}},
        {"invalid GBK sequences", "bad-gbk.htm",
         "<meta charset=gbk><p>" + gbk("前") + "\x81\x20\xFF\x80\x7F" + gbk("后") + "</p>", true, {}, {"前", "后"}},
        {"UTF-16LE with byte-order mark", "utf16le.htm", "\xFF\xFE" + utf16le("<p>小端文字</p>"), true, {},
         {"小端文字"}},
        {"UTF-16BE with byte-order mark", "utf16be.htm", "\xFE\xFF" + utf16be("<p>大端文字</p>"), true, {},
         {"大端文字"}},
        {"UTF-16 cut in the middle of a unit", "cut-utf16.htm", "\xFF\xFE" + utf16le("<p>奇数字节</p>") + "\x41",
         true, {}, {"奇数字节"}},
        {"UTF-16 with a lone surrogate", "surrogate.htm",
         "\xFF\xFE" + utf16le("<p>前") + std::string("\x00\xD8", 2) + utf16le("后</p>"), true, {}, {"前", "后"}},
        {"UTF-16 plain text", "utf16.text", "\xFF\xFE" + utf16le("纯文本\r\n第二行"), true, {},
         {"纯文本", "第二行"}},
        {"UTF-16 without byte-order mark", "utf16-nobom.htm", utf16le("<p>没有字节顺序标记</p>"), false,
         ErrorCode::BinaryInput, {}},
        {"NUL in the first line of a text", "nul.text", "abc" + nul + "def", false, ErrorCode::BinaryInput, {}},
    };

    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.what);
        // The engine.
        ScratchFolder dir;
        prepare(dir, c.name, c.bytes);
        const auto before = fingerprint(dir.path());
        const auto report = ch_txt(dir / c.name, 0, {}, {}, EngineContext{});
        const auto after = fingerprint(dir.path());
        EXPECT_EQ(lostOrChanged(before, after), "");
        const auto made = test::added(before, after);
        std::string engineOutput;
        if (c.converts) {
            ASSERT_TRUE(report.ok()) << report.error().describe();
            ASSERT_EQ(report->files.size(), 1u);
            EXPECT_EQ(made, std::vector<std::string>{report->files[0].filename().string()});
            engineOutput = readFile(report->files[0]);
            const std::string text = outputText(report->files[0]);
            for (const std::string& f : c.found)
                EXPECT_NE(text.find(f), std::string::npos) << "missing " << f << " in " << text;
            // Whole lines in code page 936 with CR LF ends.
            EXPECT_TRUE(engineOutput.empty() || engineOutput.ends_with("\r\n")) << text;
        } else {
            ASSERT_FALSE(report.ok());
            EXPECT_EQ(report.error().code, c.error) << report.error().describe();
            EXPECT_EQ(report.error().where, (dir / c.name).string());
            EXPECT_FALSE(report.error().message.empty());
            EXPECT_TRUE(made.empty()) << made.front();
        }

        // The command line, on the same bytes in a folder of its own.
        ScratchFolder cliDir;
        prepare(cliDir, c.name, c.bytes);
        const auto cliBefore = fingerprint(cliDir.path());
        const auto run = runCli({"--quiet", c.name}, test::inFolder(cliDir.path()));
        const auto cliAfter = fingerprint(cliDir.path());
        ASSERT_TRUE(run.exited) << test::describe(run);
        EXPECT_EQ(lostOrChanged(cliBefore, cliAfter), "");
        if (c.converts) {
            EXPECT_EQ(run.status, 0) << test::describe(run);
            const auto cliMade = test::added(cliBefore, cliAfter);
            ASSERT_EQ(cliMade.size(), 1u);
            EXPECT_EQ(readFile(cliDir / cliMade[0]), engineOutput);
        } else {
            EXPECT_EQ(run.status, 1) << test::describe(run);
            EXPECT_NE(run.err.find(report.error().message), std::string::npos) << run.err;
            EXPECT_TRUE(test::added(cliBefore, cliAfter).empty());
        }
    }
}

TEST(BadSource, ChineseNameWithBlanks)
{
    ScratchFolder dir;
    const auto folder = dir / "我的 书 库";
    std::filesystem::create_directory(folder);
    const std::string name = "第 一 章　开端 7.htm";
    writeFile(folder / name, "<meta charset=utf-8><p>名字里有空格和汉字</p>");
    const auto before = fingerprint(dir.path());

    ConversionParams params;
    params.naming = 2;  // trailing digits padded to three
    const auto report = ch_txt(folder / name, 0, params, {}, EngineContext{});
    ASSERT_TRUE(report.ok()) << report.error().describe();
    ASSERT_EQ(report->files.size(), 1u);
    EXPECT_EQ(report->files[0], folder / "第 一 章　开端 007.txt");
    EXPECT_NE(outputText(report->files[0]).find("名字里有空格和汉字"), std::string::npos);
    EXPECT_EQ(lostOrChanged(before, fingerprint(dir.path())), "");

    std::filesystem::remove(report->files[0]);
    const auto run = runCli({"--naming", "2", (folder / name).string()}, test::inFolder(dir.path()));
    ASSERT_TRUE(run.exited && run.status == 0) << test::describe(run);
    EXPECT_EQ(run.out, (folder / "第 一 章　开端 007.txt").string() + "\n");
    EXPECT_NE(outputText(folder / "第 一 章　开端 007.txt").find("名字里有空格和汉字"), std::string::npos);
    EXPECT_EQ(lostOrChanged(before, fingerprint(dir.path())), "");
}

// Sources that are no document: each is refused with its error, nothing is written and
// nothing waits for ever (a pipe would block a plain open until someone writes to it).
TEST(BadSource, FoldersLinksPipesAndDevicesAreRefused)
{
    ScratchFolder dir;
    std::filesystem::create_directory(dir / "folder.htm");
    writeFile(dir / "folder.htm" / "inside.htm", "<p>里面</p>");
    std::filesystem::create_symlink(dir / "gone.htm", dir / "dangling.htm");
    std::filesystem::create_symlink("loop-b.htm", dir / "loop-a.htm");
    std::filesystem::create_symlink("loop-a.htm", dir / "loop-b.htm");
    ASSERT_EQ(::mkfifo((dir / "pipe.htm").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.htm");
    std::filesystem::create_symlink("/dev/null", dir / "null.htm");
    writeFile(dir / "读者的笔记.txt", "keep");

    struct Case {
        const char* name;
        ErrorCode error;
    };
    const Case cases[] = {
        {"folder.htm", ErrorCode::Unreadable}, {"dangling.htm", ErrorCode::NotFound},
        {"loop-a.htm", ErrorCode::NotFound},   {"pipe.htm", ErrorCode::Unreadable},
        {"zero.htm", ErrorCode::Unreadable},   {"null.htm", ErrorCode::Unreadable},
        {"missing.htm", ErrorCode::NotFound},
    };
    const auto before = fingerprint(dir.path());
    std::vector<std::string> names;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        names.push_back(c.name);
        const auto report = ch_txt(dir / c.name, 0, {}, {}, EngineContext{});
        ASSERT_FALSE(report.ok());
        EXPECT_EQ(report.error().code, c.error) << report.error().describe();
        EXPECT_EQ(report.error().where, (dir / c.name).string());
    }
    EXPECT_EQ(fingerprint(dir.path()), before);

    // All at once through the command line: one line per failure, exit status 1. A
    // folder is left out there: the command line takes it for the pages inside it.
    std::erase(names, std::string("folder.htm"));
    std::vector<std::string> args{"--quiet", "--jobs", "2"};
    args.insert(args.end(), names.begin(), names.end());
    const auto run = runCli(args, test::inFolder(dir.path()));
    ASSERT_TRUE(run.exited) << test::describe(run);
    EXPECT_EQ(run.status, 1);
    for (const std::string& name : names)
        EXPECT_NE(run.err.find(name + ": "), std::string::npos) << name << " not named in: " << run.err;
    EXPECT_EQ(fingerprint(dir.path()), before);
}

// An output that would be the source itself, reached by name, by a symbolic link or by a
// hard link, is refused before anything is written.
TEST(BadSource, OutputThatWouldReplaceItsSourceIsRefused)
{
    ScratchFolder dir;
    writeFile(dir / "book.txt", gbk("原有的文字\r\n"));
    writeFile(dir / "linked.htm", "<p>源文件</p>");
    std::filesystem::create_symlink("linked.htm", dir / "linked.txt");
    writeFile(dir / "hard.htm", "<p>硬链接</p>");
    std::filesystem::create_hard_link(dir / "hard.htm", dir / "hard.txt");
    // A later part of a split conversion that is a link to the source.
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "<p>第" + std::to_string(i) + "段的文字内容，足够长。</p>\n";
    writeFile(dir / "parts.htm", many);
    ConversionParams split;
    split.maxSize = "0.1";
    {
        ScratchFolder trial;
        std::filesystem::copy_file(dir / "parts.htm", trial / "parts.htm");
        const auto parts = ch_txt(trial / "parts.htm", 0, split, {}, EngineContext{});
        ASSERT_TRUE(parts.ok() && parts->files.size() > 2);
        std::filesystem::create_symlink("parts.htm", dir.path() / parts->files[2].filename());
    }

    const auto before = fingerprint(dir.path());
    for (const char* name : {"book.txt", "linked.htm", "hard.htm", "parts.htm"}) {
        SCOPED_TRACE(name);
        const auto report = ch_txt(dir / name, 0, split, {}, EngineContext{});
        ASSERT_FALSE(report.ok());
        EXPECT_EQ(report.error().code, ErrorCode::WouldOverwrite);
        EXPECT_EQ(fingerprint(dir.path()), before);

        const auto run = runCli({"--quiet", "--max-size", "0.1", name}, test::inFolder(dir.path()));
        ASSERT_TRUE(run.exited) << test::describe(run);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(report.error().message), std::string::npos) << run.err;
        EXPECT_EQ(fingerprint(dir.path()), before);
    }
}

// A sparse file of 2 GB of NUL bytes costs nothing on the disk; it is refused as binary
// from its first bytes, without the 2 GB ever being read into memory.
TEST(BadSource, SparseBinaryFileIsRefusedUnread)
{
    ScratchFolder dir;
    const auto file = dir / "sparse.htm";
    writeFile(file, "");
    if (::truncate(file.c_str(), off_t{2} << 30) != 0)
        GTEST_SKIP() << "this file system cannot hold a 2 GB sparse file";
    rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    const auto report = ch_txt(file, 0, {}, {}, EngineContext{});
    rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::BinaryInput) << report.error().describe();
    EXPECT_EQ(report.error().where, file.string());
    // The peak resident size (in KB) grew by far less than the file.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);
}

}  // namespace
}  // namespace sorvane
