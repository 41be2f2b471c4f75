#include "wordmlwriter.h"

#include "drawingml.h"
#include "ooxmlnames.h"
#include "vmlwriter.h"
#include "xmlout.h"

#include <QXmlStreamWriter>

namespace office::wordml {

using namespace ooxml;
using xmlout::emu;
using xmlout::twips;

namespace {

QString alignmentValue(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Center:
        return QStringLiteral("center");
    case Alignment::Right:
        return QStringLiteral("right");
    case Alignment::Justify:
        return QStringLiteral("both");
    case Alignment::Left:
        break;
    }
    return QStringLiteral("left");
}

class MainPartWriter
{
public:
    MainPartWriter(QByteArray* out, bool textAlternative)
        : mXml(out), mTextAlternative(textAlternative),
          mVml(mXml, [this](const Story& story) { writeStory(story); })
    {}

    void write(const Document& document)
    {
        mXml.writeStartDocument(QStringLiteral("1.0"), true);
        mXml.writeNamespace(kW, QStringLiteral("w"));
        mXml.writeNamespace(kR, QStringLiteral("r"));
        mXml.writeNamespace(kWp, QStringLiteral("wp"));
        mXml.writeNamespace(kA, QStringLiteral("a"));
        mXml.writeNamespace(kWps, QStringLiteral("wps"));
        mXml.writeNamespace(kMc, QStringLiteral("mc"));
        mXml.writeNamespace(kO, QStringLiteral("o"));
        mXml.writeNamespace(kV, QStringLiteral("v"));
        mXml.writeNamespace(kW10, QStringLiteral("w10"));
        mXml.writeNamespace(kW14, QStringLiteral("w14"));
        mXml.writeNamespace(kWp14, QStringLiteral("wp14"));
        mXml.writeStartElement(kW, QStringLiteral("document"));
        mXml.writeAttribute(kMc, QStringLiteral("Ignorable"), QStringLiteral("w14 wp14"));
        mXml.writeStartElement(QStringLiteral("w:body"));
        bool shapesWritten = false;
        for (const Block& block : document.body()) {
            if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
                // Page-relative shapes sit in the first paragraph; which one does not matter.
                writeParagraph(*paragraph, shapesWritten ? nullptr : &document);
                shapesWritten = true;
            } else {
                writeTable(std::get<Table>(block));
            }
        }
        if (mTextAlternative) {
            writeTextAlternative(document);
        }
        writeSection(document.page());
        mXml.writeEndElement(); // body
        mXml.writeEndElement(); // document
        mXml.writeEndDocument();
    }

private:
    void element(const QString& ns, const QString& name,
                 std::initializer_list<std::pair<QString, QString>> attributes)
    {
        xmlout::emptyElement(mXml, ns, name, attributes);
    }
    // Names come with their prefix, declared on the root: the stream writer then writes
    // them as they are instead of looking the namespace up for each, which was a third of
    // the time the part took.
    void wAttr(const QString& qualifiedName, const QString& value)
    {
        mXml.writeAttribute(qualifiedName, value);
    }
    void wEmpty(const QString& qualifiedName, const QString& val)
    {
        mXml.writeEmptyElement(qualifiedName);
        wAttr(QStringLiteral("w:val"), val);
    }

    void writeRunProperties(const CharFormat& format, bool hidden = false)
    {
        mXml.writeStartElement(QStringLiteral("w:rPr"));
        mXml.writeEmptyElement(QStringLiteral("w:rFonts"));
        static const QString fontSlots[] = {QStringLiteral("w:ascii"), QStringLiteral("w:hAnsi"),
                                            QStringLiteral("w:eastAsia"), QStringLiteral("w:cs")};
        for (const QString& slot : fontSlots) {
            wAttr(slot, format.fontName);
        }
        if (format.bold) {
            mXml.writeEmptyElement(QStringLiteral("w:b"));
            mXml.writeEmptyElement(QStringLiteral("w:bCs"));
        }
        if (hidden) {
            mXml.writeEmptyElement(QStringLiteral("w:vanish"));
        }
        if (format.color) {
            wEmpty(QStringLiteral("w:color"), xmlout::hexColor(*format.color));
        }
        wEmpty(QStringLiteral("w:sz"), QString::number(format.sizeHalfPt));
        wEmpty(QStringLiteral("w:szCs"), QString::number(format.sizeHalfPt));
        mXml.writeEndElement();
    }

