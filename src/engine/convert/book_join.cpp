#include "engine/convert/book_join.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "engine/output/output_folder.h"
#include "engine/output/output_naming.h"
#include "engine/output/part_writer.h"
#include "engine/output/source_guard.h"

namespace sorvane {
namespace {

// What became of one chapter: its cleaned lines, or why it has none. With cleaning, the
// chapter is first only prepared: what the pages share is known once all are.
struct Chapter {
    std::optional<CleanedText> cleaned;
    std::optional<Error> failure;
    ReadProblems problems;
    std::optional<PreparedPage> prepared;
};

Chapter renderChapter(const std::filesystem::path& source, const ConversionParams& params,
                      const ReplacementList& list, const BookOptions& options)
{
    const Renderer& render = options.render;
    Chapter chapter;
    // A chapter too large for memory is reported like any other failure; an exception
    // must not leave a rendering thread.
    try {
        if (usesCleaning(params, options.cleaning)) {
            Result<PreparedPage> prepared = preparePage(source, params, list, options.cleaning, render);
            if (prepared) {
                chapter.problems = std::move(prepared->problems);
                chapter.prepared = std::move(prepared).value();
            } else {
                chapter.failure = prepared.error();
            }
            return chapter;
        }
        Result<Text> rendered = render ? render(source) : renderDocument(source, &chapter.problems);
        if (!rendered) {
            chapter.failure = rendered.error();
            return chapter;
        }
        chapter.cleaned = cleanText(std::move(rendered).value(), params, list);
    } catch (const std::bad_alloc&) {
        chapter.cleaned.reset();
        chapter.prepared.reset();
        chapter.failure = Error{ErrorCode::BadInput, "文档太大，内存不足，无法转换", source.string()};
    }
    return chapter;
}

// Renders every source on up to `jobs` threads; the chapters come back in source order.
std::vector<Chapter> renderChapters(const std::vector<std::filesystem::path>& sources,
                                    const ConversionParams& params, const ReplacementList& list,
                                    const BookOptions& options)
{
    std::vector<Chapter> chapters(sources.size());
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::mutex progressMutex;
    const auto work = [&] {
        for (size_t i = next++; i < sources.size(); i = next++) {
            chapters[i] = renderChapter(sources[i], params, list, options);
            const size_t finished = ++done;
            if (options.progress) {
                std::lock_guard lock(progressMutex);
                options.progress(0.8 * static_cast<double>(finished) / static_cast<double>(sources.size()));
            }
        }
    };
    const size_t threads = std::min<size_t>(std::max(1u, options.jobs), sources.size());
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers)
        t.join();
    return chapters;
}

// The prepared chapters finished together (what their pages share taken out) into
// cleaned line tables; pages without a story get none.
void finishPrepared(std::vector<Chapter>& chapters, const ConversionParams& params, const CleanOptions& options,
                    clean::RemovalReport& removed)
{
    std::vector<PreparedPage> pages;
    for (Chapter& c : chapters)
        if (c.prepared)
            pages.push_back(std::move(*c.prepared));
    std::vector<LineTable> tables = finishPages(pages, params, options, removed);
    std::size_t k = 0;
    for (Chapter& c : chapters) {
        if (!c.prepared)
            continue;
        const PreparedPage& page = pages[k];
        if (!page.web || page.kind == clean::PageKind::Story)
            c.cleaned = CleanedText{std::move(tables[k]), page.lostCharacters, std::nullopt};
        c.prepared.reset();
        ++k;
    }
}

bool isContent(const LineEntry& e)
{
    return e.mark != LineMark::Dropped && !e.blank();
}

// Appends one chapter's lines to the book. Where two chapters meet, the blank lines
// that end the one and begin the other are dropped and exactly one blank line stands
// between them; the first chapter keeps its top and the last its end, so a book of one
// chapter is that chapter's single conversion. A chapter with no line left adds nothing.
void appendChapter(LineTable& book, LineTable chapter)
{
    auto& entries = chapter.entries;
    const auto first = std::find_if(entries.begin(), entries.end(), isContent);
    if (first == entries.end())
        return;
    // Only chapters with lines are appended, so a book with entries has lines.
    if (!book.entries.empty()) {
        for (auto it = book.entries.rbegin(); it != book.entries.rend() && !isContent(*it); ++it)
            it->mark = LineMark::Dropped;
        for (auto it = entries.begin(); it != first; ++it)
            it->mark = LineMark::Dropped;
        LineEntry blank;
        blank.offset = book.text.size();
        book.entries.push_back(blank);
    }
    const size_t shift = book.text.size();
    book.text += chapter.text;
    Text().swap(chapter.text);
    for (LineEntry& e : entries) {
        e.offset += shift;
        book.entries.push_back(e);
    }
}

std::string describeFailures(const std::vector<ChapterFailure>& failures)
{
    std::string out;
    for (size_t i = 0; i < failures.size() && i < 3; ++i)
        out += "\n" + failures[i].error.describe();
    if (failures.size() > 3)
        out += "\n……";
    return out;
}

}  // namespace

