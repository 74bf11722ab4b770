#pragma once
// The documents a command line names: files as given, the documents inside folder
// arguments, and standard input.

#include <filesystem>
#include <string>
#include <vector>

namespace sorvane::cli {

struct Input {
    std::filesystem::path source;        // as given or found; "stdin" for standard input
    std::filesystem::path outputFolder;  // where its files go; empty: beside the source
    bool fromStdin = false;
};

struct InputProblem {
    std::string where;   // the argument or folder concerned
    std::string reason;
};

struct InputList {
    std::vector<Input> inputs;             // in run order
    std::vector<InputProblem> problems;    // folders that could not be read or held nothing
};

// Expands the arguments in order. "-" is standard input; a folder gives every document
// the program reads by its name (the page names of kReadableNames: .htm, .html, ...,
// and every name a reader's row takes: .epub, .docx, .chm, .mht, ...) in natural order,
// those of its sub-folders too with `recursive`, or, when it holds no such document at
// all, its plain-text files (.txt, .text: chapters saved as text), so the text files a
// conversion wrote beside its sources are never taken for sources; hidden files and folders are skipped and
// links to folders are not followed, so a link loop cannot hold the walk. With an
// `outputFolder`, a document found in a folder argument keeps its sub-folder under it;
// any other document goes straight into it. Anything else is passed on as a file, for the
// conversion to report what is wrong with it.
InputList expandInputs(const std::vector<std::string>& arguments, bool recursive,
                       const std::filesystem::path& outputFolder);

}  // namespace sorvane::cli
