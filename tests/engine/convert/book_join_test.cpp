// Joining chapters into one book: order, seams, the head rule per chapter, the split and
// names of the parts, chapters that fail, and writes that fail.
#include "engine/convert/book_join.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/natural_order.h"
#include "io/codepage.h"
#include "io/temporary_files.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// A renderer that gives each source the text the test chose, or fails for sources
// mapped to nullptr.
Renderer fakeRenderer(std::map<std::string, const char16_t*> texts)
{
    return [texts = std::move(texts)](const fs::path& p) -> Result<Text> {
        const auto it = texts.find(p.filename().string());
        if (it == texts.end() || it->second == nullptr)
            return Error{ErrorCode::Unreadable, "无法读取", p.string()};
        return Text(it->second);
    };
}

std::vector<std::string> folderNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BookJoin, TwelveChaptersInNaturalOrderSplitIntoThreeParts)
{
    // The folder as a front end lists it: chap1 ... chap12 in natural order.
    const fs::path chaptersFolder = fs::path(SORVANE_TEST_DATA) / "book" / "chapters";
    std::vector<fs::path> sources;
    for (const auto& e : fs::directory_iterator(chaptersFolder))
        sources.push_back(e.path());
    std::sort(sources.begin(), sources.end(),
              [](const fs::path& a, const fs::path& b) { return naturalCompare(a.string(), b.string()) < 0; });
    ASSERT_EQ(sources.size(), 12u);

    ScratchFolder out;
    ConversionParams params;
    params.maxSize = "0.1";  // 102 characters per part
    for (unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        BookOptions options;
        options.jobs = jobs;
        Result<BookReport> report = joinBook(sources, out.path(), "book", params, {}, options);
        ASSERT_TRUE(report.ok()) << report.error().describe();
        EXPECT_TRUE(report->failures.empty());
        EXPECT_EQ(report->chapters, 12u);
        const std::vector<fs::path> expectedFiles = {out / "book.txt", out / "book_0027.txt", out / "book_0052.txt"};
        EXPECT_EQ(report->files, expectedFiles);
        for (const fs::path& f : expectedFiles) {
            SCOPED_TRACE(f.filename().string());
            EXPECT_TRUE(readFile(f) == readFile(fs::path(SORVANE_TEST_DATA) / "book" / "expected" / f.filename()));
        }
        EXPECT_EQ(folderNames(out.path()), (std::vector<std::string>{"book.txt", "book_0027.txt", "book_0052.txt"}));
    }
}

TEST(BookJoin, HeadRuleAppliesAtTheTopOfEveryChapterAndOneBlankLineJoinsThem)
{
    // Head of 2 lines with no blank line allowed in it, one blank line allowed after.
    ConversionParams params;
    params.head = "2";
    params.headBlank = "0";
    params.restBlank = "1";
    BookOptions options;
    options.render = fakeRenderer({
        {"a.htm", u"第一章\r\n\r\n正文\r\n\r\n\r\n完"},
        {"b.htm", u"第二章\r\n\r\n正文\r\n\r\n\r\n完\r\n\r\n\r\n"},
        {"c.htm", u"\r\n\r\n"},  // nothing left: adds nothing, not even a blank line
        {"d.htm", u"第三章\r\n\r\n正文"},
    });
    Result<Book> book = assembleBook({"a.htm", "b.htm", "c.htm", "d.htm"}, params, {}, options);
    ASSERT_TRUE(book.ok()) << book.error().describe();
    ASSERT_EQ(book->parts.size(), 1u);
    EXPECT_EQ(toUtf8(book->parts[0].content),
              "第一章\r\n正文\r\n\r\n完\r\n"
              "\r\n"
              "第二章\r\n正文\r\n\r\n完\r\n"
              "\r\n"
              "第三章\r\n正文\r\n");
    EXPECT_EQ(book->chapters, 4u);

    // A book of one chapter is that chapter's single conversion.
    Result<Book> single = assembleBook({"b.htm"}, params, {}, options);
    ASSERT_TRUE(single.ok());
    const ConvertedText alone = convertText(u"第二章\r\n\r\n正文\r\n\r\n\r\n完\r\n\r\n\r\n", params, {});
    ASSERT_EQ(single->parts.size(), 1u);
    EXPECT_EQ(single->parts[0].content, alone.parts[0].content);
}

