#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace preview {

// The preview window's controls that follow its size, in pixels of its client area.
struct PreviewGeometry
{
    QRect picture2;
    QRect vScroll1;
    QRect hScroll1;
    QRect zoomOri;
    QRect frame1;
    QRect pushButton8;
    QRect pushButton6;
};

// How the preview window's controls follow its size. The page area and its bars stretch
// with the window; the zoom frame and the two buttons below it keep their size and move
// down with the bottom edge; the unscaled copy stays beyond the right edge. At the
// designed size every control is exactly where the design puts it. A notice about the page
// takes a band of its own above the page area, which gives up that height, so the notice
// never covers the page.
class PreviewLayout
{
public:
    // Between the notice's band and the page area.
    static constexpr int kNoticeGap = 4;

    // `minimumPageHeight` is the smallest height of the page area, so that a window at its
    // minimum still shows some of the page above the buttons.
    PreviewLayout(const PreviewGeometry& designed, QSize designedClient, int minimumPageHeight);

    // The designed width and the height at which the page area has its minimum height,
    // below a notice band of `noticeHeight` (0: no notice).
    QSize minimumSize(int noticeHeight = 0) const;
    // The controls for a client area of this size (never below the minimum).
    PreviewGeometry place(QSize client, int noticeHeight = 0) const;
    // Where a notice of that height stands: above the page area and its bar, as wide as both.
    QRect noticeBand(QSize client, int noticeHeight) const;
    // The client size with which a window opens on a screen: its current size, shrunk
    // where the window with its frame would not fit the available area, but never below
    // the minimum.
    QSize openingSize(QSize client, QMargins frame, QSize available) const;

private:
    PreviewGeometry mDesigned;
    QSize mDesignedClient;
    int mMinimumPageHeight = 0;
};

} // namespace preview
