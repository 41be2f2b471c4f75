#pragma once

#include <QAbstractSlider>
#include <QPoint>

#include <optional>

namespace preview {

enum class Bar;

// What one wheel event asks of the preview.
struct WheelCommand
{
    enum class Kind
    {
        None,
        Zoom,             // notches > 0 zoom in
        ScrollHorizontal, // notches > 0 scroll right
        ScrollVertical,   // notches > 0 scroll down
    };
    Kind kind = Kind::None;
    int notches = 0;
};

// Turns wheel events into whole notches (120 eighths of a degree): with Ctrl the wheel
// zooms (up is in), with Shift or turned sideways it scrolls horizontally, else
// vertically. Finer turns, as touchpads send, add up until they make a notch; a change
// of kind starts the count afresh.
class WheelNotches
{
public:
    WheelCommand turn(Qt::KeyboardModifiers modifiers, QPoint angleDelta);

private:
    WheelCommand::Kind mKind = WheelCommand::Kind::None;
    int mRest = 0; // eighths of a degree not yet a whole notch, in the kind's direction
};

// Which bar a key moves, and how, when the page area has the focus: the arrows by one
// step, Page Up/Down by one viewport. Nothing for other keys or with Ctrl or Alt held.
struct KeyScroll
{
    Bar bar;
    QAbstractSlider::SliderAction action;
};
std::optional<KeyScroll> keyScroll(int key, Qt::KeyboardModifiers modifiers);

} // namespace preview
