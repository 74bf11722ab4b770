// Whole documents: every folder of tests/data/office holds one input.* (RTF, DOC, DOCX or
// ODT) and expected.txt, the text a browser shows for the document saved as HTML (UTF-8,
// CR LF), compared byte for byte with what the reader choice renders and with what
// `sorvane-cli --raw` prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

std::string firstDifference(const std::string& got, const std::string& want)
{
    const auto mismatch = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    const size_t at = static_cast<size_t>(mismatch.first - got.begin());
    const size_t lineStart = got.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    return "at byte " + std::to_string(at) + "\n  got:  [" + got.substr(from, 120) + "]\n  want: [" +
           want.substr(from, 120) + "]";
}

// What `sorvane-cli --raw FILE` prints.
std::string rawOutput(const fs::path& file)
{
    const std::string command = std::string("'") + SORVANE_CLI + "' --raw '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "<cannot run the command line>";
    std::string out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    return pclose(pipe) == 0 ? out : "<failed: " + out + ">";
}

fs::path inputOf(const fs::path& dir)
{
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().stem() == "input")
            return entry.path();
    return {};
}

TEST(OfficeGolden, DocumentsRenderAsExpected)
{
    const fs::path root = fs::path(SORVANE_TEST_DATA) / "office";
    std::vector<fs::path> cases;
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.is_directory() && !inputOf(entry.path()).empty())
            cases.push_back(entry.path());
    std::sort(cases.begin(), cases.end());
    ASSERT_GE(cases.size(), 3u);
    for (const fs::path& dir : cases) {
        SCOPED_TRACE(dir.filename().string());
        const fs::path input = inputOf(dir);
        const std::string want = readBytes(dir / "expected.txt");
        const Result<Text> text = renderDocument(input);
        ASSERT_TRUE(text.ok()) << text.error().describe();
        const std::string got = toUtf8(*text);
        EXPECT_TRUE(got == want) << firstDifference(got, want);
        const std::string raw = rawOutput(input);
        EXPECT_TRUE(raw == want) << firstDifference(raw, want);

        // The reader is chosen by content: the same bytes under a neutral name read alike.
        const fs::path renamed = fs::temp_directory_path() / ("sorvane-office-" + dir.filename().string() + ".bin");
        fs::copy_file(input, renamed, fs::copy_options::overwrite_existing);
        const Result<Text> again = renderDocument(renamed);
        fs::remove(renamed);
        ASSERT_TRUE(again.ok()) << again.error().describe();
        EXPECT_TRUE(toUtf8(*again) == want);
    }
}

}  // namespace
}  // namespace sorvane
