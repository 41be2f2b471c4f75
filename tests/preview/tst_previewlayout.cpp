#include "preview/previewlayout.h"
#include "preview/viewerinput.h"

#include <QtTest>

using preview::PreviewGeometry;
using preview::PreviewLayout;
using preview::WheelCommand;
using preview::WheelNotches;

namespace {

// The window's design at 96 DPI, in pixels.
const PreviewGeometry kDesigned{
    QRect(8, 8, 622, 495),  QRect(630, 8, 17, 495), QRect(8, 503, 622, 17),  QRect(688, 32, 49, 25),
    QRect(8, 524, 640, 57), QRect(8, 590, 312, 27), QRect(328, 590, 320, 27)};
const QSize kDesignedClient(656, 626);

PreviewLayout layout()
{
    return PreviewLayout(kDesigned, kDesignedClient, 100);
}

} // namespace

class TestPreviewLayout : public QObject
{
    Q_OBJECT

private slots:
    void place_data();
    void place();
    void noticeTakesABandAbove();
    void openingSize_data();
    void openingSize();
    void wheel_data();
    void wheel();
};

void TestPreviewLayout::place_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("grown"); // by how much the page area grows

    QTest::newRow("designed") << kDesignedClient << QSize(0, 0);
    QTest::newRow("larger") << QSize(856, 726) << QSize(200, 100);
    QTest::newRow("minimum") << QSize(656, 231) << QSize(0, -395);
    QTest::newRow("below minimum is the minimum") << QSize(300, 100) << QSize(0, -395);
}

void TestPreviewLayout::place()
{
    QFETCH(QSize, client);
    QFETCH(QSize, grown);
    const PreviewLayout layout = ::layout();
    QCOMPARE(layout.minimumSize(), QSize(656, 231)); // a page area of 100 pixels
    const PreviewGeometry at = layout.place(client);
    const int dx = grown.width();
    const int dy = grown.height();

    QCOMPARE(at.picture2, kDesigned.picture2.adjusted(0, 0, dx, dy));
    QCOMPARE(at.vScroll1, kDesigned.vScroll1.adjusted(dx, 0, dx, dy));
    QCOMPARE(at.hScroll1, kDesigned.hScroll1.adjusted(0, dy, dx, dy));
    // The bars still meet the page area's edges.
    QCOMPARE(at.vScroll1.left(), at.picture2.right() + 1);
    QCOMPARE(at.hScroll1.top(), at.picture2.bottom() + 1);
    QCOMPARE(at.zoomOri, kDesigned.zoomOri.translated(dx, 0));
    QCOMPARE(at.frame1, kDesigned.frame1.translated(0, dy));
    QCOMPARE(at.pushButton8, kDesigned.pushButton8.translated(0, dy));
    QCOMPARE(at.pushButton6, kDesigned.pushButton6.translated(0, dy));

    const QRect area(QPoint(0, 0), client.expandedTo(layout.minimumSize()));
    for (const QRect& control : {at.frame1, at.pushButton8, at.pushButton6, at.hScroll1})
        QVERIFY(area.contains(control));
    QVERIFY(!area.intersects(at.zoomOri)); // never seen
}

void TestPreviewLayout::noticeTakesABandAbove()
{
    const PreviewLayout layout = ::layout();
    const PreviewGeometry plain = layout.place(kDesignedClient);
    const PreviewGeometry at = layout.place(kDesignedClient, 30);
    const QRect band = layout.noticeBand(kDesignedClient, 30);
    QCOMPARE(band, QRect(8, 8, 639, 30)); // over the page area and its bar
    QCOMPARE(at.picture2, plain.picture2.adjusted(0, 34, 0, 0));
    QCOMPARE(at.vScroll1, plain.vScroll1.adjusted(0, 34, 0, 0));
    QCOMPARE(at.pushButton6, plain.pushButton6);
    // The smallest window still has the smallest page area below the notice.
    QCOMPARE(layout.minimumSize(30), QSize(656, 231 + 34));
    QCOMPARE(layout.place(QSize(656, 231), 30).picture2.height(), 100);
}

void TestPreviewLayout::openingSize_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("opening");

    QTest::newRow("room to spare") << QSize(1920, 1040) << QMargins(4, 30, 4, 4) << kDesignedClient;
    // A 1600 x 1200 screen at twice the scale.
    QTest::newRow("800 x 600 less a title bar")
        << QSize(800, 600) << QMargins(0, 30, 0, 0) << QSize(656, 570);
    QTest::newRow("one pixel short") << QSize(656, 625) << QMargins() << QSize(656, 625);
    QTest::newRow("never below the minimum")
        << QSize(400, 200) << QMargins(0, 30, 0, 0) << QSize(656, 231);
}

void TestPreviewLayout::openingSize()
{
    QFETCH(QSize, available);
    QFETCH(QMargins, frame);
    QFETCH(QSize, opening);
    QCOMPARE(layout().openingSize(kDesignedClient, frame, available), opening);
}

void TestPreviewLayout::wheel_data()
{
    using Kind = WheelCommand::Kind;
    QTest::addColumn<QList<int>>("modifiers"); // one per turn
    QTest::addColumn<QList<QPoint>>("turns");
    QTest::addColumn<int>("kind"); // of the last turn
    QTest::addColumn<int>("notches");

    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("ctrl up zooms in")
        << QList<int>{ctrl} << QList<QPoint>{{0, 120}} << int(Kind::Zoom) << 1;
    QTest::newRow("ctrl down two notches")
        << QList<int>{ctrl} << QList<QPoint>{{0, -240}} << int(Kind::Zoom) << -2;
    QTest::newRow("down scrolls down")
        << QList<int>{0} << QList<QPoint>{{0, -120}} << int(Kind::ScrollVertical) << 1;
    QTest::newRow("shift up scrolls left")
        << QList<int>{shift} << QList<QPoint>{{0, 120}} << int(Kind::ScrollHorizontal) << -1;
    QTest::newRow("sideways turn")
        << QList<int>{0} << QList<QPoint>{{-120, 0}} << int(Kind::ScrollHorizontal) << 1;
    QTest::newRow("half notches add up")
        << QList<int>{ctrl, ctrl} << QList<QPoint>{{0, 60}, {0, 60}} << int(Kind::Zoom) << 1;
    QTest::newRow("half a notch is nothing")
        << QList<int>{ctrl} << QList<QPoint>{{0, 60}} << int(Kind::None) << 0;
    QTest::newRow("a new kind starts afresh")
        << QList<int>{0, ctrl} << QList<QPoint>{{0, 60}, {0, 60}} << int(Kind::None) << 0;
}

void TestPreviewLayout::wheel()
{
    QFETCH(QList<int>, modifiers);
    QFETCH(QList<QPoint>, turns);
    QFETCH(int, kind);
    QFETCH(int, notches);
    WheelNotches wheel;
    WheelCommand last;
    for (qsizetype i = 0; i < turns.size(); ++i)
        last = wheel.turn(Qt::KeyboardModifiers(modifiers.at(i)), turns.at(i));
    QCOMPARE(int(last.kind), kind);
    QCOMPARE(last.notches, notches);
}

QTEST_GUILESS_MAIN(TestPreviewLayout)
#include "tst_previewlayout.moc"
