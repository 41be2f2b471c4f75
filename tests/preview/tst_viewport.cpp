#include "preview/viewport.h"

#include "app/failure.h"
#include "support/scripteddialogs.h"

#include <QtTest>

#include <cmath>
#include <limits>

using preview::Bar;
using preview::BoxState;
using preview::Effect;
using preview::Viewport;

namespace {

// The viewport of the window at 96 DPI: Picture2 is 9330 x 7425 twips with a one-pixel
// (15-twip) border on each side.
struct Fixture
{
    testsupport::ScriptedDialogs dialogs;
    Viewport view{dialogs};
    QList<Effect> effects;

    Fixture()
    {
        view.setViewportSize(9330, 7425, 9300, 7395);
        view.setEffectSink([this](Effect effect) { effects << effect; });
    }

    // A page whose unscaled size (inner size of Zoom_Ori less 2) is base x base.
    void deliver(double baseWidth, double baseHeight)
    {
        view.assignPicture(baseWidth + 2, baseHeight + 2);
        view.formActivate();
    }

    // Picture1 at a given outer size, bars set up for it, as after a zoom change.
    void showAt(double width, double height)
    {
        view.setPicture1Size(width, height);
        view.setupScrollbars();
        effects.clear();
    }

    void dragBy(float dx, float dy, int buttons = 1)
    {
        view.mouseDown(2000, 2000);
        view.mouseMove(buttons, 2000 + dx, 2000 + dy);
    }

    int painted() const { return int(effects.count(Effect::PagePainted)); }
    QStringList boxes() const { return dialogs.messageTexts(); }
};

} // namespace

class TestViewport : public QObject
{
    Q_OBJECT

private slots:
    void conversions_data();
    void conversions();
    void setupScrollbars_data();
    void setupScrollbars();
    void disabledBarKeepsMaxAndValue();
    void zoomSteps_data();
    void zoomSteps();
    void heightLimitKeepsPictureDrawnAtPreviousZoom();
    void sizeLimits_data();
    void sizeLimits();
    void pageMeetingLimitAtDeliveryIsNeverRepainted();
    void pageMeetingLimitEvenAtThreeQuarters();
    void zoomedWidthIsFloored();
    void baseSizeRoundsHalfToEven_data();
    void baseSizeRoundsHalfToEven();
    void activationPreparesOncePerPage();
    void setupOverflowIsReportedByCaller();
    void redrawFailureStaysInsideRedraw();
    void zoomAfterScrollingResetsPositionInOrder();
    void barValueChangeRunsHandlerOnlyOnChange();
    void shrinkingMaxBelowValueMovesPage();
    void setByPercent_data();
    void setByPercent();
    void drag_data();
    void drag();
    void dragWithoutButtonDoesNothing();
    void release_data();
    void release();
    void releaseVertical();
    void releaseWithEqualWidthsReportsDivision();
    void releasePercentTooLargeForSixteenBits();
    void fitZoom_data();
    void fitZoom();
    void stepAfterFitLandsOnTheGrid_data();
    void stepAfterFitLandsOnTheGrid();
    void resizeKeepsThePageWhereItIs();
};

void TestViewport::conversions_data()
{
    QTest::addColumn<int>("kind"); // 0 = 16-bit nearest, 1 = 32-bit nearest, 2 = floor
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<bool>("overflows");

    QTest::newRow("half down to even") << 1 << 2.5 << qint64(2) << false;
    QTest::newRow("half up to even") << 1 << 3.5 << qint64(4) << false;
    QTest::newRow("negative half to even") << 1 << -2.5 << qint64(-2) << false;
    QTest::newRow("above half") << 1 << 98.79 << qint64(99) << false;
    QTest::newRow("base 5999.5") << 1 << 5999.5 << qint64(6000) << false;
    QTest::newRow("16-bit 10.5") << 0 << 10.5 << qint64(10) << false;
    QTest::newRow("16-bit 11.5") << 0 << 11.5 << qint64(12) << false;
    QTest::newRow("16-bit last") << 0 << 32767.4 << qint64(32767) << false;
    QTest::newRow("16-bit rounds past last") << 0 << 32767.5 << qint64(0) << true;
    QTest::newRow("16-bit lowest half") << 0 << -32768.5 << qint64(-32768) << false;
    QTest::newRow("16-bit below lowest") << 0 << -32769.0 << qint64(0) << true;
    QTest::newRow("32-bit past last") << 1 << 2147483647.5 << qint64(0) << true;
    QTest::newRow("32-bit nan") << 1 << std::numeric_limits<double>::quiet_NaN() << qint64(0)
                                << true;
    QTest::newRow("floor fraction") << 2 << 752.25 << qint64(752) << false;
    QTest::newRow("floor not nearest") << 2 << 752.99 << qint64(752) << false;
    QTest::newRow("floor negative") << 2 << -0.5 << qint64(-1) << false;
    QTest::newRow("floor past last") << 2 << 2147483648.0 << qint64(0) << true;
}

