#include "docgen/pagelayout.h"

#include <QTest>

#include <cstring>

using namespace docgen;

namespace {
const PageMetrics kLetterLandscape{792, 612, 72, 72};

QList<TimelineEntry> entries(int count)
{
    QList<TimelineEntry> list;
    for (int i = 1; i <= count; ++i)
        list << TimelineEntry{QString::number(1950 + 5 * i), QStringLiteral("note %1").arg(i)};
    return list;
}

// Exact comparison down to the bit: the running position is single precision.
bool sameFloat(double actual, float expected)
{
    const float narrowed = static_cast<float>(actual);
    return static_cast<double>(narrowed) == actual &&
           std::memcmp(&narrowed, &expected, sizeof(float)) == 0;
}
} // namespace

class TestPageLayout : public QObject
{
    Q_OBJECT

private slots:
    void frameOnLetterLandscape();
    void calloutLefts_data();
    void calloutLefts();
    void calloutsAlternateAroundTheBar();
    void emptyTextsKeepTheirPlaces();
    void manyEntriesRunOnWithoutBound();
    void negativeTextAreaPassesThrough();
};

void TestPageLayout::frameOnLetterLandscape()
{
    const auto frame =
        LayoutPageFrame(QStringLiteral("John's Timeline"), entries(3), kLetterLandscape);
    QCOMPARE(frame.size(), 3);
    const PageElement& title = frame[0];
    QCOMPARE(title.kind, ElementKind::TitleBox);
    QCOMPARE(title.shapeType, kHorizontalTextBox);
    QCOMPARE(title.leftPt, 245.475);
    QCOMPARE(title.topPt, 0.0);
    QCOMPARE(title.widthPt, 301.05);
    QCOMPARE(title.heightPt, 45.2);
    QCOMPARE(title.text, QStringLiteral("John's Timeline"));
    QCOMPARE(title.style.fontName, QStringLiteral("Arial"));
    QCOMPARE(title.style.fontSizePt, 28.0);
    QVERIFY(title.style.bold && title.style.alignment == TextAlignment::Centre);
    QCOMPARE(title.style.lineVisible, std::optional<bool>(false));
    QCOMPARE(title.style.wrapType, std::optional<int>(0));

    const PageElement& bar = frame[1];
    QCOMPARE(bar.kind, ElementKind::TimelineBar);
    QCOMPARE(bar.leftPt, 72.0);
    QCOMPARE(bar.topPt, 234.0);
    QCOMPARE(bar.widthPt, 648.0);
    QCOMPARE(bar.heightPt, 18.0);
    QCOMPARE(bar.style.fill, std::optional<Colour>(Colour{204, 255, 204}));
    QVERIFY(!bar.style.lineVisible.has_value());

    const PageElement& table = frame[2];
    QCOMPARE(table.kind, ElementKind::DateTable);
    QCOMPARE(table.cells, QStringList({"1955", "1960", "1965"}));
    QVERIFY(table.style.fixedColumnWidths && table.style.removeTopAndBottomBorders);
    QCOMPARE(table.style.fontSizePt, 10.0);
}

void TestPageLayout::calloutLefts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<float>("width");
    QTest::addColumn<QList<double>>("firstDouble");
    QTest::addColumn<QList<float>>("laterSingle");
    QTest::newRow("one entry") << 1 << 633.6f << QList<double>{468.0} << QList<float>{};
    QTest::newRow("three entries") << 3 << 211.2f << QList<double>{138.0}
                                   << QList<float>{349.20001220703125f, 560.4000244140625f};
    QTest::newRow("four entries") << 4 << 158.4f << QList<double>{111.6}
                                  << QList<float>{270.0f, 428.3999938964844f, 586.7999877929688f};
}

void TestPageLayout::calloutLefts()
{
    QFETCH(int, count);
    QFETCH(float, width);
    QFETCH(QList<double>, firstDouble);
    QFETCH(QList<float>, laterSingle);
    const auto callouts = LayoutCallouts(entries(count), kLetterLandscape, width);
    QCOMPARE(callouts.size(), count);
    QCOMPARE(callouts[0].leftPt, firstDouble[0]);
    for (int i = 1; i < count; ++i)
        QVERIFY2(
            sameFloat(callouts[i].leftPt, laterSingle[i - 1]),
            qPrintable(
                QStringLiteral("callout %1 at %2").arg(i + 1).arg(callouts[i].leftPt, 0, 'g', 17)));
}

void TestPageLayout::calloutsAlternateAroundTheBar()
{
    const auto callouts = LayoutCallouts(entries(4), kLetterLandscape, 158.4f);
    const QList<int> types{55, 56, 55, 56};
    const QList<double> tops{252, 153, 252, 153};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(callouts[i].kind, ElementKind::Callout);
        QCOMPARE(callouts[i].shapeType, types[i]);
        QCOMPARE(callouts[i].topPt, tops[i]);
        QCOMPARE(callouts[i].widthPt, 72.0);
        QCOMPARE(callouts[i].heightPt, 81.0);
        QCOMPARE(callouts[i].text, QStringLiteral("note %1").arg(i + 1));
        QCOMPARE(callouts[i].style.fontSizePt, 10.0);
    }
    // An even callout's bottom edge meets the bar's top; an odd one hangs from its bottom.
    QCOMPARE(callouts[1].topPt + callouts[1].heightPt, 234.0);
    QCOMPARE(callouts[0].topPt, 234.0 + 18.0);
}

void TestPageLayout::emptyTextsKeepTheirPlaces()
{
    QList<TimelineEntry> list{{QString(), QStringLiteral("a")},
                              {QStringLiteral("1990"), QString()}};
    const auto frame = LayoutPageFrame(QString(), list, kLetterLandscape);
    QCOMPARE(frame[0].text, QString());
    QCOMPARE(frame[0].style.fontSizePt, 28.0);
    QCOMPARE(frame[2].cells, QStringList({QString(), QStringLiteral("1990")}));
    const auto callouts = LayoutCallouts(list, kLetterLandscape, 316.8f);
    QCOMPARE(callouts[1].text, QString());
    QCOMPARE(callouts[1].shapeType, 56);
}

void TestPageLayout::manyEntriesRunOnWithoutBound()
{
    const float width = 633.6f / 63;
    const auto callouts = LayoutCallouts(entries(63), kLetterLandscape, width);
    QCOMPARE(callouts.size(), 63);
    for (int i = 1; i < 63; ++i)
        QVERIFY(callouts[i].leftPt > callouts[i - 1].leftPt);
    // Wide columns push callouts past the page edge; nothing clamps them.
    const auto wide = LayoutCallouts(entries(8), kLetterLandscape, 200.0f);
    QVERIFY(wide.last().leftPt > 792.0);
}

void TestPageLayout::negativeTextAreaPassesThrough()
{
    const PageMetrics tiny{100, 100, 72, 72};
    const auto frame = LayoutPageFrame(QStringLiteral("t"), entries(1), tiny);
    QCOMPARE(frame[1].topPt, -22.0);
    QCOMPARE(frame[1].leftPt, -274.0);
}

QTEST_GUILESS_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
