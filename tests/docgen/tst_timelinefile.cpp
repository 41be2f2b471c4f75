#include "docgen/timelinefile.h"
#include "office/docwriter.h"
#include "office/ooxmlnames.h"
#include "office/packageparts.h"
#include "office/pageexport.h"
#include "office/zippackage.h"
#include "slide/slide.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using timeline::Timeline;

namespace {

Timeline sample()
{
    Timeline value;
    value.title = QStringLiteral("Riverside Library \u2013 \u00e9t\u00e9 <&> \U0001F4DA");
    value.scale = timeline::Scale::Monthly;
    value.entries = {{QStringLiteral("Apr 2000"), QStringLiteral("Opened\nsecond line")},
                     {QStringLiteral("May 2001"), QStringLiteral("  spaced  \u0416"),
                      QStringLiteral("Works <&>"), true}};
    value.page = {timeline::Layout::Classic, timeline::Spacing::ToScale, QStringLiteral("A4"),
                  QStringLiteral("Slate")};
    return value;
}

bool equal(const Timeline& a, const Timeline& b)
{
    return a.title == b.title && a.scale == b.scale && a.entries == b.entries && a.page == b.page;
}

// The slide of the sample, carrying `items`.
QByteArray slideOf(const std::vector<office::CustomXmlItem>& items)
{
    const Timeline value = sample();
    return slide::slidePackage(slide::planSlide(value, {}, slide::kDefaultSlideSize),
                               slide::kDefaultSlideSize, items);
}

// A presentation whose main part relates one data item at `target`, holding `data`.
QByteArray presentationRelating(const QString& target, const QByteArray& data)
{
    using namespace office::ooxml;
    return office::zippackage::write(
        {{QStringLiteral("[Content_Types].xml"), office::opc::contentTypes({})},
         {QStringLiteral("_rels/.rels"),
          office::opc::relationships({{kOfficeDocumentType, kPresentationPart}})},
         {kPresentationPart, QByteArray("<p:presentation/>")},
         {QStringLiteral("ppt/_rels/presentation.xml.rels"),
          office::opc::relationships({{kCustomXmlType, target}})},
         {QStringLiteral("customXml/item1.xml"), data}});
}

office::Document page()
{
    office::Document document;
    const int box = document.addTextBox(100, 10, 300, 40);
    document.setShapeText(box, QStringLiteral("Riverside Library"));
    return document;
}

} // namespace

class TimelineFileTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        // Names that hide the kind: the reader tells it by content.
        QTest::newRow("word") << QStringLiteral("a.png");
        QTest::newRow("pdf") << QStringLiteral("b.docx");
        QTest::newRow("png") << QStringLiteral("c.svg");
        QTest::newRow("svg") << QStringLiteral("d");
        QTest::newRow("timeline xml") << QStringLiteral("e.pdf");
        QTest::newRow("slide") << QStringLiteral("f.doc");
    }
    void roundTrip()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const Timeline written = sample();
        const QByteArray data = timeline::xml::write(written);
        const QString kind = QString::fromLatin1(QTest::currentDataTag());
        if (kind == u"word") {
            office::Document document = page();
            document.customXml().push_back(docgen::timelineItem(written));
            office::saveDocument(document, path);
        } else if (kind == u"slide") {
            slide::saveSlide(written, slide::planSlide(written, {}, slide::kSlideSizes[1]),
                             slide::kSlideSizes[1], path);
        } else if (kind == u"timeline xml") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(data);
        } else {
            const office::PageFileKind fileKind = kind == u"pdf"   ? office::PageFileKind::Pdf
                                                  : kind == u"png" ? office::PageFileKind::Png
                                                                   : office::PageFileKind::Svg;
            office::writePage(page(), path, fileKind, data);
        }
        const timeline::xml::ReadResult read = docgen::readTimelineFrom(path);
        QVERIFY2(read.timeline, qPrintable(read.error));
        QVERIFY(equal(*read.timeline, written));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        const QByteArray head = "<timeline xmlns=\"urn:loomchart:page-studio:timeline:1\" ";
        QTest::newRow("foreign") << QByteArray("just text") << "no file this program wrote";
        QTest::newRow("page without data") << office::pageSvg(page()) << "holds no timeline";
        QTest::newRow("damaged zip") << QByteArray("PK\x03\x04garbage", 11) << "";
        QTest::newRow("document type")
            << QByteArray("<!DOCTYPE t [<!ENTITY a \"aaaa\">]>") + head + "scale=\"daily\"/>"
            << "document type";
        QTest::newRow("undeclared entity") << head + "scale=\"daily\"><title>&a;</title></timeline>"
                                           << "damaged";
        QTest::newRow("not utf-8") << head + "scale=\"daily\"><title>\xff</title></timeline>"
                                   << "UTF-8";
        QTest::newRow("no scale") << head + "scale=\"weekly\"/>"
                                  << "no scale";
        QTest::newRow("nested in an entry")
            << head + "scale=\"daily\"><entry><date><b/></date></entry></timeline>"
            << "holds an element";
        QTest::newRow("too deep") << head + "scale=\"daily\">" + QByteArray("<x>").repeated(100) +
                                         QByteArray("</x>").repeated(100) + "</timeline>"
                                  << "deeper";
        QTest::newRow("too many entries")
            << head + "scale=\"daily\">" + QByteArray("<entry/>").repeated(10001) + "</timeline>"
            << "more than 10000";
        QTest::newRow("cut short") << head + "scale=\"daily\"><title>A"
                                   << "damaged";
        QTest::newRow("milestone neither yes nor no")
            << head + "scale=\"daily\"><entry><milestone>maybe</milestone></entry></timeline>"
            << "neither yes nor no";
        QTest::newRow("slide without data") << slideOf({}) << "holds no timeline";
        QTest::newRow("slide relating a part outside")
            << presentationRelating(QStringLiteral("../../item1.xml"),
                                    timeline::xml::write(sample()))
            << "no part of the package";
        QTest::newRow("slide with data that is no XML")
            << presentationRelating(QStringLiteral("../customXml/item1.xml"), "<a><b></a>")
            << "damaged";
    }
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("in.xml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const timeline::xml::ReadResult read = docgen::readTimelineFrom(path);
        QVERIFY(!read.timeline);
        QVERIFY2(read.error.startsWith(QDir::toNativeSeparators(path) + QStringLiteral(": ")),
                 qPrintable(read.error));
        QVERIFY2(read.error.contains(why), qPrintable(read.error));
    }

    // The codec alone, as the Word item carries it: encodings it does not write are refused.
    void codecEncoding()
    {
        const QByteArray utf16 = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><timeline "
                                 "xmlns=\"urn:loomchart:page-studio:timeline:1\" scale=\"daily\"/>";
        QVERIFY(!timeline::xml::read(utf16).timeline);
        QVERIFY(timeline::xml::read(QByteArray(utf16).replace("UTF-16", "utf-8")).timeline);
    }
};

QTEST_MAIN(TimelineFileTest)
#include "tst_timelinefile.moc"
