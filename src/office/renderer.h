#pragma once

#include "document.h"

#include <QImage>
#include <QRectF>
#include <QSize>

class QPainter;

namespace office {

// The largest picture a render makes: 16 million pixels (64 MB at 32 bits).
inline constexpr qint64 kMaxRenderPixels = 16LL * 1024 * 1024;

// Paints the whole page in points onto any painter (picture, PDF, SVG, printer); the
// caller's transform maps points to its device.
void paintPage(const Document& document, QPainter& painter);

// Draws the page's region (points from the page's top-left corner) at the given pixels
// per point: white page, shapes in z-order with their fill and outline, their text laid
// out with the fonts and insets the file states. Throws office::Error for an empty or
// oversized picture.
QImage renderRegion(const Document& document, const QRectF& regionPt, double pixelsPerPt);
// The same, with the region stretched to exactly the given pixel size.
QImage renderRegion(const Document& document, const QRectF& regionPt, QSize pixels);

// The union of all shapes' frames; empty when there are no shapes.
QRectF shapesBoundsPt(const Document& document);

} // namespace office
