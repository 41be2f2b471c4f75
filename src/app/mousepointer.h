#pragma once

#include <QCursor>
#include <QString>

#include <optional>

class QWidget;

namespace app {

// A window's MousePointer codes.
enum class MousePointer
{
    Default = 0,
    Hourglass = 11,
    Custom = 99
};

inline constexpr const char* kHandCursorFile = "HAND-M.CUR";

// Loads a cursor file (.cur) as the window's custom pointer; nothing when unreadable.
std::optional<QCursor> loadCursorFile(const QString& path);

// The hover rule of both windows: the hourglass is never replaced by mouse movement.
inline MousePointer hoverPointer(MousePointer current, bool overButton)
{
    if (current == MousePointer::Hourglass)
        return current;
    return overButton ? MousePointer::Custom : MousePointer::Default;
}

// Shows the pointer code on the window. Custom without a loaded picture looks like the
// ordinary pointer.
void showPointer(QWidget* window, MousePointer pointer, const std::optional<QCursor>& custom);

} // namespace app
