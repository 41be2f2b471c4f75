#include "pagemarks.h"

#include "pagefit.h"

#include "office/calloutgeometry.h"
#include "office/textlayout.h"
#include "timeline/datereader.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace docgen {

namespace {

// Half an inch at every edge of the sheet stays empty, as for the rest of the page.
constexpr double kMarginPt = 36;
// A key's name is measured a little narrower than its area, as every text of the page.
constexpr double kSlackPt = 0.5;
// A key shows two lines of its name at most.
constexpr int kKeyLines = 2;
constexpr int kMeasuredName = 2000;

// The outline of a filled mark or callout: its fill darkened, or black on a pale fill.
Colour outlineOf(const CategoryColour& colour)
{
    if (colour.text == Colour{0, 0, 0})
        return Colour{0, 0, 0};
    const auto darker = [](int channel) { return channel * 7 / 10; };
    return Colour{darker(colour.fill.red), darker(colour.fill.green), darker(colour.fill.blue)};
}

// The colours of an entry: its category's, or the theme's callout look.
CategoryColour colourOf(const TimelineEntry& entry, const QList<CategoryKey>& keys,
                        const PageTheme& theme)
{
    for (const CategoryKey& key : keys) {
        if (!entry.category.isEmpty() && key.name == entry.category)
            return key.colour;
    }
    return CategoryColour{theme.calloutFill.value_or(kNewCalloutFill),
                          theme.notesColour.value_or(kNewCalloutText)};
}

std::optional<Colour> outlineFor(const TimelineEntry& entry, const QList<CategoryKey>& keys,
                                 const PageTheme& theme)
{
    if (entry.category.isEmpty())
        return theme.calloutLine;
    return outlineOf(colourOf(entry, keys, theme));
}

office::Paragraph nameParagraph(const QString& name, const QString& font)
{
    office::CharFormat format;
    if (!font.isEmpty())
        format.fontName = font;
    format.sizeHalfPt = int(kLegendSizePt * 2);
    office::Paragraph paragraph;
    paragraph.alignment = office::Alignment::Center;
    paragraph.markFormat = format;
    // Past what two lines of any sheet hold, a name is not measured.
    if (!name.isEmpty())
        paragraph.runs.push_back(office::Run{name.left(kMeasuredName), format});
    return paragraph;
}

} // namespace

QList<SpanReach> spanReachesOf(const QList<TimelineEntry>& entries,
                               const editor::DateReader& reader)
{
    QList<std::optional<editor::DateSpan>> dates;
    bool allRead = true;
    qint64 first = 0;
    qint64 last = 0;
    for (const TimelineEntry& entry : entries) {
        dates << reader.readSpan(entry.date);
        if (!dates.last()) {
            allRead = false;
            continue;
        }
        const qint64 day = dates.last()->start.day;
        first = dates.size() == 1 || day < first ? day : first;
        last = dates.size() == 1 || day > last ? day : last;
    }
    QList<SpanReach> spans;
    for (int i = 0; i < int(entries.size()); ++i) {
        if (!dates[i] || !editor::rangeParts(entries[i].date, reader.scale()))
            continue;
        SpanReach reach{i, 0, i};
        if (allRead && last > first)
            reach.endPlace = double(dates[i]->end.day - first) / double(last - first);
        for (int j = i + 1; j < int(entries.size()); ++j) {
            if (dates[j] && dates[j]->start >= dates[i]->start && dates[j]->start <= dates[i]->end)
                reach.lastEntry = j;
        }
        spans << reach;
    }
    return spans;
}

QList<CategoryKey> categoryKeys(const QList<TimelineEntry>& entries, const PageTheme& theme)
{
    QList<CategoryKey> keys;
    for (const TimelineEntry& entry : entries) {
        if (entry.category.isEmpty() || theme.categories.isEmpty())
            continue;
        const bool known = std::any_of(keys.cbegin(), keys.cend(), [&](const CategoryKey& key) {
            return key.name == entry.category;
        });
        if (!known)
            keys << CategoryKey{entry.category,
                                theme.categories.at(keys.size() % theme.categories.size())};
    }
    return keys;
}

void dressEntries(QList<PageElement>& callouts, const QList<TimelineEntry>& entries,
                  const PageTheme& theme)
{
    const QList<CategoryKey> keys = categoryKeys(entries, theme);
    for (int i = 0; i < std::min(int(callouts.size()), int(entries.size())); ++i) {
        const TimelineEntry& entry = entries.at(i);
        ElementStyle& style = callouts[i].style;
        if (!entry.category.isEmpty() && !keys.isEmpty()) {
            const CategoryColour colour = colourOf(entry, keys, theme);
            style.fill = colour.fill;
            style.textColour = colour.text;
            style.lineColour = outlineFor(entry, keys, theme);
        }
        if (entry.milestone) {
            style.bold = true;
            style.lineWidthPt = kMilestoneLinePt;
            // The heavier outline needs a colour to stand in; the default look's darker one.
            if (!style.lineColour)
                style.lineColour = Colour{0x2F, 0x52, 0x8F};
        }
    }
}

