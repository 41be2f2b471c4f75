#include "drawingml.h"

#include "ooxmlnames.h"
#include "xmlout.h"

#include <algorithm>

namespace office::drawingml {

using ooxml::kA;
using xmlout::emptyElement;
using xmlout::emu;

QString presetName(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::UpArrowCallout:
        return QStringLiteral("upArrowCallout");
    case ShapeKind::DownArrowCallout:
        return QStringLiteral("downArrowCallout");
    case ShapeKind::Diamond:
        return QStringLiteral("diamond");
    case ShapeKind::TextBox:
    case ShapeKind::Rectangle:
        break;
    }
    return QStringLiteral("rect");
}

void writeTransform(QXmlStreamWriter& xml, double leftPt, double topPt, double widthPt,
                    double heightPt)
{
    writeTransform(xml, kA, leftPt, topPt, widthPt, heightPt);
}

void writeTransform(QXmlStreamWriter& xml, const QString& containerNs, double leftPt, double topPt,
                    double widthPt, double heightPt)
{
    xml.writeStartElement(containerNs, QStringLiteral("xfrm"));
    emptyElement(xml, kA, QStringLiteral("off"),
                 {{QStringLiteral("x"), emu(leftPt)}, {QStringLiteral("y"), emu(topPt)}});
    emptyElement(xml, kA, QStringLiteral("ext"),
                 {{QStringLiteral("cx"), emu(widthPt)}, {QStringLiteral("cy"), emu(heightPt)}});
    xml.writeEndElement();
}