void TestViewport::conversions()
{
    QFETCH(int, kind);
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QFETCH(bool, overflows);
    const auto convert = [&]() -> qint64 {
        switch (kind) {
        case 0:
            return preview::toInt16(value);
        case 1:
            return preview::toInt32(value);
        default:
            return preview::floorToInt32(value);
        }
    };
    if (overflows) {
        try {
            convert();
            QFAIL("no overflow");
        } catch (const app::Failure& failure) {
            QCOMPARE(failure.description(), QStringLiteral("Overflow"));
        }
    } else {
        QCOMPARE(convert(), expected);
    }
}

void TestViewport::setupScrollbars_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<double>("overflowTwips"); // page outer size less viewport outer size
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("max");

    QTest::newRow("as wide as viewport") << false << 0.0 << false << 0 << 32767;
    QTest::newRow("narrower") << false << -3000.0 << false << 0 << 32767;
    QTest::newRow("fraction over") << false << 0.4 << true << 1 << 0;
    QTest::newRow("overflow 100") << false << 100.0 << true << 1 << 100;
    QTest::newRow("overflow 101") << false << 101.0 << true << 10 << 10;
    QTest::newRow("overflow 105 half to even") << false << 105.0 << true << 10 << 10;
    QTest::newRow("overflow 115 half to even") << false << 115.0 << true << 10 << 12;
    QTest::newRow("overflow 2668") << false << 2668.0 << true << 10 << 267;
    QTest::newRow("vertical equal") << true << 0.0 << false << 0 << 32767;
    QTest::newRow("vertical 100") << true << 100.0 << true << 1 << 100;
    QTest::newRow("vertical 101") << true << 101.0 << true << 10 << 10;
}

void TestViewport::setupScrollbars()
{
    QFETCH(bool, vertical);
    QFETCH(double, overflowTwips);
    QFETCH(bool, enabled);
    QFETCH(int, step);
    QFETCH(int, max);
    Fixture f;
    const double width = vertical ? 5000 : 9330 + overflowTwips;
    const double height = vertical ? 7425 + overflowTwips : 5000;
    f.view.setPicture1Size(width, height);
    f.view.setupScrollbars();
    const Bar bar = vertical ? Bar::Vertical : Bar::Horizontal;
    QCOMPARE(f.view.bar(bar).enabled, enabled);
    QCOMPARE(int(vertical ? f.view.mVStep : f.view.mHStep), step);
    QCOMPARE(int(f.view.bar(bar).max), max);
    QCOMPARE(int(f.view.bar(bar).value), 0);
    QCOMPARE(f.view.picture1().left, 0.0f);
    QCOMPARE(f.view.picture1().top, 0.0f);
}

void TestViewport::disabledBarKeepsMaxAndValue()
{
    Fixture f;
    f.showAt(9330 + 500, 5000);
    f.view.setBarValue(Bar::Horizontal, 20);
    f.view.setPicture1Size(9000, 5000);
    f.view.setupScrollbars();
    QVERIFY(!f.view.bar(Bar::Horizontal).enabled);
    QCOMPARE(int(f.view.mHStep), 0);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).max), 50);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 20);
    // The page returned to the corner although the bar still shows 20.
    QCOMPARE(f.view.picture1().left, 0.0f);
}

