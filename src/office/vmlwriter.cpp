#include "vmlwriter.h"

#include "ooxmlnames.h"
#include "vmlshape.h"
#include "xmlout.h"

#include <QStringList>

#include <algorithm>

namespace office::vml {

using namespace ooxml;
using xmlout::emptyElement;

void ShapeWriter::writeShapeType(ShapeKind kind)
{
    const int type = shapeType(kind);
    if (std::find(mTypesWritten.begin(), mTypesWritten.end(), type) != mTypesWritten.end()) {
        return;
    }
    mTypesWritten.push_back(type);
    const ShapeTypeDefinition definition = definitionOf(kind);
    mXml.writeStartElement(kV, QStringLiteral("shapetype"));
    mXml.writeAttribute(QStringLiteral("id"), QStringLiteral("_x0000_t%1").arg(type));
    mXml.writeAttribute(QStringLiteral("coordsize"), QStringLiteral("21600,21600"));
    mXml.writeAttribute(kO, QStringLiteral("spt"), QString::number(type));
    if (!definition.adjust.isEmpty()) {
        mXml.writeAttribute(QStringLiteral("adj"), definition.adjust);
    }
    mXml.writeAttribute(QStringLiteral("path"), definition.path);
    emptyElement(mXml, kV, QStringLiteral("stroke"),
                 {{QStringLiteral("joinstyle"), QStringLiteral("miter")}});
    if (!definition.formulas.empty()) {
        mXml.writeStartElement(kV, QStringLiteral("formulas"));
        for (const QString& formula : definition.formulas) {
            emptyElement(mXml, kV, QStringLiteral("f"), {{QStringLiteral("eqn"), formula}});
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

void ShapeWriter::write(const Shape& shape, int z)
{
    writeShapeType(shape.kind);
    mXml.writeStartElement(kV, QStringLiteral("shape"));
    mXml.writeAttribute(QStringLiteral("id"), shape.name);
    mXml.writeAttribute(kO, QStringLiteral("spid"),
                        QStringLiteral("_x0000_s%1").arg(1024 + qint64(shape.id)));
    mXml.writeAttribute(QStringLiteral("type"),
                        QStringLiteral("#_x0000_t%1").arg(shapeType(shape.kind)));
    const QString textAnchor = shape.anchor == TextAnchor::Center   ? QStringLiteral("middle")
                               : shape.anchor == TextAnchor::Bottom ? QStringLiteral("bottom")
                                                                    : QStringLiteral("top");
    // Page-relative like the anchor; the wrap distances are the anchor's dist values.
    const QStringList style{
        QStringLiteral("position:absolute"),
        QStringLiteral("margin-left:") + ptText(shape.leftPt),
        QStringLiteral("margin-top:") + ptText(shape.topPt),
        QStringLiteral("width:") + ptText(shape.widthPt),
        QStringLiteral("height:") + ptText(shape.heightPt),
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
    if (isCallout(shape.kind)) {
        const CalloutAdjust adjust = toVml(shape.kind, shape.widthPt, shape.heightPt, shape.adjust);
        mXml.writeAttribute(QStringLiteral("adj"), QStringLiteral("%1,%2,%3,%4")
                                                       .arg(adjust[0])
                                                       .arg(adjust[1])
                                                       .arg(adjust[2])
                                                       .arg(adjust[3]));
    }
    if (shape.fill) {
        mXml.writeAttribute(QStringLiteral("fillcolor"), colorText(*shape.fill));
    } else {
        mXml.writeAttribute(QStringLiteral("filled"), QStringLiteral("f"));
    }
    if (!shape.lineVisible) {
        mXml.writeAttribute(QStringLiteral("stroked"), QStringLiteral("f"));
    }
    mXml.writeAttribute(QStringLiteral("strokecolor"), colorText(shape.lineColor));
    mXml.writeAttribute(QStringLiteral("strokeweight"), ptText(shape.lineWidthPt));
    if (holdsText(shape.kind)) {
        mXml.writeStartElement(kV, QStringLiteral("textbox"));
        mXml.writeAttribute(QStringLiteral("inset"),
                            QStringList{ptText(shape.insetLeftPt), ptText(shape.insetTopPt),
                                        ptText(shape.insetRightPt), ptText(shape.insetBottomPt)}
                                .join(u','));
        mXml.writeStartElement(kW, QStringLiteral("txbxContent"));
        mWriteStory(shape.story);
        mXml.writeEndElement();
        mXml.writeEndElement(); // textbox
    }
    mXml.writeEmptyElement(kW10, QStringLiteral("wrap"));
    mXml.writeAttribute(QStringLiteral("type"),
                        shape.wrapType == kWrapSquare      ? QStringLiteral("square")
                        : shape.wrapType == kWrapTopBottom ? QStringLiteral("topAndBottom")
                                                           : QStringLiteral("none"));
    mXml.writeAttribute(QStringLiteral("anchorx"), QStringLiteral("page"));
    mXml.writeAttribute(QStringLiteral("anchory"), QStringLiteral("page"));
    mXml.writeEndElement(); // shape
}

} // namespace office::vml
