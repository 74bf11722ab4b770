#include "cli/help_format.h"

#include <utility>

namespace sorvane::cli {
namespace {

// Terminal columns `text` (UTF-8) takes: two for East Asian wide characters, one for
// any other character.
std::size_t columns(const std::string& text)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        const bool wide = (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
                          (c >= 0x20000 && c <= 0x3FFFF);
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

}  // namespace

HelpFormatter::HelpFormatter(std::string usage, std::string positional)
    : m_usage(std::move(usage)), m_positional(std::move(positional))
{
}

std::string HelpFormatter::make_usage(const CLI::App*, std::string) const
{
    return m_usage + "\n";
}

std::string HelpFormatter::make_option(const CLI::Option* option, bool isPositional) const
{
    std::string left = "  " + (isPositional ? m_positional : option->get_name(false, true));
    if (!option->get_option_text().empty())
        left += " " + option->get_option_text();
    const std::size_t width = columns(left);
    const std::string& description = option->get_description();
    if (width >= column_width_)
        left += "\n" + std::string(column_width_, ' ');
    else
        left += std::string(column_width_ - width, ' ');
    return left + description + "\n";
}

}  // namespace sorvane::cli
