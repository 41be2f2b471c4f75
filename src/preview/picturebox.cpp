#include "picturebox.h"

#include "pagecommands.h"

#include "office/document.h"
#include "office/renderer.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace preview {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PictureBox::~PictureBox() = default;

void PictureBox::setPicture(const QImage& picture)
{
    mPicture = picture;
    mPictureOnScreen = QImage();
    update();
}

QImage PictureBox::takePicture()
{
    QImage picture = std::move(mPicture);
    mPicture = QImage();
    mPictureOnScreen = QImage();
    return picture;
}

void PictureBox::clearPicture()
{
    mPicture = QImage();
    mPictureOnScreen = QImage();
    update();
}

const QImage& PictureBox::pictureOnScreen()
{
    const qreal screenRatio = devicePixelRatioF();
    if (mPicture.devicePixelRatio() <= screenRatio)
        return mPicture;
    // A page finer than the screen is averaged down once, as a zoomed-out page is, so
    // its thin lines survive at its own size too.
    const QSize logical = mPicture.deviceIndependentSize().toSize();
    const QSize devicePixels(std::max(1, qRound(logical.width() * screenRatio)),
                             std::max(1, qRound(logical.height() * screenRatio)));
    if (mPictureOnScreen.size() != devicePixels ||
        mPictureOnScreen.devicePixelRatio() != screenRatio) {
        mPictureOnScreen = areaAveraged(mPicture, mPicture.rect(), devicePixels);
        mPictureOnScreen.setDevicePixelRatio(screenRatio);
    }
    return mPictureOnScreen;
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
    // An image that holds nothing yet shows only the background, so it is made when
    // something is first drawn on it, not at every new page or size.
    if (!mImage.isNull())
        makeImage();
}

void PictureBox::makeImage()
{
    // A sheet is drawn where it shows; a persistent image of its whole size is never made.
    if (mSheet) {
        mImage = QImage();
        return;
    }
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

namespace {
// A whole-number reduction of a 32-bit RGB picture: each target pixel the rounded mean of
// a K x K block. A page of twice the screen's density meets exactly these at 1, 0.5 and
// 0.25, and fixed blocks are summed faster than the general scaler manages.
template <int K>
QImage blockAveraged(const QImage& source, const QRect& sourceRect, const QSize& size)
{
    QImage result(size, QImage::Format_RGB32);
    if (result.isNull())
        return result;
    constexpr quint32 kArea = K * K;
    constexpr quint32 kHalf = kArea / 2;
    for (int y = 0; y < size.height(); ++y) {
        const QRgb* lines[K];
        for (int dy = 0; dy < K; ++dy)
            lines[dy] =
                reinterpret_cast<const QRgb*>(source.constScanLine(sourceRect.y() + y * K + dy)) +
                sourceRect.x();
        QRgb* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            // Red and blue share one word in 16-bit lanes, which a block of up to 256
            // pixels cannot overflow.
            quint32 redBlue = 0;
            quint32 green = 0;
            for (int dy = 0; dy < K; ++dy) {
                for (int dx = 0; dx < K; ++dx) {
                    const QRgb pixel = lines[dy][x * K + dx];
                    redBlue += pixel & 0x00FF00FFu;
                    green += pixel & 0x0000FF00u;
                }
            }
            out[x] = 0xFF000000u | ((((redBlue >> 16) + kHalf) / kArea) << 16) |
                     ((((green >> 8) + kHalf) / kArea) << 8) |
                     (((redBlue & 0xFFFFu) + kHalf) / kArea);
        }
    }
    return result;
}
} // namespace

