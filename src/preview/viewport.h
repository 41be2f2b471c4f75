#pragma once

#include <cstdint>
#include <functional>
#include <limits>

namespace app {
class Dialogs;
}

namespace preview {

// Every length here is in twips (1/1440 inch). The window converts them to pixels with the
// screen's logical DPI only when it places or paints a widget.

// The whole-number conversions of the viewport. Each throws app::Failure("Overflow") when
// the value does not fit (or is not a number), so that the calling trap reports it.
// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::int32_t toInt32(double value);
std::int16_t toInt16(double value);
// The largest whole number not above the value.
std::int32_t floorToInt32(double value);

enum class Bar
{
    Horizontal,
    Vertical
};

// A scroll bar as plain values. The minimum is always 0.
struct ScrollBarState
{
    bool enabled = true;
    std::int16_t max = 32767;
    std::int16_t value = 0;
};

// A picture box: its position in the client area of its container, its outer size (with
// the border) and its inner size (without it).
struct BoxState
{
    float left = 0.0f;
    float top = 0.0f;
    double outerWidth = 0.0;
    double outerHeight = 0.0;
    double innerWidth = 0.0;
    double innerHeight = 0.0;
    bool hasPicture = false;
    // The logical size of the picture assigned to the box.
    double pictureWidth = 0.0;
    double pictureHeight = 0.0;
};

// What the viewport did, in order; the window mirrors each onto its widgets and a test
// records them.
enum class Effect
{
    PictureMoved,      // Picture1 left/top
    PictureResized,    // Picture1 outer size (the persistent image follows it)
    PictureCleared,    // the picture assigned to Picture1 was removed
    PicturePersistent, // Picture1 keeps what is painted into it
    PictureWhite,      // Picture1 background set to white
    PagePainted,       // Zoom_Ori's page stretched into Picture1 at the zoomed size
    PointerReset,      // the window's pointer went to the default arrow
    ZoomOriHidden,
    ZoomOriResized,
    ZoomOriAssigned, // Zoom_Ori now holds the delivered page
    HBarChanged,     // enabled, max or value of HScroll1
    VBarChanged,     // likewise for VScroll1
};

// The preview's viewport: the page picture Picture1 inside the fixed frame Picture2, the
// hidden unscaled copy Zoom_Ori, the two bars, the zoom factor and the drag. A new page
// is assigned, the next activation prepares it (zoom 1.0, bars set up); the zoom commands
// repaint at 0.25 steps within the size limits; the bars and drags move Picture1. Trapped
// procedures report failures through the dialogs and go on with their next statement.
class Viewport
{
public:
    static constexpr float kMinZoom = 0.25f;
    static constexpr float kMaxZoom = 4.0f;
    static constexpr float kZoomStep = 0.25f;
    // A zoomed page picture this wide or high (or more) is not painted: a stretched picture
    // is held whole, so its size is what it costs.
    static constexpr std::int32_t kWidthLimitTwips = 14500;
    static constexpr std::int32_t kHeightLimitTwips = 6600;
    // A sheet drawn from its document is drawn only where it shows, so no size is too large.
    static constexpr std::int32_t kNoSizeLimit = std::numeric_limits<std::int32_t>::max();

    explicit Viewport(app::Dialogs& dialogs);

    void setEffectSink(std::function<void(Effect)> sink) { mSink = std::move(sink); }

    // Geometry read from the widgets (in twips).
    void setViewportSize(double outerWidth, double outerHeight, double innerWidth,
                         double innerHeight);
    void setPicture1Size(double outerWidth, double outerHeight);
    // The viewport took a new size (the window was resized): each bar whose length changed
    // takes the range of the new size and keeps the page where it is, as far as the new
    // range allows. A range too large for a bar leaves that bar as it was.
    void resizeViewport(double outerWidth, double outerHeight, double innerWidth,
                        double innerHeight);
    void setZoomOriSize(double outerWidth, double outerHeight);
    // The sizes at which a zoomed page is no longer painted (twips, not included).
    void setSizeLimits(std::int32_t widthTwips, std::int32_t heightTwips);

    // A new page for Picture1; the next activation prepares the viewport for it.
    void assignPicture(double widthTwips, double heightTwips);
    void setFirstActivate(bool value) { mFirstActivate = value; }

    // Trapped procedures, each with its own location label.
    void formActivate();
    void redrawImage();
    void zoomIn();
    void zoomOut();
    // Zooms to fitZoom() with the page at the corner; nothing without a page.
    void zoomToFit();
    void mouseDown(float xTwips, float yTwips);
    void mouseMove(int buttons, float xTwips, float yTwips);
    void mouseUp();

    // Without a trap: a failure goes to the caller.
    void setupScrollbars();
    void stepZoom(std::int32_t direction);
    void setZoom(const float& factor);
    // The largest zoom at which the whole page fits inside the viewport and stays under the
    // size limits, within kMinZoom..kMaxZoom; 0 before a page has been prepared.
    float fitZoom() const;
    // The zoom the page is shown at. It differs from mZoom only after a zoom met the size
    // limit, which resets mZoom but leaves the page as it was.
    float shownZoom() const { return mShownZoom; }
    void setBarByPercent(Bar bar, const std::int16_t& percent);

    // Assigns a bar's value; when it changes, the bar's change handler runs (user
    // scrolling arrives here too).
    void setBarValue(Bar bar, std::int16_t value);
    void setBarMax(Bar bar, std::int16_t max);
    void setBarEnabled(Bar bar, bool enabled);

    // How far one arrow click and one track click move a bar, in bar positions: about
    // ten pixels (150 twips at 96 DPI) and one viewport.
    int arrowStep(Bar bar, double twipsPerPixel) const;
    int pageStep(Bar bar) const;

    const BoxState& picture1() const { return mPicture1; }
    const BoxState& picture2() const { return mPicture2; }
    const BoxState& zoomOri() const { return mZoomOri; }
    const ScrollBarState& bar(Bar which) const;
    bool zoomOriVisible() const { return mZoomOriVisible; }
    bool picturePersistent() const { return mPersistent; }
    bool autoSize() const { return mAutoSize; }

    float mDragX = 0.0f;
    float mDragY = 0.0f;
    std::int16_t mHStep = 0;
    std::int16_t mVStep = 0;
    std::int32_t mBaseWidth = 0;
    std::int32_t mBaseHeight = 0;
    std::int32_t mZoomWidth = 0;
    std::int32_t mZoomHeight = 0;
    float mZoom = 1.0f;
    bool mFirstActivate = true;

private:
    void notify(Effect effect) const;
    void movePicture1(float left, float top);
    void barChange(Bar bar);
    void setupBar(Bar bar);
    void refitBar(Bar bar);
    ScrollBarState& barState(Bar bar);

    app::Dialogs& mDialogs;
    std::function<void(Effect)> mSink;
    BoxState mPicture1;
    BoxState mPicture2;
    BoxState mZoomOri;
    ScrollBarState mHBar;
    ScrollBarState mVBar;
    bool mZoomOriVisible = true;
    bool mPersistent = false;
    bool mAutoSize = false;
    float mShownZoom = 1.0f;
    std::int32_t mWidthLimitTwips = kWidthLimitTwips;
    std::int32_t mHeightLimitTwips = kHeightLimitTwips;
};

} // namespace preview
