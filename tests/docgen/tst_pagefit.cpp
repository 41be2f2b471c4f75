#include "docgen/pagefit.h"
#include "docgen/pagemarks.h"
#include "office/calloutgeometry.h"
#include "office/document.h"
#include "office/textlayout.h"
#include "timeline/datereader.h"
#include "timeline/samples.h"

#include <QTextBoundaryFinder>
#include <QtTest>

using namespace docgen;

namespace {

PageMetrics landscape(const char* paper)
{
    const office::Paper* found = office::findPaper(QString::fromLatin1(paper));
    return PageMetrics{float(found->heightPt), float(found->widthPt), 72, 72};
}

// Notes of about `length` characters made of ordinary words.
QString words(int length, int seed)
{
    static const QStringList pool = {"moved",  "to",      "Boston",  "new",   "office",
                                     "opened", "company", "launch",  "of",    "the",
                                     "first",  "product", "records", "sales", "team"};
    QString text;
    for (int k = seed; text.size() < length; ++k)
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + pool[k % pool.size()];
    return text.left(length);
}

// Independent of the layout step: lays each text out as the renderer does and says where
// it breaks a word or runs past its area.
// With `wordsWhole` false a word broken across lines still counts as shown, as the fit
// report counts it.
bool showsWhole(const QString& text, int sizeHalfPt, const QString& font, bool bold, QSizeF area,
                bool wordsWhole = true)
{
    double height = 0;
    for (const QString& piece : office::splitParagraphTexts(text)) {
        office::Paragraph paragraph;
        paragraph.markFormat.fontName = font;
        paragraph.markFormat.sizeHalfPt = sizeHalfPt;
        paragraph.markFormat.bold = bold;
        if (!piece.isEmpty())
            paragraph.runs.push_back(office::Run{piece, paragraph.markFormat});
        const office::ParagraphLayout layout(paragraph, area.width());
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, piece);
        for (const office::LineBox& line : layout.lines()) {
            const int end = line.textStart + line.textLength;
            if (wordsWhole && end < piece.size() && !piece.at(end - 1).isSpace()) {
                finder.setPosition(end);
                if (!finder.isAtBoundary())
                    return false;
            }
        }
        height += layout.heightPt();
    }
    return height <= area.height() + 0.01;
}

QString fontOf(const PageElement& e)
{
    return e.style.fontName.isEmpty() ? QStringLiteral("Calibri") : e.style.fontName;
}

double textWidth(const QString& text, int sizeHalfPt)
{
    office::Paragraph paragraph;
    paragraph.markFormat.sizeHalfPt = sizeHalfPt;
    paragraph.runs.push_back(office::Run{text, paragraph.markFormat});
    double widest = 0;
    const office::ParagraphLayout layout(paragraph, 1e6);
    for (const office::LineBox& line : layout.lines())
        widest = std::max(widest, line.widthPt);
    return widest;
}

// The left edge and width of a date's cell, from its bar's left.
std::pair<double, double> cellOf(const PageElement& bar, const PageElement& table, int k)
{
    if (table.columnWidthsPt.isEmpty()) {
        const float column = PageFit::columnWidthPt(bar.widthPt, bar.entryCount);
        return {7.2 + k * column, column};
    }
    double left = 7.2;
    for (int j = 0; j < k; ++j)
        left += table.columnWidthsPt.at(j);
    return {left, table.columnWidthsPt.at(k)};
}

QRectF frameOf(const PageElement& e)
{
    return QRectF(e.leftPt, e.topPt, e.widthPt, e.heightPt);
}

bool overlaps(const QRectF& a, const QRectF& b)
{
    const QRectF both = a.intersected(b);
    return both.width() > 0.5 && both.height() > 0.5;
}

