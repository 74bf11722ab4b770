#pragma once
// What the command line says about cleaning: the pages left out, what was removed from
// each (--show-removed), and the count in the closing line.

#include <cstddef>
#include <string>

#include "engine/clean/removal_report.h"

namespace sorvane::cli {

// Prints, on standard error, a line for every page left out as a table of contents and,
// with `list`, what was removed from each page, page by page.
void printRemovals(const clean::RemovalReport& report, bool list);

// "去除网页杂项 12 行，略过没有正文的页面（目录页等）1 页" in the user's language, or empty
// when nothing was removed.
std::string cleaningSummary(std::size_t removed, std::size_t contents);

}  // namespace sorvane::cli
