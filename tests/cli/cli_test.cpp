// Runs the built sorvane-cli binary end to end.

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/text.h"
#include "io/codepage.h"
#include "support/scratch_folder.h"
#include "support/zip_writer.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

const std::filesystem::path kExamples = std::filesystem::path(SORVANE_SOURCE_DIR) / "examples";
const std::filesystem::path kExpected = std::filesystem::path(SORVANE_TEST_DATA) / "engine" / "examples";

std::string quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program with `args`, standard input from `input` (or empty).
CliRun runCli(const ScratchFolder& dir, const std::vector<std::string>& args, const std::string& input = {})
{
    std::string command = quote(SORVANE_CLI);
    for (const std::string& a : args)
        command += " " + quote(a);
    const auto out = dir / ".stdout";
    const auto err = dir / ".stderr";
    const auto in = dir / ".stdin";
    writeFile(in, input);
    command += " >" + quote(out.string()) + " 2>" + quote(err.string()) + " <" + quote(in.string());
    CliRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(out);
    run.err = readFile(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    std::filesystem::remove(in);
    return run;
}

void copyExamples(const ScratchFolder& dir)
{
    for (const char* name : {"chapter1.htm", "long_story.htm", "notes.text", "replacements.dat"})
        std::filesystem::copy_file(kExamples / name, dir / name);
}

size_t lineCount(const std::string& s)
{
    return static_cast<size_t>(std::count(s.begin(), s.end(), '\n'));
}

TEST(Cli, ExamplesAreConvertedAsExpected)
{
    struct Case {
        std::vector<std::string> options;
        const char* source;
        std::vector<const char*> outputs;
    };
    const Case cases[] = {
        {{"--naming", "2", "--max-run", "6"}, "chapter1.htm", {"chapter001.txt"}},
        {{"--max-run", "6", "--max-size", "0.5"},
         "long_story.htm",
         {"long_story.txt", "long_story_0026.txt", "long_story_0052.txt"}},
        {{"--max-run", "6", "--head", "5", "--head-blank", "0", "--rest-blank", "1", "--list", "LIST"},
         "notes.text",
         {"notes.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        ScratchFolder dir;
        copyExamples(dir);
        std::vector<std::string> args;
        for (const std::string& o : c.options)
            args.push_back(o == "LIST" ? (dir / "replacements.dat").string() : o);
        args.push_back((dir / c.source).string());
        const CliRun run = runCli(dir, args);
        ASSERT_EQ(run.status, 0) << run.err;
        std::string listed;
        for (const char* name : c.outputs) {
            listed += (dir / name).string() + "\n";
            EXPECT_EQ(readFile(dir / name), readFile(kExpected / name)) << name;
        }
        EXPECT_EQ(run.out, listed);
    }
}

TEST(Cli, ExitStatus)
{
    ScratchFolder dir;
    copyExamples(dir);
    const std::string notes = (dir / "notes.text").string();

    EXPECT_EQ(runCli(dir, {notes}).status, 0);

    // One failure among several: the rest are still converted, one line on stderr.
    std::filesystem::remove(dir / "notes.txt");
    const std::string missing = (dir / "missing.htm").string();
    CliRun run = runCli(dir, {missing, notes});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "notes.txt"));
    EXPECT_EQ(lineCount(run.err), 1u);
    EXPECT_EQ(run.err.rfind("sorvane-cli: " + missing + ": ", 0), 0u) << run.err;
    EXPECT_EQ(run.out, (dir / "notes.txt").string() + "\n");

    // A .txt source with the name kept would overwrite itself: refused, left alone.
    const std::string original = readFile(dir / "notes.txt");
    run = runCli(dir, {(dir / "notes.txt").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("notes.txt"), std::string::npos);
    EXPECT_EQ(readFile(dir / "notes.txt"), original);

    // Bad usage: status 2 and a usage line, nothing converted.
    const std::vector<std::vector<std::string>> badUsage = {
        {"--naming", "8", notes}, {"--naming", "-1", notes}, {"--naming", "two", notes},
        {},                       {"--list", (dir / "absent.dat").string(), notes},
        {"--stdout", "--raw", notes}, {"--jobs", "0", notes}, {"--no-such-option", notes},
    };
    for (const auto& args : badUsage) {
        std::filesystem::remove(dir / "notes.txt");
        run = runCli(dir, args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.err.find(": sorvane-cli ["), std::string::npos) << run.err;  // the usage line, in either language
        EXPECT_FALSE(std::filesystem::exists(dir / "notes.txt"));
    }

    run = runCli(dir, {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--max-size"), std::string::npos);
    run = runCli(dir, {"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("sorvane-cli ", 0), 0u);
}

TEST(Cli, StdoutWritesTheConvertedTextInsteadOfFiles)
{
    ScratchFolder dir;
    copyExamples(dir);
    // All parts in order, as UTF-8: the golden files decoded; no file written.
    std::string story;
    for (const char* name : {"long_story.txt", "long_story_0026.txt", "long_story_0052.txt"})
        story += toUtf8(decodeCp936(readFile(kExpected / name)));
    CliRun run = runCli(dir, {"--stdout", "--eol", "crlf", "--max-run", "6", "--max-size", "0.5",
                              (dir / "long_story.htm").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, story);
    // Without --eol, standard output gets LF line ends.
    run = runCli(dir, {"--stdout", "--max-run", "6", "--max-size", "0.5", (dir / "long_story.htm").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string storyLf = story;
    storyLf.erase(std::remove(storyLf.begin(), storyLf.end(), '\r'), storyLf.end());
    EXPECT_TRUE(run.out == storyLf);
    EXPECT_FALSE(std::filesystem::exists(dir / "long_story.txt"));

    // Parameter texts by their number value: 0.05 K is 51 characters, below 100, so no
    // limit; "0.5 K" reads as 0.5.
    run = runCli(dir, {"--max-run", "6", "--max-size", "0.05", (dir / "long_story.htm").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, (dir / "long_story.txt").string() + "\n");
    EXPECT_EQ(toUtf8(decodeCp936(readFile(dir / "long_story.txt"))), story);
    std::filesystem::remove(dir / "long_story.txt");
    run = runCli(dir, {"--max-run", " 6 chars", "--max-size", "0.5 K", (dir / "long_story.htm").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir / "long_story_0052.txt"), readFile(kExpected / "long_story_0052.txt"));

    // Several documents follow each other in argument order.
    const std::string notes = toUtf8(decodeCp936(readFile(kExpected / "notes.txt")));
    const std::string notesPath = (dir / "notes.text").string();
    run = runCli(dir, {"--stdout", "--eol", "crlf", "-j", "2", "--max-run", "6", "--head", "5", "--head-blank", "0", "--list",
                       (dir / "replacements.dat").string(), notesPath, notesPath});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == notes + notes);
    EXPECT_FALSE(std::filesystem::exists(dir / "notes.txt"));
}

TEST(Cli, RawWritesTheRenderedTextBeforeAnyRule)
{
    ScratchFolder dir;
    writeFile(dir / "raw.text", "  标题  \n\n\n\n==========\r正文，很长的一行。");
    const CliRun run = runCli(dir, {"--raw", "--max-run", "3", "--rest-blank", "0", (dir / "raw.text").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "  标题  \r\n\r\n\r\n\r\n==========\r\n正文，很长的一行。");
    EXPECT_FALSE(std::filesystem::exists(dir / "raw.txt"));
}

TEST(Cli, ParallelJobsKeepTheArgumentOrder)
{
    ScratchFolder dir;
    std::vector<std::string> args{"-j", "3", "--max-size", "0.2"};
    std::string listed;
    std::vector<std::string> contents;
    for (int i = 0; i < 8; ++i) {
        // Documents of very different lengths, so they finish out of order.
        std::string text;
        for (int k = 0; k < (8 - i) * 400; ++k)
            text += "第" + std::to_string(i) + "篇的第" + std::to_string(k) + "行文字\n";
        const auto source = dir / ("doc" + std::to_string(i) + ".text");
        writeFile(source, text);
        args.push_back(source.string());
    }
    const CliRun run = runCli(dir, args);
    ASSERT_EQ(run.status, 0) << run.err;
    // Every part of every document, grouped by document in argument order.
    size_t pos = 0;
    for (int i = 0; i < 8; ++i) {
        const std::string first = (dir / ("doc" + std::to_string(i) + ".txt")).string() + "\n";
        const size_t at = run.out.find(first, pos);
        ASSERT_NE(at, std::string::npos) << i;
        EXPECT_EQ(at, pos) << i;
        pos = at + first.size();
        const std::string prefix = (dir / ("doc" + std::to_string(i) + "_")).string();
        while (run.out.compare(pos, prefix.size(), prefix) == 0)
            pos = run.out.find('\n', pos) + 1;
    }
    EXPECT_EQ(pos, run.out.size());

    // The same documents one at a time give the same bytes.
    const std::string parallel = readFile(dir / "doc3.txt");
    const CliRun single = runCli(dir, {"-j", "1", "-q", "--max-size", "0.2", (dir / "doc3.text").string()});
    ASSERT_EQ(single.status, 0);
    EXPECT_EQ(single.out, "");  // --quiet lists nothing
    EXPECT_EQ(readFile(dir / "doc3.txt"), parallel);
}

// Every file under `folder`, relative, sorted; hidden ones left out.
std::vector<std::string> filesUnder(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
            names.push_back(entry.path().lexically_relative(folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string page(const std::string& body)
{
    return "<html><head><meta charset=\"utf-8\"></head><body><p>" + body + "</p></body></html>";
}

TEST(Cli, FolderArgumentsKeepTheirSubFoldersUnderTheOutputFolder)
{
    ScratchFolder dir;
    const auto book = dir / "book";
    std::filesystem::create_directories(book / "sub" / "deeper");
    std::filesystem::create_directories(book / ".hidden");
    writeFile(book / "chap1.htm", page("一"));
    writeFile(book / "chap2.htm", page("二"));
    writeFile(book / "chap10.htm", page("十"));
    writeFile(book / "sub" / "chap3.html", page("三"));
    writeFile(book / "sub" / "deeper" / "chap4.htm", page("四"));
    writeFile(book / ".hidden" / "secret.htm", page("秘"));
    writeFile(book / ".draft.htm", page("稿"));
    writeFile(book / "readme.md", "not a page");
    // A link back up: followed, it would never end.
    std::filesystem::create_directory_symlink("..", book / "sub" / "loop");

    const auto out = dir / "out";
    CliRun run = runCli(dir, {"-r", "-o", out.string(), book.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(filesUnder(out), (std::vector<std::string>{"chap1.txt", "chap10.txt", "chap2.txt", "sub/chap3.txt",
                                                          "sub/deeper/chap4.txt"}));
    // Natural order: chap2 before chap10.
    EXPECT_EQ(run.out, (out / "chap1.txt").string() + "\n" + (out / "chap2.txt").string() + "\n" +
                           (out / "chap10.txt").string() + "\n" + (out / "sub" / "chap3.txt").string() + "\n" +
                           (out / "sub" / "deeper" / "chap4.txt").string() + "\n");
    EXPECT_EQ(readFile(out / "sub" / "deeper" / "chap4.txt"), encodeCp936(u"四\r\n").bytes);
    EXPECT_EQ(filesUnder(book).size(), 7u);  // nothing written among the sources

    // Without -r only the folder's own pages; a file argument goes straight into the folder.
    const auto flat = dir / "flat";
    run = runCli(dir, {"-o", flat.string(), book.string(), (book / "sub" / "chap3.html").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(filesUnder(flat), (std::vector<std::string>{"chap1.txt", "chap10.txt", "chap2.txt", "chap3.txt"}));

    // Without -o the text goes beside each page; a folder without pages is a failure.
    std::filesystem::create_directory(dir / "empty");
    run = runCli(dir, {"-r", book.string(), (dir / "empty").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("sorvane-cli: " + (dir / "empty").string() + ": ", 0), 0u) << run.err;
    EXPECT_EQ(readFile(book / "sub" / "deeper" / "chap4.txt"), encodeCp936(u"四\r\n").bytes);
    EXPECT_FALSE(std::filesystem::exists(book / ".hidden" / "secret.txt"));
}

TEST(Cli, TwoSourcesForOneFileLeaveTheLaterUnconvertedWhateverTheJobs)
{
    ScratchFolder dir;
    writeFile(dir / "dup.htm", page("先"));
    writeFile(dir / "dup.html", page("后"));
    writeFile(dir / "c1.htm", page("甲"));
    writeFile(dir / "c01.htm", page("乙"));
    // long.htm splits into parts; its second part takes the name of long_0002.htm's file.
    writeFile(dir / "long.htm", page(std::string(150, 'a') + "</p><p>" + std::string(150, 'b')));
    writeFile(dir / "long_0002.htm", page("丙"));
    struct Case {
        std::vector<std::string> args;
        std::string file;      // the file both map to
        std::string kept;      // what it holds: the earlier source's text
        std::string earlier;   // the source that keeps it
        std::string later;     // the one reported
    };
    const Case cases[] = {
        {{"dup.htm", "dup.html"}, "dup.txt", "先", "dup.htm", "dup.html"},
        {{"dup.html", "dup.htm"}, "dup.txt", "后", "dup.html", "dup.htm"},
        {{"--naming", "1", "c1.htm", "c01.htm"}, "c01.txt", "甲", "c1.htm", "c01.htm"},
        {{"--max-size", "0.1", "long.htm", "long_0002.htm"}, "long_0002.txt", std::string(150, 'b'), "long.htm",
         "long_0002.htm"},
    };
    for (const Case& c : cases) {
        for (const char* jobs : {"1", "2"}) {
            SCOPED_TRACE(c.later + " -j " + jobs);
            for (const auto& name : filesUnder(dir.path()))
                if (name.ends_with(".txt"))
                    std::filesystem::remove(dir / name);
            std::vector<std::string> args = {"-j", jobs};
            for (const auto& a : c.args)
                args.push_back(a.ends_with("htm") || a.ends_with("html") ? (dir / a).string() : a);
            const CliRun run = runCli(dir, args);
            EXPECT_EQ(run.status, 1);
            ASSERT_EQ(lineCount(run.err), 1u) << run.err;
            EXPECT_EQ(run.err.rfind("sorvane-cli: " + (dir / c.later).string() + ": ", 0), 0u) << run.err;
            EXPECT_NE(run.err.find((dir / c.earlier).string() + " "), std::string::npos) << run.err;
            const std::string text = readFile(dir / c.file);
            EXPECT_NE(toUtf8(decodeCp936(text)).find(c.kept), std::string::npos) << text;
        }
    }
}

// A packed book is named as its book is ("d.fb2.zip" gives "d.txt"); when the book itself
// is converted in the same run, in either order, the packed one keeps the book's
// extension ("d.fb2.txt") and both are converted.
TEST(Cli, APackedBookIsNamedAsItsBookUnlessTheBookTakesTheName)
{
    auto fb2 = [](const std::string& text) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook "
               "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><body><section><p>" +
               text + "</p></section></body></FictionBook>";
    };
    ScratchFolder dir;
    writeFile(dir / "d.fb2.zip", test::zipArchive({{"d.fb2", fb2("包里的书"), true}}));
    writeFile(dir / "d.fb2", fb2("书本身"));
    struct Case {
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> files;  // name, a text it holds
    };
    const Case cases[] = {
        {{"d.fb2.zip"}, {{"d.txt", "包里的书"}}},
        {{"d.fb2.zip", "d.fb2"}, {{"d.fb2.txt", "包里的书"}, {"d.txt", "书本身"}}},
        {{"d.fb2", "d.fb2.zip"}, {{"d.fb2.txt", "包里的书"}, {"d.txt", "书本身"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " first of " + std::to_string(c.args.size()));
        for (const auto& name : filesUnder(dir.path()))
            if (name.ends_with(".txt"))
                std::filesystem::remove(dir / name);
        std::vector<std::string> args;
        for (const auto& a : c.args)
            args.push_back((dir / a).string());
        const CliRun run = runCli(dir, args);
        EXPECT_EQ(run.status, 0) << run.err;
        std::size_t written = 0;
        for (const auto& name : filesUnder(dir.path()))
            written += name.ends_with(".txt") ? 1 : 0;
        EXPECT_EQ(written, c.files.size());
        for (const auto& [name, text] : c.files)
            EXPECT_NE(toUtf8(decodeCp936(readFile(dir / name))).find(text), std::string::npos) << name;
    }
}

TEST(Cli, NoClobberSkipsWhatExistedBeforeTheRun)
{
    ScratchFolder dir;
    writeFile(dir / "a.htm", page("新"));
    writeFile(dir / "b.htm", page("新"));
    writeFile(dir / "a.txt", "old");
    CliRun run = runCli(dir, {"-n", (dir / "a.htm").string(), (dir / "b.htm").string()});
    EXPECT_EQ(run.status, 0) << run.err;  // a skip is no failure
    EXPECT_EQ(readFile(dir / "a.txt"), "old");
    EXPECT_EQ(readFile(dir / "b.txt"), encodeCp936(u"新\r\n").bytes);
    EXPECT_EQ(run.err.rfind("sorvane-cli: " + (dir / "a.htm").string() + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("a.txt"), std::string::npos);
    EXPECT_EQ(run.out, (dir / "b.txt").string() + "\n");

    // Without -n the old file is replaced.
    run = runCli(dir, {(dir / "a.htm").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir / "a.txt"), encodeCp936(u"新\r\n").bytes);
}

TEST(Cli, StandardInputAndOutput)
{
    ScratchFolder dir;
    const std::string input = page("标准输入 😀");
    // --stdout: UTF-8, nothing lost, LF line ends.
    CliRun run = runCli(dir, {"--stdout", "-"}, input);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\xE3\x80\x80\xE3\x80\x80标准输入 😀\n");

    // -o: a file named after "stdin", in any encoding.
    run = runCli(dir, {"-o", (dir / "o").string(), "--encoding", "gb18030", "-"}, input);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir / "o" / "stdin.txt"),
              "\xA1\xA1\xA1\xA1\xB1\xEA\xD7\xBC\xCA\xE4\xC8\xEB \x94\x39\xFC\x36\r\n");

    // Failures name it "stdin".
    run = runCli(dir, {"--raw", "-"}, std::string("\0\1\2binary", 9));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("sorvane-cli: stdin: ", 0), 0u) << run.err;

    // Usage errors: nowhere to write, read twice, --stdout in another encoding; the
    // offending argument comes first.
    struct Bad {
        std::vector<std::string> args;
        const char* first;
    };
    const Bad bad[] = {
        {{"-"}, "sorvane-cli: -: "},
        {{"--stdout", "-", "-"}, "sorvane-cli: -: "},
        {{"--stdout", "--encoding", "gbk", "-"}, "sorvane-cli: --encoding: "},
        {{"--stdout", "-o", "x", "-"}, "sorvane-cli: --output-dir: "},
        {{"--no-such-option", "-"}, "sorvane-cli: --no-such-option: "},
        {{"-qx", "-"}, "sorvane-cli: -x: "},
        {{"--encoding", "latin1", "a.htm"}, "sorvane-cli: --encoding: "},
    };
    for (const Bad& b : bad) {
        run = runCli(dir, b.args, input);
        EXPECT_EQ(run.status, 2) << b.first;
        EXPECT_EQ(run.err.rfind(b.first, 0), 0u) << run.err;
    }
}

// Endless binary input is refused after its first bytes, not read until memory runs out.
TEST(Cli, EndlessBinaryStandardInputIsRefusedAtOnce)
{
    ScratchFolder dir;
    const std::string command = "cat /dev/zero | timeout 60 " + quote(SORVANE_CLI) + " --stdout - 2>" +
                                quote((dir / "err").string()) + " >/dev/null";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(readFile(dir / "err"), "sorvane-cli: stdin: 不是文本或网页文件（含有二进制数据）\n");
}

TEST(Cli, LossesToCodePage936AreReportedEvenWhenQuiet)
{
    ScratchFolder dir;
    writeFile(dir / "p.htm", page("😀½한€镕"));
    writeFile(dir / "q.htm", page("½"));
    CliRun run = runCli(dir, {"-q", (dir / "p.htm").string(), (dir / "q.htm").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir / "p.txt"), "\xA1\xA1\xA1\xA1???\x80\xE9\x46\r\n");
    // One summary line: 2 documents, 4 characters.
    ASSERT_EQ(lineCount(run.err), 1u) << run.err;
    EXPECT_NE(run.err.find("2 个文件中共有 4 个字符"), std::string::npos) << run.err;

    // Not quiet: one line per document as well.
    run = runCli(dir, {(dir / "p.htm").string(), (dir / "q.htm").string()});
    EXPECT_EQ(lineCount(run.err), 3u) << run.err;

    // UTF-8 with LF loses nothing and says nothing.
    run = runCli(dir, {"--encoding", "utf-8", "--eol", "lf", (dir / "p.htm").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(dir / "p.txt"), "\xE3\x80\x80\xE3\x80\x80😀½한€镕\n");
}

TEST(Cli, TheManualPageAndCompletionKnowEveryOption)
{
    ScratchFolder dir;
    const CliRun help = runCli(dir, {"--help"});
    ASSERT_EQ(help.status, 0);
    std::string manual = readFile(std::filesystem::path(SORVANE_SOURCE_DIR) / "docs" / "man" / "sorvane-cli.1");
    for (std::size_t at = manual.find("\\-"); at != std::string::npos; at = manual.find("\\-", at))
        manual.erase(at, 1);
    const std::string completion = readFile(std::filesystem::path(SORVANE_SOURCE_DIR) / "cli" / "sorvane-cli.bash");
    ASSERT_FALSE(manual.empty());
    std::size_t options = 0;
    for (std::size_t at = help.out.find("--"); at != std::string::npos; at = help.out.find("--", at)) {
        std::size_t end = at + 2;
        while (end < help.out.size() && (std::isalnum(static_cast<unsigned char>(help.out[end])) || help.out[end] == '-'))
            ++end;
        const std::string option = help.out.substr(at, end - at);
        at = end;
        if (option.size() <= 2)
            continue;
        ++options;
        EXPECT_NE(manual.find(option), std::string::npos) << option << " is missing from the manual page";
        EXPECT_NE(completion.find(option), std::string::npos) << option << " is missing from the completion";
    }
    EXPECT_GE(options, 18u);
}

TEST(Cli, JoinsAFolderOfChaptersIntoOneBook)
{
    const auto data = std::filesystem::path(SORVANE_TEST_DATA) / "book";
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        ScratchFolder dir;
        std::filesystem::copy(data / "chapters", dir / "chapters");
        // chap1 ... chap12 in natural order, split into three parts by the size limit.
        const CliRun run =
            runCli(dir, {"-j", jobs, "--join", "book", "--max-size", "0.1", "-o", (dir / "out").string(),
                         (dir / "chapters").string()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(filesUnder(dir / "out"), (std::vector<std::string>{"book.txt", "book_0027.txt", "book_0052.txt"}));
        for (const char* part : {"book.txt", "book_0027.txt", "book_0052.txt"})
            EXPECT_EQ(readFile(dir / "out" / part), readFile(data / "expected" / part)) << part;
    }

    // A chapter that cannot be read is reported and left out; the rest is joined.
    ScratchFolder dir;
    writeFile(dir / "1.htm", page("第一章"));
    writeFile(dir / "2.htm", std::string("\0\1\2\3", 4));
    writeFile(dir / "3.htm", page("第三章"));
    const CliRun run = runCli(dir, {"--join", "全书", (dir / "1.htm").string(), (dir / "2.htm").string(),
                                    (dir / "3.htm").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("sorvane-cli: " + (dir / "2.htm").string() + ": ", 0), 0u) << run.err;
    EXPECT_EQ(readFile(dir / "全书.txt"), encodeCp936(u"第一章\r\n\r\n第三章\r\n").bytes);
    EXPECT_EQ(run.out, (dir / "全书.txt").string() + "\n");

    // Usage: not with standard output, not of standard input.
    EXPECT_EQ(runCli(dir, {"--join", "b", "--stdout", (dir / "1.htm").string()}).status, 2);
    EXPECT_EQ(runCli(dir, {"--join", "b", "-o", "x", "-"}, page("x")).status, 2);
}

// A saved page whose frameset names a frame the file lacks: the rest is read.
std::string pageMissingAFrame()
{
    return "Content-Type: multipart/related; boundary=\"B\"\r\n\r\n"
           "--B\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: http://x/index.htm\r\n\r\n"
           "<html><frameset><frame src=\"a.htm\"><frame src=\"gone.htm\"></frameset></html>\r\n"
           "--B\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: http://x/a.htm\r\n\r\n"
           + page("第一章") + "\r\n--B--\r\n";
}

TEST(Cli, WhatAReaderLeftOutIsReportedInEveryModeWithStatus3)
{
    ScratchFolder dir;
    const std::string mht = (dir / "p.mht").string();
    writeFile(dir / "p.mht", pageMissingAFrame());
    writeFile(dir / "q.htm", page("第二章"));
    const std::string missing = (dir / "missing.htm").string();
    const std::string problem = "sorvane-cli: " + mht + ": 框架页面不在文件中：gone.htm\n";
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{mht}, 3},
        {{"-q", mht}, 3},
        {{"--stdout", mht}, 3},
        {{"--raw", mht}, 3},
        {{"--join", "book", mht, (dir / "q.htm").string()}, 3},
        {{"-q", "--join", "book", mht, (dir / "q.htm").string()}, 3},
        {{mht, missing}, 1},  // a failure outweighs a part left out
        {{"--join", "book", mht, missing}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const CliRun run = runCli(dir, c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(problem), std::string::npos) << run.err;
    }
}

TEST(Cli, TraditionalAndSimplifiedConversion)
{
    ScratchFolder dir;
    // A Big5 page from Taiwan, and a Simplified one.
    std::string big5 = "<html><head><meta charset=\"big5\"></head><body><p>";
    big5 += "\xBB\x4F\xC6\x57\xB3\x6F\xB8\xCC";  // 臺灣這裡
    big5 += "</p></body></html>";
    writeFile(dir / "tw.htm", big5);
    writeFile(dir / "cn.htm", page("台湾这里"));
    struct Case {
        const char* kind;
        const char* source;
        const char* expected;
    };
    const Case cases[] = {
        {"t2s", "tw.htm", "台湾这里\n"},
        {"none", "tw.htm", "臺灣這裡\n"},
        {"s2t", "cn.htm", "臺灣這裏\n"},  // OpenCC's standard form of 里
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(dir, {"--stdout", "--convert", c.kind, (dir / c.source).string()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.expected) << c.kind;
    }
    // Converted before the code page pass: the Traditional page keeps every character in GBK.
    const CliRun run = runCli(dir, {"--convert", "t2s", "--encoding", "gbk", (dir / "tw.htm").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(dir / "tw.txt"), encodeCp936(u"台湾这里\r\n").bytes);
    EXPECT_EQ(runCli(dir, {"--convert", "t2x", (dir / "tw.htm").string()}).status, 2);
}


// Sets an environment variable for the programs a test runs, and puts it back after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(Cli, EncodingNamesInAnyCaseWithTheUsualAliases)
{
    ScratchFolder dir;
    writeFile(dir / "p.htm", page("½"));  // not in GBK
    const std::pair<const char*, std::string> cases[] = {
        {"UTF8", "\xC2\xBD\r\n"},  {"Utf-8", "\xC2\xBD\r\n"}, {"GB-18030", "\x81\x30\x86\x35\r\n"},
        {"cp936", "?\r\n"},        {"GB2312", "?\r\n"},       {"utf-16", ""},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        std::filesystem::remove(dir / "p.txt");
        const CliRun run = runCli(dir, {"--no-config", "--encoding", name, (dir / "p.htm").string()});
        EXPECT_EQ(run.status, bytes.empty() ? 2 : 0) << run.err;
        EXPECT_EQ(readFile(dir / "p.txt"), bytes);
    }
}

// sorvane-cli.conf in XDG_CONFIG_HOME gives defaults; the command line wins, --no-config
// ignores the file, and a bad line stops the run naming the file and the line.
TEST(Cli, ConfigurationFileGivesDefaultsTheCommandLineOverrides)
{
    ScratchFolder dir;
    writeFile(dir / "p.htm", page("½"));
    const std::filesystem::path conf = dir / "config" / "sorvane" / "sorvane-cli.conf";
    std::filesystem::create_directories(conf.parent_path());
    const ScopedEnvironment config("XDG_CONFIG_HOME", (dir / "config").string());
    const ScopedEnvironment home("HOME", dir.path().string());
    const std::string source = (dir / "p.htm").string();
    const std::string utf8Lf = "# for my reader\n\n  encoding = UTF8  \r\neol = \"lf\"\n";
    struct Case {
        std::string conf;
        std::vector<std::string> args;
        int status;
        std::string written;  // p.txt, empty when none
        std::string err;      // a part of standard error
    };
    const Case cases[] = {
        {"", {source}, 0, "?\r\n", ""},
        {utf8Lf, {source}, 0, "\xC2\xBD\n", ""},
        {utf8Lf, {"--encoding", "gbk", source}, 0, "?\n", ""},
        {utf8Lf, {"--no-config", source}, 0, "?\r\n", ""},
        {"encoding = utf-8\n", {"--stdout", source}, 0, "", ""},      // files only: not with --stdout
        {"quiet = TRUE\nrecursive = false\n", {source}, 0, "?\r\n", ""},
        {"output-dir = ~/books\n", {source}, 0, "", ""},              // checked below
        {"eol = lf\nnaming = 9\n", {source}, 2, "", conf.string() + ":2: naming: "},
        {"encoding\n", {source}, 2, "", conf.string() + ":1: "},
        {"no-such = 1\n", {source}, 2, "", conf.string() + ":1: no-such: "},
        {"quiet = maybe\n", {source}, 2, "", conf.string() + ":1: quiet: "},
        {"join = book\n", {source}, 2, "", conf.string() + ":1: join: "},
        {"eol = lf\n#\neol = crlf\n", {source}, 2, "", conf.string() + ":3: eol: "},
        {"list = absent.dat\n", {source}, 2, "", conf.string() + ":1: list: "},
        {"encoding = latin1\n", {"--encoding", "gbk", source}, 2, "", conf.string() + ":1: encoding: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conf);
        std::filesystem::remove(dir / "p.txt");
        std::filesystem::remove_all(dir / "books");
        writeFile(conf, c.conf);
        const CliRun run = runCli(dir, c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(readFile(dir / "p.txt"), c.written);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        if (c.conf.starts_with("quiet")) {
            EXPECT_EQ(run.out, "");
        }
        if (c.conf.starts_with("output-dir")) {
            EXPECT_EQ(readFile(dir / "books" / "p.txt"), "?\r\n");
        }
        if (c.args.front() == "--stdout") {
            EXPECT_EQ(run.out, "\xC2\xBD\n");
        }
    }
    // An option with a default of its own takes the file's value too.
    writeFile(conf, "naming = 2\n");
    writeFile(dir / "c7.htm", page("x"));
    EXPECT_EQ(runCli(dir, {(dir / "c7.htm").string()}).out, (dir / "c007.txt").string() + "\n");
    // --help and --version answer whatever the file holds.
    writeFile(conf, "no-such = 1\n");
    EXPECT_EQ(runCli(dir, {"--help"}).status, 0);
}

// Chapters named on the command line are joined in natural order, as the window lists
// them, whatever order the shell gives; --keep-order keeps the order given.
TEST(Cli, JoinTakesTheNamedChaptersInNaturalOrder)
{
    ScratchFolder dir;
    std::vector<std::string> shellOrder;
    for (const char* chapter : {"第10章", "第1章", "第2章"}) {
        writeFile(dir / (std::string(chapter) + ".htm"), page(chapter));
        shellOrder.push_back((dir / (std::string(chapter) + ".htm")).string());
    }
    const std::pair<std::vector<std::string>, std::u16string> cases[] = {
        {{"--join", "书"}, u"第1章\r\n\r\n第2章\r\n\r\n第10章\r\n"},
        {{"--join", "书", "--keep-order"}, u"第10章\r\n\r\n第1章\r\n\r\n第2章\r\n"},
    };
    for (const auto& [options, book] : cases) {
        std::vector<std::string> args = options;
        args.insert(args.end(), shellOrder.begin(), shellOrder.end());
        const CliRun run = runCli(dir, args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readFile(dir / "书.txt"), encodeCp936(book).bytes) << args.size();
    }
}

// The libraries of some document kinds are modules loaded when such a document comes:
// without them a page still converts, and each of those documents fails with a message
// that names the module it lacks. A file that is no module is reported, not run.
TEST(Cli, MissingModulesFailOnlyTheirDocumentsAndAreNamed)
{
    ScratchFolder dir;
    writeFile(dir / "page.htm", page("台湾这里"));
    const std::filesystem::path data(SORVANE_TEST_DATA);
    struct Case {
        std::filesystem::path source;
        const char* option;
        const char* module;
    };
    const Case cases[] = {
        {dir / "page.htm", nullptr, nullptr},
        {data / "readers/epub2-spine-order/input.epub", nullptr, "sorvane_zip.so"},
        {data / "office/docx-structure/input.docx", nullptr, "sorvane_zip.so"},
        {data / "office/odt-structure/input.odt", nullptr, "sorvane_zip.so"},
        {data / "office/doc-table-cells/input.doc", nullptr, "sorvane_ole.so"},
        {data / "readers/mht-current-base64/input.mht", nullptr, "sorvane_mime.so"},
        {data / "readers/chm-gbk-toc-order/input.chm", nullptr, "sorvane_chm.so"},
        {data / "readers/mobi-palmdoc/input.mobi", nullptr, "sorvane_mobi.so"},
        {dir / "page.htm", "--convert=t2s", "sorvane_script.so"},
    };
    const std::filesystem::path modules = dir / "modules";
    std::filesystem::create_directory(modules);
    writeFile(modules / "sorvane_zip.so", "not a shared object");
    const ScopedEnvironment moduleDir("SORVANE_MODULE_DIR", modules.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.string());
        std::vector<std::string> args{"--no-config", "--stdout", c.source.string()};
        if (c.option)
            args.insert(args.begin(), c.option);
        const CliRun run = runCli(dir, args);
        if (!c.module) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out, "台湾这里\n");
            continue;
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(std::string("无法载入程序模块 ") + c.module), std::string::npos) << run.err;
        if (std::string_view(c.module) == "sorvane_zip.so") {
            EXPECT_NE(run.err.find((modules / c.module).string()), std::string::npos) << run.err;
        }
    }
}

// A document loads the libraries of its own kind and no other: a web page none of the
// modules' libraries, a Mobipocket book the e-book library (and what it needs), never the
// others. The dynamic loader lists what it initialises when LD_DEBUG=libs is set.
TEST(Cli, ADocumentLoadsOnlyTheLibrariesOfItsKind)
{
    ScratchFolder dir;
    writeFile(dir / "page.htm", page("台湾这里"));
    const std::filesystem::path data(SORVANE_TEST_DATA);
    const std::vector<std::string> moduleLibraries{"libmobi", "libxml2", "libzip",   "libgsf",
                                                   "libgmime", "libglib", "libgobject", "libchm", "libopencc"};
    struct Case {
        std::filesystem::path source;
        std::vector<std::string> needs;    // loaded, each of them
        std::vector<std::string> mayLoad;  // of the modules' libraries, the only ones loaded
    };
    const Case cases[] = {
        {dir / "page.htm", {}, {}},
        {data / "readers/mobi-palmdoc/input.mobi", {"libmobi"}, {"libmobi", "libxml2"}},
    };
    const ScopedEnvironment debug("LD_DEBUG", "libs");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.string());
        const CliRun run = runCli(dir, {"--no-config", "--stdout", c.source.string()});
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<std::string> loaded;
        constexpr std::string_view init = "calling init: ";
        for (std::size_t at = run.err.find(init); at != std::string::npos; at = run.err.find(init, at + 1)) {
            const std::size_t end = run.err.find('\n', at);
            const std::string path = run.err.substr(at + init.size(), end - at - init.size());
            loaded.push_back(std::filesystem::path(path).filename().string());
        }
        auto loads = [&loaded](const std::string& library) {
            return std::any_of(loaded.begin(), loaded.end(),
                               [&library](const std::string& file) { return file.starts_with(library + "."); });
        };
        for (const std::string& library : c.needs)
            EXPECT_TRUE(loads(library)) << library;
        for (const std::string& library : moduleLibraries)
            if (std::find(c.mayLoad.begin(), c.mayLoad.end(), library) == c.mayLoad.end()) {
                EXPECT_FALSE(loads(library)) << library;
            }
    }
}

}  // namespace
}  // namespace sorvane
