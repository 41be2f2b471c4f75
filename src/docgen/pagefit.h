#pragma once

#include "pagelayout.h"
#include "pagemarks.h"
#include "pagetheme.h"

#include <QList>
#include <QRectF>
#include <QString>

namespace docgen {

// "Fit" departs from the classic geometry only where that would cut or overlap text;
// "Classic" is that geometry unchanged.
enum class LayoutStyle
{
    Fit,
    Classic
};

// One text the page cannot show whole.
struct CutText
{
    enum class Part
    {
        Title,
        Date,
        Notes,
        Category // a legend key's name, reported at the first entry of its category
    };
    Part part = Part::Notes;
    int line = 0; // the entry's line in the list, from 1; 0 for the title
    QString date; // the entry's date text as typed
    int shownCharacters = 0;
    int totalCharacters = 0;

    // "notes cut after 240 of 600 characters", "category cut after …"
    QString reason() const;
    // "line 12 (1961): notes cut after 240 of 600 characters", or "title cut after …"
    QString describe() const;

    friend bool operator==(const CutText&, const CutText&) = default;
};

// What a page plan could not show, by the user's lines.
struct FitReport
{
    QList<CutText> cuts;
    // Frames of the callouts whose text is cut, in points on the page, for marking them,
    // and the part of the page the page picture shows: every shape and 18 pt around.
    QList<QRectF> cutFramesPt;
    QRectF pictureRegionPt;

    bool fits() const { return cuts.isEmpty(); }
    // The distinct entry lines with a cut, in order; the title is not an entry.
    QList<int> cutLines() const;
    // The reasons of one line, joined for a tooltip; empty when the line is whole.
    QString reasonFor(int line) const;
};

// Every element of the page in creation order: the title box, then per bar the bar and its
// date table (one bar unless one cannot hold the dates), then one callout per entry; then
// the marks (pagemarks.h): the spans' bands, the milestones' markers, the legend's keys.
struct PagePlan
{
    QList<PageElement> frame;
    QList<PageElement> callouts;
    QList<PageElement> marks;
    FitReport report;

    QList<PageElement> ofKind(ElementKind kind) const;
    QList<PageElement> bars() const { return ofKind(ElementKind::TimelineBar); }
    QList<PageElement> tables() const { return ofKind(ElementKind::DateTable); } // one per bar
};

// The layout step: from the page, the title, the entries and the fonts' own metrics (the
// text layout the engine and the renderer use), where every element goes and what does
// not fit. It starts from the classic geometry and changes an element only where that
// would cut or overlap text, cheapest change first: a callout grows away from the bar,
// then widens into the room its neighbours on the same side leave; the title takes the
// lines it needs and moves the rest down; dates get a smaller font, then run upwards in
// their cells, then a second bar; only then does a callout's font shrink, never under
// 7 pt. A page of several bars takes the count that sets its notes largest, with short
// arrows, bars as thin as their dates and callouts' text closer to their edges.
// Deterministic, no window and no engine: the same input gives the same page.
class PageFit
{
public:
    // `timeAxis`, when given, holds each entry's place on a linear time axis (0 the first
    // date, 1 the last): the date cells then take widths that follow the gaps, as far as
    // the room each date needs allows, and each arrow points at its date's place.
    // `spans` says how far each span reaches, for its band; the classic layout draws no
    // marks and keeps its own look.
    static PagePlan plan(const QString& title, const QList<TimelineEntry>& entries,
                         const PageMetrics& page, LayoutStyle style = LayoutStyle::Fit,
                         const QList<double>& timeAxis = {},
                         const PageTheme& theme = PageTheme::original(),
                         const QList<SpanReach>& spans = {});

    // Column widths (points, whole twips) across `innerPt` whose centres follow the places
    // 0..1 (the axis `endsPt` in from either side; below 0, half an even column), each at
    // least its minimum; empty when the minimums do not fit.
    static QList<double> scaledColumns(double innerPt, const QList<double>& places,
                                       const QList<double>& minimumsPt, double endsPt = -1);

    // The column width the engine gives a table of `columns` equal columns in a text
    // box of the given width, in points (whole twips).
    static float columnWidthPt(double boxWidthPt, int columns);
};

} // namespace docgen