    void writeText(const QString& text)
    {
        QString pending;
        auto flush = [&] {
            if (!pending.isEmpty()) {
                mXml.writeStartElement(QStringLiteral("w:t"));
                mXml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
                mXml.writeCharacters(pending);
                mXml.writeEndElement();
                pending.clear();
            }
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isSurrogate()) {
                // Only a whole pair is a character; a lone half would make the part
                // malformed, so it is dropped like the other characters XML cannot carry.
                if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                    pending += c;
                    pending += text.at(++i);
                }
            } else if (c == u'\t') {
                flush();
                mXml.writeEmptyElement(QStringLiteral("w:tab"));
            } else if (c == u'\v' || c == QChar::LineSeparator) {
                flush();
                mXml.writeEmptyElement(QStringLiteral("w:br"));
            } else if (c.unicode() >= 0x20 && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF) {
                pending += c; // characters XML cannot carry are dropped
            }
        }
        flush();
    }

    void writeParagraph(const Paragraph& paragraph, const Document* shapesOf, bool hidden = false)
    {
        mXml.writeStartElement(QStringLiteral("w:p"));
        mXml.writeStartElement(QStringLiteral("w:pPr"));
        if (paragraph.lineAtLeastTwips > 0) {
            mXml.writeEmptyElement(QStringLiteral("w:spacing"));
            wAttr(QStringLiteral("w:line"), QString::number(paragraph.lineAtLeastTwips));
            wAttr(QStringLiteral("w:lineRule"), QStringLiteral("atLeast"));
        }
        if (paragraph.alignment != Alignment::Left) {
            wEmpty(QStringLiteral("w:jc"), alignmentValue(paragraph.alignment));
        }
        writeRunProperties(paragraph.markFormat, hidden);
        mXml.writeEndElement();
        if (shapesOf) {
            int z = 1;
            for (const Shape& shape : shapesOf->shapes()) {
                writeShape(shape, z++);
            }
        }
        for (const Run& run : paragraph.runs) {
            mXml.writeStartElement(QStringLiteral("w:r"));
            writeRunProperties(run.format, hidden);
            writeText(run.text);
            mXml.writeEndElement();
        }
        mXml.writeEndElement();
    }

    // Plain-text converters read neither the DrawingML nor the VML text box, so the shapes'
    // text is repeated at the end of the body as hidden paragraphs, in z-order: such readers
    // show body text whether hidden or not, while word processors neither show nor print it.
    // Empty paragraphs carry nothing and are left out.
    void writeTextAlternative(const Document& document)
    {
        auto hiddenParagraph = [&](const Paragraph& paragraph) {
            if (!paragraph.runs.empty()) {
                writeParagraph(paragraph, nullptr, true);
            }
        };
        for (const Shape& shape : document.shapes()) {
            if (!holdsText(shape.kind)) {
                continue;
            }
            for (const Block& block : shape.story) {
                if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
                    hiddenParagraph(*paragraph);
                    continue;
                }
                for (const auto& row : std::get<Table>(block).rows) {
                    for (const TableCell& cell : row) {
                        for (const Paragraph& paragraph : cell.paragraphs) {
                            hiddenParagraph(paragraph);
                        }
                    }
                }
            }
        }
    }

    void writeBorder(const QString& name, const Border& border)
    {
        mXml.writeEmptyElement(QStringLiteral("w:") + name);
        if (border.visible) {
            wAttr(QStringLiteral("w:val"), QStringLiteral("single"));
            wAttr(QStringLiteral("w:sz"), QString::number(border.widthEighthPt));
        } else {
            wAttr(QStringLiteral("w:val"), QStringLiteral("nil"));
            wAttr(QStringLiteral("w:sz"), QStringLiteral("0"));
        }
        wAttr(QStringLiteral("w:space"), QStringLiteral("0"));
        wAttr(QStringLiteral("w:color"), QStringLiteral("auto"));
    }

    void writeTable(const Table& table)
    {
        int totalTwips = 0;
        for (int width : table.columnWidthsTwips) {
            totalTwips += width;
        }
        mXml.writeStartElement(QStringLiteral("w:tbl"));
        mXml.writeStartElement(QStringLiteral("w:tblPr"));
        mXml.writeEmptyElement(QStringLiteral("w:tblW"));
        wAttr(QStringLiteral("w:w"), QString::number(totalTwips));
        wAttr(QStringLiteral("w:type"), QStringLiteral("dxa"));
        mXml.writeStartElement(QStringLiteral("w:tblBorders"));
        static const char* const names[BorderSideCount] = {"top",   "left",    "bottom",
                                                           "right", "insideH", "insideV"};
        for (int side = 0; side < BorderSideCount; ++side) {
            writeBorder(QString::fromLatin1(names[side]), table.borders[size_t(side)]);
        }
        mXml.writeEndElement();
        mXml.writeEmptyElement(QStringLiteral("w:tblLayout"));
        wAttr(QStringLiteral("w:type"), QStringLiteral("fixed"));
        mXml.writeStartElement(QStringLiteral("w:tblCellMar"));
        for (const char* side : {"left", "right"}) {
            mXml.writeEmptyElement(QStringLiteral("w:") + QLatin1StringView(side));
            wAttr(QStringLiteral("w:w"), QString::number(table.cellMarginTwips));
            wAttr(QStringLiteral("w:type"), QStringLiteral("dxa"));
        }
        mXml.writeEndElement();
        mXml.writeEndElement(); // tblPr
        mXml.writeStartElement(QStringLiteral("w:tblGrid"));
        for (int width : table.columnWidthsTwips) {
            mXml.writeEmptyElement(QStringLiteral("w:gridCol"));
            wAttr(QStringLiteral("w:w"), QString::number(width));
        }
        mXml.writeEndElement();
        for (const auto& row : table.rows) {
            mXml.writeStartElement(QStringLiteral("w:tr"));
            if (table.minRowHeightTwips > 0) {
                mXml.writeStartElement(QStringLiteral("w:trPr"));
                mXml.writeEmptyElement(QStringLiteral("w:trHeight"));
                wAttr(QStringLiteral("w:val"), QString::number(table.minRowHeightTwips));
                wAttr(QStringLiteral("w:hRule"), QStringLiteral("atLeast"));
                mXml.writeEndElement();
            }
            for (size_t column = 0; column < row.size(); ++column) {
                mXml.writeStartElement(QStringLiteral("w:tc"));
                mXml.writeStartElement(QStringLiteral("w:tcPr"));
                mXml.writeEmptyElement(QStringLiteral("w:tcW"));
                const int width =
                    column < table.columnWidthsTwips.size() ? table.columnWidthsTwips[column] : 0;
                wAttr(QStringLiteral("w:w"), QString::number(width));
                wAttr(QStringLiteral("w:type"), QStringLiteral("dxa"));
                if (table.textUpward) {
                    mXml.writeEmptyElement(QStringLiteral("w:textDirection"));
                    wAttr(QStringLiteral("w:val"), QStringLiteral("btLr"));
                }
                mXml.writeEndElement();
                for (const Paragraph& paragraph : row[column].paragraphs) {
                    writeParagraph(paragraph, nullptr);
                }
                mXml.writeEndElement();
            }
            mXml.writeEndElement();
        }
        mXml.writeEndElement();
    }

    void writeStory(const Story& story)
    {
        for (const Block& block : story) {
            if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
                writeParagraph(*paragraph, nullptr);
            } else {
                writeTable(std::get<Table>(block));
            }
        }
    }

    void writeWrap(int wrapType)
    {
        switch (wrapType) {
        case kWrapSquare:
            mXml.writeEmptyElement(kWp, QStringLiteral("wrapSquare"));
            mXml.writeAttribute(QStringLiteral("wrapText"), QStringLiteral("bothSides"));
            break;
        case kWrapTopBottom:
            mXml.writeEmptyElement(kWp, QStringLiteral("wrapTopAndBottom"));
            break;
        default:
            mXml.writeEmptyElement(kWp, QStringLiteral("wrapNone"));
            break;
        }
    }

    // Each shape twice, as a word processor writes it: the DrawingML shape for readers
    // that know Word 2010's shapes, and the same shape in VML for every other reader.
    void writeShape(const Shape& shape, int z)
    {
        mXml.writeStartElement(QStringLiteral("w:r"));
        mXml.writeStartElement(kMc, QStringLiteral("AlternateContent"));
        mXml.writeStartElement(kMc, QStringLiteral("Choice"));
        mXml.writeAttribute(QStringLiteral("Requires"), QStringLiteral("wps"));
        writeDrawing(shape, z);
        mXml.writeEndElement();
        mXml.writeStartElement(kMc, QStringLiteral("Fallback"));
        mXml.writeStartElement(QStringLiteral("w:pict"));
        mVml.write(shape, z);
        mXml.writeEndElement(); // pict
        mXml.writeEndElement(); // Fallback
        mXml.writeEndElement(); // AlternateContent
        mXml.writeEndElement(); // r
    }

    void writeDrawing(const Shape& shape, int z)
    {
        mXml.writeStartElement(QStringLiteral("w:drawing"));
        mXml.writeStartElement(kWp, QStringLiteral("anchor"));
        const std::pair<const char*, QString> anchorAttributes[] = {
            {"distT", QStringLiteral("45720")},
            {"distB", QStringLiteral("45720")},
            {"distL", QStringLiteral("114300")},
            {"distR", QStringLiteral("114300")},
            {"simplePos", QStringLiteral("0")},
            {"relativeHeight", QString::number(z)},
            {"behindDoc",
             shape.wrapType == kWrapBehind ? QStringLiteral("1") : QStringLiteral("0")},
            {"locked", QStringLiteral("0")},
            {"layoutInCell", QStringLiteral("1")},
            {"allowOverlap", QStringLiteral("1")},
        };
        for (const auto& [key, value] : anchorAttributes) {
            mXml.writeAttribute(QString::fromLatin1(key), value);
        }
        element(kWp, QStringLiteral("simplePos"),
                {{QStringLiteral("x"), QStringLiteral("0")},
                 {QStringLiteral("y"), QStringLiteral("0")}});
        for (const auto& [axis, value] : {std::pair{QStringLiteral("positionH"), shape.leftPt},
                                          std::pair{QStringLiteral("positionV"), shape.topPt}}) {
            mXml.writeStartElement(kWp, axis);
            mXml.writeAttribute(QStringLiteral("relativeFrom"), QStringLiteral("page"));
            mXml.writeTextElement(kWp, QStringLiteral("posOffset"), emu(value));
            mXml.writeEndElement();
        }
        const QString cx = emu(shape.widthPt);
        const QString cy = emu(shape.heightPt);
        element(kWp, QStringLiteral("extent"),
                {{QStringLiteral("cx"), cx}, {QStringLiteral("cy"), cy}});
        element(kWp, QStringLiteral("effectExtent"),
                {{QStringLiteral("l"), QStringLiteral("0")},
                 {QStringLiteral("t"), QStringLiteral("0")},
                 {QStringLiteral("r"), QStringLiteral("0")},
                 {QStringLiteral("b"), QStringLiteral("0")}});
        writeWrap(shape.wrapType);
        element(kWp, QStringLiteral("docPr"),
                {{QStringLiteral("id"), QString::number(shape.id)},
                 {QStringLiteral("name"), shape.name}});
        mXml.writeEmptyElement(kWp, QStringLiteral("cNvGraphicFramePr"));
        mXml.writeStartElement(kA, QStringLiteral("graphic"));
        mXml.writeStartElement(kA, QStringLiteral("graphicData"));
        mXml.writeAttribute(QStringLiteral("uri"), kWps);
        mXml.writeStartElement(kWps, QStringLiteral("wsp"));
        mXml.writeEmptyElement(kWps, QStringLiteral("cNvSpPr"));
        if (shape.kind == ShapeKind::TextBox) {
            mXml.writeAttribute(QStringLiteral("txBox"), QStringLiteral("1"));
        }
        drawingml::writeShapeProperties(mXml, kWps, shape, 0, 0);
        if (holdsText(shape.kind)) {
            mXml.writeStartElement(kWps, QStringLiteral("txbx"));
            mXml.writeStartElement(QStringLiteral("w:txbxContent"));
            writeStory(shape.story);
            mXml.writeEndElement();
            mXml.writeEndElement();
        }
        drawingml::writeBodyProperties(mXml, kWps, shape);
        mXml.writeEndElement(); // wsp
        mXml.writeEndElement(); // graphicData
        mXml.writeEndElement(); // graphic
        mXml.writeEndElement(); // anchor
        mXml.writeEndElement(); // drawing
    }

    void writeSection(const PageSetup& page)
    {
        mXml.writeStartElement(QStringLiteral("w:sectPr"));
        mXml.writeEmptyElement(QStringLiteral("w:pgSz"));
        wAttr(QStringLiteral("w:w"), twips(page.widthPt));
        wAttr(QStringLiteral("w:h"), twips(page.heightPt));
        if (page.landscape) {
            wAttr(QStringLiteral("w:orient"), QStringLiteral("landscape"));
        }
        mXml.writeEmptyElement(QStringLiteral("w:pgMar"));
        wAttr(QStringLiteral("w:top"), twips(page.topMarginPt));
        wAttr(QStringLiteral("w:right"), twips(page.rightMarginPt));
        wAttr(QStringLiteral("w:bottom"), twips(page.bottomMarginPt));
        wAttr(QStringLiteral("w:left"), twips(page.leftMarginPt));
        wAttr(QStringLiteral("w:header"), QStringLiteral("720"));
        wAttr(QStringLiteral("w:footer"), QStringLiteral("720"));
        wAttr(QStringLiteral("w:gutter"), QStringLiteral("0"));
        mXml.writeEndElement();
    }

    QXmlStreamWriter mXml;
    bool mTextAlternative;
    vml::ShapeWriter mVml;
};

} // namespace

