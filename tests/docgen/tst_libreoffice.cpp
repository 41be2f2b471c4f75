// Checks generated pages against a real reader: the office suite converts the saved file
// to PDF, and poppler reports where every word landed and how the page looks.
#include "fakeword.h"
#include "officetools.h"
#include "templatehost.h"

#include "app/apptitle.h"
#include "docgen/embeddedword.h"
#include "docgen/pagelayout.h"
#include "docgen/templatebuilder.h"
#include "docgen/timelinefile.h"
#include "docgen/timelinepage.h"
#include "office/docreader.h"
#include "office/renderer.h"
#include "support/letterpaper.h"
#include "support/scripteddialogs.h"

#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
const docgen::PageMetrics kLetter{792, 612, 72, 72};
constexpr double kTolerancePt = 3.0;

QList<docgen::TimelineEntry> yearlySample()
{
    return {{"1955", "Graduated in high school in New Hampshire"},
            {"1960", "Graduated college in Boston"},
            {"1965", "Married in West Virginia"},
            {"1970", "Moved to Atlanta"},
            {"1975", "Relocated to Florida"},
            {"1980", "Moved to Seattle"},
            {"1985", "New job in Los Angeles"},
            {"1990", "Relocated to California"}};
}

QList<docgen::TimelineEntry> threeEntries()
{
    return {{"Apr 2000", "Founded"}, {"Jan 2001", "Launch day"}, {"Jul 2002", "Expansion"}};
}

constexpr int kDpi = 144;
constexpr double kPixelsPerPt = kDpi / 72.0;

int luminance(QRgb pixel)
{
    return (qRed(pixel) * 299 + qGreen(pixel) * 587 + qBlue(pixel) * 114) / 1000;
}

// Pixels of a region that a predicate picks: how many, and their centre in points.
struct Ink
{
    int count = 0;
    QPointF centrePt;
};

template <typename Pick> Ink inkOf(const QImage& page, const QRectF& regionPt, Pick pick)
{
    const QRect region = QRectF(regionPt.topLeft() * kPixelsPerPt, regionPt.size() * kPixelsPerPt)
                             .toAlignedRect()
                             .intersected(page.rect());
    Ink ink;
    double sumX = 0;
    double sumY = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (pick(page.pixel(x, y))) {
                ++ink.count;
                sumX += x + 0.5;
                sumY += y + 0.5;
            }
        }
    }
    if (ink.count > 0)
        ink.centrePt = QPointF(sumX / ink.count, sumY / ink.count) / kPixelsPerPt;
    return ink;
}

// Share of pixels where both pictures agree on "something is drawn here", over the pixels
// where either draws.
double drawnOverlap(const QImage& ours, const QImage& theirs, const QRectF& regionPt)
{
    const QRect region = QRectF(regionPt.topLeft() * kPixelsPerPt, regionPt.size() * kPixelsPerPt)
                             .toAlignedRect()
                             .intersected(ours.rect())
                             .intersected(theirs.rect());
    int both = 0;
    int either = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const bool a = luminance(ours.pixel(x, y)) < 240;
            const bool b = luminance(theirs.pixel(x, y)) < 240;
            both += a && b;
            either += a || b;
        }
    }
    return either == 0 ? 1.0 : double(both) / either;
}

struct ExpectedBox
{
    QString text;
    QRectF boxPt;
};

