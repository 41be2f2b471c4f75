#include "clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace app {

bool PictureClipboard::requestPicture(int format, QImage& picture)
{
    Q_UNUSED(format);
    if (mPicture.isNull())
        return false;
    picture = mPicture;
    return true;
}

void SystemClipboard::setPicture(const QImage& picture)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(picture);
}

void SystemClipboard::setPictureWithSvg(const QImage& picture, const QByteArray& svg)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto* data = new QMimeData;
    data->setImageData(picture);
    data->setData(QStringLiteral("image/svg+xml"), svg);
    clipboard->setMimeData(data);
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
