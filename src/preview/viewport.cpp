#include "viewport.h"

#include "app/errortrap.h"
#include "app/failure.h"
#include "app/locationlabels.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace preview {
namespace {

[[noreturn]] void overflow()
{
    throw app::Failure(QStringLiteral("Overflow"));
}

double roundHalfToEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

template <typename Int> Int checked(double whole)
{
    if (!std::isfinite(whole) || whole < double(std::numeric_limits<Int>::min()) ||
        whole > double(std::numeric_limits<Int>::max()))
        overflow();
    return static_cast<Int>(whole);
}

// The share of the overflow that the page has been moved by, in percent.
double percentMoved(float offsetTwips, double overflowTwips)
{
    if (overflowTwips == 0.0)
        throw app::Failure(QStringLiteral("Division by zero"));
    return std::fabs(double(offsetTwips)) / overflowTwips * 100.0;
}

// A bar's range for a page this much larger than the viewport: one twip a position up to
// 100 twips, ten above that.
struct BarRange
{
    std::int16_t max = 0;
    std::int16_t step = 0;
};

BarRange barRange(float overflowTwips)
{
    if (overflowTwips <= 100.0f)
        return {toInt16(overflowTwips), 1};
    return {toInt16(double(overflowTwips) / 10.0), 10};
}

} // namespace

std::int32_t toInt32(double value)
{
    return checked<std::int32_t>(std::isfinite(value) ? roundHalfToEven(value) : value);
}

std::int16_t toInt16(double value)
{
    return checked<std::int16_t>(std::isfinite(value) ? roundHalfToEven(value) : value);
}

std::int32_t floorToInt32(double value)
{
    return checked<std::int32_t>(std::isfinite(value) ? std::floor(value) : value);
}

Viewport::Viewport(app::Dialogs& dialogs) : mDialogs(dialogs)
{
    // Design sizes of the boxes; the window replaces them with what its widgets measure.
    mPicture2.outerWidth = mPicture2.innerWidth = 9330;
    mPicture2.outerHeight = mPicture2.innerHeight = 7425;
    mPicture1.outerWidth = mPicture1.innerWidth = 2340;
    mPicture1.outerHeight = mPicture1.innerHeight = 3435;
    mZoomOri.left = 10320;
    mZoomOri.top = 480;
    mZoomOri.outerWidth = mZoomOri.innerWidth = 735;
    mZoomOri.outerHeight = mZoomOri.innerHeight = 375;
}

void Viewport::notify(Effect effect) const
{
    if (mSink)
        mSink(effect);
}

void Viewport::setViewportSize(double outerWidth, double outerHeight, double innerWidth,
                               double innerHeight)
{
    mPicture2.outerWidth = outerWidth;
    mPicture2.outerHeight = outerHeight;
    mPicture2.innerWidth = innerWidth;
    mPicture2.innerHeight = innerHeight;
}

// Picture1 and Zoom_Ori are borderless, so their inner size is their outer size.
void Viewport::setPicture1Size(double outerWidth, double outerHeight)
{
    mPicture1.outerWidth = mPicture1.innerWidth = outerWidth;
    mPicture1.outerHeight = mPicture1.innerHeight = outerHeight;
    notify(Effect::PictureResized);
}

void Viewport::setZoomOriSize(double outerWidth, double outerHeight)
{
    mZoomOri.outerWidth = mZoomOri.innerWidth = outerWidth;
    mZoomOri.outerHeight = mZoomOri.innerHeight = outerHeight;
    notify(Effect::ZoomOriResized);
}

void Viewport::setSizeLimits(std::int32_t widthTwips, std::int32_t heightTwips)
{
    mWidthLimitTwips = widthTwips;
    mHeightLimitTwips = heightTwips;
}

void Viewport::assignPicture(double widthTwips, double heightTwips)
{
    mPicture1.hasPicture = true;
    mPicture1.pictureWidth = widthTwips;
    mPicture1.pictureHeight = heightTwips;
    if (mAutoSize)
        setPicture1Size(widthTwips, heightTwips);
    mFirstActivate = true;
}