// Where the plan puts every text: the title box, the date cells of each bar, the callouts.
QList<ExpectedBox> expectedBoxes(const QString& title, const docgen::PagePlan& plan)
{
    QList<ExpectedBox> boxes;
    const auto& frame = plan.frame;
    const QRectF titleBox(frame[0].leftPt, frame[0].topPt, frame[0].widthPt, frame[0].heightPt);
    for (const QString& word : title.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        boxes << ExpectedBox{word, titleBox};
    const QList<docgen::PageElement> bars = plan.bars();
    const QList<docgen::PageElement> tables = plan.tables();
    for (int b = 0; b < bars.size(); ++b) {
        const QRectF bar(bars[b].leftPt, bars[b].topPt, bars[b].widthPt, bars[b].heightPt);
        const double columnPt = docgen::PageFit::columnWidthPt(bar.width(), bars[b].entryCount);
        for (int i = 0; i < tables[b].cells.size(); ++i) {
            const QRectF cell(bar.left() + 7.2 + i * columnPt, bar.top(), columnPt, bar.height());
            for (const QString& word :
                 tables[b].cells[i].split(QLatin1Char(' '), Qt::SkipEmptyParts))
                boxes << ExpectedBox{word, cell};
        }
    }
    for (const auto& callout : plan.callouts) {
        const QRectF box(callout.leftPt, callout.topPt, callout.widthPt, callout.heightPt);
        for (const QString& word : callout.text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            boxes << ExpectedBox{word, box};
    }
    return boxes;
}
// One page of the sweep the shared page checker judges as a designed sheet.
struct SweepPage
{
    QString name;
    int count = 0;
    bool longNotes = false;
    QString paper;
    bool toScale = false;
    QString theme;
};

// Every paper, both spacings and every theme, from one entry to 63 with short notes and
// notes of 80 characters: the densest page on each paper and spacing, and a lighter set.
QList<SweepPage> sweepPages()
{
    const QStringList papers{"Letter", "A4", "Legal", "A3", "Tabloid"};
    const QStringList themes{"Meadow", "Slate", "Ink", "Ember", "Forest"};
    const int counts[] = {1, 8, 24, 40, 63};
    QList<SweepPage> pages;
    for (int k = 0; k < 20; ++k) {
        SweepPage page;
        page.count = k < 10 ? 63 : counts[k % 5];
        page.longNotes = k < 10 || k >= 15;
        page.paper = papers[k < 10 ? k / 2 : (k + 2) % 5];
        page.toScale = k % 2 == 1;
        page.theme = themes[(k + k / 5) % 5];
        page.name =
            QStringLiteral("%1 x %2 %3 %4 %5")
                .arg(page.count)
                .arg(page.longNotes ? 80 : 12)
                .arg(page.paper, page.toScale ? QStringLiteral("to scale") : QStringLiteral("even"),
                     page.theme);
        pages << page;
    }
    return pages;
}

QList<docgen::TimelineEntry> sweepEntries(const SweepPage& page)
{
    QList<docgen::TimelineEntry> rows;
    for (int i = 0; i < page.count; ++i) {
        // Gaps that grow along the list, so the page to scale differs from the even one.
        const QString notes =
            page.longNotes ? QStringLiteral("Milestone number %1 of the plan, reviewed by the "
                                            "board and approved by every team in the spring")
                                 .arg(i)
                                 .left(80)
                           : QStringLiteral("Milestone %1").arg(i);
        rows << docgen::TimelineEntry{QString::number(1900 + i * i / 6 + i), notes};
    }
    return rows;
}
} // namespace

class TestLibreOffice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wordsLandInTheirBoxes_data();
    void wordsLandInTheirBoxes();
    void datesToScaleStandWhereTheyFall();
    void previewMatchesTheOfficeSuite_data();
    void previewMatchesTheOfficeSuite();
    void densePagesAreDesigned_data();
    void densePagesAreDesigned();
    void savedAgainOpensBackEqual();
    void marksKeepThePageLegibleAndDesigned_data();
    void marksKeepThePageLegibleAndDesigned();

private:
    // Builds every page of the sweep and has the checker judge them two at a time, once.
    void checkSweep();
    QHash<QString, QString> mVerdicts; // the checker's report by page, "0" or "1" first

    QString generate(const QString& title, const QList<docgen::TimelineEntry>& rows);

    QTemporaryDir mTemp;
    FakeClipboard mClipboard;
};

void TestLibreOffice::initTestCase()
{
    if (!officetools::available())
        QFAIL("soffice, pdftotext and pdftoppm are needed (tools/setup-debian.sh --tests)");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testsupport::pinLetterPaper();
    app::SetApplicationTitle();
    qputenv("TEMP", mTemp.path().toUtf8());
}

