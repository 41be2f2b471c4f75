#include "drawingml.h"

#include "ooxmlnames.h"
#include "xmlout.h"

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
    xml.writeStartElement(kA, QStringLiteral("xfrm"));
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

} // namespace office::drawingml
