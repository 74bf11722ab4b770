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

// The mode a benchmark's main() hands to convertOnce.
inline constexpr std::string_view kConvertOnce = "--convert-once";

// The peak resident set of a fresh process converting `source` with the default
// parameters, in bytes (0 on failure): runs this program in kConvertOnce mode.
long peakOfConversion(const std::filesystem::path& source);

// The child's side: converts `source`, prints this process's peak and returns the exit
// status (1, with the error on stderr, when the conversion fails).
int convertOnce(const std::filesystem::path& source);

}  // namespace sorvane::bench