QString TestLibreOffice::generate(const QString& title, const QList<docgen::TimelineEntry>& rows)
{
    return buildPageWithEngine(mClipboard, title, rows,
                               docgen::PageOptions{docgen::LayoutStyle::Classic, 0, {}, {}, {}});
}

void TestLibreOffice::wordsLandInTheirBoxes_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QList<docgen::TimelineEntry>>("rows");
    QTest::newRow("yearly sample") << QStringLiteral("John's Timeline") << yearlySample();
    QTest::newRow("three entries") << QStringLiteral("Project Timeline") << threeEntries();
    // Dense pages: callouts narrowed, grown and spread over more bars; dates upright or
    // turned; a title on two lines.
    QList<docgen::TimelineEntry> twenty;
    QList<docgen::TimelineEntry> sixtyThree;
    for (int i = 0; i < 63; ++i) {
        sixtyThree << docgen::TimelineEntry{QString::number(1900 + i),
                                            QStringLiteral("Moved the office to Boston %1").arg(i)};
        if (i < 20)
            twenty << sixtyThree.last();
    }
    QTest::newRow("twenty entries")
        << QStringLiteral("The history of our family from the farm to the city") << twenty;
    QTest::newRow("sixty-three entries") << QStringLiteral("Project Timeline") << sixtyThree;
}

void TestLibreOffice::wordsLandInTheirBoxes()
{
    QFETCH(QString, title);
    QFETCH(QList<docgen::TimelineEntry>, rows);
    docgen::PagePlan plan;
    const QString document = buildPageWithEngine(mClipboard, title, rows, {}, &plan);
    QVERIFY2(QFile::exists(document), "the builder handed over no document");
    QVERIFY2(plan.report.fits(), qPrintable(plan.report.cuts.value(0).describe()));
    QTemporaryDir work;
    QString error;
    const QString pdf = officetools::convertToPdf(document, work.path(), &error);
    QVERIFY2(!pdf.isEmpty(), qPrintable(error));
    QList<officetools::Word> words = officetools::wordsOf(pdf);
    QVERIFY(!words.isEmpty());

    for (const ExpectedBox& expected : expectedBoxes(title, plan)) {
        const QRectF allowed =
            expected.boxPt.adjusted(-kTolerancePt, -kTolerancePt, kTolerancePt, kTolerancePt);
        qsizetype found = -1;
        for (qsizetype i = 0; i < words.size(); ++i) {
            if (words[i].text == expected.text && allowed.contains(words[i].boxPt)) {
                found = i;
                break;
            }
        }
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("\"%1\" not inside %2,%3 %4x%5")
                                            .arg(expected.text)
                                            .arg(expected.boxPt.left())
                                            .arg(expected.boxPt.top())
                                            .arg(expected.boxPt.width())
                                            .arg(expected.boxPt.height())));
        words.removeAt(found); // each word on the page accounts for one expected word
    }
    QVERIFY2(words.isEmpty(), qPrintable(QStringLiteral("%1 unexpected words").arg(words.size())));
    QFile::remove(document);
}

// Dates spaced to scale, as the office suite draws them: each note (centred on its callout,
// whose arrow points at the date's place) stands where its date falls on the axis.
void TestLibreOffice::datesToScaleStandWhereTheyFall()
{
    QList<docgen::TimelineEntry> rows;
    for (const char* year : {"1900", "1910", "1920", "1960", "2000"})
        rows << docgen::TimelineEntry{QString::fromLatin1(year),
                                      QStringLiteral("Note%1").arg(QLatin1String(year))};
    const QString document = buildPageWithEngine(
        mClipboard, QStringLiteral("T"), rows,
        docgen::PageOptions{docgen::LayoutStyle::Fit, 0, {0.0, 0.1, 0.2, 0.6, 1.0}, {}, {}});
    QTemporaryDir work;
    QString error;
    const QString pdf = officetools::convertToPdf(document, work.path(), &error);
    QVERIFY2(!pdf.isEmpty(), qPrintable(error));
    QList<double> centres;
    for (const docgen::TimelineEntry& row : rows) {
        for (const officetools::Word& word : officetools::wordsOf(pdf)) {
            if (word.text == row.notes)
                centres << word.boxPt.center().x();
        }
    }
    QCOMPARE(centres.size(), rows.size());
    const double unit = centres[1] - centres[0];
    const double shares[] = {1, 1, 4, 4};
    for (int i = 1; i < 5; ++i) {
        const double gap = (centres[i] - centres[i - 1]) / unit;
        QVERIFY2(std::abs(gap - shares[i - 1]) <= 0.15 * shares[i - 1],
                 qPrintable(QStringLiteral("gap %1 is %2 units").arg(i).arg(gap)));
    }
    QFile::remove(document);
}