// Every rule a fitted page keeps; one line per broken rule.
QStringList faults(const PagePlan& plan, const QList<TimelineEntry>& entries,
                   const PageMetrics& page)
{
    QStringList found;
    const QRectF sheet(0, 0, page.pageWidthPt, page.pageHeightPt);
    const QList<int> cut = plan.report.cutLines();
    QList<QRectF> texts{frameOf(plan.frame.at(0))};
    // Half an inch free at every edge, and as much room above as below, within a tenth.
    const QRectF printable = sheet.adjusted(36, 36, -36, -36);
    QRectF all;
    for (const PageElement& e : plan.frame + plan.callouts) {
        if (e.kind == ElementKind::DateTable)
            continue;
        if (!printable.contains(frameOf(e).adjusted(0.01, 0.01, -0.01, -0.01)))
            found << QStringLiteral("inside the margin: kind %1").arg(int(e.kind));
        all = all.isNull() ? frameOf(e) : all.united(frameOf(e));
    }
    if (std::abs(all.top() - (sheet.bottom() - all.bottom())) > sheet.height() / 10)
        found << QStringLiteral("unbalanced: %1 above, %2 below")
                     .arg(all.top())
                     .arg(sheet.bottom() - all.bottom());
    for (const PageElement& e : plan.frame + plan.callouts) {
        if (e.kind != ElementKind::DateTable && !sheet.contains(frameOf(e)))
            found << QStringLiteral("off the page: kind %1").arg(int(e.kind));
        if (e.kind != ElementKind::TimelineBar && e.style.fontSizePt < 7)
            found << QStringLiteral("text under 7 pt");
    }
    const QList<PageElement> bars = plan.bars();
    const QList<PageElement> tables = plan.tables();
    for (int i = 0; i < plan.callouts.size(); ++i) {
        const PageElement& c = plan.callouts.at(i);
        const QRectF frame = frameOf(c);
        for (const QRectF& other : texts) {
            if (overlaps(frame, other))
                found << QStringLiteral("callout %1 over another text shape").arg(i + 1);
        }
        texts << frame;
        // The arrow points at its own date's cell and touches its bar.
        int b = 0;
        while (b + 1 < bars.size() && bars.at(b + 1).firstEntry <= i)
            ++b;
        const PageElement& bar = bars.at(b);
        const auto [offset, column] = cellOf(bar, tables.at(b), i - bar.firstEntry);
        const double cellLeft = bar.leftPt + offset;
        const double tip = c.leftPt + c.widthPt / 2;
        if (tip < cellLeft || tip > cellLeft + column)
            found << QStringLiteral("callout %1 points past its date").arg(i + 1);
        const bool below = i % 2 == 0;
        const double edge = below ? c.topPt : c.topPt + c.heightPt;
        if (std::abs(edge - (below ? bar.topPt + bar.heightPt : bar.topPt)) > 0.01)
            found << QStringLiteral("callout %1 does not reach its bar").arg(i + 1);
        if (c.style.fontSizePt != plan.callouts.at(0).style.fontSizePt)
            found << QStringLiteral("notes in more than one size");
        // The tip stands over the date's own text, which the cell centres.
        const QString date = tables.at(b).cells.at(i - bar.firstEntry);
        const double half = tables.at(b).textUpward
                                ? 0.5 * column
                                : textWidth(date, int(tables.at(b).style.fontSizePt * 2)) / 2 + 0.5;
        if (std::abs(tip - (cellLeft + column / 2)) > half)
            found << QStringLiteral("callout %1 points beside its date's text").arg(i + 1);
        if (cut.contains(i + 1))
            continue;
        const office::Adjust adjust = c.adjust ? *c.adjust : office::kCalloutDefaultAdjust;
        const QRectF rect =
            office::calloutTextRect(c.shapeType == 55 ? office::ShapeKind::UpArrowCallout
                                                      : office::ShapeKind::DownArrowCallout,
                                    c.widthPt, c.heightPt, adjust);
        if (!showsWhole(entries.at(i).notes, int(c.style.fontSizePt * 2), fontOf(c), false,
                        rect.size() - 2 * c.insets(), false))
            found << QStringLiteral("notes %1 cut without a report").arg(i + 1);
    }
    for (int b = 0; b < tables.size(); ++b) {
        const PageElement& t = tables.at(b);
        if (t.style.fontSizePt != tables.at(0).style.fontSizePt)
            found << QStringLiteral("dates in more than one size");
        for (int k = 0; k < t.entryCount; ++k) {
            const double column = cellOf(bars.at(b), t, k).second;
            if (cut.contains(t.firstEntry + k + 1))
                continue;
            const QSizeF area = t.textUpward ? QSizeF(t.rowHeightPt, column - 10.8)
                                             : QSizeF(column - 10.8, bars.at(b).heightPt - 3.6);
            if (!showsWhole(t.cells.at(k), int(t.style.fontSizePt * 2), fontOf(t), false, area))
                found << QStringLiteral("date %1 cut without a report").arg(t.firstEntry + k + 1);
        }
    }
    return found;
}

