#pragma once
// The conversion parameters as the main window's controls hold them. The engine reads
// each text with the number-value rule when the step that needs it begins.

#include <string>

namespace sorvane {

struct ConversionParams {
    int naming = 0;             // index of the naming method: 0 (or -1) keeps the name,
                                // k = 1..7 pads the trailing digits to k + 1 digits
    std::string head = "0";     // number of first lines that form the head
    std::string headBlank = "1";  // most consecutive blank lines in the head
    std::string restBlank = "1";  // most consecutive blank lines in the rest
    std::string maxRun;         // longest run of one repeated character kept on a line
    std::string maxSize;        // largest output file size, in K (x 1024 characters)
};

}  // namespace sorvane
