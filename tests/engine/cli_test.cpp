// Runs the built sorvane-cli binary end to end.

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/text.h"
#include "engine/codepage.h"
#include "support/scratch_folder.h"

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

CliRun runCli(const ScratchFolder& dir, const std::vector<std::string>& args)
{
    std::string command = quote(SORVANE_CLI);
    for (const std::string& a : args)
        command += " " + quote(a);
    const auto out = dir / ".stdout";
    const auto err = dir / ".stderr";
    command += " >" + quote(out.string()) + " 2>" + quote(err.string()) + " </dev/null";
    CliRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(out);
    run.err = readFile(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
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
        EXPECT_NE(run.err.find("Usage: sorvane-cli"), std::string::npos) << run.err;
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

}  // namespace
}  // namespace sorvane
