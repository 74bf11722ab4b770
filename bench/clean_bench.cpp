// What cleaning costs: a book of chapter pages laid out as a novel site lays them out
// (menus, navigation, the text, a sidebar of chapter links, a footer), joined with
// cleaning off and on, side by side in one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/convert/book_join.h"
#include "io/codepage.h"
#include "page_generator.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvane;

constexpr int kChapters = 300;

// Chapter `n` of a made-up site: about 3,000 characters of story in lines broken by <br>,
// with the site around it.
std::string sitePage(int n, bool gbk)
{
    std::mt19937 rng(static_cast<unsigned>(n));
    static const char* const words[] = {"他推开门", "雨还没有停", "风从河面上吹过来", "她没有回答", "只是把信放在桌上",
                                        "看了他一眼", "远处传来几声狗叫", "灯笼晃个不停", "街上已经没有行人",
                                        "他数了数手里的铜钱", "天色渐渐暗了", "雾气慢慢散开"};
    std::string story;
    for (int line = 0; line < 60; ++line) {
        std::string text;
        const int clauses = 2 + static_cast<int>(rng() % 4);
        for (int c = 0; c < clauses; ++c)
            text += std::string(words[rng() % std::size(words)]) + (c + 1 < clauses ? "，" : "。");
        story += "&nbsp;&nbsp;&nbsp;&nbsp;" + text + "<br />\n<br />\n";
    }
    std::string links;
    for (int k = n + 1; k <= n + 10; ++k)
        links += "<li><a href=\"" + std::to_string(k) + ".html\">第" + std::to_string(k) + "章 某地</a></li>";
    const std::string heading = "第" + std::to_string(n) + "章 某地";
    const std::string nav = "<a href=\"/b/\">章节目录</a> ← <a href=\"#\">上一章</a> → <a href=\"#\">下一章</a> "
                            "<a href=\"#\">加入书签</a>";
    const std::string page =
        std::string("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=") +
        (gbk ? "gbk" : "utf-8") + "\"><title>" + heading + "_书名_某某书坊</title><script>var a = 1;</script></head>"
        "<body><div class=\"header\"><a href=\"/\">某某书坊</a> <form><input name=\"q\"><button>搜索</button></form>"
        "</div><div class=\"nav\"><a href=\"/\">首页</a> <a href=\"/c1\">玄幻小说</a> <a href=\"/c2\">武侠小说</a> "
        "<a href=\"/top\">排行榜单</a></div><div class=\"box_con\"><div class=\"bookname\"><h1>" + heading +
        "</h1><div class=\"bottem1\">" + nav + "</div></div><div id=\"content\">" + story +
        "请记住本书首发域名：mouxsf.com。手机版阅读网址：m.mouxsf.com</div><div class=\"bottem2\">" + nav +
        "</div></div><div class=\"sidebar\"><h3>最新章节</h3><ul>" + links + "</ul></div>"
        "<div class=\"footer\"><p>本站作品均来自网络，仅供交流试读，如有侵权请来信告知。</p>"
        "<p>Copyright 某某书坊 All Rights Reserved.</p></div></body></html>";
    return gbk ? encodeCp936(fromUtf8(page)).bytes : page;
}

// The chapters `page` writes, into the folder `name` of the scratch folder.
template <typename Page>
std::vector<fs::path> writeChapters(const std::string& name, Page page)
{
    const fs::path folder = bench::scratchFolder("clean") / name;
    fs::create_directories(folder);
    std::vector<fs::path> out;
    for (int n = 1; n <= kChapters; ++n) {
        const fs::path p = folder / (std::to_string(n) + ".html");
        std::ofstream(p, std::ios::binary) << page(n);
        out.push_back(p);
    }
    return out;
}

const std::vector<fs::path>& siteChapters()
{
    static const std::vector<fs::path> paths = writeChapters("pages", [](int n) { return sitePage(n, n % 2 == 0); });
    return paths;
}

// Chapter `n` of a made-up English site: the same layout, about 2,400 characters of
// story in twenty paragraphs, and an address pasted into one of them. Latin text is what makes
// every line a candidate for the address search.
std::string englishPage(int n)
{
    std::mt19937 rng(static_cast<unsigned>(n));
    static const char* const words[] = {"He pushed the door open", "the rain had not stopped",
                                        "wind came off the river", "she did not answer",
                                        "she laid the letter on the table", "a dog barked somewhere far off",
                                        "the lanterns kept swinging", "the street was empty by then",
                                        "he counted the coins in his hand", "the fog thinned slowly"};
    std::string story;
    for (int line = 0; line < 20; ++line) {
        std::string text;
        const int clauses = 3 + static_cast<int>(rng() % 4);
        for (int c = 0; c < clauses; ++c)
            text += std::string(words[rng() % std::size(words)]) + (c + 1 < clauses ? ", " : ". ");
        if (line == 10)
            text += "Read the latest chapters at www.novelharbor.com for free. ";
        story += "<p>" + text + "</p>\n";
    }
    std::string links;
    for (int k = n + 1; k <= n + 10; ++k)
        links += "<li><a href=\"" + std::to_string(k) + ".html\">Chapter " + std::to_string(k) + "</a></li>";
    const std::string heading = "Chapter " + std::to_string(n) + ": The Ferry";
    const std::string nav = "<a href=\"#\">Previous Chapter</a> | <a href=\"/b/\">Table of Contents</a> | "
                            "<a href=\"#\">Next Chapter</a>";
    return "<html><head><meta charset=\"utf-8\"><title>" + heading + " - Novel Harbor</title></head><body>"
           "<div class=\"header\"><a href=\"/\">Novel Harbor</a> <form><input name=\"q\"><button>Search</button>"
           "</form></div><div class=\"box_con\"><h1>" + heading + "</h1><div class=\"nav\">" + nav +
           "</div><div id=\"content\">" + story + "</div><div class=\"nav\">" + nav + "</div></div>"
           "<div class=\"sidebar\"><h3>Latest Chapters</h3><ul>" + links + "</ul></div><div class=\"footer\">"
           "<p>Copyright Novel Harbor. All Rights Reserved.</p></div></body></html>";
}

const std::vector<fs::path>& englishChapters()
{
    static const std::vector<fs::path> paths = writeChapters("english", englishPage);
    return paths;
}

// The book joined on one thread, so the time is the work itself; arg 0: cleaning off,
// 1: on. The ratio of the two is what cleaning costs.
void joinSite(benchmark::State& state, const std::vector<fs::path>& paths)
{
    ConversionParams params;
    params.cleanPages = state.range(0) != 0;
    BookOptions options;
    options.jobs = 1;
    const fs::path out = bench::scratchFolder("clean") / "book";
    fs::create_directories(out);
    std::int64_t bytes = 0;
    for (const fs::path& p : paths)
        bytes += static_cast<std::int64_t>(fs::file_size(p));
    for (auto _ : state) {
        auto report = joinBook(paths, out, "book", params, {}, options);
        if (!report) {
            state.SkipWithError(report.error().describe().c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
}

void BM_JoinNovelSite(benchmark::State& state)
{
    joinSite(state, siteChapters());
}
BENCHMARK(BM_JoinNovelSite)->ArgName("clean")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JoinEnglishSite(benchmark::State& state)
{
    joinSite(state, englishChapters());
}
BENCHMARK(BM_JoinEnglishSite)->ArgName("clean")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
