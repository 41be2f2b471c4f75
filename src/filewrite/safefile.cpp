#include "safefile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filewrite {
namespace {
// The kernel gives up on a chain of links after 40.
constexpr int kMaxLinks = 40;
constexpr int kTempNameAttempts = 100;
// What a temporary name adds to the target's: a leading dot, a dot, a 32-bit number in
// base 36 (at most seven digits) and ".part".
constexpr qsizetype kTempNameExtra = 1 + 1 + 7 + 5;

WriteResult failure(int error, QString reason = {})
{
    return {error, reason.isEmpty() ? qt_error_string(error) : std::move(reason)};
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a regular file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a pipe, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a regular file");
    return QStringLiteral("it is not a regular file");
}

// The protected-links rule: in a world-writable sticky folder, only a link of the
// follower or of the folder's owner is followed.
bool mayFollow(const struct stat& link, const QByteArray& folder)
{
    struct stat dir = {};
    if (::stat(folder.constData(), &dir) != 0)
        return false;
    const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

// Follows the links from `path` to the file to write. `old` gets that file's state, or
// `exists` stays false when there is none yet.
WriteResult resolve(QByteArray& path, struct stat& old, bool& exists)
{
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        if (::lstat(path.constData(), &old) != 0) {
            if (errno != ENOENT)
                return failure(errno);
            exists = false;
            return {};
        }
        if (!S_ISLNK(old.st_mode)) {
            if (!S_ISREG(old.st_mode))
                return failure(EINVAL, kindOf(old.st_mode));
            exists = true;
            return {};
        }
        const QByteArray folder = folderOf(path);
        if (!mayFollow(old, folder))
            return failure(EACCES, QStringLiteral("it is a link another user placed in a shared "
                                                  "folder, which is not followed"));
        QByteArray target(qsizetype(old.st_size > 0 ? old.st_size : PATH_MAX), '\0');
        const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            return failure(errno);
        target.truncate(length);
        path = target.startsWith('/') ? target : folder + '/' + target;
    }
    return failure(ELOOP);
}

bool writeAll(int fd, QByteArrayView content)
{
    const char* data = content.data();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The folder's entry for the renamed file reaches the disk too; a file system that
// cannot sync a folder has nothing to sync.
int syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const int error = ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS ? errno : 0;
    ::close(fd);
    return error;
}

// Gives the new file the old one's owner, group and mode. The owner only where the user
// may set it; the mode after the owner, as a change of owner clears set-id bits.
int copyOwnership(int fd, const struct stat* old)
{
    if (!old)
        return 0;
    if (::fchown(fd, old->st_uid, old->st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), old->st_gid);
    return ::fchmod(fd, old->st_mode & 07777) != 0 ? errno : 0;
}

// Writes a new file beside `target` and renames it over the target. Returns 0, or the
// error that stopped it, with nothing left behind and the target untouched.
int replaceByRename(const QByteArray& target, QByteArrayView content, const struct stat* old,
                    bool sync)
{
    const QByteArray folder = folderOf(target);
    // The temporary name adds a dot, a number and ".part" to the target's: a name that
    // fits the folder must leave room for them, so a long one is shortened, never cut
    // inside a UTF-8 sequence.
    QByteArray base = target.mid(target.lastIndexOf('/') + 1);
    const long nameMax = ::pathconf(folder.constData(), _PC_NAME_MAX);
    const qsizetype room = (nameMax > 0 ? nameMax : NAME_MAX) - kTempNameExtra;
    if (base.size() > room) {
        qsizetype cut = std::max<qsizetype>(room, 1);
        while (cut > 1 && (uchar(base.at(cut)) & 0xC0) == 0x80)
            --cut;
        base.truncate(cut);
    }
    const QByteArray stem = folder + "/." + base;
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < kTempNameAttempts && fd < 0; ++attempt) {
        tempName =
            stem + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    int error = copyOwnership(fd, old);
    if (!error && !writeAll(fd, content))
        error = errno;
    if (!error && sync && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(tempName.constData(), target.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(tempName.constData());
        return error;
    }
    return sync ? syncFolder(folder) : 0;
}

// Overwrites the target's own bytes once the disk holds room for all of them.
int writeInPlace(const QByteArray& target, QByteArrayView content, const struct stat& old)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat opened = {};
    int error = 0;
    if (::fstat(fd, &opened) != 0)
        error = errno;
    else if (opened.st_dev != old.st_dev || opened.st_ino != old.st_ino)
        error = EAGAIN; // replaced since it was looked at
    if (!error && !content.isEmpty())
        error = ::posix_fallocate(fd, 0, off_t(content.size()));
    if (!error &&
        (!writeAll(fd, content) || ::ftruncate(fd, off_t(content.size())) != 0 || ::fsync(fd) != 0))
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    return error;
}

bool folderRefused(int error)
{
    return error == EACCES || error == EPERM;
}
} // namespace

WriteResult replaceFile(const QString& path, QByteArrayView content, InPlace inPlace,
                        Durability durability)
{
    if (path.isEmpty())
        return failure(ENOENT);
    QByteArray target = QFile::encodeName(path);
    struct stat old = {};
    bool exists = false;
    if (WriteResult resolved = resolve(target, old, exists); !resolved)
        return resolved;
    const int error =
        replaceByRename(target, content, exists ? &old : nullptr, durability == Durability::OnDisk);
    if (!error)
        return {};
    if (exists && inPlace == InPlace::WhenFolderRefuses && folderRefused(error)) {
        const int inPlaceError = writeInPlace(target, content, old);
        return inPlaceError ? failure(inPlaceError) : WriteResult{};
    }
    return failure(error);
}

} // namespace filewrite
