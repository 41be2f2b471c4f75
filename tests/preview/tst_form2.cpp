#include "preview/form2.h"
#include "preview/picturebox.h"

#include "app/appearance.h"
#include "app/apptitle.h"
#include "app/fileutil.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using preview::Bar;
using preview::Form2;
using preview::PictureBox;

namespace {

constexpr int kTwipsPerPixel = 15; // 96 DPI, which the offscreen platform reports

// A page of the given logical size: white, with a black 20 x 20 square at logical 100, 50.
QImage makePage(int width, int height, qreal ratio = 1.0)
{
    QImage page(int(width * ratio), int(height * ratio), QImage::Format_RGB32);
    page.setDevicePixelRatio(ratio);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.fillRect(QRectF(100, 50, 20, 20), Qt::black);
    return page;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

struct Harness
{
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    QTemporaryDir dir;
    int mainShown = 0;
    QStringList saves; // whether the document still existed when the editor state was saved
    std::unique_ptr<Form2> form;

    explicit Harness(const QString& programFolder = QString())
    {
        form = std::make_unique<Form2>(preview::Form2Services{
            dialogs,
            end,
            programFolder.isNull() ? dir.path() : programFolder,
            [this] { ++mainShown; },
            [this] {
                saves << (app::FileExists(form->wordFile()) ? QStringLiteral("document there")
                                                            : QStringLiteral("document gone"));
            },
            nullptr,
            {},
            {},
            {},
            {}});
    }

    template <typename T = QWidget> T* child(const char* name) const
    {
        return form->findChild<T*>(QLatin1String(name));
    }
    PictureBox* picture1() const { return child<PictureBox>("Picture1"); }
    QScrollBar* hBar() const { return child<QScrollBar>("HScroll1"); }
    QScrollBar* vBar() const { return child<QScrollBar>("VScroll1"); }

    void deliver(const QImage& page)
    {
        form->setPicture1(page);
        form->Form_Activate();
    }
    void click(const char* button) { QTest::mouseClick(child(button), Qt::LeftButton); }
    // Shown and active, as keyboard shortcuts need.
    bool showActive()
    {
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
    QString zoomFigure() const { return child<QLabel>("lblZoom")->text(); }
    // A control's place in the window's client area.
    QRect inWindow(const char* name) const
    {
        QWidget* widget = child(name);
        return QRect(widget->mapTo(form.get(), QPoint(0, 0)), widget->size());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList files() const
    {
        QStringList names =
            QDir(dir.path())
                .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }
};

} // namespace

class TestForm2 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void captionFontsAndColours();
    void handCursor_data();
    void handCursor();
    void zoomSequenceOnSmallPage();
    void largestPageShownWholeAndNeverRepaintedAtDelivery();
    void zoomedPageKeepsDeviceResolution();
    void zoomedOutBarKeepsEveryCellLine_data();
    void zoomedOutBarKeepsEveryCellLine();
    void barsMoveThePageOnChangeOnly();
    void drag_data();
    void drag();
    void hoverPointer();
    void save_data();
    void save();
    void saveTwiceAsksSecondTime();
    void backRemovesDocumentAndKeepsView();
    void closeSavesStateRemovesDocumentAndEnds();
    void resizeGrowsThePageAreaAndKeepsControls();
    void wheelAndKeysZoom();
    void wheelAndKeysScroll();
    void pageLiesOnGreyWithAnEdge();
    void escapeGoesBack();
};

void TestForm2::initTestCase()
{
    app::SetApplicationTitle();
    Harness h;
    if (h.form->logicalDpiX() != 96 || h.form->logicalDpiY() != 96)
        QSKIP("the expected pixel positions assume 96 logical DPI");
}

void TestForm2::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips"); // in the client area of the parent

    QTest::newRow("Picture2") << "Picture2" << QRect(120, 120, 9330, 7425);
    QTest::newRow("VScroll1") << "VScroll1" << QRect(9450, 120, 255, 7425);
    QTest::newRow("HScroll1") << "HScroll1" << QRect(120, 7545, 9330, 255);
    QTest::newRow("Zoom_Ori") << "Zoom_Ori" << QRect(10320, 480, 735, 375);
    QTest::newRow("Frame1") << "Frame1" << QRect(120, 7860, 9600, 855);
    QTest::newRow("PushButton1") << "PushButton1" << QRect(240, 300, 4440, 405);
    QTest::newRow("PushButton2") << "PushButton2" << QRect(4800, 300, 4560, 405);
    QTest::newRow("PushButton8") << "PushButton8" << QRect(120, 8850, 4680, 405);
    QTest::newRow("PushButton6") << "PushButton6" << QRect(4920, 8850, 4800, 405);
    QTest::newRow("Picture1 design") << "Picture1" << QRect(0, 0, 2340, 3435);
    // One pixel of border on each side of Picture2.
    QTest::newRow("inside of Picture2") << "Picture2Inside" << QRect(15, 15, 9300, 7395);
}

void TestForm2::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    Harness h;
    QWidget* widget = h.form->findChild<QWidget*>(name);
    QVERIFY(widget);
    const auto px = [](int t) { return qRound(double(t) / kTwipsPerPixel); };
    QCOMPARE(widget->geometry(),
             QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    QCOMPARE(h.form->size(), QSize(656, 626)); // 9840 x 9390 twips
}

void TestForm2::captionFontsAndColours()
{
    Harness h;
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Loomchart Page Studio"));
    QVERIFY(!h.form->windowIcon().isNull());
    QCOMPARE(h.form->font().family(), QStringLiteral("Arial"));
    QCOMPARE(h.form->font().pointSizeF(), 9.0);
    QVERIFY(h.form->font().bold());

    const QList<QPair<const char*, QString>> buttons{{"PushButton1", "Zoom In"},
                                                     {"PushButton2", "Zoom Out"},
                                                     {"PushButton8", "< Back"},
                                                     {"PushButton6", "Save Results To Word File"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = h.child<QPushButton>(name);
        QVERIFY2(button, name);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QVERIFY(button->font().bold());
        QCOMPARE(button->accessibleName(), caption);
    }
    QCOMPARE(h.child<QGroupBox>("Frame1")->title(), QStringLiteral("Zoom:"));
    for (const char* name : {"HScroll1", "VScroll1", "Picture1", "Picture2"})
        QVERIFY2(!h.child(name)->accessibleName().isEmpty(), name);
    QVERIFY(!h.hBar()->hasTracking());
    QVERIFY(!h.vBar()->hasTracking());

    // The window and its frame take the button face; the viewport stays white.
    const QColor face = app::buttonFaceColor();
    QCOMPARE(h.form->palette().color(QPalette::Window), face);
    QCOMPARE(h.child("Frame1")->palette().color(QPalette::Window), face);
    QCOMPARE(h.child("Picture2")->palette().color(QPalette::Window), app::designedWhite());
    QVERIFY(h.dialogs.calls.isEmpty());
}

void TestForm2::handCursor_data()
{
    QTest::addColumn<QString>("cursorFile"); // "" for none, "garbage" for an unreadable one
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("boxes");
    QTest::newRow("no cursor file") << "" << false << 0;
    QTest::newRow("cursor file") << LOOM_HAND_CURSOR << true << 0;
    QTest::newRow("unreadable cursor file") << "garbage" << false << 1;
}

void TestForm2::handCursor()
{
    QFETCH(QString, cursorFile);
    QFETCH(bool, loaded);
    QFETCH(int, boxes);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("HAND-M.CUR"));
    if (cursorFile == QLatin1String("garbage"))
        writeFile(target, "not a cursor");
    else if (!cursorFile.isEmpty())
        QVERIFY(QFile::copy(cursorFile, target));
    Harness h(folder.path());
    QCOMPARE(h.form->hasHandCursor(), loaded);
    QCOMPARE(h.dialogs.messages().size(), boxes);
    if (boxes)
        QVERIFY(h.dialogs.messageTexts().at(0).contains(
            QStringLiteral("in Chronoweave2021/08/31.Form2.Form_Load at line 110\r")));

    // Over a button the custom pointer shows, with or without a picture; nothing fails.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(h.child("PushButton6"), &move);
    QCOMPARE(h.form->mousePointer(), app::MousePointer::Custom);
    QCOMPARE(h.form->cursor().shape(), loaded ? Qt::BitmapCursor : Qt::ArrowCursor);
}

void TestForm2::zoomSequenceOnSmallPage()
{
    Harness h;
    h.deliver(makePage(334, 200)); // 5010 x 3000 twips, base 5008 x 2998
    QCOMPARE(h.form->viewport().mBaseWidth, 5008);
    QCOMPARE(h.picture1()->size(), QSize(334, 200));
    QVERIFY(!h.hBar()->isEnabled());
    QVERIFY(!h.vBar()->isEnabled());

    for (int i = 0; i < 4; ++i)
        h.click("PushButton1");
    QCOMPARE(h.form->viewport().mZoom, 2.0f);
    QCOMPARE(h.picture1()->size(), QSize(668, 400)); // 10016 x 5996 twips
    QVERIFY(h.hBar()->isEnabled());
    QCOMPARE(h.hBar()->maximum(), 69); // 686 twips over, step 10
    QCOMPARE(h.hBar()->value(), 0);
    QVERIFY(!h.vBar()->isEnabled());
    // The square at logical 100, 50 is painted at twice the size.
    const QImage& shown = h.picture1()->image();
    QCOMPARE(shown.pixelColor(220, 120), QColor(Qt::black));
    QCOMPARE(shown.pixelColor(190, 120), QColor(Qt::white));

    h.hBar()->setValue(40);
    QCOMPARE(h.picture1()->pos(), QPoint(-27, 0)); // -400 twips
    h.click("PushButton1");                        // 2.25 meets the height limit
    QCOMPARE(h.form->viewport().mZoom, 1.0f);
    QCOMPARE(h.picture1()->size(), QSize(668, 400));
    QCOMPARE(h.picture1()->pos(), QPoint(0, 0));
    QCOMPARE(h.hBar()->value(), 0);
    QCOMPARE(h.picture1()->image().pixelColor(220, 120), QColor(Qt::black));

    h.click("PushButton1");
    QCOMPARE(h.form->viewport().mZoom, 1.25f);
    QCOMPARE(h.picture1()->size(), QSize(417, 250)); // 6260 x 3747 twips
    QVERIFY(!h.hBar()->isEnabled());
    QVERIFY(h.dialogs.calls.isEmpty());
}

void TestForm2::largestPageShownWholeAndNeverRepaintedAtDelivery()
{
    Harness h;
    h.deliver(makePage(600, 460, 2.0)); // 9000 x 6900 twips: the height limit at 1.0
    QCOMPARE(h.picture1()->size(), QSize(600, 460));
    QVERIFY(h.picture1()->hasPicture());
    QVERIFY(!h.hBar()->isEnabled());
    QVERIFY(!h.vBar()->isEnabled());
    const QRect inside = h.child("Picture2Inside")->rect();
    QVERIFY(inside.contains(h.picture1()->geometry()));
    QVERIFY(h.child("Zoom_Ori")->isHidden());

    h.click("PushButton2");
    QCOMPARE(h.form->viewport().mZoom, 0.75f);
    QVERIFY(!h.picture1()->hasPicture());
    QCOMPARE(h.picture1()->size(), QSize(450, 345)); // 6748 x 5173 twips
    const qreal ratio = h.picture1()->devicePixelRatioF();
    QCOMPARE(h.picture1()->image().devicePixelRatio(), ratio);
    QCOMPARE(h.picture1()->image().size(), QSize(qCeil(450 * ratio), qCeil(345 * ratio)));
}

void TestForm2::zoomedPageKeepsDeviceResolution()
{
    Harness h;
    // 100 x 50 logical pixels with stripes one device pixel wide.
    QImage page(200, 100, QImage::Format_RGB32);
    for (int x = 0; x < page.width(); ++x)
        for (int y = 0; y < page.height(); ++y)
            page.setPixel(x, y, x % 2 ? 0xff000000u : 0xffffffffu);
    page.setDevicePixelRatio(2.0);
    h.deliver(page);
    for (int i = 0; i < 12; ++i)
        h.click("PushButton1");
    QCOMPARE(h.form->viewport().mZoom, 4.0f);
    if (h.picture1()->devicePixelRatioF() != 1.0)
        QSKIP("the stripe positions assume a screen of pixel ratio 1");
    // Each source pixel becomes two screen pixels, copied rather than blended, so the
    // stripes stay black and white instead of turning grey.
    const QImage& shown = h.picture1()->image();
    int black = 0;
    for (int x = 0; x < 390; ++x) {
        const QRgb rgb = shown.pixel(x, 50) & 0xffffffu;
        QVERIFY2(rgb == 0 || rgb == 0xffffffu, qPrintable(QString::number(x)));
        black += rgb == 0 ? 1 : 0;
    }
    QVERIFY(black > 150);
    QCOMPARE(shown.pixel(10, 50), shown.pixel(11, 50));
    QVERIFY(shown.pixel(11, 50) != shown.pixel(12, 50));
}

void TestForm2::zoomedOutBarKeepsEveryCellLine_data()
{
    QTest::addColumn<int>("presses");
    QTest::addColumn<float>("zoom");
    QTest::newRow("delivered") << 0 << 1.0f;
    QTest::newRow("half") << 2 << 0.5f;
    QTest::newRow("quarter") << 3 << 0.25f;
}

void TestForm2::zoomedOutBarKeepsEveryCellLine()
{
    QFETCH(int, presses);
    QFETCH(float, zoom);
    // A page as the snapshot delivers it (600 x 460 at twice the density) with a pale green
    // bar whose 30 cell lines are one page pixel wide.
    constexpr int kLines = 30;
    QImage page(1200, 920, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.fillRect(QRect(20, 400, 1160, 36), QColor(204, 255, 204));
    for (int i = 0; i < kLines; ++i)
        painter.fillRect(QRect(40 + 37 * i, 400, 1, 36), Qt::black);
    painter.end();
    page.setDevicePixelRatio(2.0);
    Harness h;
    h.deliver(page);
    for (int i = 0; i < presses; ++i)
        h.click("PushButton2");
    QCOMPARE(h.form->viewport().mZoom, zoom);

    const QImage shown = h.picture1()->grab().toImage();
    const int row = qRound(418 / 2.0 * zoom * shown.devicePixelRatio()); // the bar's middle
    int lines = 0;
    bool inLine = false;
    for (int x = 0; x < shown.width(); ++x) {
        const bool dark = qGreen(shown.pixel(x, row)) < 240;
        lines += dark && !inLine ? 1 : 0;
        inLine = dark;
    }
    QCOMPARE(lines, kLines);
}

void TestForm2::barsMoveThePageOnChangeOnly()
{
    Harness h;
    h.deliver(makePage(800, 300)); // base 11998 x 4498: 2668 twips over the viewport
    QCOMPARE(h.hBar()->maximum(), 267);
    QCOMPARE(h.hBar()->singleStep(), 15); // ten pixels
    h.hBar()->setValue(99);
    QCOMPARE(h.picture1()->pos(), QPoint(-66, 0)); // -990 twips
    QCOMPARE(h.form->viewport().picture1().left, -990.0f);

    h.form->SetHScrollbarByPercent(*h.hBar(), qint16(50));
    QCOMPARE(h.hBar()->value(), 134); // 133.5 to the even neighbour
    QCOMPARE(h.form->viewport().picture1().left, -1340.0f);
    h.form->SetHScrollbarByPercent(*h.hBar(), qint16(101));
    QCOMPARE(h.hBar()->value(), 134);
}

void TestForm2::drag_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("dxPixels");
    QTest::addColumn<int>("barAfter");
    QTest::addColumn<int>("xAfter");

    // 2668 twips over: -990 twips is 37 percent, which the bar expresses as 99 -> -990.
    QTest::newRow("right button 37 percent") << int(Qt::RightButton) << -66 << 99 << -66;
    QTest::newRow("left button") << int(Qt::LeftButton) << -66 << 99 << -66;
    QTest::newRow("right from start") << int(Qt::LeftButton) << 50 << 0 << 0;
    // Stopped at the inner edge (-2698 twips): above 100 percent, so the bar stays.
    QTest::newRow("to the far end") << int(Qt::MiddleButton) << -1000 << 0 << -180;
}

void TestForm2::drag()
{
    QFETCH(int, button);
    QFETCH(int, dxPixels);
    QFETCH(int, barAfter);
    QFETCH(int, xAfter);
    Harness h;
    h.form->show();
    h.deliver(makePage(800, 300));
    PictureBox* page = h.picture1();
    const auto mouseButton = static_cast<Qt::MouseButton>(button);
    QTest::mousePress(page, mouseButton, {}, QPoint(300, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(300 + dxPixels, 100),
                     page->mapToGlobal(QPointF(300 + dxPixels, 100)), Qt::NoButton, mouseButton,
                     Qt::NoModifier);
    QApplication::sendEvent(page, &move);
    QCOMPARE(page->x(), xAfter);
    QCOMPARE(h.hBar()->value(), 0); // the bars wait for the release
    QTest::mouseRelease(page, mouseButton, {}, QPoint(300, 100));
    QCOMPARE(h.hBar()->value(), barAfter);
    QCOMPARE(page->x(), xAfter);
    QVERIFY(h.dialogs.calls.isEmpty());
}

void TestForm2::hoverPointer()
{
    Harness h;
    h.deliver(makePage(334, 200));
    const auto moveOver = [](QWidget* widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    };
    moveOver(h.child("PushButton1")); // inside the frame, which must not undo it
    QCOMPARE(h.form->mousePointer(), app::MousePointer::Custom);
    moveOver(h.child("Picture2"));
    moveOver(h.picture1());
    moveOver(h.hBar());
    QCOMPARE(h.form->mousePointer(), app::MousePointer::Custom);
    moveOver(h.child("Frame1"));
    QCOMPARE(h.form->mousePointer(), app::MousePointer::Default);
    moveOver(h.child("PushButton8"));
    QCOMPARE(h.form->mousePointer(), app::MousePointer::Custom);
    moveOver(h.form.get());
    QCOMPARE(h.form->mousePointer(), app::MousePointer::Default);
    moveOver(h.child("PushButton2"));
    h.form->PushButton1_Click(); // the redraw puts the arrow back
    QCOMPARE(h.form->mousePointer(), app::MousePointer::Default);
}

void TestForm2::save_data()
{
    QTest::addColumn<QString>("target"); // relative to the folder; "" cancels the dialog
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<bool>("sourceExists");
    QTest::addColumn<bool>("agree");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<bool>("failed");

    QTest::newRow("cancel") << "" << false << true << false << false << false << false;
    QTest::newRow("new name") << "out.doc" << false << true << false << false << true << false;
    QTest::newRow("existing answered No")
        << "old.doc" << true << true << false << true << false << false;
    QTest::newRow("existing answered Yes")
        << "old.doc" << true << true << true << true << true << false;
    // A name typed without an extension gets the Word document's.
    QTest::newRow("name without extension")
        << "results" << false << true << false << false << true << false;
    QTest::newRow("original extension kept")
        << "results.DOC" << false << true << false << false << true << false;
    QTest::newRow("source missing keeps old file")
        << "old.doc" << true << false << true << true << false << true;
    QTest::newRow("folder missing")
        << "nowhere/out.doc" << false << true << false << false << false << true;
}

void TestForm2::save()
{
    QFETCH(QString, target);
    QFETCH(bool, targetExists);
    QFETCH(bool, sourceExists);
    QFETCH(bool, agree);
    QFETCH(bool, asked);
    QFETCH(bool, copied);
    QFETCH(bool, failed);
    Harness h;
    h.form->show();
    const QString wordFile = h.path(QStringLiteral("qarven12345678.doc"));
    if (sourceExists)
        writeFile(wordFile, "generated document");
    h.form->setWordFile(wordFile);
    const QString typedPath = target.isEmpty() ? QString() : h.path(target);
    if (QFileInfo(target).suffix().isEmpty() && !target.isEmpty())
        target += QStringLiteral(".docx");
    const QString targetPath = target.isEmpty() ? QString() : h.path(target);
    if (targetExists)
        writeFile(targetPath, "kept document");
    h.dialogs.saveAnswers << typedPath;
    h.dialogs.messageAnswers << (agree ? app::MessageAnswer::Yes : app::MessageAnswer::No);

    h.click("PushButton6");

    QCOMPARE(h.dialogs.count(testsupport::ScriptedDialogs::Kind::Save), 1);
    QCOMPARE(h.dialogs.calls.at(0).text, QStringLiteral("Save File"));
    QCOMPARE(h.dialogs.calls.at(0).extra,
             QStringLiteral("Word Document (*.docx);;Word Files (*.doc)"));

    QList<testsupport::ScriptedDialogs::Call> boxes = h.dialogs.messages();
    QCOMPARE(boxes.size(), int(asked) + int(copied) + int(failed));
    const QString title = app::applicationTitle();
    if (asked) {
        const auto question = boxes.takeFirst();
        QCOMPARE(question.text,
                 QStringLiteral("Are you sure you wish to overwrite ") + targetPath + " ?");
        QCOMPARE(question.buttons, app::MessageButtons::YesNo);
        QCOMPARE(question.icon, app::MessageIcon::None);
        QCOMPARE(question.caption, title);
    }
    if (failed) {
        const auto error = boxes.takeFirst();
        QCOMPARE(error.caption, QStringLiteral("Application Error"));
        QVERIFY(error.text.contains(
            QStringLiteral("in Chronoweave2021/08/31.Form2.PushButton6_Click at line 130\r")));
    }
    if (copied) {
        const auto done = boxes.takeFirst();
        QCOMPARE(done.text, QStringLiteral("Done."));
        QCOMPARE(done.buttons, app::MessageButtons::Ok);
        QCOMPARE(done.icon, app::MessageIcon::None);
        QCOMPARE(done.caption, title);
        QCOMPARE(done.detail, QStringLiteral("Saved to ") + QDir::toNativeSeparators(targetPath));
        QCOMPARE(readAll(targetPath), QByteArray("generated document"));
    } else if (targetExists) {
        QCOMPARE(readAll(targetPath), QByteArray("kept document"));
    }

    // Exactly the expected files: no leftover partial copy.
    QStringList expected;
    if (sourceExists)
        expected << QFileInfo(wordFile).fileName();
    if (copied || targetExists)
        expected << target;
    expected.sort();
    QCOMPARE(h.files(), expected);
}

void TestForm2::saveTwiceAsksSecondTime()
{
    Harness h;
    const QString wordFile = h.path(QStringLiteral("qarven11111111.doc"));
    writeFile(wordFile, "first");
    h.form->setWordFile(wordFile);
    const QString target = h.path(QStringLiteral("timeline.doc"));
    h.dialogs.saveAnswers << target << target;
    h.dialogs.messageAnswers << app::MessageAnswer::Yes;
    h.form->PushButton6_Click();
    writeFile(wordFile, "second");
    h.form->PushButton6_Click();
    QCOMPARE(
        h.dialogs.messageTexts(),
        (QStringList{"Done.", "Are you sure you wish to overwrite " + target + " ?", "Done."}));
    QCOMPARE(readAll(target), QByteArray("second"));
}

void TestForm2::backRemovesDocumentAndKeepsView()
{
    Harness h;
    h.form->show();
    const QString wordFile = h.path(QStringLiteral("qarven22222222.doc"));
    writeFile(wordFile, "generated");
    h.form->setWordFile(wordFile);
    h.deliver(makePage(334, 200));
    h.click("PushButton1");
    h.click("PushButton8");
    QVERIFY(!QFile::exists(wordFile));
    QCOMPARE(h.mainShown, 1);
    QVERIFY(h.form->isHidden());
    QCOMPARE(h.form->viewport().mZoom, 1.25f);
    QCOMPARE(h.picture1()->size(), QSize(417, 250));
    QCOMPARE(h.form->wordFile(), wordFile);
    QCOMPARE(h.end.calls, 0);

    h.deliver(makePage(800, 300)); // the next page is prepared afresh
    QCOMPARE(h.form->viewport().mZoom, 1.0f);
    QCOMPARE(h.hBar()->maximum(), 267);
    QVERIFY(h.dialogs.calls.isEmpty());
}

void TestForm2::closeSavesStateRemovesDocumentAndEnds()
{
    Harness h;
    h.form->show();
    const QString wordFile = h.path(QStringLiteral("qarven33333333.doc"));
    writeFile(wordFile, "generated");
    h.form->setWordFile(wordFile);
    h.form->close();
    QCOMPARE(h.saves, QStringList{QStringLiteral("document there")});
    QVERIFY(!QFile::exists(wordFile));
    QCOMPARE(h.end.calls, 1);
    QCOMPARE(h.mainShown, 0);
    QVERIFY(h.dialogs.calls.isEmpty());
}

void turnWheel(QWidget* widget, Qt::KeyboardModifiers modifiers, QPoint angleDelta)
{
    const QPointF at(10, 10);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

void TestForm2::resizeGrowsThePageAreaAndKeepsControls()
{
    Harness h;
    h.form->show();
    h.deliver(makePage(800, 300)); // base 11998 twips wide
    h.hBar()->setValue(99);
    const QSize before = h.form->size();
    const QRect page = h.child("Picture2")->geometry();
    const QRect frame = h.child("Frame1")->geometry();
    const QRect back = h.child("PushButton8")->geometry();
    const QRect save = h.child("PushButton6")->geometry();

    h.form->resize(before + QSize(100, 60));
    QCOMPARE(h.form->size(), before + QSize(100, 60));
    QCOMPARE(h.child("Picture2")->geometry(), page.adjusted(0, 0, 100, 60));
    QCOMPARE(h.child("Frame1")->geometry(), frame.translated(0, 60));
    QCOMPARE(h.child("PushButton8")->geometry(), back.translated(0, 60));
    QCOMPARE(h.child("PushButton6")->geometry(), save.translated(0, 60));
    // 1168 twips over the wider viewport; the page stays 990 twips in.
    QCOMPARE(h.hBar()->maximum(), 117);
    QCOMPARE(h.hBar()->value(), 99);
    QCOMPARE(h.picture1()->x(), -66);

    // At its smallest every control is whole inside the window, with some page above.
    h.form->resize(100, 100);
    QCOMPARE(h.form->size(), QSize(656, 231));
    for (const char* name : {"PushButton1", "PushButton2", "PushButton8", "PushButton6", "Frame1",
                             "HScroll1", "VScroll1"})
        QVERIFY2(h.form->rect().contains(h.inWindow(name)), name);
    QCOMPARE(h.child("Picture2")->height(), 100);
    QCOMPARE(h.child("PushButton8")->size(), back.size());
    QVERIFY(h.dialogs.calls.isEmpty());
}

void TestForm2::wheelAndKeysZoom()
{
    Harness h;
    QVERIFY(h.showActive());
    h.deliver(makePage(334, 200)); // base 5008 x 2998 twips
    QCOMPARE(h.zoomFigure(), QStringLiteral("100 %"));
    QCOMPARE(h.child<QGroupBox>("Frame1")->title(), QStringLiteral("Zoom:"));
    // The figure sits on the frame's title row, clear of the buttons.
    QVERIFY(!h.inWindow("lblZoom").intersects(h.inWindow("PushButton2")));
    QVERIFY(h.inWindow("Frame1").contains(h.inWindow("lblZoom")));

    const auto zoomed = [&h](float zoom, const char* figure) {
        return h.form->viewport().mZoom == zoom && h.zoomFigure() == QLatin1String(figure);
    };
    turnWheel(h.picture1(), Qt::ControlModifier, QPoint(0, 120));
    QVERIFY(zoomed(1.25f, "125 %"));
    QTest::keyClick(h.form.get(), Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(zoomed(1.5f, "150 %"));
    QTest::keyClick(h.form.get(), Qt::Key_Equal, Qt::ControlModifier);
    QVERIFY(zoomed(1.75f, "175 %"));
    QTest::keyClick(h.form.get(), Qt::Key_Minus, Qt::ControlModifier);
    QVERIFY(zoomed(1.5f, "150 %"));
    turnWheel(h.picture1(), Qt::ControlModifier, QPoint(0, -240));
    QVERIFY(zoomed(1.0f, "100 %"));

    // The whole page in view: 9300 / 5008 twips, limited by the viewport's width.
    h.hBar()->setValue(0);
    QTest::keyClick(h.form.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(h.zoomFigure(), QStringLiteral("186 %"));
    const QRect inside = h.child("Picture2Inside")->rect();
    QVERIFY(inside.contains(h.picture1()->geometry()));
    QVERIFY(h.picture1()->width() >= inside.width() - 1);
    QVERIFY(!h.hBar()->isEnabled());
    QVERIFY(!h.vBar()->isEnabled());
    // The buttons go on from the nearest step.
    h.click("PushButton1");
    QVERIFY(zoomed(2.0f, "200 %"));
    QTest::keyClick(h.form.get(), Qt::Key_0, Qt::ControlModifier);
    h.click("PushButton2");
    QVERIFY(zoomed(1.75f, "175 %"));
    QVERIFY(h.dialogs.calls.isEmpty());
}

void TestForm2::wheelAndKeysScroll()
{
    Harness h;
    QVERIFY(h.showActive());
    h.deliver(makePage(800, 1500)); // larger than the viewport both ways
    QVERIFY(h.hBar()->isEnabled() && h.vBar()->isEnabled());
    QWidget* area = h.child("Picture2");
    QTest::mouseClick(h.picture1(), Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(area->hasFocus());

    const int lines = QApplication::wheelScrollLines();
    const int vStep = h.vBar()->singleStep();
    QTest::keyClick(area, Qt::Key_Down);
    QCOMPARE(h.vBar()->value(), vStep);
    QTest::keyClick(area, Qt::Key_PageDown);
    QCOMPARE(h.vBar()->value(), vStep + h.vBar()->pageStep());
    QTest::keyClick(area, Qt::Key_Right);
    QCOMPARE(h.hBar()->value(), h.hBar()->singleStep());

    const int vBefore = h.vBar()->value();
    const int hBefore = h.hBar()->value();
    turnWheel(h.picture1(), Qt::NoModifier, QPoint(0, -120));
    QCOMPARE(h.vBar()->value(), vBefore + lines * vStep);
    turnWheel(h.picture1(), Qt::ShiftModifier, QPoint(0, -120));
    QCOMPARE(h.hBar()->value(), hBefore + lines * h.hBar()->singleStep());
    // The page follows the bars: ten twips a position.
    QCOMPARE(h.form->viewport().picture1().top, -10.0f * h.vBar()->value());
    QCOMPARE(h.form->viewport().picture1().left, -10.0f * h.hBar()->value());
    turnWheel(h.picture1(), Qt::NoModifier, QPoint(0, 120 * 1000));
    QCOMPARE(h.vBar()->value(), 0);
    QCOMPARE(h.form->viewport().mZoom, 1.0f);
}

void TestForm2::pageLiesOnGreyWithAnEdge()
{
    Harness h;
    h.deliver(makePage(334, 200));
    const QImage shot = h.child("Picture2Inside")->grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    const auto at = [&](int x, int y) {
        return shot.pixelColor(qRound(x * ratio), qRound(y * ratio));
    };
    QCOMPARE(at(10, 10), QColor(Qt::white));       // the page
    QCOMPARE(at(500, 300), QColor(176, 176, 176)); // beside it
    QCOMPARE(at(334, 100), QColor(96, 96, 96));    // its right edge
    QCOMPARE(at(100, 200), QColor(96, 96, 96));    // its bottom edge
    QVERIFY(at(336, 100).lightness() < 176);       // the shadow
    QVERIFY(at(336, 100).lightness() > 96);
}

void TestForm2::escapeGoesBack()
{
    Harness h;
    QVERIFY(h.showActive());
    const QString wordFile = h.path(QStringLiteral("qarven44444444.doc"));
    writeFile(wordFile, "generated");
    h.form->setWordFile(wordFile);
    h.deliver(makePage(334, 200));
    QTest::keyClick(h.form.get(), Qt::Key_Escape);
    QVERIFY(h.form->isHidden());
    QCOMPARE(h.mainShown, 1);
    QVERIFY(!QFile::exists(wordFile));
    QCOMPARE(h.end.calls, 0);
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