void TestLibreOffice::previewMatchesTheOfficeSuite_data()
{
    QTest::addColumn<QList<docgen::TimelineEntry>>("rows");
    QTest::newRow("yearly sample") << yearlySample();
    // Notes far taller than their callouts, below and above the bar, and a date that wraps
    // to more lines than the bar shows.
    QList<docgen::TimelineEntry> overflowing = yearlySample();
    overflowing[0].notes =
        QStringLiteral("Graduated in high school in New Hampshire and then ").repeated(6);
    overflowing[1].notes = overflowing[0].notes;
    overflowing[2].date = QStringLiteral("From the spring of 1965 to the autumn of 1966");
    QTest::newRow("long notes and a long date") << overflowing;
}

void TestLibreOffice::previewMatchesTheOfficeSuite()
{
    QFETCH(QList<docgen::TimelineEntry>, rows);
    const QString document = generate(QStringLiteral("John's Timeline"), rows);
    QVERIFY(QFile::exists(document));
    QTemporaryDir work;
    QString error;
    const QString pdf = officetools::convertToPdf(document, work.path(), &error);
    QVERIFY2(!pdf.isEmpty(), qPrintable(error));
    const QImage theirs =
        officetools::rasterise(pdf, kDpi, work.path()).convertToFormat(QImage::Format_RGB32);
    const QImage ours =
        office::renderRegion(office::openDocument(document), QRectF(0, 0, 792, 612), kPixelsPerPt)
            .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(ours.size(), theirs.size());
    if (qEnvironmentVariableIsSet("LOOM_KEEP_RENDERS")) {
        const QString prefix = qEnvironmentVariable("LOOM_KEEP_RENDERS") + u'/' +
                               QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        ours.save(prefix + QStringLiteral("-ours.png"));
        theirs.save(prefix + QStringLiteral("-theirs.png"));
        QFile::copy(document, prefix + QStringLiteral("-page.doc"));
    }

    const auto frame = docgen::LayoutPageFrame(QStringLiteral("John's Timeline"), rows, kLetter);
    const auto dark = [](QRgb pixel) { return luminance(pixel) < 110; };
    const auto light = [](QRgb pixel) { return luminance(pixel) > 200; };
    struct Region
    {
        QString name;
        QRectF boxPt;
        bool whiteText;
    };
    QList<Region> regions;
    regions << Region{QStringLiteral("title"),
                      QRectF(frame[0].leftPt, frame[0].topPt, frame[0].widthPt, frame[0].heightPt),
                      false};
    // The dates, inside the bar's borders.
    regions << Region{QStringLiteral("dates"),
                      QRectF(frame[1].leftPt + 10, frame[1].topPt + 2, frame[1].widthPt - 20, 14),
                      false};
    const auto callouts = docgen::LayoutCallouts(rows, kLetter, 79.2f);
    for (int i = 0; i < callouts.size(); ++i) {
        const auto& c = callouts[i];
        // The body of the callout, inside its outline: the notes are white on the fill.
        const double bodyTop = c.shapeType == 55 ? c.topPt + 28.4 : c.topPt;
        regions << Region{QStringLiteral("callout %1").arg(i + 1),
                          QRectF(c.leftPt + 2, bodyTop + 2, c.widthPt - 4, 52.6 - 4), true};
    }
    for (const Region& region : regions) {
        const Ink a =
            region.whiteText ? inkOf(ours, region.boxPt, light) : inkOf(ours, region.boxPt, dark);
        const Ink b = region.whiteText ? inkOf(theirs, region.boxPt, light)
                                       : inkOf(theirs, region.boxPt, dark);
        QVERIFY2(a.count > 20 && b.count > 20,
                 qPrintable(QStringLiteral("%1: %2 against %3 text pixels")
                                .arg(region.name)
                                .arg(a.count)
                                .arg(b.count)));
        const QPointF shift = a.centrePt - b.centrePt;
        QVERIFY2(std::abs(shift.x()) < 2.0 && std::abs(shift.y()) < 2.0,
                 qPrintable(QStringLiteral("%1: text centre off by %2, %3 pt")
                                .arg(region.name)
                                .arg(shift.x())
                                .arg(shift.y())));
        // The amount of text differs only by antialiasing and hinting.
        const double ratio = double(a.count) / b.count;
        QVERIFY2(ratio > 0.6 && ratio < 1.6,
                 qPrintable(QStringLiteral("%1: text pixel ratio %2").arg(region.name).arg(ratio)));
    }
    // Shapes, outlines and fills cover the same pixels.
    for (const auto& c : callouts)
        QVERIFY(drawnOverlap(ours, theirs, QRectF(c.leftPt - 2, c.topPt - 2, 76, 85)) > 0.9);
    // No text on the arrows: the middle of each arrow's shaft, between body and head, is
    // fill only, however long the notes.
    for (int i = 0; i < callouts.size(); ++i) {
        const auto& c = callouts[i];
        const double shaftTop = c.shapeType == 55 ? c.topPt + 16 : c.topPt + 54;
        const QRectF shaft(c.leftPt + 30, shaftTop, 12, 10);
        const int a = inkOf(ours, shaft, light).count;
        const int b = inkOf(theirs, shaft, light).count;
        QVERIFY2(a < 4 && b < 4, qPrintable(QStringLiteral("callout %1: %2 and %3 text pixels on "
                                                           "the arrow")
                                                .arg(i + 1)
                                                .arg(a)
                                                .arg(b)));
    }
    QVERIFY(drawnOverlap(ours, theirs, QRectF(frame[1].leftPt - 2, frame[1].topPt - 2, 652, 22)) >
            0.9);
    QFile::remove(document);
}

