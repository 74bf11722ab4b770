#pragma once
// Generated test pages for the benchmarks and bench/compare-peers: realistic Chinese web
// pages (navigation, headings, paragraphs with ideographic-space indents, line breaks,
// a table, scripts and styles), in UTF-8 or GBK, always the same for the same seed.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace sorvane::bench {

enum class PageEncoding { Utf8, Gbk };

// A page of about `approxBytes` bytes (counted in its encoding). GBK pages declare
// gb2312 in a <meta>; UTF-8 pages declare nothing.
std::string makePage(std::size_t approxBytes, PageEncoding encoding, unsigned seed);

// A book as one long English page of about `approxBytes` bytes, as digitised books are
// published: a style sheet, chapter headings, and long paragraphs in <p> wrapped at about
// 70 columns, a few with italics or a page-number anchor. ASCII, UTF-8 declared.
std::string makeEnglishBookPage(std::size_t approxBytes, unsigned seed);

// A whole web novel on one page of about `approxBytes` bytes, in GBK: a site's header and
// navigation, then <div id="content"> holding every paragraph as "&nbsp;" indents, a long
// run of Chinese text and two <br />s.
std::string makeNovelPage(std::size_t approxBytes, unsigned seed);

// Writes `count` chapter pages of about `chapterBytes` each into `folder`, named
// chapter0001.htm..., odd chapters UTF-8 and even ones GBK. Returns their paths.
std::vector<std::filesystem::path> writeChapters(const std::filesystem::path& folder, int count,
                                                 std::size_t chapterBytes);

// A folder of its own for one benchmark's generated files (created on first use) inside
// a scratch folder of the process, which is removed at exit.
std::filesystem::path scratchFolder(const std::string& name);

}  // namespace sorvane::bench
