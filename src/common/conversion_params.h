#pragma once
// The conversion parameters as the main window's controls hold them. The engine reads
// each text with the number-value rule when the step that needs it begins.

#include <filesystem>
#include <string>

namespace sorvane {

// The encoding of the files written. Gbk is code page 936, the program's own; the other
// two hold every character, so nothing is written as '?'.
enum class OutputEncoding { Gbk, Gb18030, Utf8 };

// The line end written after every line.
enum class LineEnd { CrLf, Lf };

struct ConversionParams {
    int naming = 0;             // index of the naming method: 0 (or -1) keeps the name,
                                // k = 1..7 pads the trailing digits to k + 1 digits
    std::string head = "0";     // number of first lines that form the head
    std::string headBlank = "1";  // most consecutive blank lines in the head
    std::string restBlank = "1";  // most consecutive blank lines in the rest
    std::string maxRun;         // longest run of one repeated character kept on a line
    std::string maxSize;        // largest output file size, in K (x 1024 characters)

    // Where the output files of a conversion go: empty writes beside the source; otherwise
    // this folder, created when missing, holds them under the same names.
    std::filesystem::path outputFolder;
    OutputEncoding encoding = OutputEncoding::Gbk;
    LineEnd lineEnd = LineEnd::CrLf;
};

}  // namespace sorvane
