#include "cli/cleaning.h"

#include <cstdio>

#include "common/text.h"

namespace sorvane::cli {

void printRemovals(const clean::RemovalReport& report, bool list)
{
    for (const clean::PageRemovals& page : report) {
        if (page.contents) {
            std::fprintf(stderr, "sorvane-cli: %s: %s\n", page.source.c_str(),
                         page.noText ? "没有正文，已略过" : "目录页，已略过");
            continue;
        }
        if (!list || page.texts.empty())
            continue;
        std::fprintf(stderr, "sorvane-cli: %s: 去除 %zu 行:\n", page.source.c_str(), page.count);
        for (const clean::RemovedText& removed : page.texts)
            std::fprintf(stderr, "  [%s] %s\n", std::string(clean::removalName(removed.kind)).c_str(),
                         toUtf8(removed.text).c_str());
    }
}

std::string cleaningSummary(std::size_t removed, std::size_t contents)
{
    if (removed == 0 && contents == 0)
        return {};
    std::string out = "去除网页杂项 " + std::to_string(removed) + " 行";
    if (contents > 0)
        out += "，略过没有正文的页面（目录页等）" + std::to_string(contents) + " 页";
    return out;
}

}  // namespace sorvane::cli
