// Speed and memory of rendering and of whole conversions, on generated Chinese pages.
//   sorvane_bench                      the benchmarks (MB/s per document kind), then the
//                                      memory peak of converting each 5 MB page
//   sorvane_bench --write-chapters DIR [COUNT] [KB]
//                                      writes the chapter folder bench/compare-peers uses
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/convert/ch_txt.h"
#include "engine/render/html_renderer.h"
#include "join_bench.h"
#include "memory_peak.h"
#include "page_generator.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvane;
using sorvane::bench::PageEncoding;

constexpr std::size_t kPageBytes = 5 * 1024 * 1024;
constexpr int kChapters = 300;
constexpr std::size_t kChapterBytes = 16 * 1024;

const fs::path& scratch()
{
    static const fs::path folder = bench::scratchFolder("render");
    return folder;
}

const std::string& page(PageEncoding e)
{
    static const std::string utf8 = bench::makePage(kPageBytes, PageEncoding::Utf8, 1);
    static const std::string gbk = bench::makePage(kPageBytes, PageEncoding::Gbk, 1);
    return e == PageEncoding::Utf8 ? utf8 : gbk;
}

fs::path pageFile(PageEncoding e)
{
    const fs::path dir = scratch() / (e == PageEncoding::Utf8 ? "utf8" : "gbk");
    const fs::path p = dir / "page.htm";
    if (!fs::exists(p)) {
        fs::create_directories(dir);
        std::ofstream(p, std::ios::binary) << page(e);
    }
    return p;
}

const std::vector<fs::path>& chapters()
{
    static const std::vector<fs::path> paths = bench::writeChapters(scratch() / "chapters", kChapters, kChapterBytes);
    return paths;
}

void BM_RenderHtml(benchmark::State& state, PageEncoding e)
{
    const std::string& bytes = page(e);
    for (auto _ : state) {
        Text text = renderHtml(bytes);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK_CAPTURE(BM_RenderHtml, utf8_5MB, PageEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderHtml, gbk_5MB, PageEncoding::Gbk)->Unit(benchmark::kMillisecond);

// Render + cleanup + writing the output file (code page 936 unless told otherwise): what
// one conversion costs.
void BM_Convert(benchmark::State& state, PageEncoding e, OutputEncoding output = OutputEncoding::Gbk)
{
    const fs::path source = pageFile(e);
    const auto size = static_cast<int64_t>(fs::file_size(source));
    ConversionParams params;
    params.encoding = output;
    const ReplacementList list;
    const EngineContext context;
    for (auto _ : state) {
        auto report = ch_txt(source, 0, params, list, context);
        if (!report) {
            state.SkipWithError(report.error().describe().c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK_CAPTURE(BM_Convert, utf8_5MB, PageEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, gbk_5MB, PageEncoding::Gbk)->Unit(benchmark::kMillisecond);
// UTF-8 output skips the code page round trip; it must be no slower than the default.
BENCHMARK_CAPTURE(BM_Convert, utf8_5MB_to_utf8, PageEncoding::Utf8, OutputEncoding::Utf8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, gbk_5MB_to_utf8, PageEncoding::Gbk, OutputEncoding::Utf8)
    ->Unit(benchmark::kMillisecond);

// 300 chapter pages, half UTF-8 and half GBK, converted one after the other on one core.
void BM_ConvertFolder(benchmark::State& state)
{
    const auto& paths = chapters();
    int64_t total = 0;
    for (const fs::path& p : paths)
        total += static_cast<int64_t>(fs::file_size(p));
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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * total);
    state.counters["files/s"] =
        benchmark::Counter(static_cast<double>(paths.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertFolder)->Unit(benchmark::kMillisecond);

void reportMemory()
{
    std::printf("\nMemory peak of one conversion (a fresh process each):\n");
    const fs::path tiny = scratch() / "tiny.htm";
    std::ofstream(tiny) << "<p>x</p>";
    const long base = bench::peakOfConversion(tiny);
    std::printf("  %-28s %8.1f MB\n", "program with a tiny page", static_cast<double>(base) / 1048576.0);
    for (PageEncoding e : {PageEncoding::Utf8, PageEncoding::Gbk}) {
        const fs::path p = pageFile(e);
        const double size = static_cast<double>(fs::file_size(p)) / 1048576.0;
        const double peak = static_cast<double>(bench::peakOfConversion(p)) / 1048576.0;
        const double limit = 10 * size + 30;
        std::printf("  %-28s %8.1f MB  (document %.1f MB, limit 10 x size + 30 MB = %.1f MB: %s)\n",
                    e == PageEncoding::Utf8 ? "5 MB UTF-8 page" : "5 MB GBK page", peak, size, limit,
                    peak > 0 && peak < limit ? "met" : "NOT MET");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && argv[1] == bench::kConvertOnce)
        return bench::convertOnce(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "--join-once") == 0)
        return bench::joinOnce(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "--write-chapters") == 0) {
        const int count = argc >= 4 ? std::atoi(argv[3]) : kChapters;
        const std::size_t kb = argc >= 5 ? static_cast<std::size_t>(std::atoi(argv[4])) : kChapterBytes / 1024;
        const auto paths = bench::writeChapters(argv[2], count, kb * 1024);
        std::printf("%zu pages written to %s\n", paths.size(), argv[2]);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    reportMemory();
    bench::reportBookMemory();
    return 0;
}