void TestLibreOffice::checkSweep()
{
    if (!mVerdicts.isEmpty())
        return;
    const QString checker =
        QStringLiteral(LOOM_SHARED_DIR) + QStringLiteral("/page-check/check.py");
    if (!QFile::exists(checker))
        QFAIL("the shared page checker (page-check/check.py) is needed");
    struct Job
    {
        QString name;
        QString document;
        QString texts;
    };
    QList<Job> jobs;
    for (const SweepPage& page : sweepPages()) {
        const QList<docgen::TimelineEntry> rows = sweepEntries(page);
        const timeline::Timeline shown{
            QStringLiteral("Project Timeline"),
            timeline::Scale::Yearly,
            rows,
            {timeline::Layout::Fit,
             page.toScale ? timeline::Spacing::ToScale : timeline::Spacing::Even, page.paper,
             page.theme}};
        const QString document = buildPageWithEngine(
            mClipboard, shown.title, rows, docgen::pageOptionsOf(shown, QLocale(QLocale::English)));
        QStringList lines{shown.title};
        for (const docgen::TimelineEntry& row : rows)
            lines << row.date << row.notes;
        QFile texts(document + QStringLiteral(".txt"));
        QVERIFY(texts.open(QIODevice::WriteOnly));
        texts.write((lines.join(u'\n') + u'\n').toUtf8());
        jobs << Job{page.name, document, texts.fileName()};
    }
    constexpr int kAtOnce = 2;
    for (qsizetype first = 0; first < jobs.size(); first += kAtOnce) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (qsizetype i = first; i < std::min(jobs.size(), first + kAtOnce); ++i) {
            running.push_back(std::make_unique<QProcess>());
            running.back()->setProcessChannelMode(QProcess::MergedChannels);
            running.back()->start(QStringLiteral("python3"),
                                  {checker, jobs[i].document, QStringLiteral("--texts"),
                                   jobs[i].texts, QStringLiteral("--design")});
        }
        for (size_t k = 0; k < running.size(); ++k) {
            QProcess& check = *running[k];
            const bool done = check.waitForFinished(300000);
            const Job& job = jobs[first + qsizetype(k)];
            mVerdicts.insert(job.name, QString::number(done ? check.exitCode() : -1) +
                                           QLatin1Char(' ') +
                                           QString::fromUtf8(check.readAll()).simplified());
            QFile::remove(job.document);
            QFile::remove(job.texts);
        }
    }
}

