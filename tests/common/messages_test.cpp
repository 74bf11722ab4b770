// The message catalogue: complete for the sources, and each message found again in
// English however it was put together.
#include "common/messages.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace sorvane {
namespace {

const std::filesystem::path kSourceDir = SORVANE_SOURCE_DIR;

struct Entry {
    std::string context;
    std::string source;
    std::string english;
};

std::vector<Entry> translationFile()
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file((kSourceDir / "translations" / "sorvane_en.ts").c_str()));
    std::vector<Entry> entries;
    for (const pugi::xml_node context : document.child("TS").children("context"))
        for (const pugi::xml_node message : context.children("message"))
            entries.push_back({context.child_value("name"), message.child_value("source"),
                               message.child_value("translation")});
    return entries;
}

// The plain string literals of C++ source `code`, adjacent ones joined and escapes
// resolved. Comments and character literals (u'x' too; not a digit separator) are
// skipped, and so are prefixed literals (u"", U"", L""), which hold document text, never
// messages.
std::vector<std::string> stringLiterals(const std::string& code)
{
    std::vector<std::string> out;
    bool joining = false;
    for (std::size_t i = 0; i < code.size();) {
        const char c = code[i];
        const bool afterWord = i > 0 && (std::isalnum(static_cast<unsigned char>(code[i - 1])) || code[i - 1] == '_');
        const bool afterDigit = i > 0 && std::isdigit(static_cast<unsigned char>(code[i - 1]));  // 1'000
        if (code.compare(i, 2, "//") == 0) {
            i = std::min(code.find('\n', i), code.size());
        } else if (code.compare(i, 2, "/*") == 0) {
            i = std::min(code.find("*/", i + 2), code.size() - 2) + 2;
        } else if (c == '\'' && !afterDigit) {
            for (++i; i < code.size() && code[i] != '\''; ++i)
                i += code[i] == '\\' ? 1 : 0;
            ++i;
            joining = false;
        } else if (c == '"') {
            std::string text;
            for (++i; i < code.size() && code[i] != '"'; ++i) {
                if (code[i] != '\\') {
                    text += code[i];
                    continue;
                }
                const char e = code[++i];
                if (e >= '0' && e <= '7') {
                    int value = 0;
                    for (int n = 0; n < 3 && code[i] >= '0' && code[i] <= '7'; ++n, ++i)
                        value = value * 8 + (code[i] - '0');
                    text += static_cast<char>(value);
                    --i;
                } else if (e == 'x') {
                    int value = 0;
                    while (std::isxdigit(static_cast<unsigned char>(code[i + 1])))
                        value = value * 16 + std::stoi(std::string(1, code[++i]), nullptr, 16);
                    text += static_cast<char>(value);
                } else {
                    text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                }
            }
            ++i;
            if (afterWord) {
                joining = false;
            } else if (joining) {
                out.back() += text;
            } else {
                out.push_back(text);
                joining = true;
            }
        } else {
            joining = joining && std::isspace(static_cast<unsigned char>(c));
            ++i;
        }
    }
    return out;
}

std::set<char> placeholders(const std::string& text)
{
    std::set<char> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9')
            found.insert(text[i + 1]);
    return found;
}

std::string fillSample(const std::string& text, const std::vector<std::string>& parts)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9')
            out += parts[static_cast<std::size_t>(text[++i] - '1')];
        else
            out += text[i];
    }
    return out;
}

TEST(Messages, EveryChineseTextOfTheSourcesHasAnEnglishEntry)
{
    const std::vector<Entry> entries = translationFile();
    ASSERT_GT(entries.size(), 100u);
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.context + ": " + e.source);
        EXPECT_FALSE(e.english.empty());
        EXPECT_FALSE(hasChinese(e.english)) << e.english;
        EXPECT_EQ(placeholders(e.english), placeholders(e.source)) << e.english;
    }
    // Names and data, not texts for the user: a font, the digits of list numbering.
    const std::set<std::string> names = {"宋体", "壹", "甲", "１", "〇"};
    std::size_t checked = 0;
    for (const char* folder : {"src", "cli"}) {
        for (const auto& file : std::filesystem::recursive_directory_iterator(kSourceDir / folder)) {
            const std::string extension = file.path().extension().string();
            if (extension != ".cpp" && extension != ".h")
                continue;
            std::ifstream in(file.path(), std::ios::binary);
            std::stringstream code;
            code << in.rdbuf();
            for (const std::string& literal : stringLiterals(code.str())) {
                if (!hasChinese(literal) || names.count(literal) > 0)
                    continue;
                ++checked;
                const bool found = std::any_of(entries.begin(), entries.end(), [&](const Entry& e) {
                    return e.source.find(literal) != std::string::npos;
                });
                EXPECT_TRUE(found) << file.path().string() << ": \"" << literal << "\" has no English entry";
            }
        }
    }
    EXPECT_GT(checked, 150u);
}

