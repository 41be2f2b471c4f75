#include "pagesnapshot.h"

#include "wordautomation.h"

#include "app/clipboard.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"

#include <QDir>
#include <QImageWriter>
#include <QSaveFile>

namespace docgen {
namespace {
constexpr int kClipboardAttempts = 1000;

void savePicture(const QImage& picture, const QString& path)
{
    // Written beside the target and renamed over it, so an old bitmap is replaced whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw app::Failure(QStringLiteral("Cannot write %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    QImageWriter writer(&file, "BMP");
    if (!writer.write(picture))
        throw app::Failure(QStringLiteral("Cannot write %1: %2")
                               .arg(QDir::toNativeSeparators(path), writer.errorString()));
    if (!file.commit())
        throw app::Failure(QStringLiteral("Cannot write %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
}
} // namespace

QString bitmapPath()
{
    return app::inFolder(app::temporaryFolder(), QStringLiteral("temp.bmp"));
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

void PageSnapshot::SaveDocAsJPG(QString documentPath)
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
        savePicture(*picture, bitmapPath());
    });
    trap.step(108, [&] { live(live(word).ActiveDocument()).Close(word::kDoNotSaveChanges); });
    trap.step(110, [&] { live(word).Quit(); });
}

} // namespace docgen
