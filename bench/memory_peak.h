#pragma once
// Memory peaks of whole conversions, each measured in a fresh process: the benchmark
// runs itself again in a one-shot mode, and the child prints its own peak. A child's
// rusage would include the peak of the benchmark process, which it starts as a copy of.

#include <filesystem>
#include <string_view>
#include <vector>

namespace sorvane::bench {

// The peak resident set of this process so far (VmHWM), in bytes; 0 when unknown.
long ownPeak();

// Runs this program with `mode` and `argument` and reads the `count` numbers the child
// prints (by convention its peak first). Returns nothing when the child fails.
std::vector<long> runSelf(std::string_view mode, const std::filesystem::path& argument, std::size_t count);

}  // namespace sorvane::bench
