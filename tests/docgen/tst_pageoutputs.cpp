// The page as it leaves the studio (PDF, PNG, SVG) against outside readers: the office
// suite's own PDF of the Word document, poppler and librsvg.
#include "fakeword.h"
#include "officetools.h"
#include "templatehost.h"

#include "app/apptitle.h"
#include "docgen/embeddedword.h"
#include "docgen/templatebuilder.h"
#include "office/docreader.h"
#include "office/pageexport.h"
#include "support/letterpaper.h"
#include "support/scripteddialogs.h"

#include <QFile>
#include <QLocale>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr double kWordTolerancePt = 2.0;

bool isDark(QRgb pixel)
{
    return (qRed(pixel) * 299 + qGreen(pixel) * 587 + qBlue(pixel) * 114) / 1000 < 128;
}

// Dark pixels per cell of a coarse grid, so that ink in the wrong place shows even when the
// total agrees.
QList<int> darkPerCell(const QImage& image, int columns, int rows)
{
    QList<int> cells(columns * rows, 0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (isDark(line[x]))
                ++cells[(y * rows / image.height()) * columns + x * columns / image.width()];
        }
    }
    return cells;
}

} // namespace

class TestPageOutputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pdfWordsMatchTheOfficeSuite();
    void pdfIsTheTruePageWithEmbeddedFonts();
    void svgDrawsThePngInk();
    void deviceMarginsDoNotMoveThePage();

private:
    QTemporaryDir mTemp;
    FakeClipboard mClipboard;
    QString mWordFile;
    office::Document mPage;
};

void TestPageOutputs::initTestCase()
{
    if (!officetools::available())
        QFAIL("soffice, pdftotext and pdftoppm are needed (tools/setup-debian.sh --tests)");
    // Letter, whatever the machine's own locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testsupport::pinLetterPaper();
    app::SetApplicationTitle();
    qputenv("TEMP", mTemp.path().toUtf8());

    docgen::AutomationFactory factory;
    docgen::registerEmbeddedWord(factory, mClipboard);
    testsupport::ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = {{"1955", "Graduated in high school in New Hampshire"},
                 {"1960", "Graduated college in Boston"},
                 {"1965", "Married in West Virginia"},
                 {"1970", "Moved to Atlanta"},
                 {"1975", "Relocated to Florida"},
                 {"1980", "Moved to Seattle"},
                 {"1985", "New job in Los Angeles"},
                 {"1990", "Relocated to California"}};
    docgen::TemplateBuilder(dialogs, factory, mClipboard).PushButton6_Click(host);
    QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messageTexts().join(u'\n')));
    mWordFile = host.previewWordFile;
    mPage = office::openDocument(mWordFile);
}

void TestPageOutputs::pdfWordsMatchTheOfficeSuite()
{
    QTemporaryDir work;
    QString error;
    const QString theirPdf = officetools::convertToPdf(mWordFile, work.path(), &error);
    QVERIFY2(!theirPdf.isEmpty(), qPrintable(error));
    const QString ourPdf = work.filePath(QStringLiteral("ours.pdf"));
    office::writePagePdf(mPage, ourPdf);

    const QList<officetools::Word> theirs = officetools::wordsOf(theirPdf);
    QList<officetools::Word> ours = officetools::wordsOf(ourPdf);
    // Title, eight dates and every word of the notes.
    QVERIFY2(theirs.size() > 40, qPrintable(QString::number(theirs.size())));
    QCOMPARE(ours.size(), theirs.size());
    for (const officetools::Word& word : theirs) {
        qsizetype match = -1;
        for (qsizetype i = 0; i < ours.size() && match < 0; ++i) {
            const QRectF& a = ours[i].boxPt;
            const QRectF& b = word.boxPt;
            // A word's box is as tall as the ascent and descent its font's descriptor
            // states, which each PDF producer takes from other tables; where the word
            // sits is its horizontal extent and the middle of its line.
            if (ours[i].text == word.text && std::abs(a.left() - b.left()) <= kWordTolerancePt &&
                std::abs(a.right() - b.right()) <= kWordTolerancePt &&
                std::abs(a.center().y() - b.center().y()) <= kWordTolerancePt)
                match = i;
        }
        QVERIFY2(match >= 0, qPrintable(QStringLiteral("\"%1\" at %2,%3 - %4,%5 has no match")
                                            .arg(word.text)
                                            .arg(word.boxPt.left())
                                            .arg(word.boxPt.top())
                                            .arg(word.boxPt.right())
                                            .arg(word.boxPt.bottom())));
        ours.removeAt(match);
    }
}