// Nine yearly entries, eight of them in three categories, two spans and a milestone,
// `copies` times over, each copy 30 years after the one before.
QList<TimelineEntry> markedList(int copies)
{
    const QString b = QStringLiteral("Building");
    const QString p = QStringLiteral("People");
    const QString s = QStringLiteral("Services");
    QList<TimelineEntry> entries;
    for (int c = 0; c < copies; ++c) {
        const auto year = [&](int y) { return QString::number(y + 30 * c); };
        entries << TimelineEntry{year(1990), "Founded the workshop in a barn", b}
                << TimelineEntry{year(1993) + QChar(0x2013) + year(1997), "Built the first hall", b}
                << TimelineEntry{year(1995), "Hired the first apprentices", p}
                << TimelineEntry{year(1998), "Opened the repair service", s, true}
                << TimelineEntry{year(2000) + " to " + year(2004), "Ran the school workshops", s}
                << TimelineEntry{year(2002), "Second hall finished", b}
                << TimelineEntry{year(2005), "Fifty people on the payroll", p}
                << TimelineEntry{year(2008), "Started the delivery round"}
                << TimelineEntry{year(2012), "Moved to the new site", b};
    }
    return entries;
}

} // namespace

class TestPageFit : public QObject
{
    Q_OBJECT

private slots:
    void everyCountKeepsTheRules_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("notesLength");
        QTest::addColumn<QString>("date");
        for (const char* paper : {"Letter", "A4", "Legal", "A3", "Tabloid"}) {
            for (int count : {1, 2, 5, 12, 16, 20, 25, 33, 63}) {
                for (int notes : {12, 90, 200, 600}) {
                    for (const char* date : {"1961", "2024-03-15", "Apr 2000"}) {
                        if (QByteArray(paper) != "Letter" && (notes == 200 || count == 5))
                            continue; // the other papers on a lighter grid
                        QTest::addRow("%s %d x %d %s", paper, count, notes, date)
                            << QString::fromLatin1(paper) << count << notes
                            << QString::fromLatin1(date);
                    }
                }
            }
        }
    }
    void everyCountKeepsTheRules()
    {
        QFETCH(QString, paper);
        QFETCH(int, count);
        QFETCH(int, notesLength);
        QFETCH(QString, date);
        const PageMetrics page = landscape(paper.toLatin1().constData());
        QList<TimelineEntry> entries;
        for (int i = 0; i < count; ++i)
            entries << TimelineEntry{date, words(notesLength, i)};
        const PagePlan plan = PageFit::plan(QStringLiteral("Project Timeline"), entries, page);
        const QStringList found = faults(plan, entries, page);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u"; ")));
        // Short notes always fit, at every count.
        if (notesLength == 12)
            QVERIFY2(plan.report.fits(), qPrintable(plan.report.cuts.value(0).describe()));
    }

    // The classic page stays the original geometry and cuts what it always cut; the fitted
    // page of the same list shows every word, in larger type where the sheet has room.
    void samplesFitWhereClassicCuts_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<QList<int>>("classicCuts");
        QTest::newRow("yearly") << 1 << QList<int>{1};
        QTest::newRow("monthly") << 2 << QList<int>{7};
        QTest::newRow("daily") << 3 << QList<int>{2, 4, 6, 7};
    }
    void samplesFitWhereClassicCuts()
    {
        QFETCH(int, scale);
        QFETCH(QList<int>, classicCuts);
        const PageMetrics page = landscape("Letter");
        const QList<TimelineEntry> entries = editor::sampleEntries(scale);
        const QString title = QStringLiteral("Project Timeline");
        const PagePlan classic = PageFit::plan(title, entries, page, LayoutStyle::Classic);
        QCOMPARE(classic.frame, LayoutPageFrame(title, entries, page));
        QCOMPARE(classic.report.cutLines(), classicCuts);
        const PagePlan fitted = PageFit::plan(title, entries, page);
        QVERIFY(fitted.report.fits());
        const QStringList found = faults(fitted, entries, page);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u"; ")));
        QVERIFY(fitted.callouts.at(0).style.fontSizePt > 10);
    }

    // 63 notes of 80 characters show whole on every paper, evenly or to scale: more bars,
    // with wider callouts, rather than cut notes; the dates no larger than the notes.
    void densePagesFitInLargeType_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("toScale");
        for (const char* paper : {"Letter", "A4", "Legal", "A3", "Tabloid"})
            for (const bool toScale : {false, true})
                QTest::addRow("%s %s", paper, toScale ? "to scale" : "even")
                    << QString::fromLatin1(paper) << toScale;
    }
    void densePagesFitInLargeType()
    {
        QFETCH(QString, paper);
        QFETCH(bool, toScale);
        const PageMetrics page = landscape(paper.toLatin1().constData());
        QList<TimelineEntry> entries;
        QList<double> axis;
        for (int i = 0; i < 63; ++i) {
            const int year = i * i / 6 + i;
            entries << TimelineEntry{QString::number(1900 + year), words(80, i)};
            axis << (toScale ? year / (62.0 * 62 / 6 + 62) : 0.0);
        }
        const PagePlan plan = PageFit::plan(QStringLiteral("Project Timeline"), entries, page,
                                            LayoutStyle::Fit, toScale ? axis : QList<double>{});
        QVERIFY2(plan.report.fits(), qPrintable(plan.report.cuts.value(0).describe()));
        const QStringList found = faults(plan, entries, page);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u"; ")));
        QVERIFY(plan.tables().at(0).style.fontSizePt <= plan.callouts.at(0).style.fontSizePt);
    }

    // Dates spaced to scale: the arrows keep the gaps between the dates, each date keeps
    // the room it needs, and evenly spaced dates give the even page.
    void spacingToScale()
    {
        const PageMetrics page = landscape("Letter");
        QList<TimelineEntry> entries;
        for (const char* year : {"1900", "1910", "1920", "1960", "2000"})
            entries << TimelineEntry{QString::fromLatin1(year), QStringLiteral("Moved")};
        const PagePlan plan = PageFit::plan(QStringLiteral("T"), entries, page, LayoutStyle::Fit,
                                            {0.0, 0.1, 0.2, 0.6, 1.0});
        QVERIFY(faults(plan, entries, page).isEmpty());
        QList<double> tips;
        for (const PageElement& c : plan.callouts)
            tips << c.leftPt + c.widthPt / 2;
        const double unit = (tips[1] - tips[0]);
        for (const auto& [i, share] : {std::pair{2, 1.0}, {3, 4.0}, {4, 4.0}})
            QVERIFY2(std::abs((tips[i] - tips[i - 1]) / unit - share) < 0.15 * share,
                     qPrintable(QStringLiteral("gap %1: %2").arg(i).arg(tips[i] - tips[i - 1])));
        // Crowded dates still keep the room they need.
        const QList<double> crowded =
            PageFit::scaledColumns(633.6, {0.0, 0.001, 0.002, 1.0}, {40, 40, 40, 40});
        QCOMPARE(crowded.size(), 4);
        for (const double width : crowded)
            QVERIFY(width >= 40 - 0.05);
        QVERIFY(PageFit::scaledColumns(100, {0.0, 1.0}, {60, 60}).isEmpty());
        const PagePlan even = PageFit::plan(QStringLiteral("T"), entries, page, LayoutStyle::Fit,
                                            {0.0, 0.25, 0.5, 0.75, 1.0});
        QCOMPARE(even.callouts, PageFit::plan(QStringLiteral("T"), entries, page).callouts);
    }

    // Every look keeps its texts readable on their fills, and its page keeps the rules in
    // its own fonts; the plan carries the look's colours for the builder to pass on.
    void everyThemeIsReadableAndDesigned_data()
    {
        QTest::addColumn<QString>("theme");
        for (const QString& name : PageTheme::names())
            QTest::newRow(qPrintable(name)) << name;
    }
    void everyThemeIsReadableAndDesigned()
    {
        QFETCH(QString, theme);
        const PageTheme& look = *PageTheme::find(theme);
        const Colour white{255, 255, 255};
        const Colour black{0, 0, 0};
        QVERIFY(contrastRatio(look.titleColour.value_or(black), white) >= 4.5);
        QVERIFY(contrastRatio(look.dateColour.value_or(black), look.barFill) >= 4.5);
        QVERIFY(contrastRatio(look.notesColour.value_or(kNewCalloutText),
                              look.calloutFill.value_or(kNewCalloutFill)) >= 4.5);
        // Each category's colour reads well and stands apart from the default callout's.
        QVERIFY(look.categories.size() >= 3);
        for (const CategoryColour& colour : look.categories) {
            QVERIFY(contrastRatio(colour.text, colour.fill) >= 4.5);
            QVERIFY(colour.fill != look.calloutFill.value_or(kNewCalloutFill));
        }
        const PageMetrics page = landscape("A4");
        QList<TimelineEntry> entries;
        for (int i = 0; i < 14; ++i)
            entries << TimelineEntry{QString::number(1990 + i), words(30 + 12 * i, i)};
        const PagePlan plan = PageFit::plan(QStringLiteral("Library history"), entries, page,
                                            LayoutStyle::Fit, {}, look);
        QVERIFY(plan.report.fits());
        const QStringList found = faults(plan, entries, page);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u"; ")));
        QCOMPARE(plan.callouts.at(3).style.fill, look.calloutFill);
        QCOMPARE(plan.tables().at(0).style.textColour, look.dateColour);
        QCOMPARE(plan.frame.at(0).style.fontName, look.titleFont);
    }

    // Categories, spans and milestones: each category in the theme's colours in the order
    // it first appears, a legend inside the margins over nothing, each band from where its
    // span starts to where it ends, each milestone's marker on its arrow at its date, and
    // the whole still balanced and keeping every rule.
    void marksStandWhereTheyBelong_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("theme");
        QTest::addColumn<bool>("toScale");
        QTest::addColumn<int>("copies");
        QTest::newRow("Letter, to scale") << "Letter"
                                          << "Meadow" << true << 1;
        QTest::newRow("A4, evenly, Ink") << "A4"
                                         << "Ink" << false << 1;
        QTest::newRow("Legal, to scale, 27 entries") << "Legal"
                                                     << "Forest" << true << 3;
        QTest::newRow("A3, evenly, 63 entries") << "A3"
                                                << "Ember" << false << 7;
    }
    void marksStandWhereTheyBelong()
    {
        QFETCH(QString, paper);
        QFETCH(QString, theme);
        QFETCH(bool, toScale);
        QFETCH(int, copies);
        const PageMetrics page = landscape(paper.toLatin1().constData());
        const PageTheme& look = *PageTheme::find(theme);
        const QList<TimelineEntry> entries = markedList(copies).mid(0, 63);
        const editor::DateReader reader(1, QLocale::c());
        const QList<SpanReach> spans = spanReachesOf(entries, reader);
        QCOMPARE(spans.size(), 2 * copies);
        // Built up to 1997, and at work from 2000 to 2004, while the next date is in each.
        QCOMPARE(spans.at(0).lastEntry, 2);
        QCOMPARE(spans.at(1).lastEntry, 5);
        const QList<double> axis =
            toScale ? editor::scaleAxisOf(entries, reader).places : QList<double>{};
        const PagePlan plan = PageFit::plan(QStringLiteral("Workshop"), entries, page,
                                            LayoutStyle::Fit, axis, look, spans);
        QStringList found = faults(plan, entries, page);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u"; ")));

        // Colours by first appearance (their contrast is the theme's, tested above).
        QStringList order;
        for (int i = 0; i < entries.size(); ++i) {
            const ElementStyle& style = plan.callouts.at(i).style;
            QCOMPARE(style.bold, entries[i].milestone);
            if (entries[i].category.isEmpty()) {
                QCOMPARE(style.fill, look.calloutFill);
                QCOMPARE(style.textColour, look.notesColour);
                continue;
            }
            if (!order.contains(entries[i].category))
                order << entries[i].category;
            const CategoryColour want = look.categories.at(order.indexOf(entries[i].category));
            QCOMPARE(style.fill, std::optional<Colour>(want.fill));
        }
        QList<PageElement> keys;
        QList<PageElement> bands;
        QList<PageElement> markers;
        for (const PageElement& mark : plan.marks)
            (mark.kind == ElementKind::LegendKey  ? keys
             : mark.kind == ElementKind::SpanBand ? bands
                                                  : markers)
                << mark;
        QCOMPARE(keys.size(), order.size());
        QCOMPARE(bands.size(), spans.size());
        QCOMPARE(markers.size(), qsizetype(copies));

        // The legend: inside the margins, over nothing, counted in what the picture shows.
        const QRectF printable =
            QRectF(0, 0, page.pageWidthPt, page.pageHeightPt).adjusted(36, 36, -36, -36);
        QRectF all;
        for (const PageElement& e : plan.frame + plan.callouts + plan.marks) {
            if (e.kind != ElementKind::DateTable)
                all = all.isNull() ? frameOf(e) : all.united(frameOf(e));
        }
        for (int k = 0; k < keys.size(); ++k) {
            const PageElement& key = keys[k];
            QCOMPARE(key.text, order[k]);
            QCOMPARE(key.style.fill, std::optional<Colour>(look.categories.at(k).fill));
            QVERIFY2(printable.contains(frameOf(key)), qPrintable(key.text));
            QVERIFY(plan.report.pictureRegionPt.contains(frameOf(key)));
            for (const PageElement& other : plan.frame + plan.callouts + plan.marks) {
                if (other.kind != ElementKind::DateTable && !(other == key))
                    QVERIFY2(!overlaps(frameOf(key), frameOf(other)), qPrintable(key.text));
            }
        }
        QVERIFY(std::abs(all.top() - (page.pageHeightPt - all.bottom())) <= page.pageHeightPt / 10);

        // Each band along its bar on its callout's side, from its start to its end.
        const QList<PageElement> bars = plan.bars();
        const QList<PageElement> tables = plan.tables();
        const auto tip = [&](int i) {
            return plan.callouts.at(i).leftPt + plan.callouts.at(i).widthPt / 2;
        };
        for (int s = 0; s < spans.size(); ++s) {
            const PageElement& band = bands[s];
            const int i = spans[s].entry;
            QCOMPARE(band.firstEntry, i);
            QCOMPARE(band.style.fill, plan.callouts.at(i).style.fill);
            int b = 0;
            while (b + 1 < bars.size() && bars.at(b + 1).firstEntry <= i)
                ++b;
            const PageElement& bar = bars.at(b);
            const bool below = i % 2 == 0;
            QCOMPARE(below ? band.topPt : band.topPt + band.heightPt,
                     below ? bar.topPt + bar.heightPt : bar.topPt);
            const int first = bar.firstEntry;
            const int last = first + bar.entryCount - 1;
            double start = 0;
            double end = 0;
            double tolerance = 0.5;
            if (toScale) {
                const double span = tip(last) - tip(first);
                const auto at = [&](double place) {
                    return tip(first) + (place - axis[first]) / (axis[last] - axis[first]) * span;
                };
                start = at(axis[i]);
                end = std::min(at(spans[s].endPlace), bar.leftPt + bar.widthPt - 7.2);
                tolerance = 0.05 * span;
            } else {
                const int to = std::min(spans[s].lastEntry, last) - first;
                start = bar.leftPt + cellOf(bar, tables.at(b), i - first).first;
                const auto [left, width] = cellOf(bar, tables.at(b), to);
                end = bar.leftPt + left + width;
                tolerance = 1.5;
            }
            QVERIFY2(std::abs(band.leftPt - start) <= tolerance &&
                         std::abs(band.leftPt + band.widthPt - end) <= tolerance,
                     qPrintable(QStringLiteral("band %1 from %2, wanted %3")
                                    .arg(s)
                                    .arg(band.leftPt)
                                    .arg(start)));
        }
        // Each milestone's diamond at its date, its point at the bar's edge.
        for (const PageElement& marker : markers) {
            const int i = marker.firstEntry;
            QVERIFY(entries.at(i).milestone);
            QVERIFY(std::abs(marker.leftPt + marker.widthPt / 2 - tip(i)) < 0.01);
            QVERIFY(marker.widthPt >= 6);
            QVERIFY(frameOf(plan.callouts.at(i)).contains(frameOf(marker)));
        }
    }

    // A legend shows each name in two lines at most and takes a third of the sheet at
    // most; what it cannot show is reported at the category's first entry.
    void legendReportsWhatItCannotShow_data()
    {
        QTest::addColumn<int>("categories");
        QTest::addColumn<int>("firstNameLength");
        QTest::newRow("a name of 600 characters") << 2 << 600;
        QTest::newRow("sixty categories") << 60 << 50;
    }
    void legendReportsWhatItCannotShow()
    {
        QFETCH(int, categories);
        QFETCH(int, firstNameLength);
        const PageMetrics page = landscape("Letter");
        QList<TimelineEntry> entries;
        for (int i = 0; i < categories; ++i)
            entries << TimelineEntry{QString::number(1900 + i), QStringLiteral("Note"),
                                     words(i == 0 ? firstNameLength : 50, i) + QString::number(i)};
        const PagePlan plan = PageFit::plan(QStringLiteral("T"), entries, page);
        QRectF legend;
        for (const PageElement& key : plan.marks) {
            QVERIFY(QRectF(36, 36, page.pageWidthPt - 72, page.pageHeightPt - 72)
                        .contains(frameOf(key)));
            legend = legend.isNull() ? frameOf(key) : legend.united(frameOf(key));
        }
        QVERIFY(legend.height() <= (page.pageHeightPt - 72) / 3);
        // Each category shows whole in its key, or is reported at its first entry.
        int reported = 0;
        for (int i = 0; i < categories; ++i) {
            const bool whole =
                std::any_of(plan.marks.cbegin(), plan.marks.cend(), [&](const PageElement& key) {
                    return key.text == entries[i].category;
                });
            const bool cut = std::any_of(
                plan.report.cuts.cbegin(), plan.report.cuts.cend(), [&](const CutText& c) {
                    return c.part == CutText::Part::Category && c.line == i + 1 &&
                           c.shownCharacters < c.totalCharacters &&
                           c.describe().contains(QLatin1String("category cut after"));
                });
            QVERIFY2(whole != cut, qPrintable(entries[i].category));
            reported += cut;
        }
        QVERIFY(reported > 0);
    }

    void longTitleTakesTheLinesItNeeds()
    {
        const PageMetrics page = landscape("Letter");
        const QString title(QStringLiteral("The history of our family from the farm to the city"));
        const QList<TimelineEntry> entries{{"1955", "Born"}, {"1960", "School"}};
        const PagePlan plan = PageFit::plan(title, entries, page);
        const PageElement& box = plan.frame.at(0);
        QVERIFY(box.heightPt > kTitleHeightPt);
        QVERIFY(plan.report.fits());
        // Everything else stands below the title.
        for (const PageElement& c : plan.callouts)
            QVERIFY(c.topPt >= box.topPt + box.heightPt);
        QVERIFY(faults(plan, entries, page).isEmpty());
    }

    void whatCannotFitIsReportedByLine()
    {
        const PageMetrics page = landscape("Letter");
        QList<TimelineEntry> entries;
        for (int i = 0; i < 63; ++i)
            entries << TimelineEntry{QString::number(1900 + i), words(600, i)};
        const PagePlan plan = PageFit::plan(QStringLiteral("Dense"), entries, page);
        QCOMPARE(plan.report.cutLines().size(), 63);
        const CutText& twelfth = plan.report.cuts.at(11);
        QCOMPARE(twelfth.line, 12);
        QCOMPARE(twelfth.totalCharacters, 600);
        QVERIFY(twelfth.shownCharacters > 0 && twelfth.shownCharacters < 600);
        QCOMPARE(twelfth.describe(),
                 QStringLiteral("line 12 (1911): notes cut after %1 of 600 characters")
                     .arg(twelfth.shownCharacters));
        QVERIFY(faults(plan, entries, page).isEmpty());
        QCOMPARE(plan.report.cutFramesPt.size(), 63);
    }
};

QTEST_MAIN(TestPageFit)
#include "tst_pagefit.moc"
