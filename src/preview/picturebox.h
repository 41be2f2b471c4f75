#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace preview {

// The `sourceRect` part of `source` shrunk to `devicePixels`, each pixel the average of
// the source area it covers.
QImage areaAveraged(const QImage& source, const QRect& sourceRect, const QSize& devicePixels);

// A picture box: an assigned picture shown at its logical size, or, once that is
// removed, whatever was painted into the box's persistent image. The persistent image has
// the device pixel ratio of the screen, so what is painted into it keeps the full
// resolution of its source.
class PictureBox : public QWidget
{
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    void clearPicture();
    // Hands the picture over and clears the box, so the caller may change it in place.
    QImage takePicture();
    bool hasPicture() const { return !mPicture.isNull(); }
    const QImage& picture() const { return mPicture; }

    void setBackgroundColor(const QColor& color);
    // Resizes the box; a persistent image follows at once, also while the box is hidden.
    void setBoxSize(const QSize& logicalPixels);
    // Turns on the persistent image; it follows the box's size from then on, keeping what
    // was painted and filling new parts with the background.
    void setPersistent(bool on);
    bool persistent() const { return mPersistent; }
    const QImage& image() const { return mImage; }

    // Paints `sourceRect` (pixels of `source`) stretched into `targetRect` (logical pixels
    // of this box) into the persistent image: averaged over areas when it shrinks, pixels
    // copied when it grows.
    void paintStretched(const QImage& source, const QRectF& sourceRect, const QRectF& targetRect);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitImage();
    // The assigned picture as the screen shows it.
    const QImage& pictureOnScreen();

    QImage mPicture;
    QImage mPictureOnScreen;
    QImage mImage;
    QColor mBackground{255, 255, 255};
    bool mPersistent = false;
};

} // namespace preview
