#pragma once
// The layout of --help: CLI11's, with the usage line and the positional arguments' name
// in the user's language, and the columns lined up by the width characters take on a
// terminal (a Chinese character two columns), not by their bytes.

#include <string>

#include <CLI/CLI.hpp>

namespace sorvane::cli {

class HelpFormatter : public CLI::Formatter {
public:
    // `usage`: the whole usage line; `positional`: what the help calls the positional
    // arguments.
    HelpFormatter(std::string usage, std::string positional);

    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_option(const CLI::Option* option, bool isPositional) const override;

private:
    std::string m_usage;
    std::string m_positional;
};

}  // namespace sorvane::cli
