// The command line speaks the locale's language: English for an English locale, Chinese
// otherwise, in its help, its usage errors (CLI11's checks included), the engine's
// messages and its own.
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/messages.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// Standard output and error of the program run with `args` under the locale `lang`
// (every other locale variable unset).
std::string runIn(const char* lang, const ScratchFolder& dir, const std::vector<std::string>& args)
{
    std::string command = std::string("env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=") + lang + " '" SORVANE_CLI "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    command += " >'" + (dir / ".out").string() + "' 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    return readFile(dir / ".out");
}

// English words of `text` that are not names: options, paths and file name extensions
// the user types, values with digits (gb18030, t2s), and the names of the program, the
// document formats, the encodings, the line ends, the list file and the manual page.
std::vector<std::string> englishWords(std::string text)
{
    static const std::set<std::string> names = {"sorvane", "GBK", "gbk", "utf", "UTF", "CR", "LF", "crlf",
                                                "lf", "none", "KELDRAN", "DAT", "txt", "DIR", "stdin",
                                                "EPUB", "CHM", "Word", "OpenDocument", "RTF", "gb", "conf",
                                                "man"};
    // The usage line in English, which a usage error prints in both languages.
    const std::string usage = "Usage: sorvane-cli [OPTIONS] FILE...";
    for (std::size_t at = text.find(usage); at != std::string::npos; at = text.find(usage))
        text.erase(at, usage.size());
    std::vector<std::string> words;
    std::istringstream tokens(text);
    for (std::string token; tokens >> token;) {
        if (token.starts_with("-") || token.find('/') != std::string::npos)
            continue;
        for (std::size_t i = 0; i < token.size();) {
            std::size_t end = i;
            while (end < token.size() && std::isalnum(static_cast<unsigned char>(token[end])))
                ++end;
            const std::string word = token.substr(i, end - i);
            const bool option = i > 0 && (token[i - 1] == '-' || token[i - 1] == '.');
            const bool digits = std::any_of(word.begin(), word.end(), [](char c) { return std::isdigit(c); });
            if (word.size() >= 2 && !option && !digits && names.count(word) == 0)
                words.push_back(word);
            i = std::max(end, i + 1);
        }
    }
    return words;
}

TEST(CliLanguage, EveryLineIsInTheLocalesLanguage)
{
    ScratchFolder dir;
    writeFile(dir / "binary.htm", std::string("\0\1\2\3", 4));
    writeFile(dir / "lossy.htm", "<html><body><p>\xF0\x9F\x98\x80</p></body></html>");
    std::filesystem::create_directory(dir / "empty");
    const std::string binary = (dir / "binary.htm").string();
    const std::string lossy = (dir / "lossy.htm").string();
    const std::vector<std::vector<std::string>> runs = {
        {"--help"},
        {},                                       // no document
        {"--naming", "8", binary},               // a range check
        {"--encoding", "u8", binary},        // a list check
        {"--jobs"},                              // a value missing
        {"--no-such-option", binary},            // an unknown option
        {"--stdout", "--raw", binary},           // options that exclude each other
        {"--join", "b", "-"},                    // a check of the program's own
        {"--list", (dir / "absent.dat").string(), binary},
        {binary, lossy, (dir / "absent.htm").string()},  // the engine's messages
        {"--join", "b1", binary},              // a book that could not be made
        {"--join", "b1", "-o", (dir / "out").string(), lossy},
        {"-q", (dir / "empty").string()},        // a folder without documents
    };
    for (const char* lang : {"en_US.UTF-8", "C", "zh_CN.UTF-8"}) {
        const bool english = std::string(lang).starts_with("en");
        std::string all;
        for (const auto& args : runs) {
            std::filesystem::remove(dir / "lossy.txt");
            std::filesystem::remove_all(dir / "out");
            const std::string out = runIn(lang, dir, args);
            all += out;
            SCOPED_TRACE(std::string(lang) + ": " + out);
            if (english)
                EXPECT_FALSE(hasChinese(out));
            else
                EXPECT_EQ(englishWords(out), std::vector<std::string>());
        }
        // The engine's refusal, in the language of the locale.
        EXPECT_NE(all.find(formatMessage(english ? Language::English : Language::Chinese,
                                         "不是文本或网页文件（含有二进制数据）")),
                  std::string::npos)
            << all;
    }
}

}  // namespace
}  // namespace sorvane
