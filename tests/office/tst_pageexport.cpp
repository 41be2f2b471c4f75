#include "office/error.h"
#include "office/outputformat.h"
#include "office/pageexport.h"
#include "office/renderer.h"
#include "timelinepage.h"

#include <QFile>
#include <QImageReader>
#include <QLocale>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>

using namespace office;

namespace {

Document timelineFor(const QLocale& locale)
{
    // The paper follows the locale's paper category, LC_ALL first.
    const QByteArray before = qgetenv("LC_ALL");
    qputenv("LC_ALL", locale.name().toLatin1());
    Document page = officetest::buildTimeline(QStringLiteral("Project Timeline"),
                                              officetest::threeEntries(), defaultPageSetup());
    qputenv("LC_ALL", before);
    return page;
}

} // namespace

class TestPageExport : public QObject
{
    Q_OBJECT

private slots:
    void pictureHasTheTrueSizeAt300Dpi_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("Letter") << QLocale(QLocale::English, QLocale::UnitedStates)
                                << QSize(3300, 2550);
        // 841.9 x 595.3 pt
        QTest::newRow("A4") << QLocale(QLocale::German, QLocale::Germany) << QSize(3508, 2480);
    }

    void pictureHasTheTrueSizeAt300Dpi()
    {
        QFETCH(QLocale, locale);
        QFETCH(QSize, pixels);
        const Document page = timelineFor(locale);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.png"));
        writePagePng(page, path);
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage written = reader.read();
        QCOMPARE(written.size(), pixels);
        QCOMPARE(qRound(written.dotsPerMeterX() * 0.0254), 300);
        // The same drawing as the preview's renderer at the same scale.
        const QImage preview =
            renderRegion(page, QRectF(0, 0, page.page().widthPt, page.page().heightPt), pixels);
        QCOMPARE(written.convertToFormat(QImage::Format_RGB32),
                 preview.convertToFormat(QImage::Format_RGB32));
    }

    void svgIsTheTrueSizeWithText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QSizeF>("sizeMm");
        QTest::addColumn<QString>("viewBox");
        QTest::newRow("Letter") << QLocale(QLocale::English, QLocale::UnitedStates)
                                << QSizeF(279.4, 215.9) << QStringLiteral("0 0 792 612");
        QTest::newRow("A4") << QLocale(QLocale::German, QLocale::Germany) << QSizeF(297.0, 210.0)
                            << QStringLiteral("0 0 841.9 595.3");
    }

    // The SVG states its true size and carries the page's words as text.
    void svgIsTheTrueSizeWithText()
    {
        QFETCH(QLocale, locale);
        QFETCH(QSizeF, sizeMm);
        QFETCH(QString, viewBox);
        const Document page = timelineFor(locale);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.svg"));
        writePageSvg(page, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString width;
        QString height;
        QString box;
        QString text;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("svg")) {
                width = xml.attributes().value(QLatin1String("width")).toString();
                height = xml.attributes().value(QLatin1String("height")).toString();
                box = xml.attributes().value(QLatin1String("viewBox")).toString();
            } else if (xml.name() == QLatin1String("text")) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements) + u' ';
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY2(width.endsWith(QLatin1String("mm")) &&
                     std::abs(width.chopped(2).toDouble() - sizeMm.width()) < 0.01,
                 qPrintable(width));
        QVERIFY2(height.endsWith(QLatin1String("mm")) &&
                     std::abs(height.chopped(2).toDouble() - sizeMm.height()) < 0.01,
                 qPrintable(height));
        QCOMPARE(box, viewBox);
        for (const char* word : {"Project", "Timeline", "1990", "2000", "Founded", "Expansion"})
            QVERIFY2(text.contains(QLatin1String(word)), word);
    }

    void failuresLeaveNoFileAndKeepTheOldOne()
    {
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("kept.pdf"));
        {
            QFile file(existing);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("earlier");
        }
        Document broken = timelineFor(QLocale(QLocale::English, QLocale::UnitedStates));
        broken.page().widthPt = std::numeric_limits<double>::quiet_NaN();
        for (const PageFileKind kind : {PageFileKind::Pdf, PageFileKind::Png, PageFileKind::Svg})
            QVERIFY(officetest::descriptionOf([&] {
                        writePage(broken, existing, kind);
                    }).startsWith(QLatin1String("The page has no usable size")));
        QFile kept(existing);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("earlier"));

        const Document page = timelineFor(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString nowhere = dir.filePath(QStringLiteral("missing/page.pdf"));
        QVERIFY(officetest::descriptionOf([&] {
                    writePagePdf(page, nowhere);
                }).startsWith(QLatin1String("Cannot write ")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("kept.pdf")});
    }

    void kindFollowsTheExtension()
    {
        QCOMPARE(pageFileKindOf(QStringLiteral("a/b.PDF")), PageFileKind::Pdf);
        QCOMPARE(pageFileKindOf(QStringLiteral("b.png")), PageFileKind::Png);
        QCOMPARE(pageFileKindOf(QStringLiteral("b.Svg")), PageFileKind::Svg);
        QVERIFY(!pageFileKindOf(QStringLiteral("b.doc")));
        QVERIFY(!pageFileKindOf(QStringLiteral("pdf")));
        // The Word document by either of its names, the pages by theirs.
        QCOMPARE(outputFormatOf(QStringLiteral("b.DOCX")), OutputFormat::Word);
        QCOMPARE(outputFormatOf(QStringLiteral("b.doc")), OutputFormat::Word);
        QCOMPARE(outputFormatOf(QStringLiteral("b.svg")), OutputFormat::Svg);
        QVERIFY(!outputFormatOf(QStringLiteral("b.txt")));
    }
};

QTEST_MAIN(TestPageExport)
#include "tst_pageexport.moc"