QImage areaAveraged(const QImage& source, const QRect& sourceRect, const QSize& devicePixels)
{
    const QRect part = sourceRect.intersected(source.rect());
    const int k = devicePixels.width() > 0 ? part.width() / devicePixels.width() : 0;
    if (source.format() == QImage::Format_RGB32 && part.size() == devicePixels * k) {
        if (k == 2)
            return blockAveraged<2>(source, part, devicePixels);
        if (k == 4)
            return blockAveraged<4>(source, part, devicePixels);
        if (k == 8)
            return blockAveraged<8>(source, part, devicePixels);
    }
    const QImage region = part == source.rect() ? source : source.copy(part);
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
    makeImage();
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

void PictureBox::setSheet(std::shared_ptr<const office::Document> document,
                          const QList<QRectF>& cutFramesPt)
{
    mSheet = std::move(document);
    mCutFramesPt = cutFramesPt;
    mSheetShown = false;
    mSheetDrawing = QImage();
    mSheetDrawingRect = QRect();
    if (mPersistent)
        fitImage();
    update();
}

void PictureBox::setCutFrames(const QList<QRectF>& cutFramesPt)
{
    mCutFramesPt = cutFramesPt;
    mSheetDrawing = QImage();
    update();
}

void PictureBox::showSheet()
{
    mSheetShown = mSheet != nullptr;
    mSheetDrawing = QImage();
    mSheetDrawingRect = QRect();
    update();
}

QImage PictureBox::drawSheet(const QRect& area) const
{
    const office::PageSetup& page = mSheet->page();
    if (area.isEmpty() || width() <= 0 || height() <= 0 || !(page.widthPt > 0) ||
        !(page.heightPt > 0))
        return {};
    // The sheet fills the box, so the box's size is the zoom.
    const double xPtPerPixel = page.widthPt / width();
    const double yPtPerPixel = page.heightPt / height();
    const QRectF regionPt(area.x() * xPtPerPixel, area.y() * yPtPerPixel,
                          area.width() * xPtPerPixel, area.height() * yPtPerPixel);
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(std::max(1, qRound(area.width() * ratio)),
                       std::max(1, qRound(area.height() * ratio)));
    try {
        QImage drawing = office::renderRegion(*mSheet, regionPt, pixels);
        markCutCallouts(drawing, regionPt, mCutFramesPt);
        drawing.setDevicePixelRatio(ratio);
        return drawing;
    } catch (...) {
        // A sheet the renderer refuses shows blank; the press that made it reports it.
        return {};
    }
}

void PictureBox::paintSheet(QPainter& painter, const QRect& exposed)
{
    if (!mSheetDrawing.isNull() && mSheetDrawingRect.contains(exposed)) {
        painter.drawImage(mSheetDrawingRect.topLeft(), mSheetDrawing);
        return;
    }
    // What the viewport shows of the box, with a band around it, is drawn and kept.
    const QRect inView = visibleRegion().boundingRect().united(exposed);
    const QRect area =
        inView.adjusted(-kSheetBandPixels, -kSheetBandPixels, kSheetBandPixels, kSheetBandPixels)
            .intersected(rect());
    const qreal ratio = devicePixelRatioF();
    const auto devicePixels = [ratio](const QRect& r) {
        return qint64(r.width() * ratio) * qint64(r.height() * ratio);
    };
    if (devicePixels(area) <= office::kMaxRenderPixels) {
        mSheetDrawing = drawSheet(area);
        mSheetDrawingRect = mSheetDrawing.isNull() ? QRect() : area;
        painter.drawImage(area.topLeft(), mSheetDrawing);
        return;
    }
    // Asked for more than one drawing may hold (a grab of a box far larger than the
    // screen): drawn in bands, none kept.
    const int bandHeight =
        std::max(1, int(office::kMaxRenderPixels /
                        std::max<qint64>(1, qint64(exposed.width() * ratio)) / ratio) -
                        1);
    for (int top = exposed.top(); top <= exposed.bottom(); top += bandHeight) {
        const QRect band(exposed.left(), top, exposed.width(),
                         std::min(bandHeight, exposed.bottom() + 1 - top));
        painter.drawImage(band.topLeft(), drawSheet(band));
    }
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), mBackground);
    if (!mPicture.isNull())
        painter.drawImage(QPointF(0, 0), pictureOnScreen());
    else if (mSheetShown)
        paintSheet(painter, event->rect());
    else if (mPersistent && !mImage.isNull())
        painter.drawImage(QPointF(0, 0), mImage);
}

void PictureBox::setBoxSize(const QSize& logicalPixels)
{
    if (logicalPixels != size()) {
        mSheetDrawing = QImage();
        mSheetDrawingRect = QRect();
    }
    resize(logicalPixels);
    if (mPersistent)
        fitImage();
}

} // namespace preview
