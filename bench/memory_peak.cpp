#include "memory_peak.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/convert/ch_txt.h"

namespace sorvane::bench {

long ownPeak()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6) * 1024L;
    return 0;
}

std::vector<long> runSelf(std::string_view mode, const std::filesystem::path& argument, std::size_t count)
{
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + exe + "' " + std::string(mode) + " '" + argument.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {};
    std::vector<long> numbers(count);
    bool read = true;
    for (long& n : numbers)
        read = read && std::fscanf(pipe, "%ld", &n) == 1;
    if (pclose(pipe) != 0 || !read)
        return {};
    return numbers;
}

long peakOfConversion(const std::filesystem::path& source)
{
    const std::vector<long> peak = runSelf(kConvertOnce, source, 1);
    return peak.empty() ? 0 : peak[0];
}

int convertOnce(const std::filesystem::path& source)
{
    const auto report = ch_txt(source, 0, ConversionParams{}, ReplacementList{}, EngineContext{});
    if (!report) {
        std::fprintf(stderr, "%s\n", report.error().describe().c_str());
        return 1;
    }
    std::printf("%ld\n", ownPeak());
    return 0;
}

}  // namespace sorvane::bench
