#pragma once
// A compiled help book (.chm): the one adapter over the help-file library, which opens
// books by name.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "engine/containers/chm_module.h"

namespace sorvane {

class ChmArchive {
public:
    // Fails with BadInput when the book cannot be opened, with Unreadable when the
    // help-file library cannot be loaded.
    static Result<std::unique_ptr<ChmArchive>> open(const std::string& path);
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    // The length of the object at `path`; nothing when the book has none.
    std::optional<std::uint64_t> objectLength(const std::string& path) const;
    // Reads up to `length` bytes of the object at `path`; returns how many were read, or
    // a negative number.
    std::int64_t read(const std::string& path, char* buffer, std::uint64_t length) const;
    // The names of the book's files, in its own order, at most `limit` of them.
    std::vector<std::string> fileNames(std::size_t limit) const;

private:
    ChmArchive(const ChmModule* chm, void* book) : m_chm(chm), m_book(book) {}
    const ChmModule* m_chm;
    void* m_book;
};

}  // namespace sorvane
