#pragma once

#include <QImage>
#include <QString>

#include <memory>
#include <optional>

class QFile;
class QTemporaryDir;

namespace app {
class Clipboard;
class Dialogs;
} // namespace app

namespace docgen {

class AutomationFactory;

// The page picture on its way from the snapshot to the builder within one run: the file
// "temp.bmp" in TEMP or, when TEMP is unset, in a folder of its own that only this user
// may enter (the system's temporary folder is open to every user). When the name in TEMP
// is taken by something this user cannot remove, the private folder serves for the rest
// of the run. A caller with a folder of its own names it. Only the file this
// object wrote is ever read back, so a stale picture or one planted by somebody else is
// never taken for the page.
class BitmapHandOff
{
public:
    // In `folder` when it is given.
    explicit BitmapHandOff(const QString& folder = {});
    ~BitmapHandOff();
    BitmapHandOff(const BitmapHandOff&) = delete;
    BitmapHandOff& operator=(const BitmapHandOff&) = delete;

    const QString& path() const { return mPath; }
    // Replaces whatever stands at the path (a link is removed, never followed) by a new,
    // uncompressed 32-bit BMP file. Throws app::Failure when it cannot be created.
    void write(const QImage& picture);
    // True while the file at the path is the one write() created.
    bool written() const;
    // The picture write() stored, read back from that file. Throws app::Failure when
    // nothing was written or the file cannot be read.
    QImage load() const;

private:
    void usePrivateFolder();

    std::unique_ptr<QTemporaryDir> mPrivateFolder;
    QString mPath;
    // The file write() created, held open so that its inode stays its own.
    std::unique_ptr<QFile> mFile;
};

// Requests the clipboard's picture up to 1000 times in a row without pausing; failures
// are swallowed. No picture after 1000 failed requests.
std::optional<QImage> GetClipboardPicture(app::Clipboard& clipboard, const int& format);

// Renders a saved document to the bitmap through a fresh engine instance and the
// clipboard. Failures show the error box and the snapshot goes on; the caller learns the
// outcome from whether the bitmap was written, and how many statements failed.
class PageSnapshot
{
public:
    PageSnapshot(app::Dialogs& dialogs, const AutomationFactory& factory, app::Clipboard& clipboard,
                 BitmapHandOff& bitmap)
        : mDialogs(dialogs), mFactory(factory), mClipboard(clipboard), mBitmap(bitmap)
    {}

    int SaveDocAsJPG(QString documentPath);

private:
    app::Dialogs& mDialogs;
    const AutomationFactory& mFactory;
    app::Clipboard& mClipboard;
    BitmapHandOff& mBitmap;
};

} // namespace docgen