void TestViewport::zoomSteps_data()
{
    QTest::addColumn<int>("zoomIns");
    QTest::addColumn<int>("zoomOuts");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<int>("paints"); // after preparation

    QTest::newRow("twelve in reach 4.0") << 12 << 0 << 4.0f << 12;
    QTest::newRow("thirteenth in refused") << 13 << 0 << 4.0f << 12;
    QTest::newRow("three out reach 0.25") << 0 << 3 << 0.25f << 3;
    QTest::newRow("fourth out refused") << 0 << 4 << 0.25f << 3;
    QTest::newRow("in then out") << 2 << 1 << 1.25f << 3;
}

void TestViewport::zoomSteps()
{
    QFETCH(int, zoomIns);
    QFETCH(int, zoomOuts);
    QFETCH(float, zoom);
    QFETCH(int, paints);
    Fixture f;
    f.deliver(1000, 500); // 4000 x 2000 at 4.0: no limit is met
    QCOMPARE(f.painted(), 1);
    f.effects.clear();
    for (int i = 0; i < zoomIns; ++i)
        f.view.zoomIn();
    for (int i = 0; i < zoomOuts; ++i)
        f.view.zoomOut();
    QCOMPARE(f.view.mZoom, zoom);
    QCOMPARE(f.painted(), paints);
    QCOMPARE(f.view.picture1().outerWidth, std::floor(1000 * double(zoom)));
    QVERIFY(f.boxes().isEmpty());
}

void TestViewport::heightLimitKeepsPictureDrawnAtPreviousZoom()
{
    Fixture f;
    f.deliver(5000, 3000);
    for (int i = 0; i < 4; ++i)
        f.view.zoomIn();
    QCOMPARE(f.view.mZoom, 2.0f);
    QCOMPARE(f.view.picture1().outerWidth, 10000.0);
    QCOMPARE(f.view.picture1().outerHeight, 6000.0);
    f.view.setBarValue(Bar::Horizontal, 30);
    f.effects.clear();

    f.view.zoomIn(); // 11250 x 6750: the height limit is met
    QCOMPARE(f.painted(), 0);
    QCOMPARE(f.view.mZoom, 1.0f);
    QCOMPARE(f.view.shownZoom(), 2.0f); // what the page still shows
    QCOMPARE(f.view.mZoomWidth, 5000);
    QCOMPARE(f.view.mZoomHeight, 3000);
    QCOMPARE(f.view.picture1().outerWidth, 10000.0);
    QCOMPARE(f.view.picture1().outerHeight, 6000.0);
    QCOMPARE(f.view.picture1().left, 0.0f);
    QCOMPARE(f.view.picture1().top, 0.0f);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).max), 67); // 670 twips over the viewport
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 0);

    f.view.zoomIn();
    QCOMPARE(f.view.mZoom, 1.25f);
    QCOMPARE(f.view.picture1().outerWidth, 6250.0);
    f.view.zoomOut();
    f.view.zoomOut();
    QCOMPARE(f.view.mZoom, 0.75f);
}

void TestViewport::sizeLimits_data()
{
    QTest::addColumn<double>("baseWidth");
    QTest::addColumn<double>("baseHeight");
    QTest::addColumn<bool>("painted");
    QTest::addColumn<bool>("lifted"); // a sheet drawn from its document

    QTest::newRow("width one below") << 14499.0 << 1000.0 << true << false;
    QTest::newRow("width at limit") << 14500.0 << 1000.0 << false << false;
    QTest::newRow("height one below") << 1000.0 << 6599.0 << true << false;
    QTest::newRow("height at limit") << 1000.0 << 6600.0 << false << false;
    // A Tabloid sheet at its real size and at 400 %.
    QTest::newRow("lifted, sheet") << 24480.0 << 15840.0 << true << true;
    QTest::newRow("lifted, sheet at 4.0") << 4 * 24480.0 << 4 * 15840.0 << true << true;
}

void TestViewport::sizeLimits()
{
    QFETCH(double, baseWidth);
    QFETCH(double, baseHeight);
    QFETCH(bool, painted);
    QFETCH(bool, lifted);
    Fixture f;
    if (lifted)
        f.view.setSizeLimits(Viewport::kNoSizeLimit, Viewport::kNoSizeLimit);
    f.deliver(baseWidth, baseHeight);
    QCOMPARE(f.painted(), painted ? 1 : 0);
    if (lifted)
        QVERIFY(f.view.bar(Bar::Horizontal).enabled && f.view.bar(Bar::Vertical).enabled);
    // Unpainted, Picture1 keeps the delivered size (2 twips more than the base).
    QCOMPARE(f.view.picture1().outerWidth, painted ? baseWidth : baseWidth + 2);
    QCOMPARE(f.view.picture1().hasPicture, !painted);
}

