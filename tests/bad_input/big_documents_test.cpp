// Documents at the limits of size and shape: a 100 MB page split into many parts, and
// pages nested 100,000 elements deep. Both must convert in reasonable time and memory,
// through the engine and through sorvane-cli, without losing text.
// Under AddressSanitizer the large page is 8 MB instead of 100 MB: the sanitizer makes
// the run several times slower and the 100 MB case alone would take minutes there.

#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input_support.h"
#include "common/text.h"
#include "engine/convert/ch_txt.h"
#include "io/codepage.h"

namespace sorvane {
namespace {

using test::fingerprint;
using test::inFolder;
using test::readFile;
using test::runCli;
using test::ScratchFolder;
using test::writeFile;

constexpr std::size_t kLargeBytes = test::kSanitized ? 8u << 20 : 100u << 20;

// A page of numbered paragraphs of mixed Chinese and ASCII, at least `bytes` long, with
// a marked last paragraph. Returns the number of numbered paragraphs.
std::size_t writeLargePage(const std::filesystem::path& file, std::size_t bytes)
{
    std::string html = "<html><head><meta charset=utf-8><title>大文件</title></head><body>\n";
    html.reserve(bytes + 256);
    std::size_t n = 0;
    while (html.size() < bytes) {
        html += "<p>第" + std::to_string(n) + "段：这是一段用于测试的中文文字，夹杂 ASCII text 和标点。</p>\n";
        ++n;
    }
    html += "<p>最后一段 END</p></body></html>\n";
    writeFile(file, html);
    return n;
}

std::size_t countOf(const Text& text, TextView what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != Text::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

TEST(BigDocument, LargePageIsSplitIntoManyPartsWithNothingLost)
{
    ScratchFolder dir;
    const std::size_t paragraphs = writeLargePage(dir / "大 文件.htm", kLargeBytes);
    writeFile(dir / "读者的笔记.txt", "keep");
    const auto before = fingerprint(dir.path());

    ConversionParams params;
    params.maxSize = "512";  // 524,288 counted characters per part
    const std::int64_t limit = 512 * 1024;
    const auto report = ch_txt(dir / "大 文件.htm", 0, params, {}, EngineContext{});
    ASSERT_TRUE(report.ok()) << report.error().describe();
    ASSERT_GE(report->files.size(), test::kSanitized ? 4u : 40u);
    EXPECT_EQ(report->files.front(), dir / "大 文件.txt");
    EXPECT_EQ(test::lostOrChanged(before, fingerprint(dir.path())), "");

    std::size_t found = 0;
    Text last;
    for (std::size_t k = 0; k < report->files.size(); ++k) {
        const Text text = decodeCp936(readFile(report->files[k]));
        ASSERT_TRUE(text.ends_with(u"\r\n")) << report->files[k];
        // Every line but the first counts against the limit.
        const std::size_t firstBreak = text.find(u"\r\n");
        std::int64_t counted = 0;
        for (std::size_t at = firstBreak + 2; at < text.size();) {
            const std::size_t end = text.find(u"\r\n", at);
            counted += static_cast<std::int64_t>(end - at);
            at = end + 2;
        }
        EXPECT_LE(counted, limit) << report->files[k];
        found += countOf(text, u"段：");
        if (k + 1 == report->files.size())
            last = text;
    }
    EXPECT_EQ(found, paragraphs);
    EXPECT_TRUE(last.ends_with(u"最后一段 END\r\n"));

    // The command line on the same document, in a folder of its own: the same parts.
    ScratchFolder cliDir;
    std::filesystem::create_hard_link(dir / "大 文件.htm", cliDir / "大 文件.htm");
    const auto run = runCli({"--quiet", "--max-size", "512", "大 文件.htm"}, inFolder(cliDir.path()));
    ASSERT_TRUE(run.exited && run.status == 0) << test::describe(run);
    for (const auto& file : report->files)
        EXPECT_EQ(test::fileFingerprint(cliDir.path() / file.filename()), test::fileFingerprint(file)) << file;
}

// A batch gives a document's memory back before the next: converting a large page three
// times in one run, a document at a time, takes hardly more memory than converting it
// once, instead of keeping what each of them held.
TEST(BigDocument, ABatchTakesTheMemoryOfOneDocument)
{
    if (test::kSanitized)
        GTEST_SKIP() << "the sanitizer's allocator holds freed memory back on purpose";
    ScratchFolder dir;
    constexpr std::size_t kPage = 8u << 20;
    writeLargePage(dir / "a.htm", kPage);
    std::filesystem::create_hard_link(dir / "a.htm", dir / "b.htm");
    std::filesystem::create_hard_link(dir / "a.htm", dir / "c.htm");
    const std::vector<std::string> options{"--no-config", "--quiet", "--jobs", "1", "-o", "out"};
    auto withPages = [&options](std::initializer_list<std::string> pages) {
        std::vector<std::string> args = options;
        args.insert(args.end(), pages);
        return args;
    };
    const auto once = runCli(withPages({"a.htm"}), inFolder(dir.path()));
    const auto thrice = runCli(withPages({"a.htm", "b.htm", "c.htm"}), inFolder(dir.path()));
    ASSERT_EQ(once.status, 0) << test::describe(once);
    ASSERT_EQ(thrice.status, 0) << test::describe(thrice);
    EXPECT_LE(thrice.peakKb, once.peakKb + static_cast<long>(kPage / 1024)) << "once: " << once.peakKb << " KB";
}

TEST(BigDocument, DeeplyNestedPagesConvert)
{
    constexpr int depth = 100000;
    auto repeat = [](const std::string& s, int times) {
        std::string out;
        out.reserve(s.size() * static_cast<std::size_t>(times));
        for (int i = 0; i < times; ++i)
            out += s;
        return out;
    };
    struct Case {
        const char* name;
        std::string html;
        std::vector<std::string> found;
    };
    const Case cases[] = {
        {"div.htm", "<meta charset=utf-8><body>" + repeat("<div>", depth) + "深处的文字" + repeat("</div>", depth) +
                        "<p>之后的段落</p>",
         {"深处的文字", "之后的段落"}},
        {"unclosed.htm", "<meta charset=utf-8><p>开头</p>" + repeat("<div><span><b>", depth / 3) + "没有关闭",
         {"开头", "没有关闭"}},
        {"table.htm", "<meta charset=utf-8>" + repeat("<table><tr><td>", depth / 3) + "表格深处", {"表格深处"}},
        {"list.htm", "<meta charset=utf-8>" + repeat("<ul><li>", depth / 2) + "列表深处" + repeat("</li></ul>", depth / 2),
         {"列表深处"}},
        {"inline.htm", "<meta charset=utf-8>" + repeat("<b><i><u><s><em>", depth / 5) + "行内深处", {"行内深处"}},
        {"quote.htm", "<meta charset=utf-8>" + repeat("<blockquote>", depth) + "引用深处", {"引用深处"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        writeFile(dir / c.name, c.html);
        const auto before = fingerprint(dir.path());
        const auto report = ch_txt(dir / c.name, 0, {}, {}, EngineContext{});
        ASSERT_TRUE(report.ok()) << report.error().describe();
        ASSERT_EQ(report->files.size(), 1u);
        const std::string text = toUtf8(decodeCp936(readFile(report->files[0])));
        for (const std::string& f : c.found)
            EXPECT_NE(text.find(f), std::string::npos) << "missing " << f << " in " << text.substr(0, 200);
        EXPECT_EQ(test::lostOrChanged(before, fingerprint(dir.path())), "");

        std::filesystem::remove(report->files[0]);
        const auto run = runCli({"--stdout", "--eol", "crlf", c.name}, inFolder(dir.path()));
        ASSERT_TRUE(run.exited && run.status == 0) << test::describe(run);
        EXPECT_EQ(run.out, text);
    }
}

}  // namespace
}  // namespace sorvane
