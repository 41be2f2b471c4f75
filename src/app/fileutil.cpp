#include "fileutil.h"

#include "failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {
// 96 dots per inch in dots per metre: the density of a picture with pixel ratio 1.
constexpr double kScreenDotsPerMetre = 96.0 / 0.0254;

[[noreturn]] void fail(const char* what, const QString& path, int error)
{
    throw Failure(
        QStringLiteral("%1 %2: %3")
            .arg(QLatin1String(what), QDir::toNativeSeparators(path), qt_error_string(error)));
}
} // namespace

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void RemoveFile(const QString& path)
{
    QCoreApplication::processEvents();
    if (path.isEmpty())
        return;
    if (QFile::remove(path))
        return;
    // Changing the mode would follow a link to the file it names.
    const QFileInfo info(path);
    if (info.isSymLink() || !info.exists())
        return;
    QFile file(path);
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    file.remove();
}

QString fileNameFromTitle(const QString& title)
{
    constexpr qsizetype kMaxChars = 120;
    QString name;
    name.reserve(std::min(title.size(), kMaxChars + 1));
    for (const QChar c : title) {
        const bool refused = c.unicode() < 0x20 || c.unicode() == 0x7f ||
                             QStringView(u"<>:\"/\\|?*").contains(c) || c.isSpace();
        name += refused ? QLatin1Char(' ') : c;
        if (name.size() > 4 * kMaxChars)
            break;
    }
    name = name.simplified();
    // The cut keeps a surrogate pair whole.
    if (name.size() > kMaxChars)
        name.truncate(name.at(kMaxChars - 1).isHighSurrogate() ? kMaxChars - 1 : kMaxChars);
    while (!name.isEmpty() && (name.back() == QLatin1Char('.') || name.back().isSpace()))
        name.chop(1);
    // A leading dot hides the file on some desktops.
    while (!name.isEmpty() && (name.front() == QLatin1Char('.') || name.front().isSpace()))
        name.remove(0, 1);
    const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList kReserved{
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),
        QStringLiteral("NUL"),  QStringLiteral("COM1"), QStringLiteral("COM2"),
        QStringLiteral("COM3"), QStringLiteral("COM4"), QStringLiteral("COM5"),
        QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"),
        QStringLiteral("LPT6"), QStringLiteral("LPT7"), QStringLiteral("LPT8"),
        QStringLiteral("LPT9")};
    if (kReserved.contains(stem)) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        name.insert(dot < 0 ? name.size() : dot, QLatin1Char('_'));
    }
    return name;
}

QString programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString inFolder(const QString& folder, const QString& name)
{
    return folder + QDir::separator() + QDir::toNativeSeparators(name);
}

QString temporaryFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    QString folder = temp.isEmpty() ? QDir::tempPath() : temp;
    while (folder.size() > 1 &&
           (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())))
        folder.chop(1);
    return QDir::toNativeSeparators(folder);
}

std::unique_ptr<QFile> createNewFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        fail("Cannot create", path, errno);
    auto file = std::make_unique<QFile>(path);
    if (!file->open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(QFile::encodeName(path).constData());
        fail("Cannot create", path, EIO);
    }
    return file;
}

bool namesOpenFile(const QString& path, const QFile& file)
{
    struct stat named = {};
    struct stat open = {};
    if (!file.isOpen() || ::lstat(QFile::encodeName(path).constData(), &named) != 0 ||
        ::fstat(file.handle(), &open) != 0)
        return false;
    return named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

void markPictureDensity(QImage& image, qreal devicePixelRatio)
{
    const int dotsPerMetre = static_cast<int>(std::lround(kScreenDotsPerMetre * devicePixelRatio));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.setDevicePixelRatio(devicePixelRatio);
}

QImage loadPictureFile(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (!image.isNull())
        applyPictureDensity(image);
    return image;
}

void applyPictureDensity(QImage& image)
{
    const double ratio = image.dotsPerMeterX() / kScreenDotsPerMetre;
    // Round to a quarter so that small rounding in the header does not blur the page.
    const double quarters = std::round(ratio * 4.0) / 4.0;
    image.setDevicePixelRatio(quarters >= 1.0 ? quarters : 1.0);
}

} // namespace app