QByteArray mainPart(const Document& document, bool textAlternative)
{
    QByteArray out;
    MainPartWriter(&out, textAlternative).write(document);
    return out;
}

QByteArray styles()
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    auto wAttr = [&](const char* name, const QString& value) {
        xml.writeAttribute(kW, QString::fromLatin1(name), value);
    };
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeNamespace(kW, QStringLiteral("w"));
    xml.writeStartElement(kW, QStringLiteral("styles"));
    xml.writeStartElement(kW, QStringLiteral("docDefaults"));
    xml.writeStartElement(kW, QStringLiteral("rPrDefault"));
    xml.writeStartElement(kW, QStringLiteral("rPr"));
    xml.writeEmptyElement(kW, QStringLiteral("rFonts"));
    for (const char* slot : {"ascii", "hAnsi", "eastAsia", "cs"}) {
        wAttr(slot, QString::fromLatin1(kDefaultFont));
    }
    xml.writeEmptyElement(kW, QStringLiteral("sz"));
    wAttr("val", QString::number(kDefaultSizeHalfPt));
    xml.writeEmptyElement(kW, QStringLiteral("szCs"));
    wAttr("val", QString::number(kDefaultSizeHalfPt));
    xml.writeEmptyElement(kW, QStringLiteral("lang"));
    wAttr("val", QStringLiteral("en-US"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(kW, QStringLiteral("pPrDefault"));
    xml.writeStartElement(kW, QStringLiteral("pPr"));
    xml.writeEmptyElement(kW, QStringLiteral("spacing"));
    wAttr("after", QStringLiteral("0"));
    wAttr("line", QStringLiteral("240"));
    wAttr("lineRule", QStringLiteral("auto"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement(); // docDefaults
    xml.writeStartElement(kW, QStringLiteral("style"));
    wAttr("type", QStringLiteral("paragraph"));
    wAttr("default", QStringLiteral("1"));
    wAttr("styleId", QStringLiteral("Normal"));
    xml.writeEmptyElement(kW, QStringLiteral("name"));
    wAttr("val", QStringLiteral("Normal"));
    xml.writeEndElement();
    xml.writeStartElement(kW, QStringLiteral("style"));
    wAttr("type", QStringLiteral("table"));
    wAttr("default", QStringLiteral("1"));
    wAttr("styleId", QStringLiteral("TableNormal"));
    xml.writeEmptyElement(kW, QStringLiteral("name"));
    wAttr("val", QStringLiteral("Normal Table"));
    xml.writeStartElement(kW, QStringLiteral("tblPr"));
    xml.writeStartElement(kW, QStringLiteral("tblCellMar"));
    for (const auto& [side, width] :
         {std::pair{"top", 0}, std::pair{"left", kCellMarginTwips}, std::pair{"bottom", 0},
          std::pair{"right", kCellMarginTwips}}) {
        xml.writeEmptyElement(kW, QString::fromLatin1(side));
        wAttr("w", QString::number(width));
        wAttr("type", QStringLiteral("dxa"));
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement(); // styles
    xml.writeEndDocument();
    return out;
}

QByteArray settings()
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeNamespace(kW, QStringLiteral("w"));
    xml.writeStartElement(kW, QStringLiteral("settings"));
    xml.writeEmptyElement(kW, QStringLiteral("defaultTabStop"));
    xml.writeAttribute(kW, QStringLiteral("val"), QStringLiteral("720"));
    xml.writeStartElement(kW, QStringLiteral("compat"));
    // Mode 15 places a table in a text box on the inset, not 5.4 pt to its left.
    xml.writeEmptyElement(kW, QStringLiteral("compatSetting"));
    xml.writeAttribute(kW, QStringLiteral("name"), QStringLiteral("compatibilityMode"));
    xml.writeAttribute(kW, QStringLiteral("uri"),
                       QStringLiteral("http://schemas.microsoft.com/office/word"));
    xml.writeAttribute(kW, QStringLiteral("val"), QStringLiteral("15"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

} // namespace office::wordml