void writePresetGeometry(QXmlStreamWriter& xml, ShapeKind kind, const Adjust& adjust)
{
    xml.writeStartElement(kA, QStringLiteral("prstGeom"));
    xml.writeAttribute(QStringLiteral("prst"), presetName(kind));
    if (!isCallout(kind)) {
        xml.writeEmptyElement(kA, QStringLiteral("avLst"));
    } else {
        xml.writeStartElement(kA, QStringLiteral("avLst"));
        for (size_t i = 0; i < adjust.size(); ++i) {
            emptyElement(xml, kA, QStringLiteral("gd"),
                         {{QStringLiteral("name"), QStringLiteral("adj%1").arg(i + 1)},
                          {QStringLiteral("fmla"), QStringLiteral("val %1").arg(adjust[i])}});
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeSolidFill(QXmlStreamWriter& xml, QRgb color)
{
    xml.writeStartElement(kA, QStringLiteral("solidFill"));
    emptyElement(xml, kA, QStringLiteral("srgbClr"),
                 {{QStringLiteral("val"), xmlout::hexColor(color)}});
    xml.writeEndElement();
}

void writeFill(QXmlStreamWriter& xml, std::optional<QRgb> fill)
{
    if (fill) {
        writeSolidFill(xml, *fill);
    } else {
        xml.writeEmptyElement(kA, QStringLiteral("noFill"));
    }
}

void writeLine(QXmlStreamWriter& xml, double widthPt, bool visible, QRgb color)
{
    xml.writeStartElement(kA, QStringLiteral("ln"));
    xml.writeAttribute(QStringLiteral("w"), emu(widthPt));
    if (visible) {
        writeSolidFill(xml, color);
        emptyElement(xml, kA, QStringLiteral("miter"),
                     {{QStringLiteral("lim"), QStringLiteral("800000")}});
    } else {
        xml.writeEmptyElement(kA, QStringLiteral("noFill"));
    }
    xml.writeEndElement();
}

void writeShapeProperties(QXmlStreamWriter& xml, const QString& containerNs, const Shape& shape,
                          double offsetLeftPt, double offsetTopPt)
{
    xml.writeStartElement(containerNs, QStringLiteral("spPr"));
    writeTransform(xml, offsetLeftPt, offsetTopPt, shape.widthPt, shape.heightPt);
    writePresetGeometry(xml, shape.kind, shape.adjust);
    writeFill(xml, shape.fill);
    writeLine(xml, shape.lineWidthPt, shape.lineVisible, shape.lineColor);
    xml.writeEndElement();
}

void writeBodyProperties(QXmlStreamWriter& xml, const QString& containerNs, const Shape& shape)
{
    xml.writeStartElement(containerNs, QStringLiteral("bodyPr"));
    const QString anchor = shape.anchor == TextAnchor::Center   ? QStringLiteral("ctr")
                           : shape.anchor == TextAnchor::Bottom ? QStringLiteral("b")
                                                                : QStringLiteral("t");
    const std::pair<const char*, QString> attributes[] = {
        {"rot", QStringLiteral("0")},       {"vert", QStringLiteral("horz")},
        {"wrap", QStringLiteral("square")}, {"lIns", emu(shape.insetLeftPt)},
        {"tIns", emu(shape.insetTopPt)},    {"rIns", emu(shape.insetRightPt)},
        {"bIns", emu(shape.insetBottomPt)}, {"anchor", anchor},
        {"anchorCtr", QStringLiteral("0")},
    };
    for (const auto& [key, value] : attributes) {
        xml.writeAttribute(QString::fromLatin1(key), value);
    }
    xml.writeEmptyElement(kA, QStringLiteral("noAutofit"));
    xml.writeEndElement();
}

void writeRunProperties(QXmlStreamWriter& xml, const QString& element, const CharFormat& format)
{
    xml.writeStartElement(kA, element);
    xml.writeAttribute(QStringLiteral("lang"), QStringLiteral("en-US"));
    xml.writeAttribute(QStringLiteral("sz"),
                       QString::number(units::ptToCentipoints(format.sizeHalfPt / 2.0)));
    xml.writeAttribute(QStringLiteral("b"),
                       format.bold ? QStringLiteral("1") : QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("dirty"), QStringLiteral("0"));
    writeSolidFill(xml, format.color.value_or(qRgb(0, 0, 0)));
    for (const char* script : {"latin", "cs"}) {
        emptyElement(xml, kA, QString::fromLatin1(script),
                     {{QStringLiteral("typeface"), format.fontName}});
    }
    xml.writeEndElement();
}

void writeTextParagraph(QXmlStreamWriter& xml, const Paragraph& paragraph)
{
    xml.writeStartElement(kA, QStringLiteral("p"));
    xml.writeStartElement(kA, QStringLiteral("pPr"));
    const QString align = paragraph.alignment == Alignment::Center    ? QStringLiteral("ctr")
                          : paragraph.alignment == Alignment::Right   ? QStringLiteral("r")
                          : paragraph.alignment == Alignment::Justify ? QStringLiteral("just")
                                                                      : QStringLiteral("l");
    xml.writeAttribute(QStringLiteral("algn"), align);
    if (paragraph.lineAtLeastTwips > 0) {
        xml.writeStartElement(kA, QStringLiteral("lnSpc"));
        const long long pitch =
            units::ptToCentipoints(units::twipsToPt(paragraph.lineAtLeastTwips));
        emptyElement(xml, kA, QStringLiteral("spcPts"),
                     {{QStringLiteral("val"), QString::number(pitch)}});
        xml.writeEndElement();
    }
    xml.writeEndElement();
    for (const Run& run : paragraph.runs) {
        xml.writeStartElement(kA, QStringLiteral("r"));
        writeRunProperties(xml, QStringLiteral("rPr"), run.format);
        xml.writeTextElement(kA, QStringLiteral("t"), run.text);
        xml.writeEndElement();
    }
    writeRunProperties(xml, QStringLiteral("endParaRPr"), paragraph.markFormat);
    xml.writeEndElement();
}

void writeTextStory(QXmlStreamWriter& xml, const Story& story)
{
    xml.writeEmptyElement(kA, QStringLiteral("lstStyle"));
    bool any = false;
    for (const Block& block : story) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            writeTextParagraph(xml, *paragraph);
            any = true;
        }
    }
    if (!any) {
        writeTextParagraph(xml, Paragraph{}); // a text body holds at least one paragraph
    }
}

namespace {
// One cell edge: the border's width and black, or none.
void writeCellLine(QXmlStreamWriter& xml, const QString& name, const Border& border)
{
    xml.writeStartElement(kA, name);
    if (border.visible) {
        xml.writeAttribute(QStringLiteral("w"), emu(border.widthEighthPt / 8.0));
        writeSolidFill(xml, qRgb(0, 0, 0));
    } else {
        xml.writeAttribute(QStringLiteral("w"), QStringLiteral("0"));
        xml.writeEmptyElement(kA, QStringLiteral("noFill"));
    }
    xml.writeEndElement();
}
} // namespace

void writeTable(QXmlStreamWriter& xml, const Table& table, double heightPt)
{
    xml.writeStartElement(kA, QStringLiteral("tbl"));
    emptyElement(xml, kA, QStringLiteral("tblPr"),
                 {{QStringLiteral("firstRow"), QStringLiteral("0")},
                  {QStringLiteral("bandRow"), QStringLiteral("0")}});
    xml.writeStartElement(kA, QStringLiteral("tblGrid"));
    for (const int width : table.columnWidthsTwips) {
        emptyElement(xml, kA, QStringLiteral("gridCol"),
                     {{QStringLiteral("w"), emu(units::twipsToPt(width))}});
    }
    xml.writeEndElement();
    const double rowPt = heightPt / double(std::max<size_t>(1, table.rows.size()));
    const QString margin = emu(units::twipsToPt(table.cellMarginTwips));
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const std::vector<TableCell>& row = table.rows[r];
        xml.writeStartElement(kA, QStringLiteral("tr"));
        xml.writeAttribute(QStringLiteral("h"), emu(rowPt));
        for (size_t c = 0; c < row.size(); ++c) {
            xml.writeStartElement(kA, QStringLiteral("tc"));
            xml.writeStartElement(kA, QStringLiteral("txBody"));
            xml.writeEmptyElement(kA, QStringLiteral("bodyPr"));
            Story story;
            for (const Paragraph& paragraph : row[c].paragraphs) {
                story.push_back(paragraph);
            }
            writeTextStory(xml, story);
            xml.writeEndElement();
            xml.writeStartElement(kA, QStringLiteral("tcPr"));
            const std::pair<const char*, QString> attributes[] = {
                {"marL", margin},
                {"marR", margin},
                {"marT", QStringLiteral("0")},
                {"marB", QStringLiteral("0")},
            };
            for (const auto& [key, value] : attributes) {
                xml.writeAttribute(QString::fromLatin1(key), value);
            }
            if (table.textUpward) {
                xml.writeAttribute(QStringLiteral("vert"), QStringLiteral("vert270"));
            }
            xml.writeAttribute(QStringLiteral("anchor"), QStringLiteral("ctr"));
            const auto& b = table.borders;
            writeCellLine(xml, QStringLiteral("lnL"), b[c == 0 ? BorderLeft : BorderInsideV]);
            writeCellLine(xml, QStringLiteral("lnR"),
                          b[c + 1 == row.size() ? BorderRight : BorderInsideV]);
            writeCellLine(xml, QStringLiteral("lnT"), b[r == 0 ? BorderTop : BorderInsideH]);
            writeCellLine(xml, QStringLiteral("lnB"),
                          b[r + 1 == table.rows.size() ? BorderBottom : BorderInsideH]);
            xml.writeEmptyElement(kA, QStringLiteral("noFill"));
            xml.writeEndElement();
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace office::drawingml
