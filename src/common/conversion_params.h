#pragma once
// The conversion parameters as the main window's controls hold them. The engine reads
// each text with the number-value rule when the step that needs it begins.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/ascii.h"

namespace sorvane {

// The encoding of the files written. Gbk is code page 936, the program's own; the other
// two hold every character, so nothing is written as '?'.
enum class OutputEncoding { Gbk, Gb18030, Utf8 };

// The line end written after every line.
enum class LineEnd { CrLf, Lf };

// How the text of an output file becomes bytes: its encoding and its line ends.
struct OutputFormat {
    OutputEncoding encoding = OutputEncoding::Gbk;
    LineEnd lineEnd = LineEnd::CrLf;
};

inline constexpr std::array kOutputEncodings = {OutputEncoding::Gbk, OutputEncoding::Gb18030, OutputEncoding::Utf8};
inline constexpr std::array kLineEnds = {LineEnd::CrLf, LineEnd::Lf};

// The names the command line takes: "gbk", "gb18030", "utf-8". The settings file stores
// them in upper case.
constexpr std::string_view outputEncodingName(OutputEncoding encoding)
{
    switch (encoding) {
    case OutputEncoding::Gb18030:
        return "gb18030";
    case OutputEncoding::Utf8:
        return "utf-8";
    case OutputEncoding::Gbk:
        break;
    }
    return "gbk";
}

// The encoding a name stands for, in any case, blanks ignored: the three names and the
// usual aliases (utf8; cp936, ms936, windows-936, gb2312, x-gbk for code page 936, whose
// GBK extends GB2312; gb-18030). Nothing for any other name.
constexpr std::optional<OutputEncoding> parseOutputEncoding(std::string_view name)
{
    struct Alias {
        std::string_view name;
        OutputEncoding encoding;
    };
    constexpr Alias kAliases[] = {
        {"gbk", OutputEncoding::Gbk},         {"cp936", OutputEncoding::Gbk},
        {"ms936", OutputEncoding::Gbk},       {"windows-936", OutputEncoding::Gbk},
        {"gb2312", OutputEncoding::Gbk},      {"x-gbk", OutputEncoding::Gbk},
        {"gb18030", OutputEncoding::Gb18030}, {"gb-18030", OutputEncoding::Gb18030},
        {"utf-8", OutputEncoding::Utf8},      {"utf8", OutputEncoding::Utf8},
    };
    // Blanks anywhere are dropped, so " UTF - 8 " reads as "utf-8"; 16 characters hold
    // every alias.
    char folded[16] = {};
    std::size_t length = 0;
    for (const char c : name) {
        if (c == ' ' || c == '\t')
            continue;
        if (length == sizeof folded)
            return std::nullopt;
        folded[length++] = toLowerAscii(c);
    }
    const std::string_view key(folded, length);
    for (const Alias& alias : kAliases)
        if (alias.name == key)
            return alias.encoding;
    return std::nullopt;
}

// The names the command line takes: "crlf", "lf".
constexpr std::string_view lineEndName(LineEnd lineEnd)
{
    return lineEnd == LineEnd::Lf ? "lf" : "crlf";
}

// The line end a name stands for (exact, lower case), or nothing for any other text.
constexpr std::optional<LineEnd> parseLineEnd(std::string_view name)
{
    for (const LineEnd lineEnd : kLineEnds)
        if (lineEndName(lineEnd) == name)
            return lineEnd;
    return std::nullopt;
}

// Conversion between Traditional and Simplified Chinese, applied to the rendered text.
enum class ScriptConversion {
    None,
    T2S,    // Traditional to Simplified
    S2T,    // Simplified to Traditional
    TW2SP,  // Taiwanese Traditional to Simplified, with mainland phrasing
    S2TWP,  // Simplified to Taiwanese Traditional, with Taiwanese phrasing
};

// The names the command line and the settings file use: "none", "t2s", "s2t", "tw2sp",
// "s2twp".
constexpr std::string_view scriptConversionName(ScriptConversion kind)
{
    switch (kind) {
    case ScriptConversion::T2S:
        return "t2s";
    case ScriptConversion::S2T:
        return "s2t";
    case ScriptConversion::TW2SP:
        return "tw2sp";
    case ScriptConversion::S2TWP:
        return "s2twp";
    case ScriptConversion::None:
        break;
    }
    return "none";
}

// The conversion a name stands for (exact, lower case), or nothing for any other text.
constexpr std::optional<ScriptConversion> parseScriptConversion(std::string_view name)
{
    for (const ScriptConversion kind : {ScriptConversion::None, ScriptConversion::T2S, ScriptConversion::S2T,
                                        ScriptConversion::TW2SP, ScriptConversion::S2TWP})
        if (scriptConversionName(kind) == name)
            return kind;
    return std::nullopt;
}

// The output format is part of the parameters: `params.encoding`, `params.lineEnd`, and
// the parameters pass as the OutputFormat wherever the bytes are made.
struct ConversionParams : OutputFormat {
    int naming = 0;             // index of the naming method (see namingWidth)
    std::string head = "0";     // number of first lines that form the head
    std::string headBlank = "1";  // most consecutive blank lines in the head
    std::string restBlank = "1";  // most consecutive blank lines in the rest
    std::string maxRun;         // longest run of one repeated character kept on a line
    std::string maxSize;        // largest output file size, in K (x 1024 characters)

    // Where the output files of a conversion go: empty writes beside the source; otherwise
    // this folder, created when missing, holds them under the same names.
    std::filesystem::path outputFolder;
    ScriptConversion script = ScriptConversion::None;  // applied before the code page pass
    // 去除网页杂项: a web page gives only its story, and the lines a site repeats on the
    // pages converted together go. Off, the output is what it always was.
    bool cleanPages = false;
};

}  // namespace sorvane
