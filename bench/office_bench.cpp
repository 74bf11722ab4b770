// Speed and memory of reading a Word document (.docx) against the same text as one HTML
// page, both rendered through the reader choice from a file, as a conversion does; and
// how the cost of hostile RTF and DOCX documents grows with their size.
//   sorvane_office_bench               the benchmarks (MB of text per second), then the
//                                      memory peak of converting the 5 MB-of-text DOCX
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "page_generator.h"
#include "memory_peak.h"
#include "engine/convert/renderer.h"
#include "support/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvane;

constexpr std::size_t kTextBytes = 5 * 1024 * 1024;

// Paragraphs of generated Chinese prose, about kTextBytes of UTF-8 in all.
const std::vector<std::string>& paragraphs()
{
    static const std::vector<std::string> list = [] {
        const std::u16string chars = u"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之"
                                     u"过家学对可她里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方";
        const std::u16string stops = u"，。、；！？";
        std::mt19937 rng(7);
        std::vector<std::string> out;
        std::size_t total = 0;
        while (total < kTextBytes) {
            std::u16string p = u"　　";
            const int len = 40 + static_cast<int>(rng() % 200);
            for (int i = 0; i < len; ++i)
                p += i % 13 == 12 ? stops[rng() % stops.size()] : chars[rng() % chars.size()];
            out.push_back(toUtf8(p));
            total += out.back().size();
        }
        return out;
    }();
    return list;
}

std::size_t textBytes()
{
    std::size_t n = 0;
    for (const std::string& p : paragraphs())
        n += p.size();
    return n;
}

const fs::path& scratch()
{
    static const fs::path folder = bench::scratchFolder("office");
    return folder;
}

fs::path htmlFile()
{
    const fs::path p = scratch() / "book.htm";
    if (!fs::exists(p)) {
        std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>书</title></head><body>\n";
        for (const std::string& para : paragraphs())
            html += "<p>" + para + "</p>\n";
        html += "</body></html>\n";
        std::ofstream(p, std::ios::binary) << html;
    }
    return p;
}

// The same paragraphs as a word processor writes them: one run each, with run and
// paragraph properties, compressed in the archive.
fs::path docxFile()
{
    const fs::path p = scratch() / "book.docx";
    if (!fs::exists(p)) {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:document "
                          "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
        for (const std::string& para : paragraphs())
            xml += "<w:p><w:pPr><w:spacing w:after=\"0\"/><w:ind w:firstLine=\"420\"/></w:pPr><w:r><w:rPr>"
                   "<w:rFonts w:hint=\"eastAsia\"/></w:rPr><w:t>" + para + "</w:t></w:r></w:p>";
        xml += "<w:sectPr/></w:body></w:document>";
        const std::string zip = test::zipArchive({{"[Content_Types].xml", "<Types/>", true},
                                                  {"word/document.xml", xml, true}});
        std::ofstream(p, std::ios::binary) << zip;
    }
    return p;
}

void BM_Render(benchmark::State& state, bool docx)
{
    const fs::path file = docx ? docxFile() : htmlFile();
    for (auto _ : state) {
        Result<Text> text = renderDocument(file);
        if (!text) {
            state.SkipWithError(text.error().describe().c_str());
            break;
        }
        benchmark::DoNotOptimize(text->data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(textBytes()));
}
BENCHMARK_CAPTURE(BM_Render, html_5MB_text, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Render, docx_5MB_text, true)->Unit(benchmark::kMillisecond);

// Hostile scaling: the cost of documents built to be expensive must grow linearly with
// their size (the fitted complexity is printed as O(N)).
std::string docxArchive(const std::string& body)
{
    return test::zipArchive({{"word/document.xml",
                              "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                              "<w:body>" + body + "</w:body></w:document>",
                              true}});
}

void runHostile(benchmark::State& state, const std::string& name, const std::string& bytes)
{
    const fs::path file = scratch() / name;
    std::ofstream(file, std::ios::binary) << bytes;
    for (auto _ : state) {
        Result<Text> text = renderDocument(file);
        benchmark::DoNotOptimize(text.ok());
    }
    state.SetComplexityN(state.range(0));
    fs::remove(file);
}

void BM_HostileRtfNesting(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    runHostile(state, "deep.rtf", "{\\rtf1 " + std::string(n, '{') + "x" + std::string(n, '}') + "}");
}
BENCHMARK(BM_HostileRtfNesting)->RangeMultiplier(4)->Range(1 << 12, 1 << 20)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_HostileRtfFontSwitches(benchmark::State& state)
{
    // A code-page change before every byte: each byte is decoded on its own.
    std::string rtf = "{\\rtf1\\ansicpg1252{\\fonttbl{\\f0\\fcharset134 a;}{\\f1\\fcharset136 b;}}";
    for (long i = 0; i < state.range(0); ++i)
        rtf += i % 2 ? "\\f1\\'a4" : "\\f0\\'d6";
    runHostile(state, "fonts.rtf", rtf + "}");
}
BENCHMARK(BM_HostileRtfFontSwitches)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_HostileDocxNesting(benchmark::State& state)
{
    std::string open, close;
    for (long i = 0; i < state.range(0); ++i) {
        open += "<w:hyperlink>";
        close += "</w:hyperlink>";
    }
    runHostile(state, "deep.docx", docxArchive("<w:p>" + open + "<w:r><w:t>x</w:t></w:r>" + close + "</w:p>"));
}
BENCHMARK(BM_HostileDocxNesting)->RangeMultiplier(4)->Range(1 << 12, 1 << 18)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_HostileDocxFields(benchmark::State& state)
{
    // Fields opened and never closed: the field stack grows with the document.
    std::string body = "<w:p>";
    for (long i = 0; i < state.range(0); ++i)
        body += "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    runHostile(state, "fields.docx", docxArchive(body + "</w:p>"));
}
BENCHMARK(BM_HostileDocxFields)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void reportMemory()
{
    const double text = static_cast<double>(textBytes()) / 1048576.0;
    const double peak = static_cast<double>(bench::peakOfConversion(docxFile())) / 1048576.0;
    const double limit = 10 * text + 30;
    std::printf("\nMemory peak converting the DOCX: %.1f MB (text %.1f MB, limit 10 x text + 30 MB = %.1f MB: %s)\n",
                peak, text, limit, peak > 0 && peak < limit ? "met" : "NOT MET");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && argv[1] == bench::kConvertOnce)
        return bench::convertOnce(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    reportMemory();
    return 0;
}
