#include "viewerinput.h"

#include "viewport.h"

namespace preview {
namespace {
constexpr int kNotch = 120; // eighths of a degree
} // namespace

WheelCommand WheelNotches::turn(Qt::KeyboardModifiers modifiers, QPoint angleDelta)
{
    using Kind = WheelCommand::Kind;
    Kind kind = Kind::ScrollVertical;
    // Away from the user (positive) is up: zoom in, scroll towards the start.
    int delta = angleDelta.y();
    if (modifiers & Qt::ControlModifier) {
        kind = Kind::Zoom;
    } else if ((modifiers & Qt::ShiftModifier) || angleDelta.y() == 0) {
        kind = Kind::ScrollHorizontal;
        // Some systems already turn a Shift+wheel sideways; either way it scrolls across.
        if (angleDelta.y() == 0)
            delta = angleDelta.x();
    }
    if (kind != mKind)
        mRest = 0;
    mKind = kind;
    mRest += kind == Kind::Zoom ? delta : -delta;
    const int notches = mRest / kNotch;
    mRest -= notches * kNotch;
    if (notches == 0)
        return {};
    return {kind, notches};
}

std::optional<KeyScroll> keyScroll(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    switch (key) {
    case Qt::Key_Up:
        return KeyScroll{Bar::Vertical, QAbstractSlider::SliderSingleStepSub};
    case Qt::Key_Down:
        return KeyScroll{Bar::Vertical, QAbstractSlider::SliderSingleStepAdd};
    case Qt::Key_Left:
        return KeyScroll{Bar::Horizontal, QAbstractSlider::SliderSingleStepSub};
    case Qt::Key_Right:
        return KeyScroll{Bar::Horizontal, QAbstractSlider::SliderSingleStepAdd};
    case Qt::Key_PageUp:
        return KeyScroll{Bar::Vertical, QAbstractSlider::SliderPageStepSub};
    case Qt::Key_PageDown:
        return KeyScroll{Bar::Vertical, QAbstractSlider::SliderPageStepAdd};
    default:
        return std::nullopt;
    }
}

} // namespace preview