void Viewport::formActivate()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2Activate));
    if (trap.test(100, [&] { return mFirstActivate; })) {
        trap.step(104, [&] {
            mPersistent = true;
            notify(Effect::PicturePersistent);
        });
        trap.step(106, [&] {
            mAutoSize = true;
            if (mPicture1.hasPicture)
                setPicture1Size(mPicture1.pictureWidth, mPicture1.pictureHeight);
        });
        trap.step(110, [&] { notify(Effect::PictureWhite); });
        trap.step(116, [&] {
            mZoomOriVisible = false;
            notify(Effect::ZoomOriHidden);
        });
        trap.step(118, [&] { setZoomOriSize(mPicture1.outerWidth, mZoomOri.outerHeight); });
        trap.step(120, [&] { setZoomOriSize(mZoomOri.outerWidth, mPicture1.outerHeight); });
        trap.step(122, [&] {
            mZoomOri.hasPicture = mPicture1.hasPicture;
            mZoomOri.pictureWidth = mPicture1.pictureWidth;
            mZoomOri.pictureHeight = mPicture1.pictureHeight;
            notify(Effect::ZoomOriAssigned);
        });
        trap.step(124, [&] {
            mZoom = 1.0f;
            // Painted or too large to paint, the delivered page shows at its own size.
            mShownZoom = 1.0f;
        });
        trap.step(126, [&] { mBaseWidth = toInt32(mZoomOri.innerWidth - 2.0); });
        trap.step(128, [&] { mBaseHeight = toInt32(mZoomOri.innerHeight - 2.0); });
        trap.step(130, [&] { mZoomWidth = floorToInt32(double(mBaseWidth) * 1.0); });
        trap.step(132, [&] { mZoomHeight = floorToInt32(double(mBaseHeight) * 1.0); });
        trap.step(134, [&] { redrawImage(); });
        trap.step(136, [&] { setupScrollbars(); });
    }
    trap.step(138, [&] { mFirstActivate = false; });
}

void Viewport::redrawImage()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2RedrawImage));
    trap.step(100, [&] { mZoomWidth = floorToInt32(double(mBaseWidth) * double(mZoom)); });
    trap.step(102, [&] { mZoomHeight = floorToInt32(double(mBaseHeight) * double(mZoom)); });
    if (trap.test(104, [&] {
            return mZoomWidth < mWidthLimitTwips && mZoomHeight < mHeightLimitTwips;
        })) {
        trap.step(106, [&] {
            mPicture1.hasPicture = false;
            notify(Effect::PictureCleared);
        });
        trap.step(108, [&] { setPicture1Size(mZoomWidth, mPicture1.outerHeight); });
        trap.step(110, [&] { setPicture1Size(mPicture1.outerWidth, mZoomHeight); });
        trap.step(112, [&] {
            mShownZoom = mZoom;
            notify(Effect::PagePainted);
        });
        trap.step(114, [&] { notify(Effect::PointerReset); });
        trap.step(116, [&] { setBarValue(Bar::Horizontal, 0); });
        trap.step(118, [&] { setBarValue(Bar::Vertical, 0); });
        return;
    }
    // Too large: nothing is painted, Picture1 keeps what it shows, only the factor resets.
    trap.step(124, [&] { mZoom = 1.0f; });
    trap.step(126, [&] { mBaseWidth = toInt32(mZoomOri.innerWidth - 2.0); });
    trap.step(128, [&] { mBaseHeight = toInt32(mZoomOri.innerHeight - 2.0); });
    trap.step(130, [&] { mZoomWidth = floorToInt32(double(mBaseWidth) * 1.0); });
    trap.step(132, [&] { mZoomHeight = floorToInt32(double(mBaseHeight) * 1.0); });
}

void Viewport::setupScrollbars()
{
    mPicture1.top = 0.0f;
    notify(Effect::PictureMoved);
    mPicture1.left = 0.0f;
    notify(Effect::PictureMoved);
    setupBar(Bar::Horizontal);
    setupBar(Bar::Vertical);
}

void Viewport::setupBar(Bar bar)
{
    const bool horizontal = bar == Bar::Horizontal;
    const double pageSize = horizontal ? mPicture1.outerWidth : mPicture1.outerHeight;
    const double viewSize = horizontal ? mPicture2.outerWidth : mPicture2.outerHeight;
    std::int16_t& step = horizontal ? mHStep : mVStep;
    if (pageSize <= viewSize) {
        setBarEnabled(bar, false);
        step = 0;
        return;
    }
    const float overflowTwips = static_cast<float>(pageSize - viewSize);
    setBarEnabled(bar, true);
    const BarRange range = barRange(overflowTwips);
    setBarMax(bar, range.max);
    step = range.step;
    setBarValue(bar, 0);
}

void Viewport::resizeViewport(double outerWidth, double outerHeight, double innerWidth,
                              double innerHeight)
{
    const bool wider = outerWidth != mPicture2.outerWidth;
    const bool higher = outerHeight != mPicture2.outerHeight;
    setViewportSize(outerWidth, outerHeight, innerWidth, innerHeight);
    for (const Bar bar : {Bar::Horizontal, Bar::Vertical}) {
        if (!(bar == Bar::Horizontal ? wider : higher))
            continue;
        try {
            refitBar(bar);
        } catch (const app::Failure&) {
            // Only a page already reported when it was prepared has such a range.
        }
    }
}