TEST(BookJoin, AFailingChapterIsReportedAndLeftOut)
{
    ScratchFolder out;
    BookOptions options;
    options.render = fakeRenderer({{"1.htm", u"第一章"}, {"2.htm", nullptr}, {"3.htm", u"第三章"}});
    Result<BookReport> report =
        joinBook({out / "1.htm", out / "2.htm", out / "3.htm"}, out.path(), "书", {}, {}, options);
    ASSERT_TRUE(report.ok()) << report.error().describe();
    ASSERT_EQ(report->failures.size(), 1u);
    EXPECT_EQ(report->failures[0].source, out / "2.htm");
    EXPECT_EQ(report->failures[0].error.code, ErrorCode::Unreadable);
    EXPECT_EQ(report->chapters, 2u);
    EXPECT_EQ(readFile(out / "书.txt"), encodeCp936(u"第一章\r\n\r\n第三章\r\n").bytes);

    // The real renderer: a folder and a binary file among the chapters.
    writeFile(out / "a.txt", "第一章");
    fs::create_directory(out / "b.htm");
    writeFile(out / "c.htm", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    writeFile(out / "d.txt", "第四章");
    Result<BookReport> real =
        joinBook({out / "a.txt", out / "b.htm", out / "c.htm", out / "d.txt"}, out.path(), "真", {}, {}, {});
    ASSERT_TRUE(real.ok()) << real.error().describe();
    ASSERT_EQ(real->failures.size(), 2u);
    EXPECT_EQ(real->failures[0].error.code, ErrorCode::Unreadable);
    EXPECT_EQ(real->failures[1].error.code, ErrorCode::BinaryInput);
    EXPECT_EQ(readFile(out / "真.txt"), encodeCp936(u"第一章\r\n\r\n第四章\r\n").bytes);

    // With every chapter failing there is no book, and the reason names a chapter.
    options.render = fakeRenderer({});
    Result<BookReport> none = joinBook({out / "x.htm", out / "y.htm"}, out.path(), "空", {}, {}, options);
    ASSERT_FALSE(none.ok());
    EXPECT_NE(none.error().message.find("x.htm"), std::string::npos) << none.error().message;
    EXPECT_FALSE(fs::exists(out / "空.txt"));
}

TEST(BookJoin, AFailedWriteLeavesNoHalfBook)
{
    // Two parts: the second holds one line far longer than the size limit.
    const Text longLine(12000, u'长');
    std::map<std::string, const char16_t*> texts = {{"1.htm", u"第一章"}, {"2.htm", longLine.c_str()}};
    BookOptions options;
    options.render = fakeRenderer(texts);
    ConversionParams params;
    params.maxSize = "1";

    {
        // The second part is too large to write: the first, already written, goes too,
        // and the book of an earlier run keeps its bytes.
        ScratchFolder out;
        writeFile(out / "book.txt", "old book");
        test::FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        Result<BookReport> report = joinBook({"1.htm", "2.htm"}, out.path(), "book", params, {}, options);
        ASSERT_FALSE(report.ok());
        EXPECT_TRUE(report.error().code == ErrorCode::DiskFull || report.error().code == ErrorCode::Unwritable);
        EXPECT_EQ(readFile(out / "book.txt"), "old book");
        EXPECT_EQ(folderNames(out.path()), std::vector<std::string>{"book.txt"});
    }
    {
        // A folder in the way of the second part: refused before anything is written.
        ScratchFolder out;
        writeFile(out / "book.txt", "old book");
        fs::create_directory(out / "book_0002.txt");
        Result<BookReport> report = joinBook({"1.htm", "2.htm"}, out.path(), "book", params, {}, options);
        ASSERT_FALSE(report.ok());
        EXPECT_EQ(report.error().code, ErrorCode::Unwritable);
        EXPECT_EQ(readFile(out / "book.txt"), "old book");
        EXPECT_EQ(folderNames(out.path()), (std::vector<std::string>{"book.txt", "book_0002.txt"}));
    }
    {
        // A book named like one of its chapters would replace it.
        ScratchFolder out;
        writeFile(out / "chap1.txt", "第一章");
        writeFile(out / "chap2.txt", "第二章");
        Result<BookReport> report =
            joinBook({out / "chap1.txt", out / "chap2.txt"}, out.path(), "chap1", {}, {}, {});
        ASSERT_FALSE(report.ok());
        EXPECT_EQ(report.error().code, ErrorCode::WouldOverwrite);
        EXPECT_EQ(readFile(out / "chap1.txt"), "第一章");
    }
}

// A signal that ends the program between two parts of a book leaves neither a part nor a
// temporary file. The join runs in a child process, held once its first part is written.
// A book of fewer parts than the one it replaces: the earlier book's extra part goes, a
// chapter that is only named like a part stays.
TEST(BookJoin, AShorterBookRemovesTheOldExtraPartsButNoChapter)
{
    ScratchFolder out;
    writeFile(out / "book_0005.txt", "第一章");
    writeFile(out / "book_0009.txt", "old part");
    BookOptions options;
    options.render = fakeRenderer({{"book_0005.txt", u"第一章"}, {"2.htm", u"第二章"}});
    const Result<BookReport> report =
        joinBook({out / "book_0005.txt", out / "2.htm"}, out.path(), "book", {}, {}, options);
    ASSERT_TRUE(report.ok()) << report.error().describe();
    EXPECT_EQ(folderNames(out.path()), (std::vector<std::string>{"book.txt", "book_0005.txt"}));
}

TEST(BookJoin, ASignalBetweenTwoPartsLeavesNothingBehind)
{
    const Text longLine(12000, u'长');
    ConversionParams params;
    params.maxSize = "1";  // two parts: the long line is the second
    for (const int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(sig));
        ScratchFolder dir;
        const fs::path out = dir / "out";
        fs::create_directory(out);
        writeFile(out / "book.txt", "old book");
        const fs::path marker = dir / "held";
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::alarm(60);
            removeTemporaryFilesOnSignals();
            BookOptions options;
            options.render = fakeRenderer({{"1.htm", u"第一章"}, {"2.htm", longLine.c_str()}});
            // Rendering reports up to 0.8; more means a part is written.
            options.progress = [&marker](double done) {
                if (done <= 0.8)
                    return;
                writeFile(marker, "");
                for (;;)
                    ::pause();
            };
            (void)joinBook({"1.htm", "2.htm"}, out, "book", params, {}, options);
            ::_exit(1);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const bool held = fs::exists(marker);
        const std::size_t whileHeld = folderNames(out).size();
        ::kill(pid, sig);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        ASSERT_TRUE(held) << "the join never wrote its first part";
        EXPECT_EQ(whileHeld, 2u);  // the old book and the first part's temporary file
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(folderNames(out), std::vector<std::string>{"book.txt"});
        EXPECT_EQ(readFile(out / "book.txt"), "old book");
    }
}

