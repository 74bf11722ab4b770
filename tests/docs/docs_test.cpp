// The manual page and the manual (what the window's help opens) name every kind of
// document the program reads and every long option of sorvane-cli --help.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "engine/readers/readable_names.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

const std::filesystem::path kDocs = std::filesystem::path(SORVANE_SOURCE_DIR) / "docs";

std::string helpText()
{
    std::string out;
    FILE* pipe = popen("'" SORVANE_CLI "' --help", "r");
    if (pipe == nullptr)
        return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

bool wordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
}

// Whether `text` holds `word` not followed by a letter, digit or '-', so that ".doc" is
// not found in ".docx", nor "--head" in "--head-blank".
bool mentions(std::string_view text, std::string_view word)
{
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1))
        if (at + word.size() == text.size() || !wordCharacter(text[at + word.size()]))
            return true;
    return false;
}

// Every name the program reads a document by (".htm", ".epub", ...), from the filter of
// every readable type.
std::vector<std::string> readableExtensions()
{
    std::vector<std::string> names;
    const std::string all = readableDocumentPatterns();
    std::string_view patterns = all;
    while (!patterns.empty()) {
        const std::size_t end = patterns.find(';');
        std::string_view pattern = patterns.substr(0, end);
        if (pattern.starts_with('*'))
            pattern.remove_prefix(1);
        names.emplace_back(pattern);
        patterns = end == std::string_view::npos ? std::string_view{} : patterns.substr(end + 1);
    }
    return names;
}

std::vector<std::string> longOptions(const std::string& help)
{
    std::vector<std::string> options;
    for (std::size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at)) {
        std::size_t end = at + 2;
        while (end < help.size() && wordCharacter(help[end]))
            ++end;
        if (end > at + 2)
            options.push_back(help.substr(at, end - at));
        at = end;
    }
    std::sort(options.begin(), options.end());
    options.erase(std::unique(options.begin(), options.end()), options.end());
    return options;
}

TEST(Docs, NameEveryReadableTypeAndEveryLongOption)
{
    std::string manPage = test::readFile(kDocs / "man" / "sorvane-cli.1");
    for (std::size_t at = manPage.find("\\-"); at != std::string::npos; at = manPage.find("\\-", at))
        manPage.erase(at, 1);
    const struct {
        const char* name;
        std::string text;
    } docs[] = {
        {"docs/man/sorvane-cli.1", manPage},
        {"docs/manual.md", test::readFile(kDocs / "manual.md")},
    };
    const std::vector<std::string> extensions = readableExtensions();
    const std::vector<std::string> options = longOptions(helpText());
    EXPECT_GE(extensions.size(), 17u);
    EXPECT_GE(options.size(), 20u);
    for (const auto& doc : docs) {
        ASSERT_FALSE(doc.text.empty()) << doc.name;
        for (const std::string& extension : extensions)
            EXPECT_TRUE(mentions(doc.text, extension)) << extension << " is missing from " << doc.name;
        for (const std::string& option : options)
            EXPECT_TRUE(mentions(doc.text, option)) << option << " is missing from " << doc.name;
    }
}

}  // namespace
}  // namespace sorvane
