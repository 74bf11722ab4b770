#include "engine/containers/mobi_book.h"

#include <new>

#include "engine/containers/mobi_module.h"
#include "io/program_module.h"

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
    // The e-book library lives in a module of its own, loaded with the first book.
    Result<const MobiModule*> mobi = loadModuleTable<MobiModule>("mobi");
    if (!mobi)
        return mobi.error();
    MobiBook book;
    bool windows1252 = false;
    std::uint64_t claimed = 0;
    const ByteSink pages{&book.pages, [](void* target, const char* data, std::size_t size) {
                             static_cast<std::vector<std::string>*>(target)->emplace_back(data, size);
                         }};
    const std::uint64_t allowed = kTextPerInputByte * bytes.size() + kTextAllowance;
    switch ((*mobi)->read(bytes.data(), bytes.size(), allowed, pages, &windows1252, &claimed)) {
    case MobiReadStatus::Done:
        break;
    case MobiReadStatus::OutOfMemory:
        throw std::bad_alloc();
    case MobiReadStatus::Damaged:
        return mobiError("MOBI 电子书已损坏或不完整，无法读取");
    case MobiReadStatus::Encrypted:
        return mobiError("这本书有 DRM 加密保护，无法读取");
    case MobiReadStatus::Replica:
        return mobiError("这是一本按页排版的打印版电子书（Print Replica），其中没有可读取的文字");
    case MobiReadStatus::TooLarge:
        return mobiError("MOBI 电子书声称的文字长度（" + std::to_string(claimed >> 10) +
                         " KB）远超出文件本身能容纳的大小，可能已损坏，拒绝读取");
    case MobiReadStatus::TextDamaged:
        return mobiError("MOBI 电子书已损坏，无法读取其中的文字");
    }
    book.encoding = windows1252 ? "windows-1252" : "UTF-8";
    if (book.pages.empty() || (book.pages.size() == 1 && book.pages.front().empty()))
        return mobiError("MOBI 电子书中没有文字");
    return book;
}

}  // namespace sorvane
