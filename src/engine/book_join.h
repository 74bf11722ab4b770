#pragma once
// Joins chapter documents into one book: every chapter rendered and cleaned as a
// single conversion cleans a document, one blank line between chapters, the whole book
// split by the size limit and its parts named as a single document's parts are.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/conversion_params.h"
#include "common/replacement_list.h"
#include "common/result.h"
#include "engine/line_pipeline.h"
#include "engine/renderer.h"

namespace sorvane {

struct BookOptions {
    unsigned jobs = 1;  // chapters rendered at the same time (at least 1)
    Renderer render;    // renderDocument when empty
    // Called now and then with the share done so far (0..1), from the calling thread or
    // a rendering thread. Optional.
    std::function<void(double done)> progress;
};

// A chapter that could not be rendered and is left out of the book.
struct ChapterFailure {
    std::filesystem::path source;
    Error error;
};

// A book in memory: what joinBook writes.
struct Book {
    std::vector<TextPart> parts;  // at least one
    std::vector<ChapterFailure> failures;  // in the order of the sources
    std::size_t chapters = 0;        // chapters joined
    std::size_t lostCharacters = 0;  // characters code page 936 lacks, now '?'
    std::size_t lines = 0;           // entries of the book's line table
};

// Renders and cleans every source, in the given order, and joins them. A chapter whose
// text has no line left after cleaning adds nothing, not even a blank line. Fails with
// BadInput when there is no source or no chapter could be rendered (naming the first
// failures), or with the script conversion's error when its data is missing.
Result<Book> assembleBook(const std::vector<std::filesystem::path>& sources, const ConversionParams& params,
                          const ReplacementList& list, const BookOptions& options = {});

// The path of the book's first part: `name` taken whole (a trailing ".txt" aside) as
// the name of a document in `folder`, its trailing digits padded by the naming method,
// then ".txt". Fails with BadInput for an empty name, "." or "..", or a name holding a
// '/' or a NUL character.
Result<std::filesystem::path> bookBasePath(const std::filesystem::path& folder, const std::string& name,
                                           int naming);

struct BookReport {
    std::vector<std::filesystem::path> files;  // the parts written, in order
    std::vector<ChapterFailure> failures;      // chapters left out
    std::size_t chapters = 0;
    std::size_t lostCharacters = 0;
    std::size_t lines = 0;
};

// Joins the sources into a book named from `name` in `folder` and writes its parts in
// code page 936. Nothing is written before every chapter is rendered, and a failure
// while writing removes every part of this book written so far, so no half book is left.
// Fails as assembleBook and bookBasePath fail, with WouldOverwrite when a part would
// replace one of the sources, and with Unwritable or DiskFull when writing fails.
Result<BookReport> joinBook(const std::vector<std::filesystem::path>& sources, const std::filesystem::path& folder,
                            const std::string& name, const ConversionParams& params, const ReplacementList& list,
                            const BookOptions& options = {});

}  // namespace sorvane
