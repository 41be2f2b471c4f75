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
// The same transform in `containerNs` (a slide's graphic frame states its own xfrm).
void writeTransform(QXmlStreamWriter& xml, const QString& containerNs, double leftPt, double topPt,
                    double widthPt, double heightPt);
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

// DrawingML text, as a slide's shapes and table cells hold it.
// a:rPr (or a:endParaRPr, by `element`): size, bold, colour and typeface of the format.
void writeRunProperties(QXmlStreamWriter& xml, const QString& element, const CharFormat& format);
// a:p: alignment, the least line pitch as exact spacing, each run, the mark's format.
void writeTextParagraph(QXmlStreamWriter& xml, const Paragraph& paragraph);
// a:lstStyle and the paragraphs of the story; a table in it is no DrawingML text and is
// left to the caller.
void writeTextStory(QXmlStreamWriter& xml, const Story& story);
// a:tbl of one table `heightPt` high in total: its grid, each cell's text and margins,
// the borders it shows, upward text where it reads upwards; cells are not filled.
void writeTable(QXmlStreamWriter& xml, const Table& table, double heightPt);

} // namespace office::drawingml
