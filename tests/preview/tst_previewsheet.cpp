// The preview window with a real document: the whole sheet drawn from it at every zoom,
// its real size at 100 %, and the notices beside the page rather than on it.
#include "preview/form2.h"
#include "preview/picturebox.h"

#include "office/calloutgeometry.h"
#include "office/docwriter.h"
#include "office/renderer.h"
#include "office/timelinepage.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using preview::Form2;
using preview::PictureBox;

namespace {

struct Harness
{
    testsupport::ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    QTemporaryDir dir;
    office::Document document;
    std::unique_ptr<Form2> form;

    Harness()
    {
        // A Letter landscape page with 10 pt notes, as the builder saves it.
        document = officetest::buildTimeline(QStringLiteral("Project Timeline"),
                                             officetest::threeEntries(), officetest::letterPage());
        const QString wordFile = dir.filePath(QStringLiteral("qarven12345678.doc"));
        office::saveDocument(document, wordFile);
        form = std::make_unique<Form2>(
            preview::Form2Services{dialogs, end, dir.path(), {}, {}, nullptr, {}, {}, {}, {}});
        form->show();
        // The hand-over: a picture cropped to the content, then the document, then shown.
        QImage cropped(600, 300, QImage::Format_RGB32);
        cropped.fill(Qt::white);
        form->setPicture1(cropped);
        form->setWordFile(wordFile);
        form->Form_Activate();
    }
    template <typename T = QWidget> T* child(const char* name) const
    {
        return form->findChild<T*>(QLatin1String(name));
    }
    PictureBox* page() const { return child<PictureBox>("Picture1"); }
    QString zoomFigure() const { return child<QLabel>("lblZoom")->text(); }
};

// How many rows of `area` the text spans: first to last row with a pixel far from the fill
// (the area's corner).
int inkRows(const QImage& picture, const QRect& area)
{
    const int fill = qGray(picture.pixel(area.topLeft()));
    int first = -1;
    int last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAbs(qGray(picture.pixel(x, y)) - fill) > 96) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

} // namespace

class TestPreviewSheet : public QObject
{
    Q_OBJECT

private slots:
    void wholeSheetAtRealSizeAndFit();
    void notesLegibleAndSharpAtTheLargestZoom();
    void noticesStandAboveThePage();
};

void TestPreviewSheet::wholeSheetAtRealSizeAndFit()
{
    Harness h;
    // 100 %: the sheet's 11 x 8.5 inches at the screen's logical DPI, margins and all.
    QCOMPARE(h.zoomFigure(), QStringLiteral("100 %"));
    QCOMPARE(h.page()->size(),
             QSize(qRound(11.0 * h.form->logicalDpiX()), qRound(8.5 * h.form->logicalDpiY())));
    QVERIFY(!h.page()->hasPicture());
    QVERIFY(h.page()->hasSheet());

    // The whole sheet in the window, and the figure says the zoom it is drawn at.
    h.form->ZoomToFit(); // Ctrl+0
    const QRect inside = h.child("Picture2Inside")->rect();
    QVERIFY(inside.contains(h.page()->geometry()));
    const double fit = double(h.page()->width()) / qRound(11.0 * h.form->logicalDpiX());
    QCOMPARE(h.zoomFigure(), QStringLiteral("%1 %").arg(qRound(fit * 100)));
    QVERIFY(fit > 0.5 && fit < 0.65);
    // The buttons go on in steps of 25 % up to 400 %, and no further.
    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(h.child("PushButton1"), Qt::LeftButton);
    QCOMPARE(h.form->viewport().mZoom, 4.0f);
    QCOMPARE(h.zoomFigure(), QStringLiteral("400 %"));
    QCOMPARE(h.page()->width(), qRound(44.0 * h.form->logicalDpiX()));
    QVERIFY(h.dialogs.calls.isEmpty());
}

void TestPreviewSheet::notesLegibleAndSharpAtTheLargestZoom()
{
    Harness h;
    for (int i = 0; i < 12; ++i)
        QTest::mouseClick(h.child("PushButton1"), Qt::LeftButton);
    QCOMPARE(h.form->viewport().mZoom, 4.0f);
    // The last callout's text at the viewport's corner: the bars move 10 twips a step.
    const office::Shape& callout = h.document.shapes().back();
    const QRectF textPt =
        office::calloutTextRect(callout.kind, callout.widthPt, callout.heightPt, callout.adjust)
            .translated(callout.leftPt, callout.topPt)
            .adjusted(callout.insetLeftPt, callout.insetTopPt, -callout.insetRightPt,
                      -callout.insetBottomPt);
    const double twipsPerPt = 20.0 * 4.0;
    h.child<QScrollBar>("HScroll1")->setValue(qRound(textPt.left() * twipsPerPt / 10));
    h.child<QScrollBar>("VScroll1")->setValue(qRound(textPt.top() * twipsPerPt / 10));
    QWidget* inside = h.child("Picture2Inside");
    const QImage shown = inside->grab().toImage();
    const qreal ratio = shown.devicePixelRatio();

    // What shows is what the renderer draws at this zoom, pixel for pixel: no stretched
    // picture, whose edges would be blurred or stepped.
    const QPoint at = -h.page()->pos();
    const double pixelsPerPt = h.page()->width() / h.document.page().widthPt;
    const QRectF regionPt(at.x() / pixelsPerPt, at.y() / pixelsPerPt, inside->width() / pixelsPerPt,
                          inside->height() / pixelsPerPt);
    const QImage drawn =
        office::renderRegion(h.document, regionPt, shown.size()).convertToFormat(shown.format());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            differing += qAbs(qGray(shown.pixel(x, y)) - qGray(drawn.pixel(x, y))) > 24 ? 1 : 0;
    QVERIFY2(differing < shown.width() * shown.height() / 200,
             qPrintable(QString::number(differing)));

    // The note's 10 pt text stands at least 13 pixels high.
    const QRect note = QRectF(textPt.topLeft() * pixelsPerPt * ratio - QPointF(at) * ratio,
                              textPt.size() * pixelsPerPt * ratio)
                           .toAlignedRect();
    const int height = inkRows(shown, note.intersected(shown.rect())) / ratio;
    QVERIFY2(height >= 13, qPrintable(QString::number(height)));

    // Only the part in view and a band around it is kept drawn, not the 44-inch sheet.
    const QRect kept = h.page()->sheetDrawingRect();
    QVERIFY(kept.contains(QRect(at, inside->size())));
    QVERIFY(kept.width() <= inside->width() + 2 * PictureBox::kSheetBandPixels);
    QVERIFY(kept.height() <= inside->height() + 2 * PictureBox::kSheetBandPixels);
}

void TestPreviewSheet::noticesStandAboveThePage()
{
    Harness h;
    QWidget* area = h.child("Picture2");
    QWidget* notice = h.child("lblCutNotice");
    const QRect before = area->geometry();
    h.form->setCutMarks(QRectF(), {}, 2, QStringLiteral("Spaced evenly: row 3 has no date."));
    QVERIFY(notice->isVisible() && notice->height() > 0);
    // Above the page area, which gives up that height.
    QCOMPARE(notice->y(), before.top());
    QVERIFY(notice->geometry().bottom() < area->y());
    QCOMPARE(area->geometry().bottom(), before.bottom());

    // The next page without a notice has the page area back.
    h.form->setPicture1(QImage(10, 10, QImage::Format_RGB32));
    h.form->setCutMarks(QRectF(), {}, 0);
    QVERIFY(notice->isHidden());
    QCOMPARE(area->geometry(), before);
}

QTEST_MAIN(TestPreviewSheet)
#include "tst_previewsheet.moc"