void TestViewport::pageMeetingLimitAtDeliveryIsNeverRepainted()
{
    Fixture f;
    // 600 x 460 pixels at 96 DPI: 9000 x 6900 twips, base 8998 x 6898.
    f.view.assignPicture(9000, 6900);
    f.view.formActivate();
    QCOMPARE(f.painted(), 0);
    QVERIFY(f.view.picture1().hasPicture);
    QCOMPARE(f.view.picture1().outerWidth, 9000.0);
    QCOMPARE(f.view.picture1().outerHeight, 6900.0);
    QVERIFY(!f.view.bar(Bar::Horizontal).enabled);
    QVERIFY(!f.view.bar(Bar::Vertical).enabled);

    f.view.zoomIn();
    QCOMPARE(f.painted(), 0);
    QCOMPARE(f.view.mZoom, 1.0f);

    f.view.zoomOut();
    QCOMPARE(f.painted(), 1);
    QCOMPARE(f.view.mZoom, 0.75f);
    QCOMPARE(f.view.picture1().outerWidth, 6748.0);
    QCOMPARE(f.view.picture1().outerHeight, 5173.0);

    f.view.zoomIn(); // 1.0 meets the limit again: the view stays at 0.75
    QCOMPARE(f.painted(), 1);
    QCOMPARE(f.view.mZoom, 1.0f);
    QCOMPARE(f.view.picture1().outerWidth, 6748.0);
    QVERIFY(!f.view.picture1().hasPicture);
}

void TestViewport::pageMeetingLimitEvenAtThreeQuarters()
{
    Fixture f;
    f.deliver(5000, 9000); // 6750 high at 0.75
    for (int i = 0; i < 3; ++i) {
        f.view.zoomOut();
        QCOMPARE(f.view.mZoom, 1.0f);
    }
    QCOMPARE(f.painted(), 0);
    QCOMPARE(f.view.picture1().outerHeight, 9002.0);
}

void TestViewport::zoomedWidthIsFloored()
{
    Fixture f;
    f.deliver(1003, 1001);
    f.view.zoomOut();
    QCOMPARE(f.view.mZoomWidth, 752);  // 752.25
    QCOMPARE(f.view.mZoomHeight, 750); // 750.75
    QCOMPARE(f.view.picture1().outerWidth, 752.0);
}

void TestViewport::baseSizeRoundsHalfToEven_data()
{
    QTest::addColumn<double>("innerWidth");
    QTest::addColumn<int>("base");
    QTest::newRow("6001.5 to 6000") << 6001.5 << 6000;
    QTest::newRow("6002.5 to 6000") << 6002.5 << 6000;
    QTest::newRow("6003.5 to 6002") << 6003.5 << 6002;
}

void TestViewport::baseSizeRoundsHalfToEven()
{
    QFETCH(double, innerWidth);
    QFETCH(int, base);
    Fixture f;
    f.view.assignPicture(innerWidth, 1000);
    f.view.formActivate();
    QCOMPARE(f.view.zoomOri().innerWidth, innerWidth);
    QCOMPARE(f.view.mBaseWidth, base);
}

void TestViewport::activationPreparesOncePerPage()
{
    Fixture f;
    f.deliver(5000, 3000);
    QVERIFY(!f.view.mFirstActivate);
    QVERIFY(!f.view.zoomOriVisible());
    QVERIFY(f.view.picturePersistent());
    f.view.zoomIn();
    f.effects.clear();
    f.view.formActivate(); // active again with the same page
    QVERIFY(f.effects.isEmpty());
    QCOMPARE(f.view.mZoom, 1.25f);

    f.view.assignPicture(2002, 1002);
    QVERIFY(f.view.mFirstActivate);
    // Auto-size is on: the new page fits Picture1 as soon as it is assigned.
    QCOMPARE(f.view.picture1().outerWidth, 2002.0);
    f.view.formActivate();
    QCOMPARE(f.view.mZoom, 1.0f);
    QCOMPARE(f.view.mBaseWidth, 2000);
    QCOMPARE(f.painted(), 1);
}

