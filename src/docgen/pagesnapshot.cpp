#include "pagesnapshot.h"

#include "wordautomation.h"

#include "app/clipboard.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <atomic>

namespace docgen {
namespace {
constexpr int kClipboardAttempts = 1000;

// An uncompressed BMP: the 14-byte file header and the 40-byte information header, then
// the rows top-down (negative height) at four bytes a pixel (blue, green, red, unused),
// which is how a 32-bit RGB image lies in memory, so the pixels are written and read in
// one piece.
constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes;
constexpr int kBitsPerPixel = 32;
constexpr quint32 kUncompressed = 0;

template <typename T> void put(QByteArray& bytes, int offset, T value)
{
    qToLittleEndian(value, bytes.data() + offset);
}
template <typename T> T get(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

QByteArray bmpHeader(const QImage& picture)
{
    const quint32 pixelBytes = quint32(picture.sizeInBytes());
    QByteArray header(kHeaderBytes, '\0');
    header[0] = 'B';
    header[1] = 'M';
    put<quint32>(header, 2, kHeaderBytes + pixelBytes);
    put<quint32>(header, 10, kHeaderBytes);
    put<quint32>(header, 14, kInfoHeaderBytes);
    put<qint32>(header, 18, picture.width());
    put<qint32>(header, 22, -picture.height());
    put<quint16>(header, 26, 1);
    put<quint16>(header, 28, kBitsPerPixel);
    put<quint32>(header, 30, kUncompressed);
    put<quint32>(header, 34, pixelBytes);
    // The density carries the picture's pixel ratio to the reader.
    put<qint32>(header, 38, picture.dotsPerMeterX());
    put<qint32>(header, 42, picture.dotsPerMeterY());
    return header;
}

[[noreturn]] void invalidPicture()
{
    throw app::Failure(QStringLiteral("Invalid picture"));
}
} // namespace

// Set once "temp.bmp" in TEMP was found taken by something this user cannot remove
// (another user's file in a shared folder): the rest of the run uses a private folder.
std::atomic<bool> gSharedNameTaken{false};

BitmapHandOff::BitmapHandOff(const QString& folder)
{
    if (!folder.isEmpty())
        mPath = app::inFolder(folder, QStringLiteral("temp.bmp"));
    else if (!qEnvironmentVariableIsEmpty("TEMP") && !gSharedNameTaken)
        mPath = app::inFolder(app::temporaryFolder(), QStringLiteral("temp.bmp"));
    else
        usePrivateFolder();
}

void BitmapHandOff::usePrivateFolder()
{
    mPath.clear();
    mPrivateFolder = std::make_unique<QTemporaryDir>(
        app::inFolder(app::temporaryFolder(), QStringLiteral("loomchart-XXXXXX")));
    if (mPrivateFolder->isValid())
        mPath = app::inFolder(QDir::toNativeSeparators(mPrivateFolder->path()),
                              QStringLiteral("temp.bmp"));
}

BitmapHandOff::~BitmapHandOff() = default;

void BitmapHandOff::write(const QImage& picture)
{
    if (mPath.isEmpty())
        throw app::Failure(QStringLiteral("No private folder for the page picture"));
    mFile.reset();
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    // Rows of four-byte pixels need no padding, so the pixels go out as they lie.
    if (rgb.isNull() || rgb.bytesPerLine() != qsizetype(rgb.width()) * 4)
        invalidPicture();
    // Removes a stale file or a link itself, never what a link points to.
    const QFileInfo taken(mPath);
    if (!QFile::remove(mPath) && !mPrivateFolder && (taken.exists() || taken.isSymLink())) {
        gSharedNameTaken = true;
        usePrivateFolder();
        if (mPath.isEmpty())
            throw app::Failure(QStringLiteral("No private folder for the page picture"));
    }
    std::unique_ptr<QFile> file = app::createNewFile(mPath);
    const QByteArray header = bmpHeader(rgb);
    if (file->write(header) != header.size() ||
        file->write(reinterpret_cast<const char*>(rgb.constBits()), rgb.sizeInBytes()) !=
            rgb.sizeInBytes()) {
        const QString reason = file->errorString();
        file->remove();
        throw app::Failure(
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(mPath), reason));
    }
    mFile = std::move(file);
}

bool BitmapHandOff::written() const
{
    return mFile && app::namesOpenFile(mPath, *mFile);
}

QImage BitmapHandOff::load() const
{
    if (!mFile || !mFile->seek(0))
        invalidPicture();
    const QByteArray header = mFile->read(kHeaderBytes);
    if (header.size() != kHeaderBytes || header[0] != 'B' || header[1] != 'M' ||
        get<quint32>(header, 10) != quint32(kHeaderBytes) ||
        get<quint16>(header, 28) != kBitsPerPixel || get<quint32>(header, 30) != kUncompressed)
        invalidPicture();
    const qint64 width = get<qint32>(header, 18);
    const qint64 height = -qint64(get<qint32>(header, 22));
    if (width <= 0 || height <= 0 || width * height * 4 != mFile->size() - kHeaderBytes)
        invalidPicture();
    QImage picture(int(width), int(height), QImage::Format_RGB32);
    if (picture.isNull() || picture.bytesPerLine() != qsizetype(width) * 4)
        invalidPicture();
    const qint64 pixelBytes = picture.sizeInBytes();
    if (mFile->read(reinterpret_cast<char*>(picture.bits()), pixelBytes) != pixelBytes)
        invalidPicture();
    picture.setDotsPerMeterX(get<qint32>(header, 38));
    picture.setDotsPerMeterY(get<qint32>(header, 42));
    app::applyPictureDensity(picture);
    return picture;
}

std::optional<QImage> GetClipboardPicture(app::Clipboard& clipboard, const int& format)
{
    std::optional<QImage> result;
    int attempts = 0;
    bool succeeded = false;
    do {
        try {
            QImage picture;
            succeeded = clipboard.requestPicture(format, picture);
            if (succeeded)
                result = picture;
        } catch (...) {
            succeeded = false;
        }
        ++attempts;
    } while (!succeeded && attempts < kClipboardAttempts);
    return result;
}

int PageSnapshot::SaveDocAsJPG(QString documentPath)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1SaveDocAsJpg));
    std::shared_ptr<WordApplication> word;
    std::shared_ptr<WordDocument> document;
    // Only a picture that this call's copy placed on the clipboard is the page; whatever
    // was there before must never be saved as it.
    bool copied = false;

    trap.step(100, [&] { word = mFactory.createObject(QLatin1String(kWordProgId)); });
    trap.step(102, [&] { document = live(word).DocumentsOpen(documentPath); });
    trap.step(104, [&] {
        live(live(document).Range()).CopyAsPicture();
        copied = true;
    });
    trap.step(106, [&] {
        const int anyFormat = 0;
        const std::optional<QImage> picture =
            copied ? GetClipboardPicture(mClipboard, anyFormat) : std::nullopt;
        if (!picture || picture->isNull())
            throw app::Failure(QStringLiteral("Invalid picture"));
        mBitmap.write(*picture);
    });
    trap.step(108, [&] { live(live(word).ActiveDocument()).Close(word::kDoNotSaveChanges); });
    trap.step(110, [&] { live(word).Quit(); });
    return trap.failures();
}

} // namespace docgen
