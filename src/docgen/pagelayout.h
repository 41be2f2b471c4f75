#pragma once

#include "timeline/entry.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace docgen {

// One row of the entry list, as the timeline keeps it.
using TimelineEntry = timeline::Entry;

// Page quantities as the page set-up reports them after the switch to landscape; points,
// single precision.
struct PageMetrics
{
    float pageWidthPt = 0;
    float pageHeightPt = 0;
    float topMarginPt = 0;
    float bottomMarginPt = 0;

    friend bool operator==(const PageMetrics&, const PageMetrics&) = default;
};

enum class ElementKind
{
    TitleBox,
    TimelineBar,
    DateTable,
    Callout,
    // The marks (pagemarks.h): a span's band along its bar, a milestone's diamond on it,
    // and a legend key naming a category in its colour.
    SpanBand,
    MilestoneMarker,
    LegendKey
};

// Text orientation code of a text box with horizontal text; callouts use 55 and 56, the
// marks the rectangle's and the diamond's shape types.
inline constexpr int kHorizontalTextBox = 1;
inline constexpr int kShapeUpArrowCallout = 55;
inline constexpr int kShapeRectangle = 1;
inline constexpr int kShapeDiamond = 4;

// A colour as the page shows it, each channel 0 to 255. The automation boundary turns it
// into the word processor's own value (wordautomation.h).
struct Colour
{
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const Colour&, const Colour&) = default;
};

enum class TextAlignment
{
    Left,
    Centre
};

struct ElementStyle
{
    QString fontName; // empty: the document's default font
    double fontSizePt = 0;
    bool bold = false;
    std::optional<TextAlignment> alignment; // unset: as the engine places it
    std::optional<Colour> textColour;       // unset: the engine's own for the shape
    std::optional<Colour> fill;             // unset: the shape's default fill
    std::optional<Colour> lineColour;       // unset: the shape's default outline
    std::optional<bool> lineVisible;        // unset: the default border
    std::optional<double> lineWidthPt;      // unset: the shape's default outline width
    std::optional<int> wrapType;            // unset: the default wrapping
    bool fixedColumnWidths = false;
    bool removeTopAndBottomBorders = false;

    friend bool operator==(const ElementStyle&, const ElementStyle&) = default;
};

// A text box's insets as a new one has them: 0.1 in across, 0.05 in up and down.
inline constexpr double kTextInsetXPt = 7.2;
inline constexpr double kTextInsetYPt = 3.6;

struct PageElement
{
    ElementKind kind = ElementKind::TitleBox;
    int shapeType = kHorizontalTextBox;
    double leftPt = 0;
    double topPt = 0;
    double widthPt = 0;
    double heightPt = 0;
    QString text;      // title or notes
    QStringList cells; // DateTable only
    ElementStyle style;
    // The text area's insets inside the frame (points): across, and up and down; unset,
    // those a new shape has (kTextInsetXPt, kTextInsetYPt).
    std::optional<QSizeF> insetPt;
    QSizeF insets() const { return insetPt.value_or(QSizeF(kTextInsetXPt, kTextInsetYPt)); }
    // A callout's adjust values in 1/100000 where they differ from the preset's defaults.
    std::optional<std::array<int, 4>> adjust;
    // The title's lines stand this far apart at least (points); 0: single lines.
    double lineSpacingPt = 0;
    // A date table's cells reading upwards, in rows of at least this height (points).
    bool textUpward = false;
    double rowHeightPt = 0;
    // A date table's column widths when they follow the time between the dates; empty:
    // equal columns that fill the bar.
    QList<double> columnWidthsPt;
    // The entries a bar or a date table holds, from 0.
    int firstEntry = 0;
    int entryCount = 0;

    friend bool operator==(const PageElement&, const PageElement&) = default;
};

// Geometry constants of the page, in points.
inline constexpr double kTitleWidthPt = 301.05;
inline constexpr double kTitleHeightPt = 45.2;
inline constexpr double kBarWidthPt = 648;
inline constexpr double kBarHeightPt = 18;
inline constexpr double kCalloutWidthPt = 72;
inline constexpr double kCalloutHeightPt = 81;
inline constexpr Colour kBarFill{204, 255, 204};

// Top edge of the bar: half the height of the page's text area.
double barTopPt(const PageMetrics& page);
// The left edge of the first callout: half the page less half the bar, plus the page
// width divided first by N + 1, then by N.
double firstCalloutLeftPt(const PageMetrics& page, int entryCount);

// The title box, the bar and the date table, in creation order.
QList<PageElement> LayoutPageFrame(const QString& title, const QList<TimelineEntry>& entries,
                                   const PageMetrics& page);

// One callout per entry, in entry order. Lefts after the first step by the column width W
// on a single-precision running position, as the table reports W in single precision.
QList<PageElement> LayoutCallouts(const QList<TimelineEntry>& entries, const PageMetrics& page,
                                  float columnWidthPt);

} // namespace docgen