void TestViewport::setupOverflowIsReportedByCaller()
{
    Fixture f;
    // 330670 twips over the viewport: the maximum 33067 does not fit 16 bits.
    f.view.assignPicture(340000, 1000);
    f.view.formActivate();
    const QStringList boxes = f.boxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].startsWith(QStringLiteral("Overflow\r\n")));
    QVERIFY(boxes[0].contains(
        QStringLiteral("in Chronoweave2021/08/31.Form2.Form_Activate at line 136\r")));
    QVERIFY(!f.view.mFirstActivate); // statement 138 still ran

    // The zoom commands report the same failure under their own label and statement.
    f.view.zoomIn();
    f.view.zoomOut();
    QCOMPARE(f.boxes().size(), 3);
    QVERIFY(f.boxes()[1].contains(QStringLiteral("Form2.PushButton1_Click at line 100\r")));
    QVERIFY(f.boxes()[2].contains(QStringLiteral("Form2.PushButton2_Click at line 100\r")));
}

void TestViewport::redrawFailureStaysInsideRedraw()
{
    Fixture f;
    f.deliver(1000, 500);
    f.view.mBaseWidth = std::numeric_limits<std::int32_t>::max();
    f.view.zoomIn();
    const QStringList boxes = f.boxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].startsWith(QStringLiteral("Overflow\r\n")));
    QVERIFY(boxes[0].contains(QStringLiteral("Form2.RedrawImage at line 100\r")));
    // It went on with statement 102 and painted at the old width.
    QCOMPARE(f.view.mZoomHeight, 625);
    QCOMPARE(f.view.picture1().outerWidth, 1000.0);
}

void TestViewport::zoomAfterScrollingResetsPositionInOrder()
{
    Fixture g;
    g.deliver(10330, 4000);
    g.view.setBarValue(Bar::Horizontal, 100);
    g.view.setBarValue(Bar::Vertical, 0);
    QCOMPARE(g.view.picture1().left, -1000.0f);
    g.effects.clear();
    g.view.zoomIn();
    QCOMPARE(g.view.picture1().left, 0.0f);
    QCOMPARE(g.view.picture1().top, 0.0f);
    QCOMPARE(int(g.view.bar(Bar::Horizontal).value), 0);
    QCOMPARE(int(g.view.bar(Bar::Vertical).value), 0);
    const QList<Effect> expectedStart{
        Effect::PictureCleared, Effect::PictureResized, Effect::PictureResized,
        Effect::PagePainted,    Effect::PointerReset,   Effect::HBarChanged,
        Effect::PictureMoved, // statement 116: the bar's change handler moves the page
    };
    QCOMPARE(g.effects.mid(0, expectedStart.size()), expectedStart);
    // The vertical bar was already 0, so statement 118 ran no handler; the setup follows.
    QCOMPARE(g.effects.at(expectedStart.size()), Effect::PictureMoved);
}

void TestViewport::barValueChangeRunsHandlerOnlyOnChange()
{
    Fixture f;
    f.showAt(9330 + 2668, 5000);
    f.view.setBarValue(Bar::Horizontal, 0);
    QVERIFY(f.effects.isEmpty());
    f.view.setBarValue(Bar::Horizontal, 99);
    QCOMPARE(f.effects, (QList<Effect>{Effect::HBarChanged, Effect::PictureMoved}));
    QCOMPARE(f.view.picture1().left, -990.0f);
    f.effects.clear();
    f.view.setBarValue(Bar::Horizontal, 99);
    QVERIFY(f.effects.isEmpty());
}

void TestViewport::shrinkingMaxBelowValueMovesPage()
{
    Fixture f;
    f.showAt(9330 + 2000, 5000);
    f.view.setBarValue(Bar::Horizontal, 150);
    f.view.setBarMax(Bar::Horizontal, 40);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 40);
    QCOMPARE(f.view.picture1().left, -400.0f);
}

