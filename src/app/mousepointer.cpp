#include "mousepointer.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>

namespace app {
namespace {
// A .cur file keeps the hot spot of its first image at bytes 10..13 of the directory
// (little-endian x, then y), after the 6-byte header and the entry's first 4 bytes.
bool readCursorHotSpot(const QString& path, int& x, int& y)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(14);
    if (head.size() < 14 || head.at(0) != 0 || head.at(1) != 0 || head.at(2) != 2)
        return false;
    const auto byte = [&](int i) { return static_cast<unsigned char>(head.at(i)); };
    x = byte(10) | (byte(11) << 8);
    y = byte(12) | (byte(13) << 8);
    return true;
}
} // namespace

std::optional<QCursor> loadCursorFile(const QString& path)
{
    QImageReader reader(path, "cur");
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    int hotX = -1;
    int hotY = -1;
    if (!readCursorHotSpot(path, hotX, hotY) || hotX >= image.width() || hotY >= image.height()) {
        hotX = -1;
        hotY = -1;
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

void showPointer(QWidget* window, MousePointer pointer, const std::optional<QCursor>& custom)
{
    switch (pointer) {
    case MousePointer::Hourglass:
        window->setCursor(Qt::WaitCursor);
        break;
    case MousePointer::Custom:
        if (custom)
            window->setCursor(*custom);
        else
            window->setCursor(Qt::ArrowCursor);
        break;
    case MousePointer::Default:
        window->setCursor(Qt::ArrowCursor);
        break;
    }
}

} // namespace app
