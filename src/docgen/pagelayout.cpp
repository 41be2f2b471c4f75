#include "pagelayout.h"

namespace docgen {

double barTopPt(const PageMetrics& page)
{
    return (static_cast<double>(page.pageHeightPt) - page.topMarginPt - page.bottomMarginPt) / 2;
}

double firstCalloutLeftPt(const PageMetrics& page, int entryCount)
{
    const double width = page.pageWidthPt;
    return width / 2 - kBarWidthPt / 2 + (width / (entryCount + 1)) / entryCount;
}

QList<PageElement> LayoutPageFrame(const QString& title, const QList<TimelineEntry>& entries,
                                   const PageMetrics& page)
{
    const double halfWidth = static_cast<double>(page.pageWidthPt) / 2;

    PageElement titleBox;
    titleBox.kind = ElementKind::TitleBox;
    titleBox.leftPt = halfWidth - kTitleWidthPt / 2;
    titleBox.topPt = 0;
    titleBox.widthPt = kTitleWidthPt;
    titleBox.heightPt = kTitleHeightPt;
    titleBox.text = title;
    titleBox.style.fontName = QStringLiteral("Arial");
    titleBox.style.fontSizePt = 28;
    titleBox.style.bold = true;
    titleBox.style.alignment = TextAlignment::Centre;
    titleBox.style.lineVisible = false;
    titleBox.style.wrapType = 0;

    PageElement bar;
    bar.kind = ElementKind::TimelineBar;
    bar.leftPt = halfWidth - kBarWidthPt / 2;
    bar.topPt = barTopPt(page);
    bar.widthPt = kBarWidthPt;
    bar.heightPt = kBarHeightPt;
    bar.style.fill = kBarFill;

    PageElement table;
    table.kind = ElementKind::DateTable;
    table.shapeType = 0;
    for (const TimelineEntry& entry : entries)
        table.cells << entry.date;
    bar.entryCount = table.entryCount = int(entries.size());
    if (table.cells.isEmpty())
        table.cells << QString(); // a table has at least one column
    table.style.fontSizePt = 10;
    table.style.fixedColumnWidths = true;
    table.style.removeTopAndBottomBorders = true;

    return {titleBox, bar, table};
}

QList<PageElement> LayoutCallouts(const QList<TimelineEntry>& entries, const PageMetrics& page,
                                  float columnWidthPt)
{
    QList<PageElement> callouts;
    const int count = static_cast<int>(entries.size());
    if (count == 0)
        return callouts;
    const double mid = barTopPt(page);
    const double first = firstCalloutLeftPt(page, count);
    float runningLeft = static_cast<float>(first);
    for (int i = 1; i <= count; ++i) {
        PageElement callout;
        callout.kind = ElementKind::Callout;
        const bool below = i % 2 == 1;
        callout.shapeType = below ? 55 : 56;
        if (i == 1) {
            callout.leftPt = first;
        } else {
            runningLeft = static_cast<float>(static_cast<double>(runningLeft) + columnWidthPt);
            callout.leftPt = runningLeft;
        }
        callout.topPt = below ? mid + kBarHeightPt : mid - kCalloutHeightPt;
        callout.widthPt = kCalloutWidthPt;
        callout.heightPt = kCalloutHeightPt;
        callout.text = entries.at(i - 1).notes;
        callout.style.fontSizePt = 10;
        callouts << callout;
    }
    return callouts;
}

} // namespace docgen
