#pragma once
// A compound file (the container of Word 97-2003 documents) held in memory: the one
// adapter over the compound-file library.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/result.h"

namespace sorvane {

// Whether the bytes start with the compound-file signature D0 CF 11 E0 A1 B1 1A E1.
bool looksLikeOle(std::string_view bytes);

class OleCompoundFile {
public:
    // Opens the compound file in `bytes`, which must outlive it. Fails with BadInput when
    // its header or directory cannot be read (cut short, sector chains that loop or
    // point outside the file).
    static Result<std::unique_ptr<OleCompoundFile>> open(std::string_view bytes);
    ~OleCompoundFile();
    OleCompoundFile(const OleCompoundFile&) = delete;
    OleCompoundFile& operator=(const OleCompoundFile&) = delete;

    bool hasStream(std::string_view name) const;

    // The whole content of a stream of the root storage. Fails with BadInput when it does
    // not exist, is larger than `maxSize` bytes, or cannot be read whole.
    Result<std::string> readStream(std::string_view name, std::uint64_t maxSize) const;

private:
    struct Impl;
    explicit OleCompoundFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sorvane
