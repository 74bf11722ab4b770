// The e-book module: the only file that includes the e-book library's header.
#include "engine/containers/mobi_module.h"

#include <mobi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace sorvane {
namespace {

struct MobiDataFree {
    void operator()(MOBIData* m) const { mobi_free(m); }
};
struct RawmlFree {
    void operator()(MOBIRawml* r) const { mobi_free_rawml(r); }
};
struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

MobiReadStatus readBook(const char* bytes, std::size_t size, std::uint64_t allowed, ByteSink pages,
                        bool* windows1252, std::uint64_t* claimed)
{
    *windows1252 = false;
    *claimed = 0;
    std::unique_ptr<MOBIData, MobiDataFree> m(mobi_init());
    if (!m)
        return MobiReadStatus::OutOfMemory;
    // The library reads from a stream; this one reads the bytes in memory, never writes.
    std::unique_ptr<std::FILE, FileClose> stream(fmemopen(const_cast<char*>(bytes), size, "rb"));
    if (!stream)
        return MobiReadStatus::OutOfMemory;
    const MOBI_RET loaded = mobi_load_file(m.get(), stream.get());
    stream.reset();
    // The library also reports damaged data as a failed allocation, so every failure
    // is taken for a damaged book; the claimed sizes are checked below.
    if (loaded != MOBI_SUCCESS || !m->rh)
        return MobiReadStatus::Damaged;
    if (mobi_is_encrypted(m.get()) || m->rh->encryption_type != 0)
        return MobiReadStatus::Encrypted;
    if (mobi_is_replica(m.get()))
        return MobiReadStatus::Replica;
    const std::uint64_t text = m->rh->text_length;
    const std::uint64_t records = std::uint64_t{m->rh->text_record_count} * m->rh->text_record_size;
    if (text > allowed || records > allowed) {
        *claimed = std::max(text, records);
        return MobiReadStatus::TooLarge;
    }

    if (!mobi_is_kf8(m.get())) {
        // An old-style book's text is one page as it stands; its links point at byte
        // offsets, which give no text, so they are left as they are.
        // The library's bound on the text, from the record count and the largest record
        // it allows; "not set" (the largest size_t of 32 bits) when it cannot tell.
        const std::size_t bound = mobi_get_text_maxsize(m.get());
        if (bound == MOBI_NOTSET || bound > allowed)
            return MobiReadStatus::Damaged;
        // Left unfilled: the library writes the length it reports, and a bound far above
        // the real text then costs no more than the pages written.
        std::unique_ptr<char[]> page(new char[bound + 1]);
        std::size_t length = bound;
        const MOBI_RET got = mobi_get_rawml(m.get(), page.get(), &length);
        if (got == MOBI_FILE_ENCRYPTED)
            return MobiReadStatus::Encrypted;
        if (got != MOBI_SUCCESS)
            return MobiReadStatus::TextDamaged;
        *windows1252 = m->mh && m->mh->text_encoding && *m->mh->text_encoding == MOBI_CP1252;
        pages.write(page.get(), std::min(length, bound));
        return MobiReadStatus::Done;
    }
    // A KF8 book's text holds skeleton pages and the fragments that fill them; the
    // library puts them together, page by page in reading order. KF8 text is UTF-8.
    std::unique_ptr<MOBIRawml, RawmlFree> rawml(mobi_init_rawml(m.get()));
    if (!rawml)
        return MobiReadStatus::TextDamaged;
    // Tables of contents and dictionary indexes add no text of the book.
    const MOBI_RET parsed = mobi_parse_rawml_opt(rawml.get(), m.get(), false, false, true);
    if (parsed == MOBI_FILE_ENCRYPTED)
        return MobiReadStatus::Encrypted;
    if (parsed != MOBI_SUCCESS)
        return MobiReadStatus::TextDamaged;
    for (const MOBIPart* part = rawml->markup; part; part = part->next)
        if (part->type == T_HTML && part->data)
            pages.write(reinterpret_cast<const char*>(part->data), part->size);
    return MobiReadStatus::Done;
}

}  // namespace
}  // namespace sorvane

extern "C" {
__attribute__((visibility("default"))) extern const sorvane::MobiModule sorvane_mobi_module;
const sorvane::MobiModule sorvane_mobi_module = {sorvane::readBook};
}
