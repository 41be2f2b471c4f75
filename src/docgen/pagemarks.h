#pragma once

#include "pagelayout.h"
#include "pagetheme.h"

#include <QList>
#include <QString>

namespace editor {
class DateReader;
}

// The marks an entry may carry beyond its date and notes, as the layout step places them:
// its category's colour (with a legend that names each category), a band along the bar
// for a span, and for a milestone a heavier callout with a diamond at its date. A list
// with none of them gets none, and its page is the page it always was.
namespace docgen {

struct CutText;

// How far an entry's span reaches: its end's place on the time axis (the places of the
// dates, 0 the first and 1 the last; outside them beyond), and the last entry, from 0,
// whose date lies within the span (the entry itself when no later one does).
struct SpanReach
{
    int entry = 0;
    double endPlace = 0;
    int lastEntry = 0;

    friend bool operator==(const SpanReach&, const SpanReach&) = default;
};

// The spans of a list as the reader reads its dates; entries that are no range have none.
// End places stay 0 unless every date is read and the dates are not all one.
QList<SpanReach> spanReachesOf(const QList<TimelineEntry>& entries,
                               const editor::DateReader& reader);

// A category in the legend, with the colour of its entries.
struct CategoryKey
{
    QString name;
    CategoryColour colour;
};

// The categories in the order they first appear, each taking the theme's next colour.
QList<CategoryKey> categoryKeys(const QList<TimelineEntry>& entries, const PageTheme& theme);

// Gives each callout its category's colours and each milestone's callout a heavier
// outline and bold notes; callouts of entries with neither keep the theme's look.
void dressEntries(QList<PageElement>& callouts, const QList<TimelineEntry>& entries,
                  const PageTheme& theme);

// The milestone callout's outline, in points (a new callout's is 1 pt).
inline constexpr double kMilestoneLinePt = 2.5;
// The legend's type size (points) and the room between keys and above the legend.
inline constexpr double kLegendSizePt = 10;
inline constexpr double kLegendGapPt = 8;

// The legend's keys in rows across the sheet's printable width, each row centred, the
// first row's top at 0, in a third of the printable height at most; none when no entry
// has a category. A name takes two lines at most; what the legend cannot show is added
// to `cuts`.
QList<PageElement> legendKeys(const QList<TimelineEntry>& entries, const PageTheme& theme,
                              const PageMetrics& page, QList<CutText>* cuts = nullptr);
// The height the keys take, from the first row's top to the last row's bottom.
double legendHeightPt(const QList<PageElement>& keys);

// The bands of the spans and the markers of the milestones on a page whose bars and
// callouts stand. On a page spaced to scale (each entry's place in `timeAxis`) a band runs
// from its date's place to its end's place on the axis its bar's arrows span; otherwise
// from its own cell to its last entry's cell.
QList<PageElement> entryMarks(const QList<PageElement>& frame, const QList<PageElement>& callouts,
                              const QList<TimelineEntry>& entries, const QList<SpanReach>& spans,
                              const QList<double>& timeAxis, const PageTheme& theme);

// A band's thickness along its bar; a marker's size is at most this, and at most most
// of the arrow it stands on.
inline constexpr double kBandPt = 4;
inline constexpr double kMarkerPt = 11;

} // namespace docgen
