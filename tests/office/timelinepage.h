#pragma once

#include "office/document.h"
#include "office/error.h"

#include <QString>
#include <QStringList>

#include <cmath>
#include <functional>

// Builds the timeline page straight on the model, with the steps the document builder
// takes through automation: title box, bar with its date table, one callout per entry.
namespace officetest {

struct Entry
{
    QString date;
    QString notes;
};

inline office::Document buildTimeline(const QString& title, const QList<Entry>& entries,
                                      office::PageSetup page)
{
    using namespace office;
    Document document;
    document.page() = page;
    document.setOrientation(1);
    const double pw = document.page().widthPt;
    const double mid =
        (document.page().heightPt - document.page().topMarginPt - document.page().bottomMarginPt) /
        2;

    const int titleBox = document.addTextBox(pw / 2 - 301.05 / 2, 0, 301.05, 45.2);
    document.shape(titleBox).lineVisible = false;
    document.shape(titleBox).wrapType = kWrapSquare;
    document.setShapeText(titleBox, title);
    document.select(document.shapeText(titleBox));
    document.collapse();
    document.endKeyLine(true);
    document.moveLeftCharacters(1, true);
    document.setFontName(QStringLiteral("Arial"));
    document.setFontSizePt(28);
    document.setAlignment(Alignment::Center);
    document.setFontBold(true);

    const int bar = document.addTextBox(pw / 2 - 324, mid, 648, 18);
    document.shape(bar).fill = qRgb(204, 255, 204);
    document.select(document.shapeText(bar));
    document.collapse();
    document.setFontSizePt(10);
    const int columns = entries.isEmpty() ? 1 : int(entries.size());
    const int table = document.addTable(document.selection(), 1, columns);
    document.setTableBorderVisible(table, BorderTop, false);
    document.setTableBorderVisible(table, BorderBottom, false);
    const float w = float(document.columnPreferredWidthPt(table, 1));
    for (const Entry& entry : entries) {
        document.typeText(entry.date);
        document.moveRightCell();
    }

    const int n = int(entries.size());
    float x = 0;
    for (int i = 1; i <= n; ++i) {
        double left;
        if (i == 1) {
            left = pw / 2 - 324 + (pw / (n + 1)) / n;
            x = float(left);
        } else {
            left = float(x + w);
            x = float(left);
        }
        const bool up = i % 2 == 1;
        const int callout =
            document.addCallout(up ? ShapeKind::UpArrowCallout : ShapeKind::DownArrowCallout, left,
                                up ? mid + 18 : mid - 81, 72, 81);
        document.setShapeText(callout, entries[i - 1].notes);
        document.select(document.shapeText(callout));
        document.collapse();
        document.wholeStory();
        document.setFontSizePt(10);
    }
    return document;
}

inline office::PageSetup letterPage()
{
    office::PageSetup page;
    page.widthPt = 612;
    page.heightPt = 792;
    return page;
}

inline QList<Entry> threeEntries()
{
    return {{QStringLiteral("1990"), QStringLiteral("Founded")},
            {QStringLiteral("1995"), QStringLiteral("Launch")},
            {QStringLiteral("2000"), QStringLiteral("Expansion")}};
}

// The description of the engine error the action throws; empty when it throws none.
inline QString descriptionOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const office::Error& error) {
        return error.description();
    }
    return QString();
}

} // namespace officetest
