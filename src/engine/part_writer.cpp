#include "engine/part_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/codepage.h"

namespace sorvane {
namespace {

Error writeError(const std::filesystem::path& file, int err, const char* what)
{
    bool full = err == ENOSPC;
#ifdef EDQUOT
    full = full || err == EDQUOT;
#endif
    if (full)
        return Error{ErrorCode::DiskFull, "磁盘空间不足，文件没有写完", file.string()};
    std::string message = what;
    if (err != 0) {
        message += ": ";
        message += std::strerror(err);
    }
    return Error{ErrorCode::Unwritable, message, file.string()};
}

}  // namespace

Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost)
{
    const Cp936Bytes encoded = encodeCp936(content);
    lost += encoded.lost;

    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return Error{ErrorCode::Unwritable, "无法创建输出文件: 同名的文件夹已存在", file.string()};

    errno = 0;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        return writeError(file, errno, "无法创建输出文件");

    errno = 0;
    const size_t written = encoded.bytes.empty() ? 0 : std::fwrite(encoded.bytes.data(), 1, encoded.bytes.size(), out);
    int err = written == encoded.bytes.size() ? 0 : (errno != 0 ? errno : EIO);
    // The data reaches the device only at the flush and the close; either may fail.
    if (err == 0 && std::fflush(out) != 0)
        err = errno != 0 ? errno : EIO;
    errno = 0;
    if (std::fclose(out) != 0 && err == 0)
        err = errno != 0 ? errno : EIO;
    if (err != 0) {
        std::filesystem::remove(file, ec);
        return writeError(file, err, "写入输出文件时出错");
    }
    return Ok{};
}

}  // namespace sorvane