// English words of a Chinese text that are not names: what the user types (options,
// paths, file name extensions, values such as gb18030 or crlf), acronyms (GBK, EPUB, ZIP)
// and the names of products, formats and keys.
std::vector<std::string> englishWords(const std::string& text)
{
    static const std::set<std::string> names = {
        "Alt",  "DjVu", "Excel", "FictionBook", "Office", "OpenCC", "OpenDocument", "PowerPoint", "Print",
        "Replica", "Sorvane", "Tab", "Word", "WordPerfect", "Mobipocket", "chap", "crlf", "lf", "gb", "gbk",
        "utf", "none", "sorvane", "cp", "sp", "tw", "twp", "true", "false", "rtf", "gzip", "man", "content",
        "opf", "piece", "table", "body", "cli", "conf", "rules", "txt", "http", "www"};
    std::vector<std::string> words;
    std::istringstream tokens(text);
    for (std::string token; tokens >> token;) {
        if (token.find('/') != std::string::npos)
            continue;
        for (std::size_t i = 0; i < token.size();) {
            std::size_t end = i;
            while (end < token.size() && std::isalpha(static_cast<unsigned char>(token[end])))
                ++end;
            const std::string word = token.substr(i, end - i);
            const bool typed = i > 0 && (token[i - 1] == '-' || token[i - 1] == '.' || token[i - 1] == '$');
            const bool acronym =
                std::all_of(word.begin(), word.end(), [](char c) { return std::isupper(c) || c == '_'; });
            if (word.size() >= 2 && !typed && !acronym && names.count(word) == 0)
                words.push_back(word);
            i = std::max(end, i + 1);
        }
    }
    return words;
}

// Every text of the catalogue, the windows' and the messages', is whole in each language:
// the English holds no Chinese, the Chinese no English words but names; the help and
// usage lines of both programs too.
TEST(Messages, EveryTextIsWholeInEachLanguage)
{
    const std::vector<Entry> entries = translationFile();
    std::size_t checked = 0;
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.context + ": " + e.source);
        EXPECT_FALSE(e.english.empty());
        EXPECT_FALSE(hasChinese(e.english)) << e.english;
        EXPECT_EQ(englishWords(e.source), std::vector<std::string>());
        ++checked;
    }
    EXPECT_GT(checked, 300u);
}

TEST(Messages, EveryTemplateIsFoundAgainInTheMessagesItBuilds)
{
    const std::vector<std::string> parts = {"/书/甲.htm", "/书/乙.htm", "3", "4", "5", "6", "7", "8", "9"};
    for (const CatalogueEntry& entry : messageCatalogue()) {
        const std::string source(entry.source);
        const std::string english(entry.english);
        SCOPED_TRACE(source);
        // Never two placeholders side by side, nor a template of placeholders alone.
        for (std::size_t i = 0; i + 3 < source.size(); ++i)
            EXPECT_FALSE(source[i] == '%' && std::isdigit(static_cast<unsigned char>(source[i + 1])) &&
                         source[i + 2] == '%' && std::isdigit(static_cast<unsigned char>(source[i + 3])));
        EXPECT_NE(fillSample(source, std::vector<std::string>(9)), "");
        const std::string built = fillSample(source, parts);
        EXPECT_EQ(translateMessage(built, Language::English), fillSample(english, parts));
        EXPECT_EQ(translateMessage(built, Language::Chinese), built);
        EXPECT_EQ(formatMessage(Language::English, source, {parts[0], parts[1], parts[2], parts[3]}), fillSample(english, parts));
        EXPECT_EQ(formatMessage(Language::Chinese, source, {parts[0], parts[1], parts[2], parts[3]}), built);
    }
}

