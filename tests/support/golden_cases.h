#pragma once
// Golden folders: each sub-folder of a data folder holds one input.* document and
// expected.txt, the text it must give (UTF-8, CR LF), compared byte for byte.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace sorvane::test {

// The input.* file of every sub-folder of `root`, in name order.
inline std::vector<std::filesystem::path> goldenInputs(const std::filesystem::path& root)
{
    std::vector<std::filesystem::path> inputs;
    for (const auto& dir : std::filesystem::directory_iterator(root)) {
        if (!dir.is_directory())
            continue;
        for (const auto& file : std::filesystem::directory_iterator(dir.path()))
            if (file.path().filename().string().starts_with("input."))  // "input.fb2.zip" too
                inputs.push_back(file.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Where two texts first differ, with the line around it, for a readable failure.
inline std::string firstDifference(const std::string& got, const std::string& want)
{
    const auto mismatch = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    const std::size_t at = static_cast<std::size_t>(mismatch.first - got.begin());
    const std::size_t lineStart = got.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    return "at byte " + std::to_string(at) + "\n  got:  [" + got.substr(from, 120) + "]\n  want: [" +
           want.substr(from, 120) + "]";
}

// What `sorvane-cli --raw FILE` prints, and its exit status (-1 when it cannot run).
inline std::pair<std::string, int> cliRawText(const std::filesystem::path& file)
{
    const std::string command = std::string("'") + SORVANE_CLI + "' --raw '" + file.string() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {{}, -1};
    std::string out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    return {out, pclose(pipe)};
}

}  // namespace sorvane::test