// Every chapter is rendered and cleaned as a single conversion cleans a document, one
// blank line goes between chapters (appendChapter), and the whole book is split by the
// size limit.
Result<Book> assembleBook(const std::vector<std::filesystem::path>& sources, const ConversionParams& params,
                          const ReplacementList& list, const BookOptions& options)
{
    if (sources.empty())
        return Error{ErrorCode::BadInput, "没有要合并的章节", {}};
    std::vector<Chapter> chapters = renderChapters(sources, params, list, options);

    Book book;
    if (usesCleaning(params, options.cleaning))
        finishPrepared(chapters, params, options.cleaning, book.removed);
    size_t textSize = 0;
    for (size_t i = 0; i < chapters.size(); ++i) {
        Chapter& c = chapters[i];
        // Missing conversion data is no fault of a chapter: no book can be made.
        if (c.cleaned && c.cleaned->error)
            return *c.cleaned->error;
        if (c.failure) {
            Error e = std::move(*c.failure);
            if (e.where.empty())
                e.where = sources[i].string();
            book.failures.push_back({sources[i], std::move(e)});
            continue;
        }
        for (std::string& problem : c.problems)
            book.problems.push_back({sources[i], std::move(problem)});
        if (!c.cleaned)
            continue;  // a page without a story, left out as asked
        textSize += c.cleaned->table.text.size() + 1;
        book.lostCharacters += c.cleaned->lostCharacters;
    }
    if (book.failures.size() == sources.size())
        return Error{ErrorCode::BadInput, "没有一章能够转换，没有生成书" + describeFailures(book.failures), {}};

    LineTable table;
    table.text.reserve(textSize);
    for (Chapter& c : chapters) {
        if (!c.cleaned)
            continue;
        ++book.chapters;
        appendChapter(table, std::move(c.cleaned->table));
        c.cleaned.reset();
    }
    if (book.chapters == 0)
        return Error{ErrorCode::BadInput, "没有一页有正文（都是目录页或空页），没有生成书", {}};
    book.lines = table.entries.size();
    book.parts = splitParts(table, cleanupParams(params).sizeLimit);
    return book;
}

// `name` taken whole (a trailing ".txt" aside) as the name of a document in `folder`, its
// trailing digits padded by the naming method, then ".txt".
Result<std::filesystem::path> bookBasePath(const std::filesystem::path& folder, const std::string& name, int naming)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return Error{ErrorCode::BadInput, "书名不能为空，不能是 . 或 ..，也不能含有 /", name};
    std::string stem = name;
    if (stem.size() > 4) {
        std::string ext = stem.substr(stem.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](char ch) {
            return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
        });
        if (ext == ".txt")
            stem.erase(stem.size() - 4);
    }
    // The name is taken whole, dots included: give outputBasePath an extension to cut.
    return outputBasePath(folder / (stem + ".htm"), namingWidth(naming));
}

// Nothing is written before every chapter is rendered, and the parts appear together or
// not at all.
Result<BookReport> joinBook(const std::vector<std::filesystem::path>& sources, const std::filesystem::path& folder,
                            const std::string& name, const ConversionParams& params, const ReplacementList& list,
                            const BookOptions& options)
{
    try {
        Result<std::filesystem::path> base = bookBasePath(folder, name, params.naming);
        if (!base)
            return base.error();
        std::error_code ec;
        if (options.noClobber && std::filesystem::exists(std::filesystem::symlink_status(*base, ec)))
            return Error{ErrorCode::OutputExists, "输出文件 " + base->string() + " 已存在，已跳过", name};
        Result<Book> assembled = assembleBook(sources, params, list, options);
        if (!assembled)
            return assembled.error();
        Book& book = *assembled;

        // Every name is checked before the first byte is written.
        const SourceGuard guard(sources);
        std::vector<std::filesystem::path> names;
        for (const TextPart& part : book.parts) {
            names.push_back(partPath(*base, part.start));
            if (guard.sourceAt(names.back()))
                return Error{ErrorCode::WouldOverwrite, "书的文件会覆盖一个章节的源文件，没有写入", names.back().string()};
            if (std::filesystem::is_directory(names.back(), ec))
                return Error{ErrorCode::Unwritable, "无法创建输出文件: 同名的文件夹已存在", names.back().string()};
        }
        Status made = makeOutputFolder(folder);
        if (!made)
            return made.error();

        // A full disk, a failed write or a signal before the commit leaves no half book:
        // the parts written so far are temporary files, removed then.
        BookReport report;
        FileCommit commit(kPartWriteOptions);
        for (size_t k = 0; k < names.size(); ++k) {
            Status written = writePart(commit, names[k], book.parts[k].content, report.lostCharacters, params);
            Text().swap(book.parts[k].content);
            if (!written)
                return written.error();
            if (options.progress)
                options.progress(0.8 + 0.2 * static_cast<double>(k + 1) / static_cast<double>(names.size()));
        }
        Status committed = commit.commit();
        if (!committed)
            return committed.error();
        report.files = std::move(names);
        removeOtherParts(*base, report.files, [&guard](const std::filesystem::path& file) {
            return guard.sourceAt(file).has_value();
        });
        report.failures = std::move(book.failures);
        report.problems = std::move(book.problems);
        report.chapters = book.chapters;
        report.lostCharacters += book.lostCharacters;
        report.lines = book.lines;
        report.removed = std::move(book.removed);
        return report;
    } catch (const std::bad_alloc&) {
        return Error{ErrorCode::BadInput, "书太大，内存不足，无法合并", folder.string()};
    }
}

}  // namespace sorvane