TEST(Messages, PartsThatAreMessagesThemselvesAreTranslatedToo)
{
    struct Case {
        std::string chinese;
        std::string english;
    };
    const Case cases[] = {
        // A reader's message around a container's.
        {"OpenDocument 文档的正文无法读取：XML 文档格式错误（Error parsing element，位置 12）",
         "The text of the OpenDocument document cannot be read: Malformed XML document (Error parsing element, at byte "
         "12)"},
        // A failure in a member, named after the message.
        {"压缩包中没有这个成员（/书/OEBPS/第1章.xhtml）", "The archive has no such member (/书/OEBPS/第1章.xhtml)"},
        // A book that could not be made, with its failures one a line; a file name with
        // ": " in it stays whole.
        {"没有一章能够转换，没有生成书\n/书/a: b.htm: 文件不存在\n/书/2.htm: 不是文本或网页文件（含有二进制数据）\n……",
         "Not one chapter could be converted; no book was made\n/书/a: b.htm: The file does not exist\n"
         "/书/2.htm: Not a text or web page file (it holds binary data)\n……"},
        // Why a rules file's expression was refused: the reason in words of the
        // catalogue, the piece of the expression after it as written.
        {"规则文件第 2 行：正则表达式有误（缺少 )：(甲）", "Line 2 of the rules file: the regular expression is wrong "
                                                   "(missing ): (甲)"},
        {"规则文件第 1 行：正则表达式有误（重复次数无效：{1001}）",
         "Line 1 of the rules file: the regular expression is wrong (invalid repetition size: {1001})"},
        {"规则文件第 1 行：正则表达式有误（末尾是单独的反斜杠）",
         "Line 1 of the rules file: the regular expression is wrong (a lone backslash at the end)"},
        {"规则文件第 3 行：替换文字有误（替换文字用到第 2 组，正则表达式只有 1 组）",
         "Line 3 of the rules file: the replacement is wrong (the replacement uses group 2, but the regular "
         "expression has only 1)"},
        // The folders a module was looked for in, joined as each language joins a list.
        {"无法载入程序模块 libx.so：在 /书/甲、/usr/lib/sorvane 中都找不到它；程序可能没有完整安装",
         "The program module libx.so cannot be loaded: it is in none of /书/甲, /usr/lib/sorvane; the program may not "
         "be installed completely"},
        {"无法载入程序模块 libx.so：在 /a、/b、/c、/d 中都找不到它；程序可能没有完整安装",
         "The program module libx.so cannot be loaded: it is in none of /a, /b, /c, /d; the program may not be "
         "installed completely"},
        // What the conversion library could not find, named.
        {"无法读取繁简转换的配置: 数据文件 /d/TSPhrases.ocd2 不存在或无法读取",
         "Cannot read the configuration of the Traditional/Simplified conversion: the data file /d/TSPhrases.ocd2 does "
         "not exist or cannot be read"},
        // What the dynamic loader found missing, named.
        {"无法载入程序模块 libx.so：/m/libx.so: 无法载入，缺少它需要的库 libz.so.4；程序可能没有完整安装",
         "The program module libx.so cannot be loaded: /m/libx.so: cannot be loaded; the library libz.so.4 it needs is "
         "missing; the program may not be installed completely"},
        {"无法载入程序模块 libx.so：在 /a 中找不到它；程序可能没有完整安装",
         "The program module libx.so cannot be loaded: it is not in /a; the program may not be installed completely"},
        // A system error told in words of the catalogue, and one without words of its own.
        {"无法创建输出文件夹: 路径中有一项不是文件夹", "Cannot create the output folder: a name on the path is not a folder"},
        {"无法读取: 系统错误（错误号 4095）", "Cannot read: system error (error number 4095)"},
        // What a library found wrong in a document, in words of the catalogue.
        {"ZIP 压缩包已损坏或不完整（不是 ZIP 压缩包）", "The ZIP archive is damaged or incomplete (not a ZIP archive)"},
        {"XML 文档格式错误（结束标记与开始标记不配对，位置 29）",
         "Malformed XML document (an end tag that does not match its start tag, at byte 29)"},
        // What the catalogue does not know stays as it is.
        {"未知的消息", "未知的消息"},
        {"Permission denied", "Permission denied"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(translateMessage(c.chinese, Language::English), c.english);
        EXPECT_EQ(translateMessage(c.chinese, Language::Chinese), c.chinese);
    }
    const Error error = translateError(Error{ErrorCode::NotFound, "文件不存在", "/书/甲.htm"}, Language::English);
    EXPECT_EQ(error.describe(), "/书/甲.htm: The file does not exist");
}

// The system's error numbers in the engine's words: the C library's own texts are English
// under the C locale, whatever the user's language.
TEST(Messages, SystemErrorsAreToldInTheCataloguesWords)
{
    const struct {
        int err;
        const char* chinese;
        const char* english;
    } cases[] = {
        {EACCES, "没有权限", "permission denied"},
        {ENOENT, "文件或文件夹不存在", "no such file or folder"},
        {ENOTDIR, "路径中有一项不是文件夹", "a name on the path is not a folder"},
        {ENOSPC, "磁盘空间不足", "no space left on the disk"},
        {EROFS, "文件系统是只读的", "the file system is read-only"},
        {4095, "系统错误（错误号 4095）", "system error (error number 4095)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(systemErrorText(c.err), c.chinese);
        EXPECT_EQ(translateMessage(systemErrorText(c.err), Language::English), c.english);
    }
}

}  // namespace
}  // namespace sorvane
