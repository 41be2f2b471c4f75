#include "saveresults.h"

#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace preview {
namespace {
constexpr int kTempNameAttempts = 100;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void cannotWrite(const QString& target, int error)
{
    throw app::Failure(
        QStringLiteral("Cannot write %1: %2").arg(native(target), qt_error_string(error)));
}

bool writeAll(int fd, const QByteArray& content)
{
    const char* data = content.constData();
    qint64 left = content.size();
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

// Refusals of the folder or the file rather than of the disk: another way may still work.
bool refused(int error)
{
    return error == EACCES || error == EPERM;
}

// Writes the content into a new file beside `target` and renames it over the target, so
// the old file is replaced only by a complete copy. The new file keeps the old one's mode,
// a read-only mark included. Returns 0, or the error that stopped it (nothing changed).
int replaceByRename(const QString& target, const QByteArray& content, const struct stat* old)
{
    const QFileInfo info(target);
    const QString stem = info.absolutePath() + QLatin1String("/.") + info.fileName();
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < kTempNameAttempts && fd < 0; ++attempt) {
        tempName = QFile::encodeName(
            stem + QStringLiteral(".%1.part")
                       .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    int error = 0;
    if (old && ::fchmod(fd, old->st_mode & 07777) != 0)
        error = errno;
    if (!error && !writeAll(fd, content))
        error = errno;
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error)
        ::unlink(tempName.constData());
    return error;
}

// Overwrites the target's own bytes: the only way left when the folder takes no new file.
void writeInPlace(const QString& target, const QByteArray& content)
{
    const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        cannotWrite(target, errno);
    int error = 0;
    if (!writeAll(fd, content) || ::ftruncate(fd, content.size()) != 0 || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error)
        cannotWrite(target, error);
}
} // namespace

void copyFileReplacing(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.exists())
        throw app::Failure(QStringLiteral("File not found: %1").arg(native(source)));
    // The whole document is read before the target is touched, so an unreadable source
    // never costs the old file.
    if (!in.open(QIODevice::ReadOnly))
        throw app::Failure(
            QStringLiteral("Cannot read %1: %2").arg(native(source), in.errorString()));
    const QByteArray content = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw app::Failure(
            QStringLiteral("Cannot read %1: %2").arg(native(source), in.errorString()));
    in.close();

    // A chosen name that is a link stands for the file it names.
    const QFileInfo chosen(target);
    const QString path = chosen.isSymLink() ? chosen.symLinkTarget() : target;
    struct stat old = {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        cannotWrite(target, EISDIR);
    const int error = replaceByRename(path, content, exists ? &old : nullptr);
    if (!error)
        return;
    if (exists && refused(error)) {
        writeInPlace(path, content);
        return;
    }
    cannotWrite(target, error);
}

bool SaveResultsToWordFile(app::Dialogs& dialogs, const QString& wordFile)
{
    app::Trap trap(dialogs, QLatin1String(app::labels::kForm2SaveResults));
    // Starts undecided on every press; only Yes leads to the copy.
    bool overwriteAgreed = false;
    bool copied = false;
    QString target;
    trap.step(112, [&] {
        target = dialogs.saveFileName(QStringLiteral("Save File"),
                                      QStringLiteral("Word Files (*.doc)|*.doc"));
    });
    if (trap.test(116, [&] { return target.isEmpty(); }))
        return false;
    if (trap.test(118, [&] { return !app::FileExists(target); })) {
        trap.step(126, [&] { overwriteAgreed = true; });
    } else {
        trap.step(120, [&] {
            const app::MessageAnswer answer =
                dialogs.messageBox(QStringLiteral("Are you sure you wish to overwrite ") + target +
                                       QStringLiteral(" ?"),
                                   app::MessageButtons::YesNo, app::MessageIcon::None);
            overwriteAgreed = answer == app::MessageAnswer::Yes;
        });
    }
    // The existing file is not removed first: the copy replaces it in one rename, so a
    // failed copy leaves it as it was (only a folder that takes no new file makes the
    // copy overwrite the file itself).
    if (trap.test(128, [&] { return overwriteAgreed; })) {
        trap.step(130, [&] {
            copyFileReplacing(wordFile, target);
            copied = true;
        });
    }
    if (copied)
        trap.step(132, [&] {
            dialogs.messageBox(QStringLiteral("Done."), app::MessageButtons::Ok,
                               app::MessageIcon::None);
        });
    return copied;
}

} // namespace preview
