#include "io/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "common/messages.h"

namespace sorvane {
namespace {

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

Error notFound(const std::filesystem::path& file)
{
    return Error{ErrorCode::NotFound, "文件不存在", file.string()};
}

// The error for a failed stat() or open(): a missing file, a missing folder on the way
// and a loop of links all mean there is no file to read.
Error openError(const std::filesystem::path& file, int err)
{
    if (err == ENOENT || err == ENOTDIR || err == ELOOP)
        return notFound(file);
    return Error{ErrorCode::Unreadable, "无法读取: " + systemErrorText(err), file.string()};
}

std::optional<Error> notRegular(const std::filesystem::path& file, mode_t mode)
{
    if (S_ISREG(mode))
        return std::nullopt;
    if (S_ISDIR(mode))
        return Error{ErrorCode::Unreadable, "这是一个文件夹，不是文件", file.string()};
    return Error{ErrorCode::Unreadable, "不是普通文件（设备、管道或套接字），无法读取", file.string()};
}

// Reads into `bytes` from `used` until it is full or the file ends; shrinks `bytes` to
// what was read at the end of the file. Returns 0 or the errno of a failed read.
int readInto(int fd, std::string& bytes, std::size_t& used, bool& atEnd)
{
    atEnd = false;
    while (used < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0) {
            bytes.resize(used);
            atEnd = true;
            return 0;
        }
        used += static_cast<std::size_t>(n);
    }
    return 0;
}

Error tooLarge(const std::string& name, std::size_t maxSize)
{
    const std::string size = maxSize % (1024 * 1024) == 0 ? std::to_string(maxSize / (1024 * 1024)) + " MB"
                                                          : std::to_string(maxSize) + " 字节";
    return Error{ErrorCode::BadInput, "文档太大（超过 " + size + "），不是能转换的文档，没有读完", name};
}

// Reads `fd` to its end: the head to `check` first, then the rest, `expected` bytes
// or more, refusing more than `maxSize`.
Result<std::string> readAll(int fd, const std::string& name, std::size_t headSize, const HeadCheck& check,
                            std::size_t expected, std::size_t maxSize)
{
    auto readError = [&name](int err) {
        return Error{ErrorCode::Unreadable, "读取文件时出错: " + systemErrorText(err), name};
    };
    std::string bytes;
    std::size_t used = 0;
    bool atEnd = false;
    if (check) {
        bytes.resize(std::min(headSize, maxSize + 1));
        if (const int err = readInto(fd, bytes, used, atEnd))
            return readError(err);
        if (std::optional<Error> refused = check(bytes)) {
            if (refused->where.empty())
                refused->where = name;
            return *refused;
        }
    }
    // The head says what the file is first (a binary file is refused as such, whatever
    // its size); a file larger than the cap is refused before the rest is read.
    if (expected > maxSize)
        return tooLarge(name, maxSize);
    // Room for the size expected and one byte more, so the end shows without a
    // reallocation; a file that grows meanwhile is read to its new end, up to the cap
    // and one byte more, which shows it is past the cap.
    while (!atEnd) {
        if (used > maxSize)
            return tooLarge(name, maxSize);
        bytes.resize(std::min(std::max({bytes.size() * 2, expected + 1, used + 4096}), maxSize + 1));
        if (const int err = readInto(fd, bytes, used, atEnd))
            return readError(err);
    }
    if (used > maxSize)
        return tooLarge(name, maxSize);
    return bytes;
}

}  // namespace

Result<std::string> readWholeStream(int fd, const std::string& name, std::size_t headSize, const HeadCheck& check,
                                    std::size_t maxSize)
{
    return readAll(fd, name, headSize, check, 0, maxSize);
}

Result<std::string> readWholeFile(const std::filesystem::path& file, std::size_t headSize, const HeadCheck& check,
                                  std::size_t maxSize)
{
    // Devices, pipes and folders are refused before they are opened: opening some devices
    // has effects of its own. The check is made again on the opened file, since another
    // process may put something else under the name in between; the open itself does not
    // wait for a writer, so a pipe swapped in is refused, not waited on.
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return openError(file, errno);
    if (auto refused = notRegular(file, st.st_mode))
        return *refused;
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return openError(file, errno);
    if (::fstat(fd.get(), &st) != 0)
        return openError(file, errno);
    if (auto refused = notRegular(file, st.st_mode))
        return *refused;

    const auto expected = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
    return readAll(fd.get(), file.string(), headSize, check, expected, maxSize);
}

}  // namespace sorvane
