#include "fileutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cmath>

namespace app {
namespace {
// 96 dots per inch in dots per metre: the density of a picture with pixel ratio 1.
constexpr double kScreenDotsPerMetre = 96.0 / 0.0254;
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
    QFile file(path);
    if (!file.exists())
        return;
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    file.remove();
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
    if (image.isNull())
        return image;
    const double ratio = image.dotsPerMeterX() / kScreenDotsPerMetre;
    // Round to a quarter so that small rounding in the header does not blur the page.
    const double quarters = std::round(ratio * 4.0) / 4.0;
    image.setDevicePixelRatio(quarters >= 1.0 ? quarters : 1.0);
    return image;
}

} // namespace app