QList<PageElement> legendKeys(const QList<TimelineEntry>& entries, const PageTheme& theme,
                              const PageMetrics& page, QList<CutText>* cuts)
{
    QList<PageElement> keys;
    const double printable = std::max(1.0, double(page.pageWidthPt) - 2 * kMarginPt);
    const QList<CategoryKey> categories = categoryKeys(entries, theme);
    // What a key cannot show is reported at the first entry of its category.
    const auto reportCut = [&](const QString& category, int shown, int total) {
        const auto first =
            std::find_if(entries.cbegin(), entries.cend(),
                         [&](const TimelineEntry& e) { return e.category == category; });
        if (cuts && first != entries.cend())
            *cuts << CutText{CutText::Part::Category, int(first - entries.cbegin()) + 1,
                             first->date, shown, total};
    };
    for (const CategoryKey& category : categories) {
        PageElement key;
        key.kind = ElementKind::LegendKey;
        theme.dress(key);
        key.style.fontSizePt = kLegendSizePt;
        key.style.alignment = TextAlignment::Centre;
        key.style.fill = category.colour.fill;
        key.style.textColour = category.colour.text;
        key.style.lineColour = outlineOf(category.colour);
        // A name is one paragraph of the key: its own line breaks read as spaces.
        key.text = category.name.simplified();
        const office::Paragraph name = nameParagraph(key.text, key.style.fontName);
        double across = 0;
        const office::ParagraphLayout oneLine(name, 1e6);
        for (const office::LineBox& line : oneLine.lines())
            across = std::max(across, line.widthPt);
        key.widthPt = std::min(printable, across + 2 * kTextInsetXPt + 2 * kSlackPt);
        const double textWidth = std::max(1.0, key.widthPt - 2 * kTextInsetXPt - kSlackPt);
        const office::ParagraphLayout lines(
            name, textWidth, office::LayoutLimit{.heightPt = (kKeyLines + 1) * 2 * kLegendSizePt});
        double height = 0;
        int shown = 0;
        for (size_t k = 0; k < lines.lines().size() && int(k) < kKeyLines; ++k) {
            height = lines.lines()[k].topPt + lines.lines()[k].heightPt;
            shown += lines.lines()[k].textLength;
        }
        if (shown < key.text.size()) {
            reportCut(category.name, shown, int(key.text.size()));
            key.text = key.text.left(shown);
        }
        key.heightPt = height + 2 * kTextInsetYPt + kSlackPt;
        keys << key;
    }
    // Rows across the printable width, each centred on the sheet, in a third of its height
    // at most: keys past that are reported, not drawn.
    const double room = (double(page.pageHeightPt) - 2 * kMarginPt) / 3;
    double top = 0;
    for (qsizetype start = 0; start < keys.size();) {
        qsizetype end = start;
        double width = 0;
        double height = 0;
        while (end < keys.size() &&
               (end == start || width + kLegendGapPt + keys[end].widthPt <= printable)) {
            width += (end == start ? 0 : kLegendGapPt) + keys[end].widthPt;
            height = std::max(height, keys[end].heightPt);
            ++end;
        }
        if (top + height > room) {
            for (qsizetype k = start; k < keys.size(); ++k)
                reportCut(categories[k].name, 0, int(categories[k].name.simplified().size()));
            keys.resize(start);
            break;
        }
        double left = double(page.pageWidthPt) / 2 - width / 2;
        for (qsizetype k = start; k < end; ++k) {
            keys[k].leftPt = left;
            keys[k].topPt = top;
            keys[k].heightPt = height;
            left += keys[k].widthPt + kLegendGapPt;
        }
        top += height + kLegendGapPt;
        start = end;
    }
    return keys;
}

double legendHeightPt(const QList<PageElement>& keys)
{
    double bottom = 0;
    for (const PageElement& key : keys)
        bottom = std::max(bottom, key.topPt + key.heightPt);
    return bottom;
}

namespace {

// The bar an entry stands on, by its index in the frame's bars; -1 when none holds it.
int barIndexOf(const QList<PageElement>& bars, int entry)
{
    for (int b = 0; b < int(bars.size()); ++b) {
        if (entry >= bars[b].firstEntry && entry < bars[b].firstEntry + bars[b].entryCount)
            return b;
    }
    return -1;
}

// The cells' left edges across a bar, one more than its entries: the last is the right
// edge of the last cell.
QList<double> cellEdges(const PageElement& bar, const PageElement& table)
{
    QList<double> edges{bar.leftPt + kTextInsetXPt};
    for (int k = 0; k < bar.entryCount; ++k) {
        const double width = table.columnWidthsPt.isEmpty()
                                 ? double(PageFit::columnWidthPt(bar.widthPt, bar.entryCount))
                                 : table.columnWidthsPt.value(k);
        edges << edges.last() + width;
    }
    return edges;
}

double tipOf(const PageElement& callout)
{
    return callout.leftPt + callout.widthPt / 2;
}

// How long a callout's arrow is, from its tip to its body.
double arrowOf(const PageElement& callout)
{
    const office::ShapeKind kind = callout.shapeType == kShapeUpArrowCallout
                                       ? office::ShapeKind::UpArrowCallout
                                       : office::ShapeKind::DownArrowCallout;
    const QRectF body =
        office::calloutTextRect(kind, callout.widthPt, callout.heightPt,
                                callout.adjust.value_or(office::kCalloutDefaultAdjust));
    return callout.heightPt - body.height();
}

} // namespace