void TestLibreOffice::densePagesAreDesigned_data()
{
    QTest::addColumn<QString>("page");
    for (const SweepPage& page : sweepPages())
        QTest::newRow(qPrintable(page.name)) << page.name;
}

// Legible and designed as the office suite renders them: margins, balance, one type size
// for notes and one for dates, each arrow over its own date, every word whole.
void TestLibreOffice::densePagesAreDesigned()
{
    QFETCH(QString, page);
    checkSweep();
    const QString verdict = mVerdicts.value(page);
    QVERIFY2(verdict.startsWith(QLatin1String("0 ")), qPrintable(verdict));
    QVERIFY2(verdict.endsWith(QLatin1String("legible designed")), qPrintable(verdict));
}

// Categories, spans and a milestone on the page the studio makes of them: the office
// suite's rendering is legible and designed by the page check, legend included.
void TestLibreOffice::marksKeepThePageLegibleAndDesigned_data()
{
    QTest::addColumn<bool>("toScale");
    QTest::addColumn<QString>("theme");
    QTest::addColumn<int>("repeats");
    QTest::newRow("to scale") << true << QStringLiteral("Meadow") << 1;
    QTest::newRow("evenly, Ink") << false << QStringLiteral("Ink") << 1;
    // One bar would hold them only with words broken; more bars give every word its line.
    QTest::newRow("27 entries, evenly") << false << QStringLiteral("Meadow") << 3;
}

