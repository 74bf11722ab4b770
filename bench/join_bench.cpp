// Speed of the Traditional/Simplified conversion inside a whole conversion, and of
// joining a folder of chapters into one book against converting them one by one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/convert/book_join.h"
#include "engine/convert/ch_txt.h"
#include "engine/convert/script_convert.h"
#include "join_bench.h"
#include "memory_peak.h"
#include "page_generator.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvane;
using sorvane::bench::PageEncoding;

constexpr std::size_t kPageBytes = 5 * 1024 * 1024;
constexpr int kBookChapters = 500;
constexpr std::size_t kChapterBytes = 16 * 1024;

const fs::path& scratch()
{
    static const fs::path folder = bench::scratchFolder("join");
    return folder;
}

// The 5 MB generated page, and the same page in Traditional characters.
fs::path bigPage(bool traditional)
{
    const fs::path file = scratch() / "page" / (traditional ? "traditional.htm" : "simplified.htm");
    if (!fs::exists(file)) {
        fs::create_directories(file.parent_path());
        std::string page = bench::makePage(kPageBytes, PageEncoding::Utf8, 7);
        if (traditional)
            page = toUtf8(convertScript(fromUtf8(page), ScriptConversion::S2T).value());
        std::ofstream(file, std::ios::binary) << page;
    }
    return file;
}

const std::vector<fs::path>& bookChapters()
{
    static const std::vector<fs::path> paths =
        bench::writeChapters(scratch() / "chapters", kBookChapters, kChapterBytes);
    return paths;
}

int64_t totalSize(const std::vector<fs::path>& paths)
{
    int64_t total = 0;
    for (const fs::path& p : paths)
        total += static_cast<int64_t>(fs::file_size(p));
    return total;
}

// A whole conversion of a 5 MB page (render, cleanup, writing) with and without the
// Traditional to Simplified conversion, on a Simplified page (most characters pass
// through unchanged) and on a Traditional one; the rates of a pair compare directly.
void BM_ConvertScript(benchmark::State& state, ScriptConversion kind, bool traditional)
{
    const fs::path source = bigPage(traditional);
    ConversionParams params;
    params.script = kind;
    const ReplacementList list;
    const EngineContext context;
    for (auto _ : state) {
        auto report = ch_txt(source, 0, params, list, context);
        if (!report) {
            state.SkipWithError(report.error().describe().c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(source)));
}
BENCHMARK_CAPTURE(BM_ConvertScript, none_5MB, ScriptConversion::None, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertScript, t2s_5MB, ScriptConversion::T2S, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertScript, none_traditional_5MB, ScriptConversion::None, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertScript, t2s_traditional_5MB, ScriptConversion::T2S, true)
    ->Unit(benchmark::kMillisecond);

// 500 chapter pages of 16 KB converted one by one on one thread, as a run without
// joining does.
void BM_ChaptersOneByOne(benchmark::State& state)
{
    const auto& paths = bookChapters();
    const ConversionParams params;
    const ReplacementList list;
    const EngineContext context;
    for (auto _ : state) {
        for (const fs::path& p : paths) {
            auto report = ch_txt(p, 0, params, list, context);
            if (!report) {
                state.SkipWithError(report.error().describe().c_str());
                return;
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * totalSize(paths));
}
BENCHMARK(BM_ChaptersOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 500 pages joined into one book, rendered on `jobs` threads.
void BM_JoinBook(benchmark::State& state)
{
    const auto& paths = bookChapters();
    const ConversionParams params;
    const ReplacementList list;
    BookOptions options;
    options.jobs = static_cast<unsigned>(state.range(0));
    const fs::path out = scratch() / "book";
    fs::create_directories(out);
    for (auto _ : state) {
        auto report = joinBook(paths, out, "book", params, list, options);
        if (!report) {
            state.SkipWithError(report.error().describe().c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * totalSize(paths));
}
BENCHMARK(BM_JoinBook)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace sorvane::bench {

int joinOnce(const char* folder)
{
    std::vector<fs::path> paths;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".htm")
            paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    const fs::path out = fs::path(folder) / "out";
    fs::create_directories(out);
    BookOptions options;
    options.jobs = 2;
    auto report = joinBook(paths, out, "book", {}, {}, options);
    if (!report) {
        std::fprintf(stderr, "%s\n", report.error().describe().c_str());
        return 1;
    }
    // The size of the written book and the peak resident set (VmHWM), in bytes.
    size_t written = 0;
    for (const fs::path& f : report->files)
        written += fs::file_size(f);
    std::printf("%ld %zu\n", ownPeak(), written);
    return 0;
}

void reportBookMemory()
{
    const fs::path folder = scratch() / "memory";
    const auto paths = writeChapters(folder, kBookChapters, kChapterBytes);
    const std::vector<long> numbers = runSelf("--join-once", folder, 2);
    const long peak = numbers.empty() ? 0 : numbers[0];
    const auto bytes = static_cast<size_t>(numbers.empty() ? 0 : numbers[1]);
    // The book's text: the size of its written parts.
    const double text = static_cast<double>(bytes) / 1048576.0;
    const double limit = 3 * text + 50;
    std::printf("  %-28s %8.1f MB  (book text %.1f MB, limit 3 x text + 50 MB = %.1f MB: %s)\n",
                "500 chapters joined, -j 2", static_cast<double>(peak) / 1048576.0, text, limit,
                peak > 0 && static_cast<double>(peak) / 1048576.0 < limit ? "met" : "NOT MET");
}

}  // namespace sorvane::bench
