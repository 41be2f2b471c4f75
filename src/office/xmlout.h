#pragma once

#include "units/lengths.h"

#include <QRgb>
#include <QString>
#include <QXmlStreamWriter>

#include <initializer_list>
#include <utility>

// Small pieces the part writers share.
namespace office::xmlout {

// An empty element with unqualified attributes, in the order given.
inline void emptyElement(QXmlStreamWriter& xml, const QString& ns, const QString& name,
                         std::initializer_list<std::pair<QString, QString>> attributes)
{
    xml.writeEmptyElement(ns, name);
    for (const auto& [key, value] : attributes) {
        xml.writeAttribute(key, value);
    }
}

// Lengths as the parts store them: whole EMU in DrawingML, whole twips in WordprocessingML.
inline QString emu(double pt)
{
    return QString::number(units::ptToEmu(pt));
}
inline QString twips(double pt)
{
    return QString::number(units::ptToTwips(pt));
}

// "RRGGBB", as WordprocessingML and DrawingML store a colour.
inline QString hexColor(QRgb color)
{
    return QStringLiteral("%1%2%3")
        .arg(qRed(color), 2, 16, QChar(u'0'))
        .arg(qGreen(color), 2, 16, QChar(u'0'))
        .arg(qBlue(color), 2, 16, QChar(u'0'))
        .toUpper();
}

} // namespace office::xmlout