void TestLibreOffice::marksKeepThePageLegibleAndDesigned()
{
    QFETCH(bool, toScale);
    QFETCH(QString, theme);
    QFETCH(int, repeats);
    timeline::Timeline marked{
        QStringLiteral("Workshop history"), timeline::Scale::Yearly, {}, timeline::PageChoices{}};
    // Each repeat thirty years on, spans included.
    static const QRegularExpression year(QStringLiteral("\\d{4}"));
    for (int k = 0; k < repeats; ++k) {
        for (docgen::TimelineEntry entry : markedEntries()) {
            QString date;
            qsizetype from = 0;
            for (const QRegularExpressionMatch& match : year.globalMatch(entry.date)) {
                date += entry.date.mid(from, match.capturedStart() - from) +
                        QString::number(match.captured().toInt() + 30 * k);
                from = match.capturedEnd();
            }
            entry.date = date + entry.date.mid(from);
            marked.entries << entry;
        }
    }
    marked.page.spacing = toScale ? timeline::Spacing::ToScale : timeline::Spacing::Even;
    marked.page.theme = theme;
    const docgen::PageOptions options = docgen::pageOptionsOf(marked, QLocale());
    QCOMPARE(options.spans.size(), 2 * repeats);
    QCOMPARE(options.timeAxis.isEmpty(), !toScale);
    docgen::PagePlan plan;
    const QString document =
        buildPageWithEngine(mClipboard, marked.title, marked.entries, options, &plan);
    QVERIFY2(QFile::exists(document), "the builder handed over no document");
    QTemporaryDir work;
    QFile texts(work.filePath(QStringLiteral("texts.txt")));
    QVERIFY(texts.open(QIODevice::WriteOnly));
    texts.write(marked.title.toUtf8() + '\n');
    for (const docgen::TimelineEntry& entry : marked.entries)
        texts.write(entry.date.toUtf8() + '\n' + entry.notes.toUtf8() + '\n');
    texts.close();
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral("python3"),
                {QStringLiteral(LOOM_SHARED_DIR) + QStringLiteral("/page-check/check.py"), document,
                 QStringLiteral("--texts"), texts.fileName(), QStringLiteral("--design")});
    QVERIFY(check.waitForFinished(300'000));
    const QString output = QString::fromUtf8(check.readAll());
    const QStringList verdicts = output.split(u'\n');
    QVERIFY2(check.exitCode() == 0 && verdicts.contains(QLatin1String("legible")) &&
                 verdicts.contains(QLatin1String("designed")),
             qPrintable(output));
    // The legend names every category where the office suite draws the page.
    const QString pdf = officetools::convertToPdf(document, work.path());
    QStringList drawn;
    for (const officetools::Word& word : officetools::wordsOf(pdf))
        drawn << word.text;
    for (const char* name : {"Building", "People", "Services"})
        QVERIFY2(drawn.contains(QLatin1String(name)), name);
    // Our own reader and renderer (the preview, PNG, PDF and SVG) draw every mark in its
    // colour where the plan puts it.
    const QImage ours =
        office::renderRegion(office::openDocument(document), QRectF(0, 0, 792, 612), kPixelsPerPt);
    // Two bands and a diamond a repeat, and a key for each of the three categories.
    QCOMPARE(plan.marks.size(), 3 * repeats + 3);
    for (const docgen::PageElement& mark : plan.marks) {
        // A key's text stands in its middle; its fill shows beside the text.
        QPointF middle = QRectF(mark.leftPt, mark.topPt, mark.widthPt, mark.heightPt).center();
        if (mark.kind == docgen::ElementKind::LegendKey)
            middle.setX(mark.leftPt + 3);
        const QRgb pixel = ours.pixel((middle * kPixelsPerPt).toPoint());
        const docgen::Colour want = *mark.style.fill;
        QVERIFY2(std::abs(qRed(pixel) - want.red) + std::abs(qGreen(pixel) - want.green) +
                         std::abs(qBlue(pixel) - want.blue) <
                     12,
                 qPrintable(QStringLiteral("mark of kind %1 at %2, %3")
                                .arg(int(mark.kind))
                                .arg(middle.x())
                                .arg(middle.y())));
    }
    if (qEnvironmentVariableIsSet("LOOM_KEEP_RENDERS"))
        QFile::copy(document, qEnvironmentVariable("LOOM_KEEP_RENDERS") + u'/' +
                                  QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-') +
                                  QStringLiteral("-marks.doc"));
    QFile::remove(document);
}

void TestLibreOffice::savedAgainOpensBackEqual()
{
    // Saved again by the office suite, the document still carries its timeline, and its
    // page's texts (unchanged) raise no notice.
    const timeline::Timeline made{
        QStringLiteral("Riverside Library & friends"),
        timeline::Scale::Monthly,
        {{QStringLiteral("Mar 1990 \u2013 Jun 1991"), QStringLiteral("A span, of months"),
          QStringLiteral("Building")},
         {QStringLiteral("Jan 2001"), QStringLiteral("Two lines\nof notes"), QString(), true}},
        {timeline::Layout::Fit, timeline::Spacing::Even, QStringLiteral("A4"), {}}};
    const QString document = buildPageWithEngine(mClipboard, made.title, made.entries,
                                                 docgen::pageOptionsOf(made, QLocale()));
    QVERIFY(!document.isEmpty());
    QString error;
    const QString again =
        officetools::convertTo(document, mTemp.path(), QStringLiteral("docx"), &error);
    QVERIFY2(!again.isEmpty(), qPrintable(error));
    QString notice;
    const timeline::xml::ReadResult read = docgen::readTimelineFrom(again, &notice);
    QVERIFY2(read.timeline, qPrintable(read.error));
    QCOMPARE(read.timeline->title, made.title);
    QCOMPARE(read.timeline->scale, made.scale);
    QCOMPARE(read.timeline->entries, made.entries);
    QCOMPARE(read.timeline->page, made.page);
    QCOMPARE(notice, QString());
}

QTEST_MAIN(TestLibreOffice)
#include "tst_libreoffice.moc"
