#include "office/docreader.h"
#include "office/docwriter.h"
#include "office/error.h"
#include "office/renderer.h"
#include "office/zippackage.h"
#include "timelinepage.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace office;

namespace {

QString readFailure(const QByteArray& bytes)
{
    try {
        readPackage(bytes);
    } catch (const Error& error) {
        return error.description();
    }
    return QString();
}

// A package whose main part is the given text, beside a valid content-types part.
QByteArray packageWithMain(const QByteArray& main)
{
    return zippackage::write({{QStringLiteral("[Content_Types].xml"), QByteArray("<Types/>")},
                              {QStringLiteral("word/document.xml"), main}});
}

QByteArray mainPartOf(const QByteArray& package)
{
    zippackage::Reader reader(package);
    return reader.read(QStringLiteral("word/document.xml"));
}

// The package with one part replaced or added.
QByteArray withPart(const QByteArray& package, const QString& name, const QByteArray& content)
{
    zippackage::Reader reader(package);
    std::vector<zippackage::Part> parts;
    for (const char* part :
         {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/_rels/document.xml.rels",
          "word/styles.xml", "word/settings.xml", "docProps/core.xml", "docProps/app.xml",
          "customXml/item1.xml", "customXml/itemProps1.xml", "customXml/_rels/item1.xml.rels"}) {
        const QString partName = QString::fromLatin1(part);
        if (partName != name && reader.contains(partName)) {
            parts.push_back({partName, reader.read(partName)});
        }
    }
    parts.push_back({name, content});
    return zippackage::write(parts);
}

// Changes to the first callout that move or restyle its text.
Paragraph& calloutText(Document& d)
{
    return std::get<Paragraph>(d.shape(2).story.front());
}
const struct
{
    const char* name;
    void (*apply)(Document&);
} kChanges[] = {
    {"text", [](Document& d) { d.setShapeText(2, QStringLiteral("Other words")); }},
    {"size", [](Document& d) { calloutText(d).runs.front().format.sizeHalfPt += 4; }},
    {"bold", [](Document& d) { calloutText(d).runs.front().format.bold = true; }},
    {"colour", [](Document& d) { calloutText(d).runs.front().format.color = 0xFF0000; }},
    {"alignment", [](Document& d) { calloutText(d).alignment = Alignment::Right; }},
    {"line spacing", [](Document& d) { calloutText(d).lineAtLeastTwips = 480; }},
    {"width", [](Document& d) { d.shape(2).widthPt -= 24; }},
};

void compareShapes(const Document& actual, const Document& expected)
{
    QCOMPARE(actual.shapes().size(), expected.shapes().size());
    for (size_t i = 0; i < expected.shapes().size(); ++i) {
        Shape a = actual.shapes()[i];
        const Shape& e = expected.shapes()[i];
        // Positions travel as whole EMU.
        QVERIFY(std::abs(a.leftPt - e.leftPt) < 1e-4);
        QVERIFY(std::abs(a.topPt - e.topPt) < 1e-4);
        QVERIFY(std::abs(a.widthPt - e.widthPt) < 1e-4);
        QVERIFY(std::abs(a.heightPt - e.heightPt) < 1e-4);
        a.leftPt = e.leftPt;
        a.topPt = e.topPt;
        a.widthPt = e.widthPt;
        a.heightPt = e.heightPt;
        QVERIFY2(a == e, qPrintable(QStringLiteral("shape %1 differs").arg(i)));
    }
}

bool isDark(QRgb pixel)
{
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

// The inked columns of dark pixels inside a rectangle of the picture (points at 4 px/pt).
std::pair<double, double> darkInkSpanPt(const QImage& image, QRectF areaPt, double scale)
{
    double minX = 1e9;
    double maxX = -1e9;
    for (int y = int(areaPt.top() * scale); y < int(areaPt.bottom() * scale); ++y) {
        for (int x = int(areaPt.left() * scale); x < int(areaPt.right() * scale); ++x) {
            if (isDark(image.pixel(x, y))) {
                minX = std::min(minX, x / scale);
                maxX = std::max(maxX, (x + 1) / scale);
            }
        }
    }
    return {minX, maxX};
}

} // namespace

class TestOfficePackage : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("entries");
        QTest::newRow("three entries") << "Project Timeline" << 3;
        QTest::newRow("one entry, empty title") << "" << 1;
        QTest::newRow("text with tab and break") << "A\tB\vC" << 2;
        QTest::newRow("63 entries") << "Many" << 63;
        // Wider than the box, so the first line ends among the emoji and is shortened by one.
        QTest::newRow("title of 40 emoji") << QStringLiteral("Our celebrations of the year: ") +
                                                  QString::fromUtf8("\xF0\x9F\x8E\x89").repeated(40)
                                           << 1;
    }
    void roundTrip()
    {
        QFETCH(QString, title);
        QFETCH(int, entries);
        QList<officetest::Entry> list;
        for (int i = 0; i < entries; ++i) {
            list.append({QStringLiteral("D%1").arg(i), QStringLiteral("Notes <%1> & more").arg(i)});
        }
        const Document built = officetest::buildTimeline(title, list, officetest::letterPage());
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("timeline.doc"));
        saveDocument(built, path);
        const Document read = openDocument(path);
        QCOMPARE(read.page(), built.page());
        QVERIFY(read.body() == built.body());
        compareShapes(read, built);
        QCOMPARE(std::get<Paragraph>(read.shapes().front().story.front()).text(), title);
        // A second trip changes nothing at all.
        QVERIFY(readPackage(writePackage(read)).sameContent(read));
    }

    void savedPackageParts()
    {
        const Document built = officetest::buildTimeline(
            QStringLiteral("T"), officetest::threeEntries(), officetest::letterPage());
        zippackage::Reader reader(writePackage(built));
        for (const char* part :
             {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/styles.xml",
              "word/settings.xml", "word/_rels/document.xml.rels"}) {
            QVERIFY2(reader.contains(QString::fromLatin1(part)), part);
        }
        const QByteArray settings = reader.read(QStringLiteral("word/settings.xml"));
        QVERIFY(settings.contains("compatibilityMode"));
        QVERIFY(settings.contains("w:val=\"15\""));
        const QByteArray main = reader.read(QStringLiteral("word/document.xml"));
        QVERIFY(main.contains("<wp:posOffset>914400</wp:posOffset>")); // bar left 72 pt
        QVERIFY(main.contains("w:orient=\"landscape\""));
        QVERIFY(main.contains("prst=\"upArrowCallout\""));
        QVERIFY(main.contains("<w:gridCol w:w=\"4224\"/>"));
    }

    void saveFailureKeepsOldFile()
    {
        QTemporaryDir folder;
        const Document document;
        QVERIFY_THROWS_EXCEPTION(
            Error, saveDocument(document, folder.filePath(QStringLiteral("no/such/x.doc"))));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("no/such/x.doc"))));
    }

    void readsReferenceSample_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("pageWidthPt");
        QTest::addColumn<double>("midPt");
        QTest::newRow("letter") << "timeline-letter-3.doc" << 792.0 << 234.0;
        QTest::newRow("a4") << "timeline-a4-3.doc" << 841.9 << 225.65;
        QTest::newRow("minimal") << "timeline-letter-3-minimal.docx" << 792.0 << 234.0;
    }
    void readsReferenceSample()
    {
        QFETCH(QString, file);
        QFETCH(double, pageWidthPt);
        QFETCH(double, midPt);
        const QString samples = qEnvironmentVariable("LOOM_SAMPLES_DIR");
        if (samples.isEmpty()) {
            QSKIP("LOOM_SAMPLES_DIR is not set");
        }
        const Document document = openDocument(samples + u'/' + file);
        QCOMPARE(document.page().widthPt, pageWidthPt);
        QVERIFY(document.page().landscape);
        QCOMPARE(document.shapes().size(), size_t(5));
        const double pw = pageWidthPt;
        const double w = 633.6 / 3;
        const double l1 = pw / 2 - 324 + (pw / 4) / 3;
        struct Expected
        {
            ShapeKind kind;
            double left, top, width, height;
        };
        const Expected expected[] = {
            {ShapeKind::TextBox, pw / 2 - 150.525, 0, 301.05, 45.2},
            {ShapeKind::TextBox, pw / 2 - 324, midPt, 648, 18},
            {ShapeKind::UpArrowCallout, l1, midPt + 18, 72, 81},
            {ShapeKind::DownArrowCallout, l1 + w, midPt - 81, 72, 81},
            {ShapeKind::UpArrowCallout, l1 + 2 * w, midPt + 18, 72, 81},
        };
        for (size_t i = 0; i < 5; ++i) {
            const Shape& shape = document.shapes()[i];
            QCOMPARE(shape.kind, expected[i].kind);
            QVERIFY2(std::abs(shape.leftPt - expected[i].left) < 0.01,
                     qPrintable(QString::number(shape.leftPt)));
            QVERIFY(std::abs(shape.topPt - expected[i].top) < 0.01);
            QVERIFY(std::abs(shape.widthPt - expected[i].width) < 0.01);
            QVERIFY(std::abs(shape.heightPt - expected[i].height) < 0.01);
        }
        QVERIFY(!document.shapes()[0].lineVisible);
        QCOMPARE(document.shapes()[0].wrapType, kWrapSquare);
        QCOMPARE(document.shapes()[1].fill, std::optional<QRgb>(qRgb(204, 255, 204)));
        const Table& table = std::get<Table>(document.shapes()[1].story.front());
        QCOMPARE(table.columnWidthsTwips, std::vector<int>(3, 4224));
        QVERIFY(!table.borders[BorderTop].visible && table.borders[BorderLeft].visible);
        QCOMPARE(table.rows[0][1].paragraphs.front().text(), QStringLiteral("1995"));
        QCOMPARE(table.rows[0][1].paragraphs.front().runs.front().format.sizeHalfPt, 20);
        const Paragraph& title = std::get<Paragraph>(document.shapes()[0].story.front());
        QCOMPARE(title.runs.front().format.fontName, QStringLiteral("Arial"));
        QVERIFY(title.runs.front().format.bold);
        QCOMPARE(std::get<Paragraph>(document.shapes()[4].story.front()).text(),
                 QStringLiteral("Expansion"));
    }

    // Another program's save has its own VML fallback and anchor details; the reader takes
    // the Choice even where the fallback disagrees with it.
    void readsAlternateContent()
    {
        const Document built = officetest::buildTimeline(
            QStringLiteral("T"), officetest::threeEntries(), officetest::letterPage());
        QByteArray main = mainPartOf(writePackage(built));
        QCOMPARE(main.count("<mc:Fallback><w:pict>"), 5);
        main.replace("margin-left:", "margin-left:500pt;left:");
        main.replace("layoutInCell=\"1\"", "layoutInCell=\"0\"");
        main.replace("<wp:effectExtent wp:l=\"0\"", "<wp:effectExtent wp:l=\"12700\"");
        const Document read = readPackage(packageWithMain(main));
        compareShapes(read, built);
    }

    // Shapes another program left only in VML: units, relative positions, a partial adjust
    // list, stroke and fill children; a shape of absurd size is left out, not fatal.
    void readsVmlOnlyShapes()
    {
        const QByteArray main =
            "<w:document "
            " xmlns:w='http://schemas.openxmlformats.org/wordprocessingml/2006/main' "
            " xmlns:v='urn:schemas-microsoft-com:vml' "
            "xmlns:o='urn:schemas-microsoft-com:office:office' "
            " xmlns:w10='urn:schemas-microsoft-com:office:word'><w:body><w:p><w:r><w:pict> "
            "<v:shapetype id='t80' o:spt='80' adj='14400,5400,18000,8100'/> "
            "<v:shape id='Down' type='#t80' adj='11000,,17000' fillcolor='#4472c4 [3204]' "
            " strokecolor='navy' strokeweight='1pt' style='position:absolute;margin-left:1in; "
            " margin-top:2cm;width:72pt;height:81pt;mso-position-horizontal-relative:page; "
            " v-text-anchor:middle'><v:textbox inset='7.2pt,3.6pt,7.2pt,3.6pt'><w:txbxContent> "
            " <w:p><w:r><w:t>Down</w:t></w:r></w:p></w:txbxContent></v:textbox></v:shape> "
            "<v:rect id='Box' filled='f' "
            "style='margin-left:10px;width:200pt;height:30pt;z-index:-1'> "
            " <v:stroke on='f'/><w10:wrap type='topAndBottom'/><v:textbox><w:txbxContent> "
            " <w:p><w:r><w:t>Boxed</w:t></w:r></w:p></w:txbxContent></v:textbox></v:rect> "
            "<v:rect id='Huge' style='width:99999999999999999999pt;height:1pt'/> "
            "<v:shape id='Freeform' path='m0,0l10,10xe' style='width:10pt;height:10pt'/> "
            "</w:pict></w:r></w:p></w:body></w:document>";
        const Document read = readPackage(packageWithMain(main));
        QCOMPARE(read.shapes().size(), size_t(2));
        const Shape& down = read.shapes()[0];
        QCOMPARE(down.name, QStringLiteral("Down"));
        QVERIFY(down.kind == ShapeKind::DownArrowCallout);
        QCOMPARE(down.leftPt, 72.0);
        QVERIFY(std::abs(down.topPt - (72 + 72 / 2.54 * 2)) < 1e-9); // from the margin
        QCOMPARE(down.widthPt, 72.0);
        QCOMPARE(down.heightPt, 81.0);
        QVERIFY(down.anchor == TextAnchor::Center);
        // Head 4600/21600 of 81 pt long, body 11000/21600 of it; head and shaft as default.
        QCOMPARE(down.adjust, (Adjust{25000, 25000, 23958, 50926}));
        QCOMPARE(down.fill, std::optional<QRgb>(qRgb(0x44, 0x72, 0xC4)));
        QVERIFY(down.lineVisible);
        QCOMPARE(down.lineColor, qRgb(0, 0, 128));
        QCOMPARE(down.lineWidthPt, 1.0);
        QCOMPARE(std::get<Paragraph>(down.story.front()).text(), QStringLiteral("Down"));
        const Shape& box = read.shapes()[1];
        QVERIFY(box.kind == ShapeKind::TextBox);
        QCOMPARE(box.leftPt, 72 + 7.5);
        QCOMPARE(box.topPt, 72.0);
        QVERIFY(!box.fill);
        QVERIFY(!box.lineVisible);
        QCOMPARE(box.wrapType, kWrapTopBottom);
        QCOMPARE(box.insetLeftPt, 7.2); // VML's default inset, 0.1 in
        QCOMPARE(std::get<Paragraph>(box.story.front()).text(), QStringLiteral("Boxed"));
    }

    void hostileInputFails_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray random(4096, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char& c : random) {
            c = char(generator.bounded(256));
        }
        const QByteArray good = writePackage(officetest::buildTimeline(
            QStringLiteral("T"), officetest::threeEntries(), officetest::letterPage()));
        QByteArray deep = "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                          "wordprocessingml/2006/main\"><w:body>";
        for (int i = 0; i < 20000; ++i) {
            deep += "<w:p>";
        }
        QByteArray wide = "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                          "wordprocessingml/2006/main\"><w:body><w:tbl><w:tblGrid>";
        for (int i = 0; i < 70; ++i) {
            wide += "<w:gridCol w:w=\"100\"/>";
        }
        wide += "</w:tblGrid></w:tbl></w:body></w:document>";
        // 17 MB of blanks deflate to a few kilobytes: the cap must stop the inflation.
        const QByteArray bomb =
            packageWithMain(QByteArray("<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                                       "wordprocessingml/2006/main\"><w:body>") +
                            QByteArray(17 * 1024 * 1024, ' ') + "</w:body></w:document>");
        QByteArray attributes = "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                                "wordprocessingml/2006/main\" xmlns:v=\"urn:schemas-microsoft-"
                                "com:vml\"><w:body><w:p><w:r><w:pict><v:shape";
        for (int i = 0; i < 100000; ++i) {
            attributes += " a" + QByteArray::number(i) + "=\"1\"";
        }
        attributes += "/></w:pict></w:r></w:p></w:body></w:document>";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("random bytes") << random;
        QTest::newRow("truncated zip") << good.left(good.size() / 2);
        QTest::newRow("zip without document")
            << zippackage::write({{QStringLiteral("a.txt"), "x"}});
        QTest::newRow("malformed xml") << packageWithMain("<w:document><w:body><w:p></w:body>");
        QTest::newRow("not a word document") << packageWithMain("<html/>");
        QTest::newRow("deeply nested") << packageWithMain(deep);
        QTest::newRow("too many columns") << packageWithMain(wide);
        QTest::newRow("100000 attributes on one shape") << packageWithMain(attributes);
        QTest::newRow("zip bomb") << bomb;
        QTest::newRow("absurd number") << packageWithMain(mainPartOf(good).replace(
            "<wp:posOffset>914400<", "<wp:posOffset>99999999999999999999<"));
    }
    void hostileInputFails()
    {
        QFETCH(QByteArray, bytes);
        const QString failure = readFailure(bytes);
        QVERIFY2(!failure.isEmpty(), "the reader accepted the input");
    }

    // Data items go out as a word processor writes them and come back byte for byte.
    void customXmlRoundTrip()
    {
        Document built = officetest::buildTimeline(QStringLiteral("T"), officetest::threeEntries(),
                                                   officetest::letterPage());
        const CustomXmlItem stated{
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<t:timeline "
                       "xmlns:t=\"urn:x-test:1\">\xC3\x9C & more</t:timeline>")
                .replace("&", "&amp;"),
            QStringLiteral("{A67AC88A-A164-4ADE-8889-8826CE44DE6E}"),
            {QStringLiteral("urn:x-test:1"), QStringLiteral("urn:x-test:2")}};
        built.customXml() = {stated, CustomXmlItem{QByteArray("<x/>"), {}, {}}};
        const QByteArray package = writePackage(built);
        const Document read = readPackage(package);
        QCOMPARE(read.customXml().size(), size_t(2));
        QVERIFY(read.customXml()[0] == stated);
        const CustomXmlItem& made = read.customXml()[1];
        QCOMPARE(made.data, QByteArray("<x/>"));
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}$"))
                .match(made.itemId)
                .hasMatch());
        QCOMPARE(readPackage(writePackage(built)).customXml()[1].itemId, made.itemId);
        QVERIFY(readPackage(writePackage(read)).sameContent(read));
        zippackage::Reader parts(package);
        QVERIFY(parts.read(QStringLiteral("[Content_Types].xml"))
                    .contains("<Override PartName=\"/customXml/itemProps2.xml\" "
                              "ContentType=\"application/"
                              "vnd.openxmlformats-officedocument.customXmlProperties+xml\"/>"));
        QVERIFY(parts.read(QStringLiteral("word/_rels/document.xml.rels"))
                    .contains("Target=\"../customXml/item1.xml\""));
        QVERIFY(parts.read(QStringLiteral("customXml/_rels/item2.xml.rels"))
                    .contains("Target=\"itemProps2.xml\""));
        // What a reader would refuse is not written either.
        const CustomXmlItem plain{QByteArray("<a/>"), {}, {}};
        const std::vector<std::vector<CustomXmlItem>> refused{
            {CustomXmlItem{QByteArray("<a>"), {}, {}}},
            {CustomXmlItem{plain.data, QStringLiteral("{1234}"), {}}},
            {CustomXmlItem{plain.data, {}, std::vector<QString>(65, QStringLiteral("u"))}},
            std::vector<CustomXmlItem>(65, plain)};
        for (const auto& items : refused) {
            built.customXml() = items;
            QVERIFY(officetest::descriptionOf([&] {
                        writePackage(built);
                    }).startsWith(QStringLiteral("Cannot save the custom XML data")));
        }
    }

    void customXmlHostileInputFails_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        Document document;
        document.customXml() = {CustomXmlItem{QByteArray("<a/>"), {}, {}}};
        const QByteArray good = writePackage(document);
        const QString item = QStringLiteral("customXml/item1.xml");
        const QString props = QStringLiteral("customXml/itemProps1.xml");
        const QString mainRels = QStringLiteral("word/_rels/document.xml.rels");
        auto row = [&](const char* name, const QString& part, const QByteArray& content,
                       const char* reason) {
            QTest::newRow(name) << withPart(good, part, content) << QString::fromLatin1(reason);
        };
        const QByteArray guid = "{A67AC88A-A164-4ADE-8889-8826CE44DE6E}";
        auto properties = [](const QByteArray& inside) {
            return "<ds:datastoreItem xmlns:ds=\"http://schemas.openxmlformats.org/"
                   "officeDocument/2006/customXml\" " +
                   inside + "</ds:datastoreItem>";
        };
        auto relationships = [](const QByteArray& target, int count) {
            QByteArray rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                              "2006/relationships\">";
            for (int i = 0; i < count; ++i) {
                rels += "<Relationship Id=\"r" + QByteArray::number(i) +
                        "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "relationships/customXml\" Target=\"" +
                        target + "\"/>";
            }
            return rels + "</Relationships>";
        };
        row("9 MB of data", item, "<a>" + QByteArray(9 * 1024 * 1024, ' ') + "</a>",
            "larger than 8 MB");
        row("entities", item, "<!DOCTYPE a [<!ENTITY x \"xxxxxxxxxx\">]><a>&x;&x;&x;</a>",
            "document type declaration");
        row("no XML", item, "plain text", "customXml/item1.xml");
        row("no element", item, "<?xml version=\"1.0\"?>", "customXml/item1.xml");
        row("broken UTF-8", item, "<a>\xC3\x28</a>", "customXml/item1.xml");
        row("UTF-8 declared as UTF-16", item, "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>",
            "customXml/item1.xml");
        row("an unknown encoding", item, "<?xml version=\"1.0\" encoding=\"X-NONE\"?><a/>",
            "customXml/item1.xml");
        row("nested 300 deep", item,
            QByteArray("<a>").repeated(300) + QByteArray("</a>").repeated(300),
            "nested too deeply");
        row("properties of another kind", props, "<a/>", "not a datastoreItem");
        row("an id that is no GUID", props, properties("ds:itemID=\"{1234}\">"), "not a GUID");
        row("65 schemas", props,
            properties("ds:itemID=\"" + guid + "\"><ds:schemaRefs>" +
                       QByteArray("<ds:schemaRef ds:uri=\"u\"/>").repeated(65) +
                       "</ds:schemaRefs>"),
            "more than 64 schemas");
        row("an item the package lacks", mainRels, relationships("../customXml/item9.xml", 1),
            "customXml/item9.xml");
        row("an item above the root", mainRels, relationships("../../item1.xml", 1),
            "../../item1.xml");
        row("the main part as an item", mainRels, relationships("document.xml", 1), "document.xml");
        row("65 items", mainRels, relationships("../customXml/item1.xml", 65),
            "more than 64 custom XML");
    }
    void customXmlHostileInputFails()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString failure = readFailure(bytes);
        QVERIFY2(failure.contains(reason), qPrintable(failure));
    }

    void openMissingOrEmptyFile()
    {
        QTemporaryDir folder;
        const QString empty = folder.filePath(QStringLiteral("empty.doc"));
        QFile file(empty);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        for (const QString& path : {empty, folder.filePath(QStringLiteral("missing.doc"))}) {
            try {
                openDocument(path);
                QFAIL("opened");
            } catch (const Error& error) {
                QVERIFY(error.description().contains(path));
            }
        }
    }

    void rendersPage()
    {
        const Document document =
            officetest::buildTimeline(QStringLiteral("Project Timeline"),
                                      officetest::threeEntries(), officetest::letterPage());
        const double scale = 4; // pixels per point
        const QImage image = renderRegion(document, QRectF(0, 0, 792, 612), scale);
        QCOMPARE(image.size(), QSize(3168, 2448));
        auto at = [&](double xPt, double yPt) {
            return image.pixel(int(xPt * scale), int(yPt * scale)) & 0xFFFFFF;
        };
        QCOMPARE(at(20, 20), QRgb(0xFFFFFF));
        QCOMPARE(at(75, 243), QRgb(0xCCFFCC));  // bar, left of the table
        QCOMPARE(at(142, 290), QRgb(0x4472C4)); // callout 1 body, away from its text
        QCOMPARE(at(148, 258), QRgb(0xFFFFFF)); // beside the up arrow's head: page
        QCOMPARE(at(174, 262), QRgb(0x4472C4)); // inside the head, below its tip at 252
        QCOMPARE(at(352, 160), QRgb(0x4472C4)); // callout 2 body
        // Title ink: centred on the page width, 28 pt bold Arial from the top inset.
        const auto title = darkInkSpanPt(image, QRectF(74, 3, 644, 40), scale);
        QVERIFY2(std::abs((title.first + title.second) / 2 - 396) < 1.5,
                 qPrintable(QStringLiteral("%1..%2").arg(title.first).arg(title.second)));
        QVERIFY(title.second - title.first > 200 && title.second - title.first < 230);
        // The first date begins one cell margin inside its cell.
        const auto date = darkInkSpanPt(image, QRectF(80.5, 238, 100, 12), scale);
        QVERIFY2(date.first > 84 && date.first < 86.5, qPrintable(QString::number(date.first)));
        // The cell's left border line sits on the table's edge at 79.2 pt.
        QVERIFY(isDark(image.pixel(int(79.2 * scale), int(243 * scale))));
        // Top border removed: the bar's edge row above the table is the bar's own outline,
        // inside it the fill continues without a table line.
        QCOMPARE(at(150, 235.5), QRgb(0xCCFFCC));
        // White text on the callout: light pixels near its text centre.
        bool light = false;
        for (int x = int(160 * scale); x < int(190 * scale) && !light; ++x) {
            light = (image.pixel(x, int(306.5 * scale)) & 0xFFFFFF) == 0xFFFFFF;
        }
        QVERIFY(light);
    }

    // Notes taller than their callouts, one of words and one of a million characters
    // without a blank: both start at the top inset and stop at the bottom one, off the
    // arrows.
    void overflowingNotesStayInTheBody()
    {
        const QString words = QStringLiteral("Graduated in high school in New Hampshire ");
        const Document document =
            officetest::buildTimeline(QString(100000, u'T'),
                                      {{QStringLiteral("1990"), words.repeated(8)},
                                       {QString(1000, u'7'), QString(1000000, u'W')}},
                                      officetest::letterPage());
        const double scale = 4;
        const QImage image = renderRegion(document, QRectF(0, 0, 792, 612), scale);
        const auto lightPixels = [&](const QRectF& regionPt) {
            int count = 0;
            const QRect region(
                QPoint(int(regionPt.left() * scale), int(regionPt.top() * scale)),
                QPoint(int(regionPt.right() * scale), int(regionPt.bottom() * scale)));
            for (int y = region.top(); y <= region.bottom(); ++y) {
                for (int x = region.left(); x <= region.right(); ++x) {
                    count += qGray(image.pixel(x, y)) > 200;
                }
            }
            return count;
        };
        for (int i : {2, 3}) {
            const Shape& callout = document.shape(i);
            const bool up = callout.kind == ShapeKind::UpArrowCallout;
            const double bodyTop = callout.topPt + (up ? 28.4 : 0);
            const double bodyBottom = bodyTop + 52.6;
            const double left = callout.leftPt;
            const QString which = QString::number(i);
            // The arrow's shaft, between body and head.
            const double shaftTop = up ? callout.topPt + 18.5 : bodyBottom + 0.5;
            QVERIFY2(lightPixels(QRectF(left + 30, shaftTop, 12, 9.5)) == 0, qPrintable(which));
            // The first line sits right below the top inset.
            QVERIFY2(lightPixels(QRectF(left + 8, bodyTop + 3.6, 56, 10)) > 100, qPrintable(which));
            // Inside the bottom inset there is only fill.
            QVERIFY2(lightPixels(QRectF(left + 2, bodyBottom - 3.4, 68, 2.6)) == 0,
                     qPrintable(which));
        }
    }

    // A page drawn again after a change is drawn as a thread that never saw it draws it;
    // drawn again unchanged, it is the first drawing.
    void pageDrawnAgain_data()
    {
        QTest::addColumn<int>("change");
        for (int i = 0; i < int(std::size(kChanges)); ++i)
            QTest::newRow(kChanges[i].name) << i;
    }
    void pageDrawnAgain()
    {
        QFETCH(int, change);
        Document page =
            officetest::buildTimeline(QStringLiteral("Project Timeline"),
                                      officetest::threeEntries(), officetest::letterPage());
        const QRectF all(0, 0, 792, 612);
        const QImage first = renderRegion(page, all, 2.0);
        QCOMPARE(renderRegion(page, all, 2.0), first);
        kChanges[change].apply(page);
        QImage fresh;
        const std::unique_ptr<QThread> thread(
            QThread::create([&] { fresh = renderRegion(page, all, 2.0); }));
        thread->start();
        QVERIFY(thread->wait() && fresh != first);
        QCOMPARE(renderRegion(page, all, 2.0), fresh);
    }

    void renderRegionLimits()
    {
        const Document document;
        QVERIFY_THROWS_EXCEPTION(Error, renderRegion(document, QRectF(0, 0, 0, 10), 1.0));
        QVERIFY_THROWS_EXCEPTION(Error, renderRegion(document, QRectF(0, 0, 1e6, 1e6), 10.0));
        const QImage part = renderRegion(document, QRectF(100, 100, 50, 25), QSize(100, 50));
        QCOMPARE(part.size(), QSize(100, 50));
    }
};

QTEST_MAIN(TestOfficePackage)
#include "tst_officepackage.moc"
