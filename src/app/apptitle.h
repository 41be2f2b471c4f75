#pragma once

#include <QString>

namespace app {

// The fixed product name; also the caption of both windows.
inline constexpr const char* kProductName = "Loomchart Page Studio";

// Cuts the name back at its last blank at least once, and again while the rest is longer
// than 40 characters. "Loomchart Page Studio" gives "Loomchart Page".
QString deriveApplicationTitle(const QString& productName);

// Sets the process-wide title from the product name.
void SetApplicationTitle();
// The caption of every box that names none of its own; empty until SetApplicationTitle runs.
QString applicationTitle();

} // namespace app

#include <QIcon>

namespace app {
// The program's icon, with images of 32, 48, 128 and 256 pixels; shared by both windows.
QIcon applicationIcon();
} // namespace app
