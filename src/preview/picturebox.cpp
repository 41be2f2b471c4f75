#include "picturebox.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace preview {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage& picture)
{
    mPicture = picture;
    update();
}

void PictureBox::clearPicture()
{
    mPicture = QImage();
    update();
}

void PictureBox::setBackgroundColor(const QColor& color)
{
    mBackground = color;
    update();
}

void PictureBox::setPersistent(bool on)
{
    mPersistent = on;
    if (on)
        fitImage();
    else
        mImage = QImage();
}

void PictureBox::fitImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize devicePixels(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    if (!mImage.isNull() && mImage.size() == devicePixels && mImage.devicePixelRatio() == ratio)
        return;
    QImage next(devicePixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    next.setDevicePixelRatio(ratio);
    next.fill(mBackground);
    if (!mImage.isNull()) {
        QPainter painter(&next);
        painter.drawImage(QPointF(0, 0), mImage);
    }
    mImage = next;
}

void PictureBox::paintStretched(const QImage& source, const QRectF& sourceRect,
                                const QRectF& targetRect)
{
    if (!mPersistent)
        setPersistent(true);
    fitImage();
    QPainter painter(&mImage);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Shrinking averages neighbouring pixels so thin lines survive; enlarging copies
    // pixels, so the page stays crisp instead of being blurred.
    const double deviceWidth = targetRect.width() * mImage.devicePixelRatio();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, deviceWidth < sourceRect.width());
    painter.drawImage(targetRect, source, sourceRect);
    painter.end();
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), mBackground);
    if (!mPicture.isNull())
        painter.drawImage(QPointF(0, 0), mPicture);
    else if (mPersistent && !mImage.isNull())
        painter.drawImage(QPointF(0, 0), mImage);
}

void PictureBox::setBoxSize(const QSize& logicalPixels)
{
    resize(logicalPixels);
    if (mPersistent)
        fitImage();
}

} // namespace preview
