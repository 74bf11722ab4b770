#include "io/file_commit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "io/temporary_files.h"
#include "common/messages.h"

namespace sorvane {
namespace {

bool isDiskFull(int err)
{
#ifdef EDQUOT
    if (err == EDQUOT)
        return true;
#endif
    return err == ENOSPC;
}

Error writeError(const std::filesystem::path& file, int err, const char* what)
{
    if (isDiskFull(err))
        return Error{ErrorCode::DiskFull, "磁盘空间不足，文件没有写完", file.string()};
    return Error{ErrorCode::Unwritable, std::string(what) + ": " + systemErrorText(err), file.string()};
}

// The file a write to `file` replaces: `file` itself, or with `throughLinks` the file its
// chain of links ends at (a link to nothing resolves to where it points, so the rename
// never replaces the link).
std::filesystem::path resolveTarget(const std::filesystem::path& file, bool throughLinks)
{
    std::error_code ec;
    if (!throughLinks || !std::filesystem::is_symlink(file, ec))
        return file;
    std::filesystem::path target = file;
    const auto resolved = std::filesystem::weakly_canonical(target, ec);
    if (!ec)
        target = resolved;
    if (std::filesystem::is_symlink(target, ec)) {
        const auto to = std::filesystem::read_symlink(target, ec);
        if (!ec)
            target = to.is_absolute() ? to : target.parent_path() / to;
    }
    return target;
}

std::filesystem::path folderOf(const std::filesystem::path& target)
{
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Lets a test interrupt the program while a temporary file exists: with
// SORVANE_TEST_HOLD_TEMPORARY naming a file, each write creates that file once its
// temporary file is written, then waits up to a minute before going on.
void holdForTest()
{
    static const char* const marker = std::getenv("SORVANE_TEST_HOLD_TEMPORARY");
    if (marker == nullptr || *marker == '\0')
        return;
    const int fd = ::open(marker, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
    std::this_thread::sleep_for(std::chrono::minutes(1));
}

// An open temporary file, registered for removal on a signal; removed unless kept.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)), m_live(m_path) {}
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept)
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file, only when no file has the name. Returns 0 or the errno.
    int create(mode_t mode)
    {
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (m_fd < 0) {
            m_kept = true;  // not ours: whatever has the name stays
            return errno;
        }
        return 0;
    }
    int fd() const { return m_fd; }
    const std::filesystem::path& path() const { return m_path; }
    // Closes the descriptor; returns 0 or the errno of a failed close, where some file
    // systems report a full device.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }
    void keep() { m_kept = true; }

private:
    std::filesystem::path m_path;
    LiveTemporaryFile m_live;
    int m_fd = -1;
    bool m_kept = false;
};

// A short name beside the target, so it fits wherever the target's name fits, and one
// that no other write of this process uses.
std::filesystem::path temporaryName(const std::filesystem::path& folder)
{
    static std::atomic<unsigned long> counter{0};
    return folder / (".sorvane-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp");
}

// Gives the temporary file the old file's owner, group and permission bits. The owner
// first: changing it may clear the set-user-ID bits, which the mode then restores. An
// owner or group the process may not give is left as created.
void copyOwnerAndMode(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Neither may be given: the file stays the process's own.
    }
    ::fchmod(fd, old.st_mode & 07777);
}

}  // namespace

// One file of the set: its new content, written and closed under a temporary name.
struct FileCommit::Pending {
    std::filesystem::path file;    // as the caller named it, for messages
    std::filesystem::path target;  // the name the rename replaces
    std::optional<TemporaryFile> temp;
};

FileCommit::FileCommit(const WriteOptions& options) : m_options(options) {}
FileCommit::~FileCommit() = default;
FileCommit::FileCommit(FileCommit&&) noexcept = default;
FileCommit& FileCommit::operator=(FileCommit&&) noexcept = default;

