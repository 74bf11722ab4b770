// Conversion with cleaning: whole books of made-up novel sites against the books a reader
// wants, indents, the order of the replacement list and the rules, and pages without a
// story.
#include "engine/convert/page_cleaning.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/natural_order.h"
#include "engine/convert/book_join.h"
#include "engine/convert/ch_txt.h"
#include "support/golden_cases.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

std::vector<fs::path> pagesIn(const fs::path& folder)
{
    std::vector<fs::path> pages;
    for (const auto& e : fs::directory_iterator(folder))
        pages.push_back(e.path());
    std::sort(pages.begin(), pages.end(),
              [](const fs::path& a, const fs::path& b) { return naturalCompare(a.string(), b.string()) < 0; });
    return pages;
}

TEST(PageCleaning, BooksOfNovelSitesAreTheStoryAlone)
{
    const fs::path root = fs::path(SORVANE_TEST_DATA) / "clean";
    std::size_t books = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        if (!entry.is_directory())
            continue;
        ++books;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ScratchFolder out;
        ConversionParams params;
        params.cleanPages = true;
        params.restBlank = "0";
        params.encoding = OutputEncoding::Utf8;
        BookOptions options;
        options.jobs = 2;
        Result<BookReport> report = joinBook(pagesIn(entry.path() / "pages"), out.path(), name, params, {}, options);
        ASSERT_TRUE(report.ok()) << report.error().describe();
        EXPECT_TRUE(report->failures.empty());
        const std::string got = readFile(out / (name + ".txt"));
        const std::string want = readFile(entry.path() / "expected.txt");
        EXPECT_TRUE(got == want) << test::firstDifference(got, want);
    }
    EXPECT_EQ(books, 7u);
}

TEST(PageCleaning, IndentsTypedInThePageAreNotAddedTo)
{
    ScratchFolder dir;
    writeFile(dir / "page.htm",
              "<h1>第一章 山雨</h1><div id=\"content\">\xE3\x80\x80\xE3\x80\x80他推开门，雨还没有停。<br>"
              "&nbsp;&nbsp;&nbsp;&nbsp;她没有回答，只是把信放在桌上。<br>\t“明天一早，我们走。”他说。</div>");
    const struct {
        bool clean;
        const char* text;
    } cases[] = {
        {true, "　　第一章 山雨\r\n　　他推开门，雨还没有停。\r\n　　她没有回答，只是把信放在桌上。\r\n"
               "　　“明天一早，我们走。”他说。\r\n"},
        // Off: only blanks are trimmed, as always.
        {false, "　　第一章 山雨\r\n　　　　他推开门，雨还没有停。\r\n　　她没有回答，只是把信放在桌上。\r\n"
                "　　“明天一早，我们走。”他说。\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clean);
        ConversionParams params;
        params.cleanPages = c.clean;
        params.encoding = OutputEncoding::Utf8;
        Result<ConvertedText> converted = convertDocument(dir / "page.htm", params, {}, EngineContext{});
        ASSERT_TRUE(converted.ok()) << converted.error().describe();
        ASSERT_EQ(converted->parts.size(), 1u);
        EXPECT_EQ(toUtf8(converted->parts[0].content), c.text);
    }
}

TEST(PageCleaning, RulesFollowTheReplacementListAndPagesWithoutAStoryAreLeftOut)
{
    ScratchFolder dir;
    writeFile(dir / "page.htm", "<p>甲乙</p>");
    std::string contents = "<h1>青梧长歌</h1><ul>";
    for (int i = 1; i <= 12; ++i)
        contents += "<li><a href=\"" + std::to_string(i) + ".html\">第" + std::to_string(i) + "章</a></li>";
    writeFile(dir / "index.htm", contents + "</ul>");
    const ReplacementList list = {{u"甲", u"乙", "Y"}};
    Result<clean::RewriteRules> rules = clean::RewriteRules::parse("乙乙\t丙");
    ASSERT_TRUE(rules.ok());
    EngineContext context;
    context.cleaning.rules = std::make_shared<const clean::RewriteRules>(std::move(rules).value());
    for (bool clean : {false, true}) {
        SCOPED_TRACE(clean);
        ConversionParams params;
        params.cleanPages = clean;
        Result<ConvertedText> converted = convertDocument(dir / "page.htm", params, list, context);
        ASSERT_TRUE(converted.ok()) << converted.error().describe();
        EXPECT_EQ(converted->parts[0].content, u"丙\r\n");
    }

    ConversionParams params;
    params.cleanPages = true;
    Result<ConvertedText> skipped = convertDocument(dir / "index.htm", params, {}, EngineContext{});
    ASSERT_FALSE(skipped.ok());
    EXPECT_EQ(skipped.error().code, ErrorCode::NoStory);
    EXPECT_EQ(skipped.error().message, "目录页，已略过");

    // In a book the page gives nothing and is named; the book is the rest.
    ScratchFolder out;
    Result<BookReport> book = joinBook({dir / "index.htm", dir / "page.htm"}, out.path(), "书", params, {}, {});
    ASSERT_TRUE(book.ok()) << book.error().describe();
    EXPECT_EQ(readFile(out / "书.txt"), "\xBC\xD7\xD2\xD2\r\n");  // 甲乙 in code page 936
    EXPECT_EQ(book->chapters, 1u);
    ASSERT_EQ(clean::contentsPages(book->removed), 1u);
    EXPECT_EQ(book->removed[0].source, dir / "index.htm");
}

}  // namespace
}  // namespace sorvane