void TestViewport::setByPercent_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("value");
    QTest::newRow("50 of 5 half to even") << 50 << 2;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("100") << 100 << 5;
    QTest::newRow("101 ignored") << 101 << 3;
    QTest::newRow("-1 ignored") << -1 << 3;
}

void TestViewport::setByPercent()
{
    QFETCH(int, percent);
    QFETCH(int, value);
    Fixture f;
    f.showAt(9330 + 5, 7425 + 5); // step 1, maximum 5
    for (const Bar bar : {Bar::Horizontal, Bar::Vertical}) {
        f.view.setBarValue(bar, 3);
        const std::int16_t p = static_cast<std::int16_t>(percent);
        f.view.setBarByPercent(bar, p);
        QCOMPARE(int(f.view.bar(bar).value), value);
    }
    QCOMPARE(f.view.picture1().left, float(-value));
    QCOMPARE(f.view.picture1().top, float(-value));
}

void TestViewport::drag_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<float>("dx");
    QTest::addColumn<float>("dy");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");

    // 14330 x 12425: 5000 twips over the outer size, 5030 over the inner size.
    QTest::newRow("inside") << 14330.0 << 12425.0 << 1 << -2500.0f << -1200.0f << -2500.0f
                            << -1200.0f;
    QTest::newRow("right button") << 14330.0 << 12425.0 << 2 << -2500.0f << -1200.0f << -2500.0f
                                  << -1200.0f;
    QTest::newRow("middle button") << 14330.0 << 12425.0 << 4 << -10.0f << 0.0f << -10.0f << 0.0f;
    QTest::newRow("right from start stays at 0")
        << 14330.0 << 12425.0 << 1 << 700.0f << 300.0f << 0.0f << 0.0f;
    QTest::newRow("stops at inner right and bottom")
        << 14330.0 << 12425.0 << 1 << -90000.0f << -90000.0f << -5030.0f << -5030.0f;
    QTest::newRow("between inner and outer width")
        << 9320.0 << 5000.0 << 1 << -500.0f << -500.0f << -20.0f << 0.0f;
    QTest::newRow("narrower than inside stays")
        << 4000.0 << 3000.0 << 1 << -500.0f << 500.0f << 0.0f << 0.0f;
}

void TestViewport::drag()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, buttons);
    QFETCH(float, dx);
    QFETCH(float, dy);
    QFETCH(float, left);
    QFETCH(float, top);
    Fixture f;
    f.showAt(width, height);
    f.dragBy(dx, dy, buttons);
    QCOMPARE(f.view.picture1().left, left);
    QCOMPARE(f.view.picture1().top, top);
    // One reposition per move; the bars stay while the button is held.
    QCOMPARE(f.effects, QList<Effect>{Effect::PictureMoved});
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 0);
}

void TestViewport::dragWithoutButtonDoesNothing()
{
    Fixture f;
    f.showAt(14330, 12425);
    f.view.mouseDown(100, 100);
    f.view.mouseMove(0, 50, 50);
    QVERIFY(f.effects.isEmpty());
    // The anchor keeps the pressed point: the second move follows the mouse from there.
    f.view.mouseMove(1, 60, 100);
    f.view.mouseMove(1, 50, 100);
    QCOMPARE(f.view.picture1().left, -90.0f);
}

void TestViewport::release_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<float>("dx");
    QTest::addColumn<int>("barBefore");
    QTest::addColumn<int>("barAfter");
    QTest::addColumn<float>("leftAfter");

    QTest::newRow("37 percent settles on bar 99")
        << 9330 + 2668.0 << -1000.0f << 0 << 99 << -990.0f;
    QTest::newRow("half of 5000") << 9330 + 5000.0 << -2500.0f << 0 << 250 << -2500.0f;
    QTest::newRow("far end leaves bar") << 9330 + 5000.0 << -9000.0f << 0 << 0 << -5030.0f;
    QTest::newRow("far end leaves scrolled bar")
        << 9330 + 5000.0 << -9000.0f << 120 << 120 << -5030.0f;
    QTest::newRow("narrower than outside leaves bar") << 9320.0 << -50.0f << 0 << 0 << -20.0f;
    QTest::newRow("back at start") << 9330 + 5000.0 << 0.0f << 0 << 0 << 0.0f;
}

