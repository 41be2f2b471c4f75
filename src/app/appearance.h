#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace app {

// The relative path of the skin file inside the program's folder.
inline constexpr const char* kSkinFile = "x/o.cjs";

// The designed background of the windows, their frames and option buttons.
QColor designedWhite();
// The system's button-face colour; follows the user's colour scheme.
QColor buttonFaceColor();

// Paints one widget's background in a solid colour (what a control's BackColor does).
void setBackColor(QWidget* widget, const QColor& color);

// Marks a widget as a picture box, so the colour routines know which kind it is.
void markAsPictureBox(QWidget* widget);
bool isPictureBox(const QWidget* widget);

// When "x/o.cjs" is an ordinary file in `folder`: the window, its option buttons, check
// boxes, frames, labels and picture boxes take the button-face colour, then the file is
// applied to the window as a style sheet. Otherwise nothing changes. Returns whether the
// skin was found. Throws app::Failure when the file cannot be read.
bool ApplySkin(QWidget* mainWindow, const QString& folder);

// The window, its option buttons, check boxes, frames and labels take the button-face
// colour, always; picture boxes keep theirs.
void ApplyFormColors(QWidget* window);

} // namespace app
