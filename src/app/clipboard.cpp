#include "clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace app {

void SystemClipboard::setPicture(const QImage& picture)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(picture);
}

bool SystemClipboard::requestPicture(int format, QImage& picture)
{
    Q_UNUSED(format);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasImage())
        return false;
    QImage image = clipboard->image();
    if (image.isNull())
        return false;
    picture = image;
    return true;
}

void SystemClipboard::setText(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

QString SystemClipboard::text() const
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

} // namespace app