void TestViewport::release()
{
    QFETCH(double, width);
    QFETCH(float, dx);
    QFETCH(int, barBefore);
    QFETCH(int, barAfter);
    QFETCH(float, leftAfter);
    Fixture f;
    f.showAt(width, 5000);
    if (barBefore != 0)
        f.view.setBarValue(Bar::Horizontal, static_cast<std::int16_t>(barBefore));
    f.view.mouseDown(3000, 1000);
    f.view.mouseMove(1, 3000 + dx, 1000);
    f.view.mouseUp();
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), barAfter);
    QCOMPARE(f.view.picture1().left, leftAfter);
    QVERIFY(f.boxes().isEmpty());
}

void TestViewport::releaseVertical()
{
    Fixture f;
    f.showAt(5000, 7425 + 5000);
    f.dragBy(0, -2500);
    f.view.mouseUp();
    QCOMPARE(int(f.view.bar(Bar::Vertical).value), 250);
    QCOMPARE(f.view.picture1().top, -2500.0f);
}

void TestViewport::releaseWithEqualWidthsReportsDivision()
{
    Fixture f;
    f.showAt(9330, 5000);
    f.view.setBarValue(Bar::Horizontal, 7); // a disabled bar still takes a value
    f.dragBy(-100, 0);
    QCOMPARE(f.view.picture1().left, -30.0f); // the inner-size clamp
    f.view.mouseUp();
    const QStringList boxes = f.boxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].startsWith(QStringLiteral("Division by zero\r\n")));
    QVERIFY(boxes[0].contains(
        QStringLiteral("in Chronoweave2021/08/31.Form2.Picture1_MouseUp at line 100\r")));
    QCOMPARE(f.dialogs.messages().at(0).icon, app::MessageIcon::Exclamation);
    // The percentage kept its start value 0, and statement 104 set the bar to it.
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 0);
    QCOMPARE(f.view.picture1().left, 0.0f);
}

void TestViewport::releasePercentTooLargeForSixteenBits()
{
    Fixture f;
    f.showAt(9330.05, 5000); // 0.05 twips over the outer size, 30.05 over the inner
    f.view.setBarValue(Bar::Horizontal, 0);
    f.dragBy(-100, 0);
    f.view.mouseUp(); // 60100 percent
    const QStringList boxes = f.boxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].startsWith(QStringLiteral("Overflow\r\n")));
    QVERIFY(boxes[0].contains(QStringLiteral("Picture1_MouseUp at line 104\r")));
    QCOMPARE(f.view.picture1().left, -30.05f);
}

void TestViewport::fitZoom_data()
{
    QTest::addColumn<double>("baseWidth");
    QTest::addColumn<double>("baseHeight");
    QTest::addColumn<float>("atMost");
    QTest::addColumn<float>("atLeast");
    QTest::addColumn<bool>("painted");

    // The inside of the viewport is 9300 x 7395 twips.
    QTest::newRow("small page stops at 4.0") << 1000.0 << 500.0 << 4.0f << 4.0f << true;
    QTest::newRow("wide page by the inside") << 20000.0 << 5000.0 << 0.465f << 0.4649f << true;
    // 7395 / 6000 would fit the inside, but the height must stay below 6600.
    QTest::newRow("height limit before the inside") << 5000.0 << 6000.0 << 1.1f << 1.0999f << true;
    // Even at 0.25 too wide to paint: the zoom stays as it was.
    QTest::newRow("huge page stops at 0.25") << 200000.0 << 1000.0 << 0.25f << 0.25f << false;
}

