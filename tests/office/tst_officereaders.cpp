// Generated pages as other readers see them: the schema check (as the file stands, and as a
// reader that only knows the VML fallback reads it), and the office suite and our own
// reader given nothing but the fallback.
#include "fakeword.h"
#include "officetools.h"
#include "templatehost.h"

#include "app/apptitle.h"
#include "docgen/embeddedword.h"
#include "docgen/pagemarks.h"
#include "docgen/templatebuilder.h"
#include "office/calloutgeometry.h"
#include "office/docreader.h"
#include "office/docwriter.h"
#include "office/zippackage.h"
#include "support/letterpaper.h"
#include "support/scripteddialogs.h"
#include "timeline/datereader.h"
#include "timeline/samples.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(QList<docgen::TimelineEntry>)

namespace {

QString sharedDir()
{
    return QStringLiteral(LOOM_SHARED_DIR);
}

QList<docgen::TimelineEntry> sample(int scale)
{
    QList<docgen::TimelineEntry> rows;
    for (const auto& entry : editor::sampleEntries(scale))
        rows.append({entry.date, entry.notes});
    return rows;
}

QString repeated(const QString& piece, int length)
{
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    return text;
}

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(testsupport::toolEnvironment());
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(240'000))
        return {-1, QStringLiteral("%1 did not finish: %2").arg(program, process.errorString())};
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

// Every word a story shows, tables included, separated by blanks.
QString storyText(const office::Story& story)
{
    QStringList texts;
    for (const office::Block& block : story) {
        if (const auto* paragraph = std::get_if<office::Paragraph>(&block)) {
            texts << paragraph->text();
            continue;
        }
        for (const auto& row : std::get<office::Table>(block).rows)
            for (const auto& cell : row)
                for (const auto& paragraph : cell.paragraphs)
                    texts << paragraph.text();
    }
    return texts.join(u' ').simplified();
}

// The package with every Choice removed: what a reader without Word 2010 shapes gets.
QByteArray fallbackOnly(const QByteArray& package)
{
    office::zippackage::Reader reader(package);
    std::vector<office::zippackage::Part> parts;
    for (const char* name : {"[Content_Types].xml", "_rels/.rels", "word/_rels/document.xml.rels",
                             "word/styles.xml", "word/settings.xml"}) {
        parts.push_back({QString::fromLatin1(name), reader.read(QString::fromLatin1(name))});
    }
    QString main = QString::fromUtf8(reader.read(QStringLiteral("word/document.xml")));
    main.remove(QRegularExpression(QStringLiteral("<mc:Choice .*?</mc:Choice>"),
                                   QRegularExpression::DotMatchesEverythingOption));
    parts.push_back({QStringLiteral("word/document.xml"), main.toUtf8()});
    return office::zippackage::write(parts);
}

} // namespace

class TestOfficeReaders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void schemaValidAsWrittenAndAsFallback_data();
    void schemaValidAsWrittenAndAsFallback();
    void officeSuiteDrawsTheFallback();
    void fallbackAloneGivesTheSamePage_data();
    void fallbackAloneGivesTheSamePage();
    void documentProperties();
    void officeSuiteKeepsCustomXml();
    void plainTextConverterShowsEveryText_data();
    void plainTextConverterShowsEveryText();
    void textAlternativeNeverMakesThePageUnreadable();

private:
    QString generate(const QString& title, const QList<docgen::TimelineEntry>& rows);

    QTemporaryDir mTemp;
    FakeClipboard mClipboard;
};

void TestOfficeReaders::initTestCase()
{
    if (!QFile::exists(sharedDir() + QStringLiteral("/ooxml-check/validate.sh")))
        QFAIL(qPrintable(QStringLiteral("the schema check is missing: %1/ooxml-check/validate.sh")
                             .arg(sharedDir())));
    if (!officetools::available())
        QFAIL("soffice, pdftotext and pdftoppm are needed (tools/setup-debian.sh --tests)");
    for (const char* tool : {"xmllint", "python3", "unzip", "pandoc"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 is needed (tools/setup-debian.sh --tests)")
                                 .arg(QString::fromLatin1(tool))));
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testsupport::pinLetterPaper();
    app::SetApplicationTitle();
    qputenv("TEMP", mTemp.path().toUtf8());
}

QString TestOfficeReaders::generate(const QString& title, const QList<docgen::TimelineEntry>& rows)
{
    return buildPageWithEngine(mClipboard, title, rows);
}

