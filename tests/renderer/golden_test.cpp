// Whole pages: every folder of tests/data/renderer holds input.html and expected.txt, the
// text a browser shows for the page (UTF-8, CR LF), compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/renderer.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The first line where two texts differ, for a readable failure.
std::string firstDifference(const std::string& got, const std::string& want)
{
    const auto mismatch = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    const size_t at = static_cast<size_t>(mismatch.first - got.begin());
    const size_t lineStart = got.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    return "at byte " + std::to_string(at) + "\n  got:  [" + got.substr(from, 120) + "]\n  want: [" +
           want.substr(from, 120) + "]";
}

TEST(Golden, PagesRenderAsExpected)
{
    const fs::path root = fs::path(SORVANE_TEST_DATA) / "renderer";
    std::vector<fs::path> cases;
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.is_directory() && fs::exists(entry.path() / "input.html"))
            cases.push_back(entry.path());
    std::sort(cases.begin(), cases.end());
    ASSERT_GE(cases.size(), 11u);
    for (const fs::path& dir : cases) {
        SCOPED_TRACE(dir.filename().string());
        const Result<Text> text = renderDocument(dir / "input.html");
        ASSERT_TRUE(text.ok()) << text.error().describe();
        const std::string got = toUtf8(*text);
        const std::string want = readBytes(dir / "expected.txt");
        EXPECT_TRUE(got == want) << firstDifference(got, want);
    }
}

}  // namespace
}  // namespace sorvane
