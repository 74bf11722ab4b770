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
#include "support/zip_writer.h"

namespace sorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// Standard output and error of the program run with `args` under the locale variables
// `locale` ("LANG=C", every other one unset), its configuration read from `config` when set.
std::string runIn(const std::string& locale, const ScratchFolder& dir, const std::vector<std::string>& args,
                  const std::string& config = {})
{
    std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES " + locale +
                          (config.empty() ? "" : " XDG_CONFIG_HOME='" + config + "'") + " '" SORVANE_CLI "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    command += " >'" + (dir / ".out").string() + "' 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    return readFile(dir / ".out");
}

// English words of `text` that are not names: options, paths, file names and extensions
// the user types, values with digits (gb18030, t2s), and the names of the program, the
// document formats, the encodings, the line ends, the list file and the manual page.
std::vector<std::string> englishWords(const std::string& text)
{
    static const std::set<std::string> names = {"sorvane", "GBK", "gbk", "utf", "UTF", "CR", "LF", "crlf",
                                                "lf", "none", "KELDRAN", "DAT", "txt", "DIR", "stdin",
                                                "EPUB", "CHM", "Word", "OpenDocument", "RTF", "gb", "conf",
                                                "man", "Tab", "ZIP", "XML"};
    std::vector<std::string> words;
    std::istringstream tokens(text);
    for (std::string token; tokens >> token;) {
        // Options (a configuration file names them without dashes) and paths.
        if (token.find('-') != std::string::npos || token.find('/') != std::string::npos)
            continue;
        for (std::size_t i = 0; i < token.size();) {
            std::size_t end = i;
            while (end < token.size() && std::isalnum(static_cast<unsigned char>(token[end])))
                ++end;
            const std::string word = token.substr(i, end - i);
            const bool option = i > 0 && (token[i - 1] == '-' || token[i - 1] == '.');
            const bool digits = std::any_of(word.begin(), word.end(), [](char c) { return std::isdigit(c); });
            const bool fileName = end < token.size() && token[end] == '.';  // gone.htm
            if (word.size() >= 2 && !option && !digits && !fileName && names.count(word) == 0)
                words.push_back(word);
            i = std::max(end, i + 1);
        }
    }
    return words;
}

// `text` without the document text --show-removed quotes: "  [kind] text" keeps its kind.
std::string withoutDocumentText(const std::string& text)
{
    std::istringstream lines(text);
    std::string out;
    for (std::string line; std::getline(lines, line);)
        out += (line.starts_with("  [") ? line.substr(0, line.find(']') + 1) : line) + "\n";
    return out;
}

