#pragma once

#include "model.h"

#include <QPainterPath>
#include <QRectF>

namespace office {

// The arrow callout presets (upArrowCallout, downArrowCallout) for a w x h shape with
// its origin at the shape's top-left corner, adjust values in 1/100000; any other kind
// its own outline (a rectangle, a diamond).
QPainterPath calloutOutline(ShapeKind kind, double widthPt, double heightPt, const Adjust& adjust);
// The preset's text rectangle, before the insets.
QRectF calloutTextRect(ShapeKind kind, double widthPt, double heightPt, const Adjust& adjust);

} // namespace office
