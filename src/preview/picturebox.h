#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QWidget>

#include <memory>

namespace office {
class Document;
}

namespace preview {

// The `sourceRect` part of `source` shrunk to `devicePixels`, each pixel the average of
// the source area it covers.
QImage areaAveraged(const QImage& source, const QRect& sourceRect, const QSize& devicePixels);

// A picture box: an assigned picture shown at its logical size, or, once that is
// removed, whatever was painted into the box's persistent image. The persistent image has
// the device pixel ratio of the screen, so what is painted into it keeps the full
// resolution of its source. A box given a sheet instead draws the sheet from its document,
// filling the box at whatever size it has, and only where the box shows: it keeps one
// drawing of the part in view and a band around it, so a sheet zoomed far beyond the
// screen costs no more memory than the screen does.
class PictureBox : public QWidget
{
public:
    // The band drawn around the part in view, so that a short scroll draws nothing new.
    static constexpr int kSheetBandPixels = 192;

    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

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

    // The sheet to draw once the assigned picture is removed, with the callouts to mark as
    // cut (frames in points on the sheet); null goes back to the persistent image.
    void setSheet(std::shared_ptr<const office::Document> document,
                  const QList<QRectF>& cutFramesPt);
    void setCutFrames(const QList<QRectF>& cutFramesPt);
    bool hasSheet() const { return mSheet != nullptr; }
    // Shows the sheet at the box's size from now on, drawn afresh.
    void showSheet();
    // The drawing of the sheet kept for painting, and where it stands in the box (logical
    // pixels); null before the sheet was painted at this size.
    const QImage& sheetDrawing() const { return mSheetDrawing; }
    QRect sheetDrawingRect() const { return mSheetDrawingRect; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitImage();
    void makeImage();
    void paintSheet(QPainter& painter, const QRect& exposed);
    // The sheet's part under `area` (logical pixels of the box) at the box's scale.
    QImage drawSheet(const QRect& area) const;
    // The assigned picture as the screen shows it.
    const QImage& pictureOnScreen();

    QImage mPicture;
    QImage mPictureOnScreen;
    QImage mImage;
    QColor mBackground{255, 255, 255};
    bool mPersistent = false;
    std::shared_ptr<const office::Document> mSheet;
    QList<QRectF> mCutFramesPt;
    bool mSheetShown = false;
    QImage mSheetDrawing;
    QRect mSheetDrawingRect;
};

} // namespace preview
