#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace app {
class Clipboard;
class Dialogs;
} // namespace app

namespace docgen {

class AutomationFactory;

// The bitmap the snapshot writes and the builder loads: TEMP, separator, "temp.bmp".
QString bitmapPath();

// Requests the clipboard's picture up to 1000 times in a row without pausing; failures
// are swallowed. No picture after 1000 failed requests.
std::optional<QImage> GetClipboardPicture(app::Clipboard& clipboard, const int& format);

// Renders a saved document to the bitmap file through a fresh engine instance and the
// clipboard. Failures show the error box and the snapshot goes on; the caller learns the
// outcome only from whether the bitmap exists.
class PageSnapshot
{
public:
    PageSnapshot(app::Dialogs& dialogs, const AutomationFactory& factory, app::Clipboard& clipboard)
        : mDialogs(dialogs), mFactory(factory), mClipboard(clipboard)
    {}

    void SaveDocAsJPG(QString documentPath);

private:
    app::Dialogs& mDialogs;
    const AutomationFactory& mFactory;
    app::Clipboard& mClipboard;
};

} // namespace docgen
