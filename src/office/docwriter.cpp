#include "docwriter.h"

#include "filewrite/safefile.h"

#include "error.h"
#include "ooxmlnames.h"
#include "vmlshape.h"
#include "zippackage.h"

#include <QStringList>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace office {

using namespace ooxml;

namespace {

QString emu(double pt)
{
    return QString::number(std::llround(pt * kEmuPerPt));
}

QString twips(double pt)
{
    return QString::number(std::llround(pt * kTwipsPerPt));
}

QString hex(QRgb color)
{
    return QStringLiteral("%1%2%3")
        .arg(qRed(color), 2, 16, QChar(u'0'))
        .arg(qGreen(color), 2, 16, QChar(u'0'))
        .arg(qBlue(color), 2, 16, QChar(u'0'))
        .toUpper();
}

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
        : mXml(out), mTextAlternative(textAlternative)
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
        mXml.writeStartElement(kW, QStringLiteral("body"));
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
        mXml.writeEmptyElement(ns, name);
        for (const auto& [key, value] : attributes) {
            mXml.writeAttribute(key, value);
        }
    }
    void wAttr(const QString& name, const QString& value) { mXml.writeAttribute(kW, name, value); }
    void wEmpty(const QString& name, const QString& val)
    {
        mXml.writeEmptyElement(kW, name);
        wAttr(QStringLiteral("val"), val);
    }

    void writeRunProperties(const CharFormat& format, bool hidden = false)
    {
        mXml.writeStartElement(kW, QStringLiteral("rPr"));
        mXml.writeEmptyElement(kW, QStringLiteral("rFonts"));
        for (const char* slot : {"ascii", "hAnsi", "eastAsia", "cs"}) {
            wAttr(QString::fromLatin1(slot), format.fontName);
        }
        if (format.bold) {
            mXml.writeEmptyElement(kW, QStringLiteral("b"));
            mXml.writeEmptyElement(kW, QStringLiteral("bCs"));
        }
        if (hidden) {
            mXml.writeEmptyElement(kW, QStringLiteral("vanish"));
        }
        if (format.color) {
            wEmpty(QStringLiteral("color"), hex(*format.color));
        }
        wEmpty(QStringLiteral("sz"), QString::number(format.sizeHalfPt));
        wEmpty(QStringLiteral("szCs"), QString::number(format.sizeHalfPt));
        mXml.writeEndElement();
    }

    void writeText(const QString& text)
    {
        QString pending;
        auto flush = [&] {
            if (!pending.isEmpty()) {
                mXml.writeStartElement(kW, QStringLiteral("t"));
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
                mXml.writeEmptyElement(kW, QStringLiteral("tab"));
            } else if (c == u'\v' || c == QChar::LineSeparator) {
                flush();
                mXml.writeEmptyElement(kW, QStringLiteral("br"));
            } else if (c.unicode() >= 0x20 && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF) {
                pending += c; // characters XML cannot carry are dropped
            }
        }
        flush();
    }

    void writeParagraph(const Paragraph& paragraph, const Document* shapesOf, bool hidden = false)
    {
        mXml.writeStartElement(kW, QStringLiteral("p"));
        mXml.writeStartElement(kW, QStringLiteral("pPr"));
        if (paragraph.lineAtLeastTwips > 0) {
            mXml.writeEmptyElement(kW, QStringLiteral("spacing"));
            wAttr(QStringLiteral("line"), QString::number(paragraph.lineAtLeastTwips));
            wAttr(QStringLiteral("lineRule"), QStringLiteral("atLeast"));
        }
        if (paragraph.alignment != Alignment::Left) {
            wEmpty(QStringLiteral("jc"), alignmentValue(paragraph.alignment));
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
            mXml.writeStartElement(kW, QStringLiteral("r"));
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
        mXml.writeEmptyElement(kW, name);
        if (border.visible) {
            wAttr(QStringLiteral("val"), QStringLiteral("single"));
            wAttr(QStringLiteral("sz"), QString::number(border.widthEighthPt));
        } else {
            wAttr(QStringLiteral("val"), QStringLiteral("nil"));
            wAttr(QStringLiteral("sz"), QStringLiteral("0"));
        }
        wAttr(QStringLiteral("space"), QStringLiteral("0"));
        wAttr(QStringLiteral("color"), QStringLiteral("auto"));
    }

    void writeTable(const Table& table)
    {
        int totalTwips = 0;
        for (int width : table.columnWidthsTwips) {
            totalTwips += width;
        }
        mXml.writeStartElement(kW, QStringLiteral("tbl"));
        mXml.writeStartElement(kW, QStringLiteral("tblPr"));
        mXml.writeEmptyElement(kW, QStringLiteral("tblW"));
        wAttr(QStringLiteral("w"), QString::number(totalTwips));
        wAttr(QStringLiteral("type"), QStringLiteral("dxa"));
        mXml.writeStartElement(kW, QStringLiteral("tblBorders"));
        static const char* const names[BorderSideCount] = {"top",   "left",    "bottom",
                                                           "right", "insideH", "insideV"};
        for (int side = 0; side < BorderSideCount; ++side) {
            writeBorder(QString::fromLatin1(names[side]), table.borders[size_t(side)]);
        }
        mXml.writeEndElement();
        mXml.writeEmptyElement(kW, QStringLiteral("tblLayout"));
        wAttr(QStringLiteral("type"), QStringLiteral("fixed"));
        mXml.writeStartElement(kW, QStringLiteral("tblCellMar"));
        for (const char* side : {"left", "right"}) {
            mXml.writeEmptyElement(kW, QString::fromLatin1(side));
            wAttr(QStringLiteral("w"), QString::number(table.cellMarginTwips));
            wAttr(QStringLiteral("type"), QStringLiteral("dxa"));
        }
        mXml.writeEndElement();
        mXml.writeEndElement(); // tblPr
        mXml.writeStartElement(kW, QStringLiteral("tblGrid"));
        for (int width : table.columnWidthsTwips) {
            mXml.writeEmptyElement(kW, QStringLiteral("gridCol"));
            wAttr(QStringLiteral("w"), QString::number(width));
        }
        mXml.writeEndElement();
        for (const auto& row : table.rows) {
            mXml.writeStartElement(kW, QStringLiteral("tr"));
            if (table.minRowHeightTwips > 0) {
                mXml.writeStartElement(kW, QStringLiteral("trPr"));
                mXml.writeEmptyElement(kW, QStringLiteral("trHeight"));
                wAttr(QStringLiteral("val"), QString::number(table.minRowHeightTwips));
                wAttr(QStringLiteral("hRule"), QStringLiteral("atLeast"));
                mXml.writeEndElement();
            }
            for (size_t column = 0; column < row.size(); ++column) {
                mXml.writeStartElement(kW, QStringLiteral("tc"));
                mXml.writeStartElement(kW, QStringLiteral("tcPr"));
                mXml.writeEmptyElement(kW, QStringLiteral("tcW"));
                const int width =
                    column < table.columnWidthsTwips.size() ? table.columnWidthsTwips[column] : 0;
                wAttr(QStringLiteral("w"), QString::number(width));
                wAttr(QStringLiteral("type"), QStringLiteral("dxa"));
                if (table.textUpward) {
                    mXml.writeEmptyElement(kW, QStringLiteral("textDirection"));
                    wAttr(QStringLiteral("val"), QStringLiteral("btLr"));
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
        mXml.writeStartElement(kW, QStringLiteral("r"));
        mXml.writeStartElement(kMc, QStringLiteral("AlternateContent"));
        mXml.writeStartElement(kMc, QStringLiteral("Choice"));
        mXml.writeAttribute(QStringLiteral("Requires"), QStringLiteral("wps"));
        writeDrawing(shape, z);
        mXml.writeEndElement();
        mXml.writeStartElement(kMc, QStringLiteral("Fallback"));
        writeVmlShape(shape, z);
        mXml.writeEndElement();
        mXml.writeEndElement(); // AlternateContent
        mXml.writeEndElement(); // r
    }

    void writeDrawing(const Shape& shape, int z)
    {
        mXml.writeStartElement(kW, QStringLiteral("drawing"));
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
        writeShapeProperties(shape, cx, cy);
        mXml.writeStartElement(kWps, QStringLiteral("txbx"));
        mXml.writeStartElement(kW, QStringLiteral("txbxContent"));
        writeStory(shape.story);
        mXml.writeEndElement();
        mXml.writeEndElement();
        writeBodyProperties(shape);
        mXml.writeEndElement(); // wsp
        mXml.writeEndElement(); // graphicData
        mXml.writeEndElement(); // graphic
        mXml.writeEndElement(); // anchor
        mXml.writeEndElement(); // drawing
    }

    // A type is defined once, where the first shape of that type needs it.
    void writeVmlShapeType(ShapeKind kind)
    {
        const int type = vml::shapeType(kind);
        if (std::find(mVmlTypesWritten.begin(), mVmlTypesWritten.end(), type) !=
            mVmlTypesWritten.end()) {
            return;
        }
        mVmlTypesWritten.push_back(type);
        const vml::ShapeTypeDefinition definition = vml::definitionOf(kind);
        mXml.writeStartElement(kV, QStringLiteral("shapetype"));
        mXml.writeAttribute(QStringLiteral("id"), QStringLiteral("_x0000_t%1").arg(type));
        mXml.writeAttribute(QStringLiteral("coordsize"), QStringLiteral("21600,21600"));
        mXml.writeAttribute(kO, QStringLiteral("spt"), QString::number(type));
        if (!definition.adjust.isEmpty()) {
            mXml.writeAttribute(QStringLiteral("adj"), definition.adjust);
        }
        mXml.writeAttribute(QStringLiteral("path"), definition.path);
        element(kV, QStringLiteral("stroke"),
                {{QStringLiteral("joinstyle"), QStringLiteral("miter")}});
        if (!definition.formulas.empty()) {
            mXml.writeStartElement(kV, QStringLiteral("formulas"));
            for (const QString& formula : definition.formulas) {
                element(kV, QStringLiteral("f"), {{QStringLiteral("eqn"), formula}});
            }
            mXml.writeEndElement();
        }
        mXml.writeEmptyElement(kV, QStringLiteral("path"));
        if (kind == ShapeKind::TextBox) {
            mXml.writeAttribute(QStringLiteral("gradientshapeok"), QStringLiteral("t"));
        }
        mXml.writeAttribute(kO, QStringLiteral("connecttype"), QStringLiteral("rect"));
        if (!definition.textBoxRect.isEmpty()) {
            mXml.writeAttribute(QStringLiteral("textboxrect"), definition.textBoxRect);
        }
        mXml.writeEndElement(); // shapetype
    }

    void writeVmlShape(const Shape& shape, int z)
    {
        mXml.writeStartElement(kW, QStringLiteral("pict"));
        writeVmlShapeType(shape.kind);
        mXml.writeStartElement(kV, QStringLiteral("shape"));
        mXml.writeAttribute(QStringLiteral("id"), shape.name);
        mXml.writeAttribute(kO, QStringLiteral("spid"),
                            QStringLiteral("_x0000_s%1").arg(1024 + qint64(shape.id)));
        mXml.writeAttribute(QStringLiteral("type"),
                            QStringLiteral("#_x0000_t%1").arg(vml::shapeType(shape.kind)));
        const QString textAnchor = shape.anchor == TextAnchor::Center   ? QStringLiteral("middle")
                                   : shape.anchor == TextAnchor::Bottom ? QStringLiteral("bottom")
                                                                        : QStringLiteral("top");
        // Page-relative like the anchor; the wrap distances are the anchor's dist values.
        const QStringList style{
            QStringLiteral("position:absolute"),
            QStringLiteral("margin-left:") + vml::ptText(shape.leftPt),
            QStringLiteral("margin-top:") + vml::ptText(shape.topPt),
            QStringLiteral("width:") + vml::ptText(shape.widthPt),
            QStringLiteral("height:") + vml::ptText(shape.heightPt),
            QStringLiteral("z-index:%1").arg(shape.wrapType == kWrapBehind ? -z : z),
            QStringLiteral("mso-wrap-distance-left:9pt"),
            QStringLiteral("mso-wrap-distance-top:3.6pt"),
            QStringLiteral("mso-wrap-distance-right:9pt"),
            QStringLiteral("mso-wrap-distance-bottom:3.6pt"),
            QStringLiteral("mso-position-horizontal:absolute"),
            QStringLiteral("mso-position-horizontal-relative:page"),
            QStringLiteral("mso-position-vertical:absolute"),
            QStringLiteral("mso-position-vertical-relative:page"),
            QStringLiteral("v-text-anchor:") + textAnchor,
        };
        mXml.writeAttribute(QStringLiteral("style"), style.join(u';'));
        if (shape.kind != ShapeKind::TextBox) {
            const vml::CalloutAdjust adjust =
                vml::toVml(shape.kind, shape.widthPt, shape.heightPt, shape.adjust);
            mXml.writeAttribute(QStringLiteral("adj"), QStringLiteral("%1,%2,%3,%4")
                                                           .arg(adjust[0])
                                                           .arg(adjust[1])
                                                           .arg(adjust[2])
                                                           .arg(adjust[3]));
        }
        if (shape.fill) {
            mXml.writeAttribute(QStringLiteral("fillcolor"), vml::colorText(*shape.fill));
        } else {
            mXml.writeAttribute(QStringLiteral("filled"), QStringLiteral("f"));
        }
        if (!shape.lineVisible) {
            mXml.writeAttribute(QStringLiteral("stroked"), QStringLiteral("f"));
        }
        mXml.writeAttribute(QStringLiteral("strokecolor"), vml::colorText(shape.lineColor));
        mXml.writeAttribute(QStringLiteral("strokeweight"), vml::ptText(shape.lineWidthPt));
        mXml.writeStartElement(kV, QStringLiteral("textbox"));
        mXml.writeAttribute(QStringLiteral("inset"), QStringList{vml::ptText(shape.insetLeftPt),
                                                                 vml::ptText(shape.insetTopPt),
                                                                 vml::ptText(shape.insetRightPt),
                                                                 vml::ptText(shape.insetBottomPt)}
                                                         .join(u','));
        mXml.writeStartElement(kW, QStringLiteral("txbxContent"));
        writeStory(shape.story);
        mXml.writeEndElement();
        mXml.writeEndElement(); // textbox
        mXml.writeEmptyElement(kW10, QStringLiteral("wrap"));
        mXml.writeAttribute(QStringLiteral("type"),
                            shape.wrapType == kWrapSquare      ? QStringLiteral("square")
                            : shape.wrapType == kWrapTopBottom ? QStringLiteral("topAndBottom")
                                                               : QStringLiteral("none"));
        mXml.writeAttribute(QStringLiteral("anchorx"), QStringLiteral("page"));
        mXml.writeAttribute(QStringLiteral("anchory"), QStringLiteral("page"));
        mXml.writeEndElement(); // shape
        mXml.writeEndElement(); // pict
    }

    void writeSolidFill(QRgb color)
    {
        mXml.writeStartElement(kA, QStringLiteral("solidFill"));
        element(kA, QStringLiteral("srgbClr"), {{QStringLiteral("val"), hex(color)}});
        mXml.writeEndElement();
    }

    void writeShapeProperties(const Shape& shape, const QString& cx, const QString& cy)
    {
        mXml.writeStartElement(kWps, QStringLiteral("spPr"));
        mXml.writeStartElement(kA, QStringLiteral("xfrm"));
        element(kA, QStringLiteral("off"),
                {{QStringLiteral("x"), QStringLiteral("0")},
                 {QStringLiteral("y"), QStringLiteral("0")}});
        element(kA, QStringLiteral("ext"),
                {{QStringLiteral("cx"), cx}, {QStringLiteral("cy"), cy}});
        mXml.writeEndElement();
        mXml.writeStartElement(kA, QStringLiteral("prstGeom"));
        switch (shape.kind) {
        case ShapeKind::TextBox:
            mXml.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
            mXml.writeEmptyElement(kA, QStringLiteral("avLst"));
            break;
        case ShapeKind::UpArrowCallout:
        case ShapeKind::DownArrowCallout:
            mXml.writeAttribute(QStringLiteral("prst"), shape.kind == ShapeKind::UpArrowCallout
                                                            ? QStringLiteral("upArrowCallout")
                                                            : QStringLiteral("downArrowCallout"));
            mXml.writeStartElement(kA, QStringLiteral("avLst"));
            for (size_t i = 0; i < shape.adjust.size(); ++i) {
                element(kA, QStringLiteral("gd"),
                        {{QStringLiteral("name"), QStringLiteral("adj%1").arg(i + 1)},
                         {QStringLiteral("fmla"), QStringLiteral("val %1").arg(shape.adjust[i])}});
            }
            mXml.writeEndElement();
            break;
        }
        mXml.writeEndElement(); // prstGeom
        if (shape.fill) {
            writeSolidFill(*shape.fill);
        } else {
            mXml.writeEmptyElement(kA, QStringLiteral("noFill"));
        }
        mXml.writeStartElement(kA, QStringLiteral("ln"));
        mXml.writeAttribute(QStringLiteral("w"), emu(shape.lineWidthPt));
        if (shape.lineVisible) {
            writeSolidFill(shape.lineColor);
            element(kA, QStringLiteral("miter"),
                    {{QStringLiteral("lim"), QStringLiteral("800000")}});
        } else {
            mXml.writeEmptyElement(kA, QStringLiteral("noFill"));
        }
        mXml.writeEndElement();
        mXml.writeEndElement(); // spPr
    }

    void writeBodyProperties(const Shape& shape)
    {
        mXml.writeStartElement(kWps, QStringLiteral("bodyPr"));
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
            mXml.writeAttribute(QString::fromLatin1(key), value);
        }
        mXml.writeEmptyElement(kA, QStringLiteral("noAutofit"));
        mXml.writeEndElement();
    }

    void writeSection(const PageSetup& page)
    {
        mXml.writeStartElement(kW, QStringLiteral("sectPr"));
        mXml.writeEmptyElement(kW, QStringLiteral("pgSz"));
        wAttr(QStringLiteral("w"), twips(page.widthPt));
        wAttr(QStringLiteral("h"), twips(page.heightPt));
        if (page.landscape) {
            wAttr(QStringLiteral("orient"), QStringLiteral("landscape"));
        }
        mXml.writeEmptyElement(kW, QStringLiteral("pgMar"));
        wAttr(QStringLiteral("top"), twips(page.topMarginPt));
        wAttr(QStringLiteral("right"), twips(page.rightMarginPt));
        wAttr(QStringLiteral("bottom"), twips(page.bottomMarginPt));
        wAttr(QStringLiteral("left"), twips(page.leftMarginPt));
        wAttr(QStringLiteral("header"), QStringLiteral("720"));
        wAttr(QStringLiteral("footer"), QStringLiteral("720"));
        wAttr(QStringLiteral("gutter"), QStringLiteral("0"));
        mXml.writeEndElement();
    }

    QXmlStreamWriter mXml;
    bool mTextAlternative;
    std::vector<int> mVmlTypesWritten;
};

QByteArray contentTypes()
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(kContentTypes);
    xml.writeStartElement(kContentTypes, QStringLiteral("Types"));
    const std::pair<const char*, const char*> defaults[] = {
        {"rels", "application/vnd.openxmlformats-package.relationships+xml"},
        {"xml", "application/xml"}};
    for (const auto& [extension, type] : defaults) {
        xml.writeEmptyElement(kContentTypes, QStringLiteral("Default"));
        xml.writeAttribute(QStringLiteral("Extension"), QString::fromLatin1(extension));
        xml.writeAttribute(QStringLiteral("ContentType"), QString::fromLatin1(type));
    }
    const std::pair<const char*, const char*> overrides[] = {
        {"/word/document.xml",
         "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"},
        {"/word/styles.xml",
         "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"},
        {"/word/settings.xml",
         "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"},
        {"/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"},
        {"/docProps/app.xml",
         "application/vnd.openxmlformats-officedocument.extended-properties+xml"}};
    for (const auto& [part, type] : overrides) {
        xml.writeEmptyElement(kContentTypes, QStringLiteral("Override"));
        xml.writeAttribute(QStringLiteral("PartName"), QString::fromLatin1(part));
        xml.writeAttribute(QStringLiteral("ContentType"), QString::fromLatin1(type));
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray relationships(std::initializer_list<std::pair<QString, QString>> targets)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(kRelationships);
    xml.writeStartElement(kRelationships, QStringLiteral("Relationships"));
    int id = 1;
    for (const auto& [type, target] : targets) {
        xml.writeEmptyElement(kRelationships, QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(id++));
        xml.writeAttribute(QStringLiteral("Type"), type);
        xml.writeAttribute(QStringLiteral("Target"), target);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
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

// Names the program and nothing about the person: no author, no last editor.
QByteArray appProperties()
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(kExtendedProperties);
    xml.writeStartElement(kExtendedProperties, QStringLiteral("Properties"));
    xml.writeTextElement(kExtendedProperties, QStringLiteral("Application"),
                         QLatin1String(kProgramName));
    xml.writeTextElement(kExtendedProperties, QStringLiteral("DocSecurity"), QStringLiteral("0"));
    xml.writeTextElement(kExtendedProperties, QStringLiteral("ScaleCrop"), QStringLiteral("false"));
    xml.writeTextElement(kExtendedProperties, QStringLiteral("LinksUpToDate"),
                         QStringLiteral("false"));
    xml.writeTextElement(kExtendedProperties, QStringLiteral("SharedDoc"), QStringLiteral("false"));
    xml.writeTextElement(kExtendedProperties, QStringLiteral("HyperlinksChanged"),
                         QStringLiteral("false"));
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray coreProperties(const QDateTime& savedAt)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeNamespace(kCoreProperties, QStringLiteral("cp"));
    xml.writeNamespace(kDc, QStringLiteral("dc"));
    xml.writeNamespace(kDcTerms, QStringLiteral("dcterms"));
    xml.writeNamespace(kDcmiType, QStringLiteral("dcmitype"));
    xml.writeNamespace(kXsi, QStringLiteral("xsi"));
    xml.writeStartElement(kCoreProperties, QStringLiteral("coreProperties"));
    // W3CDTF to the second, in UTC.
    const QString stamp = savedAt.toUTC().toString(Qt::ISODate);
    for (const char* name : {"created", "modified"}) {
        xml.writeStartElement(kDcTerms, QString::fromLatin1(name));
        xml.writeAttribute(kXsi, QStringLiteral("type"), QStringLiteral("dcterms:W3CDTF"));
        xml.writeCharacters(stamp);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

} // namespace

QByteArray writePackage(const Document& document, const QDateTime& savedAt)
{
    QByteArray main;
    MainPartWriter(&main, true).write(document);
    // The text alternative repeats every shape's text a third time; a page that holds so
    // much text that the copy would take the part past what the reader opens goes without.
    if (main.size() > zippackage::ReadLimits{}.maxPartBytes) {
        main.clear();
        MainPartWriter(&main, false).write(document);
    }
    return zippackage::write({
        {QStringLiteral("[Content_Types].xml"), contentTypes()},
        {QStringLiteral("_rels/.rels"),
         relationships({{kOfficeDocumentType, QStringLiteral("word/document.xml")},
                        {kCorePropertiesType, QStringLiteral("docProps/core.xml")},
                        {kExtendedPropertiesType, QStringLiteral("docProps/app.xml")}})},
        {QStringLiteral("word/document.xml"), main},
        {QStringLiteral("word/_rels/document.xml.rels"),
         relationships({{kStylesType, QStringLiteral("styles.xml")},
                        {kSettingsType, QStringLiteral("settings.xml")}})},
        {QStringLiteral("word/styles.xml"), styles()},
        {QStringLiteral("word/settings.xml"), settings()},
        {QStringLiteral("docProps/core.xml"), coreProperties(savedAt)},
        {QStringLiteral("docProps/app.xml"), appProperties()},
    });
}

void saveDocument(const Document& document, const QString& path)
{
    const QByteArray package = writePackage(document);
    if (const filewrite::WriteResult written = filewrite::replaceFile(path, package); !written)
        throw Error(QStringLiteral("Cannot save the document as %1: %2").arg(path, written.reason));
}

} // namespace office