QList<PageElement> entryMarks(const QList<PageElement>& frame, const QList<PageElement>& callouts,
                              const QList<TimelineEntry>& entries, const QList<SpanReach>& spans,
                              const QList<double>& timeAxis, const PageTheme& theme)
{
    QList<PageElement> marks;
    QList<PageElement> bars;
    QList<PageElement> tables;
    for (const PageElement& element : frame) {
        if (element.kind == ElementKind::TimelineBar)
            bars << element;
        else if (element.kind == ElementKind::DateTable)
            tables << element;
    }
    if (bars.size() != tables.size() || callouts.size() != entries.size())
        return marks;
    const bool toScale = timeAxis.size() == entries.size();
    const QList<CategoryKey> keys = categoryKeys(entries, theme);
    const auto dressed = [&](ElementKind kind, int entry, const QRectF& frame) {
        PageElement mark;
        mark.kind = kind;
        mark.shapeType = kind == ElementKind::MilestoneMarker ? kShapeDiamond : kShapeRectangle;
        mark.leftPt = frame.left();
        mark.topPt = frame.top();
        mark.widthPt = frame.width();
        mark.heightPt = frame.height();
        mark.firstEntry = entry;
        mark.entryCount = 1;
        const TimelineEntry& of = entries.at(entry);
        mark.style.fill = colourOf(of, keys, theme).fill;
        mark.style.lineColour = outlineFor(of, keys, theme);
        mark.style.lineWidthPt = 0.5;
        return mark;
    };
    for (const SpanReach& span : spans) {
        const int b = barIndexOf(bars, span.entry);
        if (b < 0)
            continue;
        const PageElement& bar = bars[b];
        const int first = bar.firstEntry;
        const int last = first + bar.entryCount - 1;
        const double inner = bar.leftPt + kTextInsetXPt;
        const double outer = bar.leftPt + bar.widthPt - kTextInsetXPt;
        double from = 0;
        double to = 0;
        const double firstTip = tipOf(callouts[first]);
        const double lastTip = tipOf(callouts[last]);
        if (toScale && last > first && timeAxis[last] > timeAxis[first] && lastTip > firstTip) {
            // The bar's first and last arrows stand where their dates fall: they fix the
            // axis along which both ends of the span are found.
            const auto xOf = [&](double place) {
                return firstTip + (place - timeAxis[first]) / (timeAxis[last] - timeAxis[first]) *
                                      (lastTip - firstTip);
            };
            from = xOf(timeAxis[span.entry]);
            to = xOf(std::max(span.endPlace, timeAxis[span.entry]));
        } else {
            const QList<double> edges = cellEdges(bar, tables[b]);
            const int k = span.entry - first;
            const int end = std::clamp(span.lastEntry, span.entry, last) - first;
            // A hair in from the cells' edges, so bands of neighbouring cells stay apart.
            from = edges[k] + 1;
            to = edges[end + 1] - 1;
        }
        from = std::clamp(from, inner, outer);
        to = std::clamp(to, inner, outer);
        // Even a span of one day shows.
        if (to - from < kBandPt) {
            const double middle =
                std::clamp((from + to) / 2, inner + kBandPt / 2, outer - kBandPt / 2);
            from = middle - kBandPt / 2;
            to = middle + kBandPt / 2;
        }
        const bool below = span.entry % 2 == 0;
        const double top = below ? bar.topPt + bar.heightPt : bar.topPt - kBandPt;
        marks << dressed(ElementKind::SpanBand, span.entry, QRectF(from, top, to - from, kBandPt));
    }
    for (int i = 0; i < int(entries.size()); ++i) {
        const int b = barIndexOf(bars, i);
        if (!entries[i].milestone || b < 0)
            continue;
        // On the arrow, its point at the bar's edge over the date, drawn over the arrow.
        const PageElement& bar = bars[b];
        const double size = std::min(kMarkerPt, 0.8 * arrowOf(callouts[i]));
        const bool below = i % 2 == 0;
        const double top = below ? bar.topPt + bar.heightPt : bar.topPt - size;
        PageElement marker = dressed(ElementKind::MilestoneMarker, i,
                                     QRectF(tipOf(callouts[i]) - size / 2, top, size, size));
        // Dark on the entry's own colour, with a white edge against its arrow.
        marker.style.fill = theme.dateColour.value_or(Colour{0, 0, 0});
        marker.style.lineColour = Colour{255, 255, 255};
        marker.style.lineWidthPt = 1;
        marks << marker;
    }
    return marks;
}

} // namespace docgen
