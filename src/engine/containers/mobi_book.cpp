#include "engine/containers/mobi_book.h"

#include <mobi.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace sorvane {
namespace {

// The text a book may claim, against its size: compressed text rarely takes less than
// a fifth of its own size, so more than this is a decompression bomb, refused before
// the library allocates for it.
constexpr std::uint64_t kTextPerInputByte = 8;
constexpr std::uint64_t kTextAllowance = std::uint64_t{16} << 20;

Error mobiError(std::string message)
{
    return Error{ErrorCode::BadInput, std::move(message), {}};
}

struct MobiDataFree {
    void operator()(MOBIData* m) const { mobi_free(m); }
};
struct RawmlFree {
    void operator()(MOBIRawml* r) const { mobi_free_rawml(r); }
};
struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool isMarkup(MOBIFiletype type)
{
    return type == T_HTML;
}

std::uint32_t big32(std::string_view bytes, std::size_t at)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// Whether the database's record list fits the file and its records come in order. The
// library takes a record's size as the distance to the next one's start, so an offset
// out of order would make it allocate gigabytes for a record of a few bytes.
bool recordListSound(std::string_view bytes)
{
    const std::size_t count = std::size_t{static_cast<unsigned char>(bytes[76])} << 8 |
                              static_cast<unsigned char>(bytes[77]);
    if (count == 0 || 78 + 8 * count > bytes.size())
        return false;
    std::uint32_t previous = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t offset = big32(bytes, 78 + 8 * i);
        if (offset < previous || offset > bytes.size())
            return false;
        previous = offset;
    }
    return true;
}

}  // namespace

bool looksLikeMobi(std::string_view bytes)
{
    if (bytes.size() < 78)
        return false;
    const std::string_view kind = bytes.substr(60, 8);
    return kind == "BOOKMOBI" || kind == "TEXtREAd";
}

Result<MobiBook> openMobiBook(std::string_view bytes)
{
    if (!looksLikeMobi(bytes))
        return mobiError("这不是 MOBI 电子书");
    if (!recordListSound(bytes))
        return mobiError("MOBI 电子书已损坏或不完整，无法读取");
    std::unique_ptr<MOBIData, MobiDataFree> m(mobi_init());
    if (!m)
        throw std::bad_alloc();
    // The library reads from a stream; this one reads the bytes in memory, never writes.
    std::unique_ptr<std::FILE, FileClose> stream(fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb"));
    if (!stream)
        throw std::bad_alloc();
    const MOBI_RET loaded = mobi_load_file(m.get(), stream.get());
    stream.reset();
    // The library also reports damaged data as a failed allocation, so every failure
    // is taken for a damaged book; the claimed sizes are checked below.
    if (loaded != MOBI_SUCCESS || !m->rh)
        return mobiError("MOBI 电子书已损坏或不完整，无法读取");
    if (mobi_is_encrypted(m.get()) || m->rh->encryption_type != 0)
        return mobiError("这本书有 DRM 加密保护，无法读取");
    if (mobi_is_replica(m.get()))
        return mobiError("这是一本按页排版的打印版电子书（Print Replica），其中没有可读取的文字");
    const std::uint64_t claimed = m->rh->text_length;
    const std::uint64_t records = std::uint64_t{m->rh->text_record_count} * m->rh->text_record_size;
    const std::uint64_t allowed = kTextPerInputByte * bytes.size() + kTextAllowance;
    if (claimed > allowed || records > allowed)
        return mobiError("MOBI 电子书声称的文字长度（" + std::to_string(std::max(claimed, records) >> 10) +
                         " KB）远超出文件本身能容纳的大小，可能已损坏，拒绝读取");

    MobiBook book;
    if (!mobi_is_kf8(m.get())) {
        // An old-style book's text is one page as it stands; its links point at byte
        // offsets, which give no text, so they are left as they are.
        // The library's bound on the text, from the record count and the largest record
        // it allows; "not set" (the largest size_t of 32 bits) when it cannot tell.
        const std::size_t bound = mobi_get_text_maxsize(m.get());
        if (bound == MOBI_NOTSET || bound > allowed)
            return mobiError("MOBI 电子书已损坏或不完整，无法读取");
        // Left unfilled: the library writes the length it reports, and a bound far above
        // the real text then costs no more than the pages written.
        std::unique_ptr<char[]> buffer(new char[bound + 1]);
        std::size_t length = bound;
        const MOBI_RET got = mobi_get_rawml(m.get(), buffer.get(), &length);
        if (got == MOBI_FILE_ENCRYPTED)
            return mobiError("这本书有 DRM 加密保护，无法读取");
        if (got != MOBI_SUCCESS)
            return mobiError("MOBI 电子书已损坏，无法读取其中的文字");
        std::string text(buffer.get(), std::min(length, bound));
        buffer.reset();
        book.encoding = m->mh && m->mh->text_encoding && *m->mh->text_encoding == MOBI_CP1252 ? "windows-1252" : "UTF-8";
        book.pages.push_back(std::move(text));
    } else {
        // A KF8 book's text holds skeleton pages and the fragments that fill them; the
        // library puts them together, page by page in reading order. KF8 text is UTF-8.
        std::unique_ptr<MOBIRawml, RawmlFree> rawml(mobi_init_rawml(m.get()));
        if (!rawml)
            return mobiError("MOBI 电子书已损坏，无法读取其中的文字");
        // Tables of contents and dictionary indexes add no text of the book.
        const MOBI_RET parsed = mobi_parse_rawml_opt(rawml.get(), m.get(), false, false, true);
        if (parsed == MOBI_FILE_ENCRYPTED)
            return mobiError("这本书有 DRM 加密保护，无法读取");
        if (parsed != MOBI_SUCCESS)
            return mobiError("MOBI 电子书已损坏，无法读取其中的文字");
        book.encoding = "UTF-8";
        for (const MOBIPart* part = rawml->markup; part; part = part->next)
            if (isMarkup(part->type) && part->data)
                book.pages.emplace_back(reinterpret_cast<const char*>(part->data), part->size);
    }
    if (book.pages.empty() || (book.pages.size() == 1 && book.pages.front().empty()))
        return mobiError("MOBI 电子书中没有文字");
    return book;
}

}  // namespace sorvane