// The bytes go to a temporary file in the target's folder. A replaced file keeps its
// permission bits, and its owner and group where the process may set them; a new file
// gets the default mode.
Status FileCommit::add(const std::filesystem::path& file, std::string_view bytes)
{
    auto pending = std::make_unique<Pending>();
    pending->file = file;
    pending->target = resolveTarget(file, m_options.throughLinks);
    const std::filesystem::path& target = pending->target;

    struct stat old {};
    const bool hasOld =
        (m_options.throughLinks ? ::stat(target.c_str(), &old) : ::lstat(target.c_str(), &old)) == 0;
    const bool replacesFile = hasOld && S_ISREG(old.st_mode);
    if (hasOld && S_ISDIR(old.st_mode))
        return Error{ErrorCode::Unwritable, "无法写入: 同名的文件夹已存在", file.string()};
    if (hasOld && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return Error{ErrorCode::Unwritable, "无法写入: 同名的不是普通文件（设备、管道或套接字）", file.string()};
    // Replacing by rename would get past a read-only file; refuse as writing into it would.
    if (replacesFile && ::access(target.c_str(), W_OK) != 0)
        return writeError(file, errno, "无法写入");

    std::optional<TemporaryFile>& temp = pending->temp;
    int err = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp.emplace(temporaryName(folderOf(target)));
        // A replaced file's content is readable by no one else until its mode is copied.
        err = temp->create(replacesFile ? 0600 : 0666);
        if (err != EEXIST)
            break;
    }
    if (err != 0)
        return writeError(file, err, "无法创建文件");

    if (replacesFile)
        copyOwnerAndMode(temp->fd(), old);
    err = writeAll(temp->fd(), bytes);
    if (err == 0)
        holdForTest();
    if (err == 0 && m_options.durable && ::fsync(temp->fd()) != 0)
        err = errno;
    if (const int closeErr = temp->close(); err == 0)
        err = closeErr;
    if (err != 0)
        return writeError(file, err, "写入文件时出错");
    m_pending.push_back(std::move(pending));
    return Ok{};
}

namespace {

// A second name for a file a commit is about to replace, so that a failed commit can put
// it back. A hard link costs no copy; the name is registered as a temporary file, so a
// signal removes it, while the file itself stays under its own name, old or new.
class Backup {
public:
    // Links `target` under a temporary name; without a link (a file system that has
    // none) there is no backup, and valid() says so.
    explicit Backup(const std::filesystem::path& target)
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_temp.emplace(temporaryName(folderOf(target)));
            if (::link(target.c_str(), m_temp->path().c_str()) == 0) {
                m_valid = true;
                return;
            }
            m_temp->keep();  // the name is not ours
            if (errno != EEXIST)
                break;
        }
        m_temp.reset();
    }
    bool valid() const { return m_valid; }
    // Renames the old file back over `target`. Returns whether it worked.
    bool restore(const std::filesystem::path& target)
    {
        if (!m_valid || ::rename(m_temp->path().c_str(), target.c_str()) != 0)
            return false;
        m_temp->keep();
        return true;
    }

private:
    std::optional<TemporaryFile> m_temp;  // removed with the object unless restored
    bool m_valid = false;
};

}  // namespace

// Every file that is replaced keeps a second name until all renames are done. Should a
// rename fail, the files renamed so far get their old content back (or are removed when
// they are new), so the old set stays whole.
Status FileCommit::commit()
{
    std::vector<std::optional<Backup>> backups(m_pending.size());
    std::vector<bool> existed(m_pending.size(), false);
    for (std::size_t k = 0; k < m_pending.size(); ++k) {
        struct stat old {};
        existed[k] = ::lstat(m_pending[k]->target.c_str(), &old) == 0;
        if (existed[k])
            backups[k].emplace(m_pending[k]->target);
    }
    for (std::size_t k = 0; k < m_pending.size(); ++k) {
        Pending& p = *m_pending[k];
        if (::rename(p.temp->path().c_str(), p.target.c_str()) != 0) {
            const Error error = writeError(p.file, errno, "无法替换文件");
            for (std::size_t done = 0; done < k; ++done) {
                const std::filesystem::path& target = m_pending[done]->target;
                if (!existed[done])
                    ::unlink(target.c_str());
                else
                    backups[done]->restore(target);  // without a backup the new file stays: nothing is lost
            }
            m_pending.clear();
            return error;
        }
        p.temp->keep();
    }
    if (m_options.durable) {
        // Makes the renames themselves durable; a failure here no longer risks the content.
        std::set<std::filesystem::path> folders;
        for (const auto& p : m_pending)
            folders.insert(folderOf(p->target));
        for (const auto& folder : folders) {
            const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dirFd >= 0) {
                ::fsync(dirFd);
                ::close(dirFd);
            }
        }
    }
    m_pending.clear();
    return Ok{};
}

}  // namespace sorvane
