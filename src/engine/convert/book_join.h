#pragma once
// Joins chapter documents into one book, written in parts as a single document is.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "engine/convert/line_pipeline.h"
#include "engine/convert/page_cleaning.h"
#include "engine/convert/renderer.h"

namespace sorvane {

struct BookOptions {
    unsigned jobs = 1;  // chapters rendered at the same time (at least 1)
    Renderer render;    // renderDocument when empty
    // Gets the share done so far (0..1), from any of the threads. Optional.
    std::function<void(double done)> progress;
    // Refuses, before any chapter is rendered, a book whose first file exists.
    bool noClobber = false;
    CleanOptions cleaning;  // the reader's rules; with ConversionParams::cleanPages, what is listed
};

// A chapter that could not be rendered and is left out of the book.
struct ChapterFailure {
    std::filesystem::path source;
    Error error;
};

// What the reader could not read of a chapter that is in the book (a missing page,
// parts past a cap).
struct ChapterProblem {
    std::filesystem::path source;
    std::string problem;
};

// What joinBook writes, in memory.
struct Book {
    std::vector<TextPart> parts;  // at least one
    std::vector<ChapterFailure> failures;  // in the order of the sources
    std::vector<ChapterProblem> problems;  // in the order of the sources
    std::size_t chapters = 0;        // chapters joined
    std::size_t lostCharacters = 0;  // characters code page 936 lacks, now '?'
    std::size_t lines = 0;           // entries of the book's line table
    clean::RemovalReport removed{};  // what cleaning took out, tables of contents included
};

// Renders, cleans and joins the sources in the given order; chapters that fail are left
// out and listed, and with cleaning so are pages without a story. Fails with BadInput
// when there is no source or no chapter could be rendered (naming the first failures) or
// none has a story, or as the script conversion fails.
Result<Book> assembleBook(const std::vector<std::filesystem::path>& sources, const ConversionParams& params,
                          const ReplacementList& list, const BookOptions& options = {});

// The path of the book's first part in `folder`. Fails with BadInput for an empty name,
// "." or "..", or a name holding a '/' or a NUL character.
Result<std::filesystem::path> bookBasePath(const std::filesystem::path& folder, const std::string& name,
                                           int naming);

struct BookReport {
    std::vector<std::filesystem::path> files;  // the parts written, in order
    std::vector<ChapterFailure> failures;      // chapters left out
    std::vector<ChapterProblem> problems;      // parts of chapters left out
    std::size_t chapters = 0;
    std::size_t lostCharacters = 0;
    std::size_t lines = 0;
    clean::RemovalReport removed{};
};

// Joins the sources into a book named from `name` in `folder` (created when missing) and
// writes its parts as one commit: a failure, or a signal that ends the program, leaves
// no half book, no temporary file and the older book whole; once committed, parts of an
// earlier, longer book of the same name that are no source are removed. Fails as assembleBook and bookBasePath fail, with
// OutputExists (noClobber, `where` is `name`), with WouldOverwrite when a part would
// replace a source, with Unwritable or DiskFull when the folder cannot be made or
// writing fails, and with BadInput when the book does not fit in memory.
Result<BookReport> joinBook(const std::vector<std::filesystem::path>& sources, const std::filesystem::path& folder,
                            const std::string& name, const ConversionParams& params, const ReplacementList& list,
                            const BookOptions& options = {});

}  // namespace sorvane