// With noClobber an existing book is refused before any chapter is rendered; the folder
// is made only for a book that is written.
TEST(BookJoin, NoClobberAndTheOutputFolder)
{
    ScratchFolder dir;
    writeFile(dir / "book.txt", "old book");
    int rendered = 0;
    BookOptions options;
    options.noClobber = true;
    options.render = [&rendered](const fs::path&) -> Result<Text> {
        ++rendered;
        return Text(u"正文");
    };
    Result<BookReport> refused = joinBook({"1.htm"}, dir.path(), "book", {}, {}, options);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::OutputExists);
    EXPECT_NE(refused.error().message.find((dir / "book.txt").string()), std::string::npos);
    EXPECT_EQ(rendered, 0);
    EXPECT_EQ(readFile(dir / "book.txt"), "old book");

    Result<BookReport> made = joinBook({"1.htm"}, dir / "new" / "deep", "book", {}, {}, options);
    ASSERT_TRUE(made.ok()) << made.error().describe();
    EXPECT_EQ(readFile(dir / "new" / "deep" / "book.txt"), encodeCp936(u"正文\r\n").bytes);

    writeFile(dir / "file", "x");
    Result<BookReport> blocked = joinBook({"1.htm"}, dir / "file" / "sub", "book", {}, {}, options);
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().code, ErrorCode::Unwritable);
}

TEST(BookJoin, BaseNames)
{
    const struct {
        const char* name;
        int naming;
        const char* expected;  // nullptr: refused
    } cases[] = {
        {"novel", 0, "/out/novel.txt"},  {"novel.txt", 0, "/out/novel.txt"}, {"novel.TXT", 0, "/out/novel.txt"},
        {"Vol.1", 0, "/out/Vol.1.txt"},  {"vol3", 2, "/out/vol003.txt"},     {"卷1", 1, "/out/卷01.txt"},
        {".txt", 0, "/out/.txt.txt"},    {"", 0, nullptr},                    {".", 0, nullptr},
        {"..", 0, nullptr},              {"a/b", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Result<fs::path> got = bookBasePath("/out", c.name, c.naming);
        if (c.expected)
            EXPECT_EQ(got.ok() ? got->string() : got.error().describe(), c.expected);
        else
            EXPECT_FALSE(got.ok());
    }
}

}  // namespace
}  // namespace sorvane