void Viewport::refitBar(Bar bar)
{
    const bool horizontal = bar == Bar::Horizontal;
    const double pageSize = horizontal ? mPicture1.outerWidth : mPicture1.outerHeight;
    const double viewSize = horizontal ? mPicture2.outerWidth : mPicture2.outerHeight;
    const double scrolled = -double(horizontal ? mPicture1.left : mPicture1.top);
    std::int16_t& step = horizontal ? mHStep : mVStep;
    if (pageSize <= viewSize) {
        setBarEnabled(bar, false);
        step = 0;
        if (scrolled != 0.0)
            movePicture1(horizontal ? 0.0f : mPicture1.left, horizontal ? mPicture1.top : 0.0f);
        return;
    }
    // Computed first: a range that does not fit a bar changes nothing.
    const BarRange range = barRange(static_cast<float>(pageSize - viewSize));
    setBarEnabled(bar, true);
    step = range.step;
    setBarMax(bar, range.max);
    ScrollBarState& state = barState(bar);
    state.value =
        static_cast<std::int16_t>(std::clamp(std::lround(scrolled / step), 0L, long(range.max)));
    notify(horizontal ? Effect::HBarChanged : Effect::VBarChanged);
    // The page goes where the bar now says, which is where it was when the range allows.
    barChange(bar);
}

void Viewport::zoomIn()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2ZoomIn));
    trap.step(100, [&] { stepZoom(0); });
}

void Viewport::zoomOut()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2ZoomOut));
    trap.step(100, [&] { stepZoom(1); });
}

void Viewport::zoomToFit()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2ZoomToFit));
    trap.step(100, [&] {
        const float zoom = fitZoom();
        if (zoom > 0.0f)
            setZoom(zoom);
    });
}

void Viewport::stepZoom(std::int32_t direction)
{
    // After a fit the zoom may lie between two steps; the next step goes to the nearer
    // step value that way, so the zoom is back on the steps of 0.25.
    const float steps = mZoom / kZoomStep;
    if (steps != std::floor(steps)) {
        setZoom((direction == 0 ? std::ceil(steps) : std::floor(steps)) * kZoomStep);
        return;
    }
    const float candidate = direction == 0 ? mZoom + kZoomStep : mZoom - kZoomStep;
    setZoom(candidate);
}

float Viewport::fitZoom() const
{
    if (mBaseWidth <= 0 || mBaseHeight <= 0)
        return 0.0f;
    const double width = mBaseWidth;
    const double height = mBaseHeight;
    // The same sizes redrawImage() gives the page, so what fits here fits there.
    const auto fits = [&](float zoom) {
        const double zoomWidth = std::floor(width * double(zoom));
        const double zoomHeight = std::floor(height * double(zoom));
        return zoomWidth <= mPicture2.innerWidth && zoomHeight <= mPicture2.innerHeight &&
               zoomWidth < mWidthLimitTwips && zoomHeight < mHeightLimitTwips;
    };
    float zoom = static_cast<float>(
        std::min({mPicture2.innerWidth / width, mPicture2.innerHeight / height,
                  mWidthLimitTwips / width, mHeightLimitTwips / height, double(kMaxZoom)}));
    // The quotient is rounded to a float, and a limit is not reached but must stay
    // below; a few of the smallest steps down find the largest zoom that truly fits.
    for (int i = 0; i < 64 && zoom > kMinZoom && !fits(zoom); ++i)
        zoom = std::nextafter(zoom, 0.0f);
    return std::max(zoom, kMinZoom);
}

void Viewport::setZoom(const float& factor)
{
    if (factor < kMinZoom || factor > kMaxZoom)
        return;
    mZoom = factor;
    redrawImage();
    setupScrollbars();
}

ScrollBarState& Viewport::barState(Bar bar)
{
    return bar == Bar::Horizontal ? mHBar : mVBar;
}

const ScrollBarState& Viewport::bar(Bar which) const
{
    return which == Bar::Horizontal ? mHBar : mVBar;
}

void Viewport::setBarValue(Bar bar, std::int16_t value)
{
    ScrollBarState& state = barState(bar);
    if (value < 0 || value > state.max)
        throw app::Failure(QStringLiteral("Invalid property value"));
    if (value == state.value)
        return;
    state.value = value;
    notify(bar == Bar::Horizontal ? Effect::HBarChanged : Effect::VBarChanged);
    barChange(bar);
}

void Viewport::setBarMax(Bar bar, std::int16_t max)
{
    ScrollBarState& state = barState(bar);
    if (max < 0)
        throw app::Failure(QStringLiteral("Invalid property value"));
    if (max == state.max)
        return;
    state.max = max;
    const bool clamped = state.value > max;
    if (clamped)
        state.value = max;
    notify(bar == Bar::Horizontal ? Effect::HBarChanged : Effect::VBarChanged);
    // A bar whose range shrinks below its value moves, and that is a change like any other.
    if (clamped)
        barChange(bar);
}

