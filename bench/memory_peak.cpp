#include "memory_peak.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

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

}  // namespace sorvane::bench
