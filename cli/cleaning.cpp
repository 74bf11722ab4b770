#include "cli/cleaning.h"

#include <cstdio>

#include "cli/messages.h"
#include "common/text.h"

namespace sorvane::cli {

void printRemovals(const clean::RemovalReport& report, bool list)
{
    for (const clean::PageRemovals& page : report) {
        if (page.contents) {
            std::fprintf(stderr, "sorvane-cli: %s: %s\n", page.source.c_str(),
                         localized(page.noText ? "没有正文，已略过" : "目录页，已略过").c_str());
            continue;
        }
        if (!list || page.texts.empty())
            continue;
        std::fprintf(stderr, "sorvane-cli: %s: %s\n", page.source.c_str(),
                     localized("去除 %1 行:", {std::to_string(page.count)}).c_str());
        for (const clean::RemovedText& removed : page.texts)
            std::fprintf(stderr, "  [%s] %s\n", localizedMessage(clean::removalName(removed.kind)).c_str(),
                         toUtf8(removed.text).c_str());
    }
}

std::string cleaningSummary(std::size_t removed, std::size_t contents)
{
    if (removed == 0 && contents == 0)
        return {};
    std::string out = localized("去除网页杂项 %1 行", {std::to_string(removed)});
    if (contents > 0)
        out += localized("，略过没有正文的页面（目录页等）%1 页", {std::to_string(contents)});
    return out;
}

}  // namespace sorvane::cli