void Viewport::setBarEnabled(Bar bar, bool enabled)
{
    ScrollBarState& state = barState(bar);
    if (state.enabled == enabled)
        return;
    state.enabled = enabled;
    notify(bar == Bar::Horizontal ? Effect::HBarChanged : Effect::VBarChanged);
}

// The product is taken in 32 bits: a delivered page too large to be repainted can overflow
// the viewport by more than 32767 twips, and the bars still have to reach its end.
void Viewport::barChange(Bar bar)
{
    if (bar == Bar::Horizontal)
        movePicture1(-static_cast<float>(std::int32_t(mHStep) * mHBar.value), mPicture1.top);
    else
        movePicture1(mPicture1.left, -static_cast<float>(std::int32_t(mVStep) * mVBar.value));
}

void Viewport::movePicture1(float left, float top)
{
    mPicture1.left = left;
    mPicture1.top = top;
    notify(Effect::PictureMoved);
}

void Viewport::setBarByPercent(Bar bar, const std::int16_t& percent)
{
    if (percent < 0 || percent > 100)
        return;
    setBarValue(bar, toInt16(double(percent) / 100.0 * double(barState(bar).max)));
}

int Viewport::arrowStep(Bar bar, double twipsPerPixel) const
{
    const int step = bar == Bar::Horizontal ? mHStep : mVStep;
    if (step <= 0)
        return 1;
    return std::max(1, int(std::lround(10.0 * twipsPerPixel / step)));
}

int Viewport::pageStep(Bar bar) const
{
    const int step = bar == Bar::Horizontal ? mHStep : mVStep;
    const double view = bar == Bar::Horizontal ? mPicture2.innerWidth : mPicture2.innerHeight;
    if (step <= 0)
        return 1;
    return std::max(1, int(std::lround(view / step)));
}

void Viewport::mouseDown(float xTwips, float yTwips)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2MouseDown));
    trap.step(100, [&] { mDragX = xTwips; });
    trap.step(102, [&] { mDragY = yTwips; });
}

void Viewport::mouseMove(int buttons, float xTwips, float yTwips)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2MouseMove));
    if (trap.test(100, [&] { return buttons == 0; }))
        return;
    float newLeft = 0.0f;
    float newTop = 0.0f;
    float limit = 0.0f;
    trap.step(104, [&] { newLeft = mPicture1.left - mDragX + xTwips; });
    if (trap.test(106, [&] { return newLeft > 0.0f; })) {
        trap.step(108, [&] { newLeft = 0.0f; });
    } else if (trap.test(110, [&] {
                   limit = static_cast<float>(mPicture2.innerWidth - mPicture1.outerWidth);
                   return limit > newLeft;
               })) {
        trap.step(112, [&] {
            newLeft = static_cast<float>(mPicture2.innerWidth - mPicture1.outerWidth);
        });
    }
    // A page narrower than the viewport's inside has no place between the two bounds and
    // would jump from one edge to the other on every move; it stays where it stands.
    trap.step(112, [&] {
        if (mPicture2.innerWidth - mPicture1.outerWidth > 0.0)
            newLeft = mPicture1.left;
    });
    trap.step(114, [&] { newTop = mPicture1.top - mDragY + yTwips; });
    if (trap.test(116, [&] { return newTop > 0.0f; })) {
        trap.step(118, [&] { newTop = 0.0f; });
    } else if (trap.test(120, [&] {
                   limit = static_cast<float>(mPicture2.innerHeight - mPicture1.outerHeight);
                   return limit > newTop;
               })) {
        trap.step(122, [&] {
            newTop = static_cast<float>(mPicture2.innerHeight - mPicture1.outerHeight);
        });
    }
    trap.step(122, [&] {
        if (mPicture2.innerHeight - mPicture1.outerHeight > 0.0)
            newTop = mPicture1.top;
    });
    trap.step(124, [&] { movePicture1(newLeft, newTop); });
}

void Viewport::mouseUp()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm2MouseUp));
    std::int32_t horizontalPercent = 0;
    std::int32_t verticalPercent = 0;
    trap.step(100, [&] {
        horizontalPercent =
            toInt32(percentMoved(mPicture1.left, mPicture1.outerWidth - mPicture2.outerWidth));
    });
    trap.step(102, [&] {
        verticalPercent =
            toInt32(percentMoved(mPicture1.top, mPicture1.outerHeight - mPicture2.outerHeight));
    });
    trap.step(104, [&] {
        const std::int16_t percent = toInt16(horizontalPercent);
        setBarByPercent(Bar::Horizontal, percent);
    });
    trap.step(106, [&] {
        const std::int16_t percent = toInt16(verticalPercent);
        setBarByPercent(Bar::Vertical, percent);
    });
}

} // namespace preview
