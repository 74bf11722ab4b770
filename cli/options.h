#pragma once
// The command line's options: what the user asked for, checked, before anything runs.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "engine/clean/rewrite_rules.h"

namespace sorvane::cli {

enum class Mode { Files, Stdout, Raw };

struct Options {
    ConversionParams params;  // output folder empty: each input brings its own
    ReplacementList list;
    Mode mode = Mode::Files;
    bool noClobber = false;
    bool quiet = false;
    bool recursive = false;
    unsigned jobs = 1;
    std::filesystem::path outputDir;      // -o, empty when not given
    std::optional<std::string> joinName;  // --join
    bool keepOrder = false;               // join in the order given, not in natural order
    std::vector<std::string> files;       // the FILE arguments, "-" for standard input
    bool readsStdin = false;              // "-" is among them
    std::string stdinBytes;               // standard input, read before the run when "-" is given
    // --rules; params.cleanPages is --clean, or by default on for --join only.
    std::shared_ptr<const clean::RewriteRules> rules;
    bool showRemoved = false;  // --show-removed
};

// The options, the user's configuration file (sorvane-cli.conf) supplying those the
// command line leaves unset unless --no-config is given; or the exit status when the
// program has nothing more to do: 0 after --help or --version, 2 after a usage error or a
// bad line in the configuration file; either has been printed.
std::variant<Options, int> parseOptions(int argc, char** argv);

}  // namespace sorvane::cli
