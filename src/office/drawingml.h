#pragma once

#include "model.h"

#include <QRgb>
#include <QString>
#include <QXmlStreamWriter>

#include <optional>

// DrawingML, the shape language word-processing and presentation parts share: a shape's
// transform, preset geometry with its adjustments, fill, outline and text body properties.
// The container's own elements (a word-processing anchor, a slide's shape tree) belong to
// the part writer, which names the namespace its spPr and bodyPr stand in.
namespace office::drawingml {

// The preset of each shape kind: rect, upArrowCallout, downArrowCallout, diamond.
QString presetName(ShapeKind kind);

void writeTransform(QXmlStreamWriter& xml, double leftPt, double topPt, double widthPt,
                    double heightPt);
// The preset with its adjust values (adj1...); a shape other than a callout states none.
void writePresetGeometry(QXmlStreamWriter& xml, ShapeKind kind, const Adjust& adjust);
void writeSolidFill(QXmlStreamWriter& xml, QRgb color);
// A solid fill, or noFill when there is none.
void writeFill(QXmlStreamWriter& xml, std::optional<QRgb> fill);
void writeLine(QXmlStreamWriter& xml, double widthPt, bool visible, QRgb color);

// spPr in `containerNs`: the transform at the given offset, geometry, fill and outline.
void writeShapeProperties(QXmlStreamWriter& xml, const QString& containerNs, const Shape& shape,
                          double offsetLeftPt, double offsetTopPt);
// bodyPr in `containerNs`: horizontal text wrapped in the box, the shape's insets and
// anchor, no autofit.
void writeBodyProperties(QXmlStreamWriter& xml, const QString& containerNs, const Shape& shape);

} // namespace office::drawingml
