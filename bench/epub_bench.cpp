// Reading a book against reading its chapters loose: the same 50 generated chapters
// (about 5 MB of UTF-8 pages) rendered once as loose .htm files and once as one EPUB
// whose members are deflated. The EPUB should run at no less than 80 % of the speed of
// the loose pages.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/convert/renderer.h"
#include "page_generator.h"
#include "support/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvane;

constexpr int kBookChapters = 50;
constexpr std::size_t kBookChapterBytes = 100 * 1024;

struct Book {
    fs::path folder;
    std::vector<fs::path> loose;
    fs::path epub;
    std::int64_t bytes = 0;  // of the loose pages

    Book()
    {
        std::random_device rd;
        folder = fs::temp_directory_path() / ("sorvane-book-bench-" + std::to_string(rd()));
        fs::create_directories(folder);
        std::string manifest, spine;
        std::vector<test::ZipEntry> members = {
            {"mimetype", "application/epub+zip"},
            {"META-INF/container.xml",
             "<?xml version='1.0'?><container xmlns='urn:oasis:names:tc:opendocument:xmlns:container'><rootfiles>"
             "<rootfile full-path='OEBPS/content.opf' media-type='application/oebps-package+xml'/></rootfiles>"
             "</container>",
             true}};
        for (int i = 0; i < kBookChapters; ++i) {
            const std::string page = bench::makePage(kBookChapterBytes, bench::PageEncoding::Utf8, 100 + i);
            const std::string name = "chapter" + std::to_string(1000 + i) + ".htm";
            loose.push_back(folder / name);
            std::ofstream(loose.back(), std::ios::binary) << page;
            bytes += static_cast<std::int64_t>(page.size());
            manifest += "<item id='c" + std::to_string(i) + "' href='text/" + name +
                        "' media-type='application/xhtml+xml'/>";
            spine += "<itemref idref='c" + std::to_string(i) + "'/>";
            members.push_back({"OEBPS/text/" + name, page, true});
        }
        members.push_back({"OEBPS/content.opf",
                           "<?xml version='1.0'?><package xmlns='http://www.idpf.org/2007/opf' version='3.0'><manifest>" +
                               manifest + "</manifest><spine>" + spine + "</spine></package>",
                           true});
        epub = folder / "book.epub";
        std::ofstream(epub, std::ios::binary) << test::zipArchive(members);
    }
    ~Book()
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

const Book& book()
{
    static const Book b;
    return b;
}

void BM_LooseChapters(benchmark::State& state)
{
    const Book& b = book();
    for (auto _ : state) {
        for (const fs::path& p : b.loose) {
            auto text = renderDocument(p);
            if (!text) {
                state.SkipWithError(text.error().describe().c_str());
                return;
            }
            benchmark::DoNotOptimize(text->data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * b.bytes);
}
BENCHMARK(BM_LooseChapters)->Unit(benchmark::kMillisecond);

void BM_EpubBook(benchmark::State& state)
{
    const Book& b = book();
    for (auto _ : state) {
        auto text = renderDocument(b.epub);
        if (!text) {
            state.SkipWithError(text.error().describe().c_str());
            return;
        }
        benchmark::DoNotOptimize(text->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * b.bytes);
}
BENCHMARK(BM_EpubBook)->Unit(benchmark::kMillisecond);

}  // namespace
