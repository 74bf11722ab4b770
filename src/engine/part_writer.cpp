#include "engine/part_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "engine/output_encoding.h"

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

// Creates a new, empty temporary file beside `file`; a short name, so it fits wherever
// the output name fits. Returns the descriptor, or -1 with errno set.
int createTemporary(const std::filesystem::path& file, std::filesystem::path& temporary)
{
    const std::filesystem::path folder = file.parent_path();
    const size_t thread = std::hash<std::thread::id>{}(std::this_thread::get_id()) % 100000;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / (".sorvane-" + std::to_string(::getpid()) + "-" + std::to_string(thread) + "-" +
                              std::to_string(attempt) + ".tmp");
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

int writeAll(int fd, const std::string& bytes)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

Status writePart(const std::filesystem::path& file, TextView content, std::size_t& lost,
                 OutputEncoding encoding, LineEnd lineEnd)
{
    const EncodedText encoded = encodeOutput(content, encoding, lineEnd);
    lost += encoded.lost;

    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return Error{ErrorCode::Unwritable, "无法创建输出文件: 同名的文件夹已存在", file.string()};

    // Replacing by rename would get past a read-only output file; refuse as writing would.
    if (::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0)
        return writeError(file, errno, "无法写入输出文件");

    std::filesystem::path temporary;
    const int fd = createTemporary(file, temporary);
    if (fd < 0)
        return writeError(file, errno, "无法创建输出文件");

    int err = writeAll(fd, encoded.bytes);
    // Some file systems report a full device only when the file is closed.
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temporary.c_str(), file.c_str()) != 0)
        err = errno;
    if (err != 0) {
        std::filesystem::remove(temporary, ec);
        return writeError(file, err, "写入输出文件时出错");
    }
    return Ok{};
}

}  // namespace sorvane
