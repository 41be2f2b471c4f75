#pragma once

#include "model.h"

#include <QRgb>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The legacy VML form of the shapes, written as the fallback a reader without DrawingML
// shapes draws, and read back when a file holds nothing else. VML shape geometry lives in
// a 21600 x 21600 box stretched over the shape, so the callout adjustments are positions
// in that box rather than the preset's shares of the shorter side.
namespace office::vml {

inline constexpr int kCoordSize = 21600;

// VML shape type numbers (o:spt) of the shapes the engine writes.
inline constexpr int kTextBoxType = 202;
inline constexpr int kUpArrowCalloutType = 79;
inline constexpr int kDownArrowCalloutType = 80;
inline constexpr int kRectangleType = 1;
inline constexpr int kDiamondType = 4;

// The four adjustments of VML's arrow callouts, in the 21600 box: the body's edge
// against the arrow (y), the head's left side (x), the head's base (y), the shaft's left
// side (x). The head and shaft are symmetric about the middle.
using CalloutAdjust = std::array<int, 4>;

int shapeType(ShapeKind kind);
std::optional<ShapeKind> kindOfType(int type);

// The shape type's own definition: its default adjustments, path, formulas and text
// rectangle, as a v:shapetype states them.
struct ShapeTypeDefinition
{
    QString adjust; // empty for a type without adjustments
    QString path;
    std::vector<QString> formulas;
    QString textBoxRect; // empty: the whole box
};
ShapeTypeDefinition definitionOf(ShapeKind kind);

// The same outline in the other form; both directions clamp as the preset does.
CalloutAdjust toVml(ShapeKind kind, double widthPt, double heightPt, const Adjust& adjust);
Adjust fromVml(ShapeKind kind, double widthPt, double heightPt, const CalloutAdjust& adjust);
// The default adjustments of the VML type, for a shape that states none.
CalloutAdjust defaultAdjust(ShapeKind kind);

// A length as VML styles and attributes write it ("12pt", "0.5in", "3.6pt", "0"); a bare
// number counts as CSS pixels. Nothing for text that is no length.
std::optional<double> lengthPt(QStringView text);
// Points written the way VML styles carry them: "12.5pt", "0".
QString ptText(double pt);
// "#rrggbb", "#rgb" or one of the basic colour names; Word may append " [index]".
std::optional<QRgb> color(QStringView text);
QString colorText(QRgb color);

} // namespace office::vml
