#include "picturebox.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
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

QImage areaAveraged(const QImage& source, const QRect& sourceRect, const QSize& devicePixels)
{
    const QImage region = sourceRect == source.rect() ? source : source.copy(sourceRect);
    // Qt's smooth scaling averages every source pixel a target pixel covers when it
    // shrinks, unlike the painter's filter, which blends only the nearest neighbours.
    QImage reduced = region.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    reduced.setDevicePixelRatio(1.0);
    return reduced;
}

void PictureBox::paintStretched(const QImage& source, const QRectF& sourceRect,
                                const QRectF& targetRect)
{
    if (!mPersistent)
        setPersistent(true);
    fitImage();
    QPainter painter(&mImage);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal ratio = mImage.devicePixelRatio();
    const QRect deviceTarget(QPoint(qRound(targetRect.x() * ratio), qRound(targetRect.y() * ratio)),
                             QSize(std::max(1, qRound(targetRect.width() * ratio)),
                                   std::max(1, qRound(targetRect.height() * ratio))));
    if (deviceTarget.width() < sourceRect.width() || deviceTarget.height() < sourceRect.height()) {
        // Shrinking: each screen pixel is the average of the page area under it, so a
        // line thinner than the reduction fades but never drops out.
        const QImage reduced =
            areaAveraged(source, sourceRect.toAlignedRect(), deviceTarget.size());
        painter.resetTransform();
        painter.drawImage(deviceTarget.topLeft(), reduced);
    } else {
        // Enlarging copies pixels, so the page stays crisp instead of being blurred.
        painter.drawImage(targetRect, source, sourceRect);
    }
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