TEST(CliLanguage, EveryLineIsInTheLocalesLanguage)
{
    ScratchFolder dir;
    writeFile(dir / "binary.htm", std::string("\0\1\2\3", 4));
    writeFile(dir / "lossy.htm", "<html><body><p>\xF0\x9F\x98\x80</p></body></html>");
    std::filesystem::create_directory(dir / "empty");
    const std::string binary = (dir / "binary.htm").string();
    const std::string lossy = (dir / "lossy.htm").string();
    // Pages of one site for cleaning: a contents page, a page without text, two chapters
    // that share the site's lines.
    const std::string chapter = "<html><head><meta charset=\"utf-8\"></head><body><div class=\"nav\"><a href=\"/\">首页</a> "
                                "<a href=\"/s\">书架</a></div><h1>第%章 渡口</h1><div id=\"content\">他走到渡口，雨还没有停，"
                                "风从河面上吹过来。<br><br>她没有回答，只是把信放在桌上。</div>"
                                "<div class=\"footer\">某某书坊 版权所有</div></body></html>";
    for (const char n : {'1', '2'}) {
        std::string page = chapter;
        page.replace(page.find('%'), 1, 1, n);
        writeFile(dir / (std::string("c") + n + ".htm"), page);
    }
    writeFile(dir / "c0.htm", "<a href=\"/\">首页</a> <a href=\"/s\">书架</a> <a href=\"/r\">排行</a>");
    writeFile(dir / "c3.htm", "<html><body><img src=\"a.png\"></body></html>");
    const std::vector<std::string> pages = {(dir / "c0.htm").string(), (dir / "c1.htm").string(),
                                            (dir / "c2.htm").string(), (dir / "c3.htm").string()};
    // A saved page whose frame is missing: written, with a part left out (status 3).
    writeFile(dir / "frames.mht",
              "Content-Type: multipart/related; boundary=\"B\"\r\n\r\n"
              "--B\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: http://x/index.htm\r\n\r\n"
              "<html><frameset><frame src=\"a.htm\"><frame src=\"gone.htm\"></frameset></html>\r\n"
              "--B\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: http://x/a.htm\r\n\r\n"
              "<p>第一章</p>\r\n--B--\r\n");
    // Damaged documents, each refused for a reason a library found: not a ZIP archive, a
    // member whose checksum does not match, XML whose tags do not pair, a compound file
    // the library cannot make out.
    writeFile(dir / "notzip.docx", "PK\3\4" + std::string(200, '\0'));
    test::ZipEntry document{"word/document.xml", "<w:document><w:body><w:p><w:r><w:t>x</w:t></w:r></w:p></w:body></w:document>"};
    document.badCrc = true;
    writeFile(dir / "crc.docx", test::zipArchive({{"[Content_Types].xml", "<Types/>"}, document}));
    writeFile(dir / "tags.fb2", "<?xml version=\"1.0\"?><a><b></a>");
    writeFile(dir / "zero.doc", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(600, '\0'));
    std::filesystem::create_directory(dir / "modules");
    writeFile(dir / "modules" / "sorvane_zip.so", "not a shared object");
    writeFile(dir / "bad.rules", "(\tx\n");
    writeFile(dir / "no-tab.rules", "x\n");
    // A configuration file with a line the command line would refuse.
    std::filesystem::create_directories(dir / "config" / "sorvane");
    writeFile(dir / "config" / "sorvane" / "sorvane-cli.conf", "naming = 3\nno-such-option = 1\n");
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
        {"-o", (dir / "out").string(), "--clean", "--show-removed", pages[0], pages[1], pages[2], pages[3]},
        {"--join", "b2", "-o", (dir / "out").string(), "--show-removed", pages[0], pages[1], pages[2], pages[3]},
        {"--join", "b3", "-o", (dir / "out").string(), pages[0], pages[3]},  // no page with text
        {"-o", (dir / "out").string(), (dir / "frames.mht").string()},  // a part left out
        {"--rules", (dir / "bad.rules").string(), binary},
        {"--rules", (dir / "no-tab.rules").string(), binary},
        {"--clean", "--no-clean", binary},
        {"-j", "0", binary},                     // a value out of range, short option
        {"-j", "x", binary},                     // a value that is no number
        {(dir / "notzip.docx").string(), (dir / "crc.docx").string(), (dir / "tags.fb2").string(),
         (dir / "zero.doc").string()},
        {"-o", binary + "/out", pages[1]},        // a system error: the path runs through a file
    };
    // The locale variables and the language they name: LANGUAGE counts unless the locale
    // is C or POSIX.
    const struct {
        const char* locale;
        bool english;
    } locales[] = {
        {"LANG=en_US.UTF-8", true},
        {"LANG=C", false},
        {"LANG=zh_CN.UTF-8", false},
        {"LANGUAGE=en LANG=C", false},
        {"LANGUAGE=en LANG=zh_CN.UTF-8", true},
    };
    for (const auto& [lang, english] : locales) {
        std::string all;
        // A run's output, in the locale's language only (the documents' own text aside).
        const auto check = [&all, lang = std::string(lang), english = english](const std::string& out) {
            all += out;
            SCOPED_TRACE(lang + ": " + out);
            if (english)
                EXPECT_FALSE(hasChinese(withoutDocumentText(out)));
            else
                EXPECT_EQ(englishWords(out), std::vector<std::string>());
        };
        for (const auto& args : runs) {
            std::filesystem::remove(dir / "lossy.txt");
            std::filesystem::remove_all(dir / "out");
            check(runIn(lang, dir, args));
        }
        check(runIn(lang, dir, {binary}, (dir / "config").string()));
        // A module that is no shared object: the dynamic loader's refusal.
        check(runIn(std::string(lang) + " SORVANE_MODULE_DIR='" + (dir / "modules").string() + "'", dir,
                    {"--stdout", (dir / "crc.docx").string()}));
        // The runs reach what they are for: the engine's refusal, cleaning's pages left
        // out, a part a reader left out, the rules and configuration files' errors, each
        // in the language of the locale.
        const Language language = english ? Language::English : Language::Chinese;
        for (const std::string& message :
             {formatMessage(language, "不是文本或网页文件（含有二进制数据）"), formatMessage(language, "目录页，已略过"),
              formatMessage(language, "没有正文，已略过"), formatMessage(language, "框架页面不在文件中：%1", {"gone.htm"}),
              formatMessage(language, "没有这个选项"), formatMessage(language, "规则文件第 %1 行：%2", {"1", ""}),
              formatMessage(language, "值 %1 不是整数", {"x"}),
              formatMessage(language, "没有一页有正文（都是目录页或空页），没有生成书"),
              formatMessage(language, "用法: sorvane-cli [选项] 文件..."),
              formatMessage(language, "正则表达式有误（%1）", {formatMessage(language, "缺少 )：%1", {"("})}),
              formatMessage(language, "不是 ZIP 压缩包"), formatMessage(language, "校验和不符"),
              formatMessage(language, "结束标记与开始标记不配对"),
              formatMessage(language, "复合文档已损坏，无法读取（%1）", {formatMessage(language, "格式错误")}),
              formatMessage(language, "无法创建输出文件夹: %1", {formatMessage(language, "路径中有一项不是文件夹")}),
              formatMessage(language, "%1: 无法载入", {(dir / "modules" / "sorvane_zip.so").string()})})
            EXPECT_NE(all.find(message), std::string::npos) << message << "\n" << all;
    }
}

}  // namespace
}  // namespace sorvane