void TestOfficeReaders::schemaValidAsWrittenAndAsFallback_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QList<docgen::TimelineEntry>>("rows");
    const QString sampleTitle = QString::fromLatin1(editor::kSampleTitle);
    QTest::newRow("yearly sample") << sampleTitle << sample(1);
    QTest::newRow("monthly sample") << sampleTitle << sample(2);
    QTest::newRow("daily sample") << sampleTitle << sample(3);
    QTest::newRow("one entry") << QString() << QList<docgen::TimelineEntry>{{"2000", "Only"}};
    QList<docgen::TimelineEntry> most;
    for (int i = 1; i <= docgen::kMaxPageEntries; ++i)
        most.append({QString::number(1900 + i), QStringLiteral("Entry %1").arg(i)});
    QTest::newRow("63 entries") << QStringLiteral("Many") << most;

    // The texts the hostile-input run types in, each beside a plain entry.
    const docgen::TimelineEntry plain{QStringLiteral("2020"), QStringLiteral("Plain entry")};
    const QString controls = QStringLiteral("a\x01"
                                            "b\x0b"
                                            "c\td\ne\x1f"
                                            "f\rg");
    auto hostile = [&](const char* name, const QString& title, const QString& date,
                       const QString& notes) {
        QTest::newRow(name) << title << QList<docgen::TimelineEntry>{plain, {date, notes}};
    };
    hostile("control characters", QStringLiteral("Title ") + controls,
            QStringLiteral("1999 ") + controls, QStringLiteral("Notes ") + controls);
    hostile("right to left",
            QStringLiteral("\u05e6\u05d9\u05e8 \u05d6\u05de\u05df \u0645\u062e\u0637\u0637"),
            QStringLiteral("\u05ea\u05e9\u05e4\u05f4\u05d0"),
            QStringLiteral("\u0648\u0644\u062f \u202eembedded override\u202c"));
    hostile("emoji", QStringLiteral("My \U0001F600 timeline \U0001F468\u200D\U0001F469"),
            QStringLiteral("\U0001F4C5 2001"), QStringLiteral("Moved \U0001F3E0\U0001F1FA"));
    hostile("unpaired surrogates", QStringLiteral("Half ") + QChar(0xD83D),
            QStringLiteral("2001 ") + QChar(0xDE00), QStringLiteral("Notes ") + QChar(0xD800));
    hostile("markup characters", QStringLiteral("<w:p> & \"]]>"), QStringLiteral("</mc:Choice>"),
            QStringLiteral("<v:shape style='x'/>"));
    hostile("100000-character texts", repeated(QStringLiteral("Long title "), 100'000),
            repeated(QStringLiteral("1999 "), 100'000),
            repeated(QStringLiteral("words and more words "), 100'000));
    QTest::newRow("categories, spans and a milestone")
        << QStringLiteral("Workshop history") << markedEntries();
}

namespace {
// The page options that give a list's spans their bands, its dates read as years.
docgen::PageOptions markedOptions(const QList<docgen::TimelineEntry>& rows)
{
    docgen::PageOptions options;
    options.spans = docgen::spanReachesOf(rows, editor::DateReader(1, QLocale()));
    return options;
}
} // namespace

void TestOfficeReaders::schemaValidAsWrittenAndAsFallback()
{
    QFETCH(QString, title);
    QFETCH(QList<docgen::TimelineEntry>, rows);
    docgen::PagePlan plan;
    const QString document =
        buildPageWithEngine(mClipboard, title, rows, markedOptions(rows), &plan);
    QVERIFY2(QFile::exists(document), "the builder handed over no document");
    const QString script = sharedDir() + QStringLiteral("/ooxml-check/validate.sh");
    for (const QStringList& options : {QStringList(), QStringList{QStringLiteral("--fallback")}}) {
        const Run check = run(QStringLiteral("sh"), QStringList{script, document} + options);
        QVERIFY2(check.exitCode == 0, qPrintable(options.join(u' ') + u'\n' + check.output));
        // Every shape went through the markup-compatibility step, so none was left out.
        const QString taken =
            options.isEmpty() ? QStringLiteral("Choice %1") : QStringLiteral("Fallback %1");
        const qsizetype shapes = 1 + plan.bars().size() + rows.size() + plan.marks.size();
        QVERIFY2(check.output.contains(taken.arg(shapes)), qPrintable(check.output));
    }
    QFile::remove(document);
}

// The office suite given only the fallback: every word in its shape, arrows that point.
void TestOfficeReaders::officeSuiteDrawsTheFallback()
{
    const QString document = generate(QString::fromLatin1(editor::kSampleTitle), sample(1));
    QFile file(document);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray package = file.readAll();
    const office::Document page = office::readPackage(package);
    QTemporaryDir work;
    const QString fallbackPath = work.filePath(QStringLiteral("fallback.docx"));
    QFile fallbackFile(fallbackPath);
    QVERIFY(fallbackFile.open(QIODevice::WriteOnly));
    fallbackFile.write(fallbackOnly(package));
    fallbackFile.close();
    QString error;
    const QString pdf = officetools::convertToPdf(fallbackPath, work.path(), &error);
    QVERIFY2(!pdf.isEmpty(), qPrintable(error));

    QList<officetools::Word> words = officetools::wordsOf(pdf);
    for (const office::Shape& shape : page.shapes()) {
        const QRectF allowed =
            QRectF(shape.leftPt, shape.topPt, shape.widthPt, shape.heightPt).adjusted(-3, -3, 3, 3);
        for (const QString& word : storyText(shape.story).split(u' ', Qt::SkipEmptyParts)) {
            const auto found = std::find_if(words.begin(), words.end(), [&](const auto& w) {
                return w.text == word && allowed.contains(w.boxPt);
            });
            QVERIFY2(found != words.end(),
                     qPrintable(word + QStringLiteral(" not in ") + shape.name));
            words.erase(found);
        }
    }
    QVERIFY2(words.isEmpty(), qPrintable(words.first().text));

    // Around the arrow (head and shaft, where no text is) the render follows the preset's
    // outline: the fill inside it, blank paper outside; points near the edge are left out.
    constexpr int kDpi = 72;
    const QImage image = officetools::rasterise(pdf, kDpi, work.path());
    QVERIFY(!image.isNull());
    for (const office::Shape& shape : page.shapes()) {
        if (shape.kind == office::ShapeKind::TextBox)
            continue;
        const QPainterPath outline =
            office::calloutOutline(shape.kind, shape.widthPt, shape.heightPt, shape.adjust);
        const QRectF text =
            office::calloutTextRect(shape.kind, shape.widthPt, shape.heightPt, shape.adjust);
        int checked = 0;
        for (double y = 1; y < shape.heightPt; y += 3) {
            for (double x = 1; x < shape.widthPt; x += 3) {
                const QPointF p(x, y);
                if (text.adjusted(0, -2, 0, 2).contains(p))
                    continue;
                const bool inside = outline.contains(p);
                bool clear = true;
                for (const QPointF d :
                     {QPointF(2, 0), QPointF(-2, 0), QPointF(0, 2), QPointF(0, -2)})
                    clear = clear && outline.contains(p + d) == inside;
                if (!clear)
                    continue;
                const QRgb pixel = image.pixel(int(shape.leftPt + x), int(shape.topPt + y));
                const bool filled = qBlue(pixel) > 150 && qRed(pixel) < 120;
                QVERIFY2(filled == inside,
                         qPrintable(QStringLiteral("%1 at %2,%3").arg(shape.name).arg(x).arg(y)));
                ++checked;
            }
        }
        QVERIFY(checked > 100);
    }
    QFile::remove(document);
}

void TestOfficeReaders::fallbackAloneGivesTheSamePage_data()
{
    QTest::addColumn<QList<docgen::TimelineEntry>>("rows");
    QTest::addColumn<int>("shapes");
    QTest::newRow("yearly sample") << sample(1) << 10;
    // Two bands, a diamond and three legend keys besides.
    QTest::newRow("categories, spans and a milestone") << markedEntries() << 17;
}

// A reader that skips the Choice must still get every shape with its look and text.
void TestOfficeReaders::fallbackAloneGivesTheSamePage()
{
    QFETCH(QList<docgen::TimelineEntry>, rows);
    QFETCH(int, shapes);
    const QString document = buildPageWithEngine(
        mClipboard, QString::fromLatin1(editor::kSampleTitle), rows, markedOptions(rows));
    QFile file(document);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray package = file.readAll();
    const office::Document full = office::readPackage(package);
    const office::Document fallback = office::readPackage(fallbackOnly(package));
    QCOMPARE(full.shapes().size(), size_t(shapes));
    QCOMPARE(fallback.shapes().size(), full.shapes().size());
    for (size_t i = 0; i < full.shapes().size(); ++i) {
        office::Shape a = fallback.shapes()[i];
        const office::Shape& e = full.shapes()[i];
        const QByteArray where = QByteArray::number(qulonglong(i));
        for (auto [got, want] :
             {std::pair{a.leftPt, e.leftPt}, std::pair{a.topPt, e.topPt},
              std::pair{a.widthPt, e.widthPt}, std::pair{a.heightPt, e.heightPt},
              std::pair{a.insetLeftPt, e.insetLeftPt}, std::pair{a.insetTopPt, e.insetTopPt},
              std::pair{a.lineWidthPt, e.lineWidthPt}})
            QVERIFY2(std::abs(got - want) < 1e-3, where.constData());
        // VML keeps the adjustments on a 21600 grid of the shape's sides: within one step
        // of that grid, in the preset's units of the shorter side.
        const double step = std::max(e.widthPt, e.heightPt) / 21600 * 100000 /
                            std::max(1e-9, std::min(e.widthPt, e.heightPt));
        for (size_t k = 0; k < e.adjust.size(); ++k)
            QVERIFY2(std::abs(a.adjust[k] - e.adjust[k]) <= std::max(2.0, std::ceil(step)),
                     qPrintable(QStringLiteral("shape %1 adjust %2: %3 for %4")
                                    .arg(i)
                                    .arg(k)
                                    .arg(a.adjust[k])
                                    .arg(e.adjust[k])));
        a.leftPt = e.leftPt;
        a.topPt = e.topPt;
        a.widthPt = e.widthPt;
        a.heightPt = e.heightPt;
        a.insetLeftPt = e.insetLeftPt;
        a.insetTopPt = e.insetTopPt;
        a.insetRightPt = e.insetRightPt;
        a.insetBottomPt = e.insetBottomPt;
        a.lineWidthPt = e.lineWidthPt;
        a.adjust = e.adjust;
        a.id = e.id;
        QVERIFY2(a == e, where.constData());
    }
    QList<office::ShapeKind> kinds;
    for (const office::Shape& shape : full.shapes())
        kinds << shape.kind;
    QCOMPARE(kinds.count(office::ShapeKind::UpArrowCallout), (rows.size() + 1) / 2);
    QCOMPARE(kinds.count(office::ShapeKind::DownArrowCallout), rows.size() / 2);
    // The marks keep their kinds, without a text body, both ways.
    QCOMPARE(kinds.count(office::ShapeKind::Rectangle), shapes == 17 ? 2 : 0);
    QCOMPARE(kinds.count(office::ShapeKind::Diamond), shapes == 17 ? 1 : 0);
    QFile::remove(document);
}

void TestOfficeReaders::documentProperties()
{
    office::Document document;
    const QDateTime savedAt(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
    office::zippackage::Reader reader(office::writePackage(document, savedAt));
    const QString app = QString::fromUtf8(reader.read(QStringLiteral("docProps/app.xml")));
    const QString core = QString::fromUtf8(reader.read(QStringLiteral("docProps/core.xml")));
    QVERIFY2(app.contains(QStringLiteral("<Application>Loomchart Page Studio</Application>")),
             qPrintable(app));
    for (const char* stamp : {"created", "modified"}) {
        const QString element = QStringLiteral("<dcterms:%1 xsi:type=\"dcterms:W3CDTF\">"
                                               "2026-03-04T05:06:07Z</dcterms:%1>")
                                    .arg(QString::fromLatin1(stamp));
        QVERIFY2(core.contains(element), qPrintable(core));
    }
    for (const char* personal : {"creator", "lastModifiedBy"})
        QVERIFY2(!core.contains(QString::fromLatin1(personal)), personal);
}

// A data item in the package passes the schema check, and the office suite keeps it when it
// saves the document again: same data from the root element on, same id and schemas.
void TestOfficeReaders::officeSuiteKeepsCustomXml()
{
    office::Document page =
        office::openDocument(generate(QString::fromLatin1(editor::kSampleTitle), sample(1)));
    const QByteArray root = "<t:timeline xmlns:t=\"urn:x-loomchart-test:1\" scale=\"1\">"
                            "<t:title>Caf\xC3\xA9 &amp; co</t:title></t:timeline>";
    const office::CustomXmlItem item{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root,
                                     QStringLiteral("{A67AC88A-A164-4ADE-8889-8826CE44DE6E}"),
                                     {QStringLiteral("urn:x-loomchart-test:1")}};
    page.customXml() = {item};
    QTemporaryDir work;
    const QString written = work.filePath(QStringLiteral("kept.docx"));
    office::saveDocument(page, written);
    const Run check = run(QStringLiteral("sh"),
                          {sharedDir() + QStringLiteral("/ooxml-check/validate.sh"), written});
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    QVERIFY2(check.output.contains(QStringLiteral("customXml/itemProps1.xml: OK")),
             qPrintable(check.output));
    QString error;
    const QString saved =
        officetools::convertTo(written, work.path(), QStringLiteral("docx"), &error);
    QVERIFY2(!saved.isEmpty(), qPrintable(error));
    const office::Document again = office::openDocument(saved);
    QCOMPARE(again.customXml().size(), size_t(1));
    const office::CustomXmlItem& kept = again.customXml().front();
    QCOMPARE(kept.data.mid(kept.data.indexOf("<t:timeline")), root);
    QCOMPARE(kept.itemId, item.itemId);
    QVERIFY(kept.schemaRefs == item.schemaRefs);
}

void TestOfficeReaders::plainTextConverterShowsEveryText_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("yearly") << 1;
    QTest::newRow("monthly") << 2;
    QTest::newRow("daily") << 3;
    QTest::newRow("categories in a legend") << 0;
}

// A converter that reads no text box sees the page's text in the hidden body paragraphs; our
// own reader skips them, and reading and writing again keeps exactly one copy.
void TestOfficeReaders::plainTextConverterShowsEveryText()
{
    QFETCH(int, scale);
    const QString title = QString::fromLatin1(editor::kSampleTitle);
    const QList<docgen::TimelineEntry> rows = scale > 0 ? sample(scale) : markedEntries();
    const QString document = buildPageWithEngine(mClipboard, title, rows, markedOptions(rows));
    const Run converted =
        run(QStringLiteral("pandoc"),
            {QStringLiteral("--wrap=none"), QStringLiteral("-f"), QStringLiteral("docx"),
             QStringLiteral("-t"), QStringLiteral("plain"), document});
    QVERIFY2(converted.exitCode == 0, qPrintable(converted.output));
    const QString text = converted.output.simplified();
    QStringList expected{title};
    for (const auto& entry : rows)
        expected << entry.date << entry.notes.simplified() << entry.category;
    for (const QString& piece : expected)
        QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral(" not in: ") + text));

    QFile file(document);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray package = file.readAll();
    const office::Document page = office::readPackage(package);
    for (const office::Block& block : page.body())
        QVERIFY2(std::holds_alternative<office::Paragraph>(block) &&
                     std::get<office::Paragraph>(block).runs.empty(),
                 "the body holds text");
    // Paragraphs whose mark is hidden.
    auto hiddenParagraphs = [](const QByteArray& written) {
        static const QRegularExpression mark(
            QStringLiteral("<w:pPr>(?:[^<]|<(?!/w:pPr>))*<w:vanish/>"));
        const QString main = QString::fromUtf8(
            office::zippackage::Reader(written).read(QStringLiteral("word/document.xml")));
        qsizetype count = 0;
        for (auto it = mark.globalMatch(main); it.hasNext(); it.next())
            ++count;
        return count;
    };
    const qsizetype hidden = hiddenParagraphs(package);
    QVERIFY(hidden >= 1 + 2 * rows.size());
    const QByteArray again = office::writePackage(page);
    QCOMPARE(hiddenParagraphs(again), hidden);
    QVERIFY(office::readPackage(again).body() == page.body());
    QFile::remove(document);
}

// Two copies of this text fit in the main part the reader opens; three would not.
void TestOfficeReaders::textAlternativeNeverMakesThePageUnreadable()
{
    office::Document document;
    office::Shape shape;
    shape.widthPt = shape.heightPt = 100;
    office::Paragraph paragraph;
    paragraph.runs.push_back({QString(6'000'000, u'x'), {}});
    shape.story = {paragraph};
    document.shapes().push_back(shape);
    const office::Document read = office::readPackage(office::writePackage(document));
    QCOMPARE(read.shapes().size(), size_t(1));
    QCOMPARE(storyText(read.shapes()[0].story).size(), 6'000'000);
}

QTEST_MAIN(TestOfficeReaders)
#include "tst_officereaders.moc"