void TestPageOutputs::pdfIsTheTruePageWithEmbeddedFonts()
{
    QTemporaryDir work;
    const QString pdf = work.filePath(QStringLiteral("page.pdf"));
    office::writePagePdf(mPage, pdf);
    QCOMPARE(officetools::pageSizeOf(pdf), QSizeF(792, 612));
    const QList<officetools::Font> fonts = officetools::fontsOf(pdf);
    QVERIFY(!fonts.isEmpty());
    for (const officetools::Font& font : fonts)
        QVERIFY2(font.embedded, qPrintable(font.name));
}

void TestPageOutputs::svgDrawsThePngInk()
{
    QTemporaryDir work;
    const QString png = work.filePath(QStringLiteral("page.png"));
    const QString svg = work.filePath(QStringLiteral("page.svg"));
    office::writePagePng(mPage, png);
    office::writePageSvg(mPage, svg);
    const QImage picture = QImage(png).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture.size(), QSize(3300, 2550));
    const QImage drawn = officetools::renderSvg(svg, picture.size(), work.path())
                             .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(drawn.size(), picture.size());

    const QList<int> a = darkPerCell(picture, 22, 17);
    const QList<int> b = darkPerCell(drawn, 22, 17);
    int totalA = 0;
    int totalB = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        totalA += a[i];
        totalB += b[i];
        // Cells with little ink differ by antialiasing alone; where there is ink, it agrees.
        const int larger = std::max(a[i], b[i]);
        if (larger > 2000)
            QVERIFY2(std::abs(a[i] - b[i]) < larger / 4,
                     qPrintable(QStringLiteral("cell %1: %2 against %3 dark pixels")
                                    .arg(i)
                                    .arg(a[i])
                                    .arg(b[i])));
    }
    QVERIFY(totalA > 100000);
    QVERIFY2(std::abs(totalA - totalB) < totalA / 20,
             qPrintable(QStringLiteral("%1 against %2 dark pixels").arg(totalA).arg(totalB)));
}

// A printer that keeps margins of its own starts the painter at its printable area; the
// page must still stand at the paper's corner.
void TestPageOutputs::deviceMarginsDoNotMoveThePage()
{
    QTemporaryDir work;
    const QString plain = work.filePath(QStringLiteral("plain.pdf"));
    const QString margined = work.filePath(QStringLiteral("margined.pdf"));
    office::writePagePdf(mPage, plain);
    {
        QPdfWriter writer(margined);
        office::setUpPagedDevice(mPage, writer);
        QVERIFY(writer.setPageMargins(QMarginsF(36, 18, 36, 18), QPageLayout::Point));
        office::paintPageOnto(mPage, writer);
    }
    QCOMPARE(officetools::pageSizeOf(margined), QSizeF(792, 612));
    const QList<officetools::Word> expected = officetools::wordsOf(plain);
    const QList<officetools::Word> drawn = officetools::wordsOf(margined);
    QCOMPARE(drawn.size(), expected.size());
    QVERIFY(!drawn.isEmpty());
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        QCOMPARE(drawn[i].text, expected[i].text);
        const QPointF shift = drawn[i].boxPt.topLeft() - expected[i].boxPt.topLeft();
        QVERIFY2(shift.manhattanLength() < 0.1, qPrintable(QStringLiteral("%1 moved by %2, %3")
                                                               .arg(drawn[i].text)
                                                               .arg(shift.x())
                                                               .arg(shift.y())));
    }
}

QTEST_MAIN(TestPageOutputs)
#include "tst_pageoutputs.moc"