void TestViewport::fitZoom()
{
    QFETCH(double, baseWidth);
    QFETCH(double, baseHeight);
    QFETCH(float, atMost);
    QFETCH(float, atLeast);
    QFETCH(bool, painted);
    Fixture f;
    QCOMPARE(f.view.fitZoom(), 0.0f); // no page yet
    f.view.zoomToFit();
    QVERIFY(f.effects.isEmpty());

    f.deliver(baseWidth, baseHeight);
    f.view.setBarValue(Bar::Horizontal, 5);
    const float zoom = f.view.fitZoom();
    QVERIFY2(zoom <= atMost && zoom >= atLeast, qPrintable(QString::number(double(zoom))));
    f.effects.clear();
    f.view.zoomToFit();
    QCOMPARE(f.painted(), painted ? 1 : 0);
    QVERIFY(f.boxes().isEmpty());
    if (!painted)
        return;
    QCOMPARE(f.view.mZoom, zoom);
    QCOMPARE(f.view.shownZoom(), zoom);
    const BoxState& page = f.view.picture1();
    QCOMPARE(page.left, 0.0f);
    QCOMPARE(page.top, 0.0f);
    QCOMPARE(page.outerWidth, std::floor(baseWidth * double(zoom)));
    QVERIFY(page.outerWidth <= 9300 && page.outerHeight <= 7395);
    QVERIFY(page.outerHeight < 6600);
    QVERIFY(!f.view.bar(Bar::Horizontal).enabled);
    QVERIFY(!f.view.bar(Bar::Vertical).enabled);
}

void TestViewport::stepAfterFitLandsOnTheGrid_data()
{
    QTest::addColumn<double>("baseWidth");
    QTest::addColumn<bool>("zoomIn");
    QTest::addColumn<float>("next");
    QTest::addColumn<float>("after");

    QTest::newRow("0.93 in") << 10000.0 << true << 1.0f << 1.25f;
    QTest::newRow("0.93 out") << 10000.0 << false << 0.75f << 0.5f;
    QTest::newRow("on the grid steps as before") << 1000.0 << false << 3.75f << 3.5f;
}

void TestViewport::stepAfterFitLandsOnTheGrid()
{
    QFETCH(double, baseWidth);
    QFETCH(bool, zoomIn);
    QFETCH(float, next);
    QFETCH(float, after);
    Fixture f;
    f.deliver(baseWidth, 500);
    f.view.zoomToFit();
    for (const float expected : {next, after}) {
        zoomIn ? f.view.zoomIn() : f.view.zoomOut();
        QCOMPARE(f.view.mZoom, expected);
    }
}

void TestViewport::resizeKeepsThePageWhereItIs()
{
    Fixture f;
    f.showAt(9330 + 2668, 7425 + 3000);
    f.view.setBarValue(Bar::Horizontal, 99);
    f.view.setBarValue(Bar::Vertical, 120);

    // Wider: the horizontal range shrinks, the page stays; the vertical bar is untouched.
    f.view.resizeViewport(9330 + 1000, 7425, 9300 + 1000, 7395);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).max), 167);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 99);
    QCOMPARE(f.view.picture1().left, -990.0f);
    QCOMPARE(int(f.view.bar(Bar::Vertical).value), 120);
    QCOMPARE(f.view.picture1().top, -1200.0f);

    // Wider still: the page moves in only as far as the new range needs.
    f.view.resizeViewport(9330 + 2168, 7425, 9300 + 2168, 7395);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).max), 50);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 50);
    QCOMPARE(f.view.picture1().left, -500.0f);

    // Under 100 twips over, a position is one twip.
    f.view.resizeViewport(9330 + 2598, 7425, 9300 + 2598, 7395);
    QCOMPARE(f.view.mHStep, std::int16_t(1));
    QCOMPARE(int(f.view.bar(Bar::Horizontal).max), 70);
    QCOMPARE(f.view.picture1().left, -70.0f);

    // Higher than the page: its bar goes off and the page to the top.
    f.view.resizeViewport(9330 + 2598, 7425 + 3000, 9300 + 2598, 7395 + 3000);
    QVERIFY(!f.view.bar(Bar::Vertical).enabled);
    QCOMPARE(f.view.picture1().top, 0.0f);
    QCOMPARE(f.view.picture1().left, -70.0f);

    // Smaller again: the range returns and the page starts from where it stands.
    f.view.resizeViewport(9330, 7425, 9300, 7395);
    QVERIFY(f.view.bar(Bar::Vertical).enabled);
    QCOMPARE(int(f.view.bar(Bar::Vertical).max), 300);
    QCOMPARE(int(f.view.bar(Bar::Horizontal).value), 7);
    QCOMPARE(f.view.picture1().left, -70.0f);
    QVERIFY(f.boxes().isEmpty());
}

QTEST_GUILESS_MAIN(TestViewport)
#include "tst_viewport.moc"
