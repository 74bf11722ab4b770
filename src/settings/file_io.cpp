#include "settings/file_io.h"

#include "settings/settings_paths.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {
namespace {

std::string pathText(const std::filesystem::path& p)
{
    return p.string();
}

Error writeError(const std::filesystem::path& file, int err)
{
    if (err == ENOSPC || err == EDQUOT)
        return Error{ErrorCode::DiskFull, "磁盘空间不足，文件未能保存", pathText(file)};
    return Error{ErrorCode::Unwritable,
                 std::string("无法写入文件（") + std::strerror(err) + "），文件未能保存",
                 pathText(file)};
}

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
public:
    TempFile(int fd, std::filesystem::path path) : m_fd(fd), m_path(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_released)
            ::unlink(m_path.c_str());
    }

    int fd() const { return m_fd; }
    const std::filesystem::path& path() const { return m_path; }

    // Closes the descriptor; returns 0 or the errno of a failed close.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }
    void release() { m_released = true; }

private:
    int m_fd;
    std::filesystem::path m_path;
    bool m_released = false;
};

int writeAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

Result<std::string> readFileBytes(const std::filesystem::path& file)
{
    // Opened without blocking, so a pipe in the file's place cannot hang the program; only
    // a regular file is read (a device such as /dev/zero would never end).
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            return Error{ErrorCode::NotFound, "文件不存在", pathText(file)};
        return Error{ErrorCode::Unreadable, std::string("无法读取文件（") + std::strerror(err) + "）",
                     pathText(file)};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{ErrorCode::Unreadable, "无法读取文件（不是普通文件）", pathText(file)};
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            return Error{ErrorCode::Unreadable,
                         std::string("无法读取文件（") + std::strerror(err) + "）", pathText(file)};
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes)
{
    // In a folder someone else owns or may write in, the file could be a link planted to
    // make us overwrite another file of the user's.
    Status safe = checkSettingsFolder(file.parent_path());
    if (!safe)
        return Error{safe.error().code, safe.error().message + "（" + safe.error().where + "）", file.string()};
    std::error_code ec;
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
        // A link to nothing resolves to itself: write where it points, so the rename
        // never replaces the link itself.
        if (std::filesystem::is_symlink(target, ec)) {
            const auto to = std::filesystem::read_symlink(target, ec);
            if (!ec)
                target = to.is_absolute() ? to : target.parent_path() / to;
        }
    }

    struct stat old {};
    const bool hasOld = ::stat(target.c_str(), &old) == 0;
    if (hasOld && !S_ISREG(old.st_mode))
        return Error{ErrorCode::Unwritable, "目标不是普通文件，文件未能保存", pathText(file)};

    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");

    // A name no one else uses: the file's own name, the process id and a counter.
    static std::atomic<unsigned> counter{0};
    int fd = -1;
    std::filesystem::path tempPath;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath = folder / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                             "-" + std::to_string(counter.fetch_add(1)));
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return writeError(file, errno);
    }
    if (fd < 0)
        return writeError(file, EEXIST);
    TempFile temp(fd, tempPath);

    if (hasOld)
        ::fchmod(temp.fd(), old.st_mode & 07777);
    if (const int err = writeAll(temp.fd(), bytes))
        return writeError(file, err);
    if (::fsync(temp.fd()) != 0)
        return writeError(file, errno);
    if (const int err = temp.close())
        return writeError(file, err);
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        return writeError(file, errno);
    temp.release();

    // Make the rename itself durable; a failure here no longer risks the content.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Ok{};
}

}  // namespace sorvane
