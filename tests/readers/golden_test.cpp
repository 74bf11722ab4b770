// Whole books and saved pages: every folder of tests/data/readers holds one input.*
// document and expected.txt, the text `sorvane-cli --raw` must print for it (UTF-8,
// CR LF), compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Standard output of `sorvane-cli --raw file` and its exit status.
std::pair<std::string, int> rawText(const fs::path& file)
{
    const std::string command = std::string("'") + SORVANE_CLI + "' --raw '" + file.string() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t n;
    while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    return {out, status};
}

std::string firstDifference(const std::string& got, const std::string& want)
{
    const auto mismatch = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    const size_t at = static_cast<size_t>(mismatch.first - got.begin());
    const size_t from = at < 40 ? 0 : at - 40;
    return "at byte " + std::to_string(at) + "\n  got:  [" + got.substr(from, 120) + "]\n  want: [" +
           want.substr(from, 120) + "]";
}

TEST(ReaderGolden, EveryBookAndSavedPagePrintsItsExpectedText)
{
    const fs::path root = fs::path(SORVANE_TEST_DATA) / "readers";
    std::vector<fs::path> inputs;
    for (const auto& dir : fs::directory_iterator(root)) {
        if (!dir.is_directory())
            continue;
        for (const auto& file : fs::directory_iterator(dir.path()))
            if (file.path().stem() == "input")
                inputs.push_back(file.path());
    }
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GE(inputs.size(), 2u);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.parent_path().filename().string());
        const auto [got, status] = rawText(input);
        EXPECT_EQ(status, 0);
        const std::string want = readBytes(input.parent_path() / "expected.txt");
        EXPECT_TRUE(got == want) << firstDifference(got, want);
    }
}

}  // namespace
