#pragma once

#include "units/lengths.h"

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <QXmlStreamWriter>

#include <initializer_list>
#include <utility>

// Small pieces the part writers share.
namespace office::xmlout {

// A part's XML kept as text and encoded once when it is done. On a byte array the stream
// writer encodes every small piece and writes it through a buffer device, which was about
// half of the main part's time. On text it states no encoding in the declaration, so the
// declaration is written here, as the writer on a device states it.
class PartText
{
public:
    explicit PartText(bool standalone = true) : mStandalone(standalone), mXml(&mText) {}
    PartText(const PartText&) = delete;
    PartText& operator=(const PartText&) = delete;

    QXmlStreamWriter& xml() { return mXml; }
    // Closes the elements still open and gives the part, declaration first, in UTF-8.
    QByteArray finish()
    {
        mXml.writeEndDocument();
        QByteArray bytes =
            mStandalone
                ? QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)")
                : QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="no"?>)");
        bytes += mText.toUtf8();
        return bytes;
    }

private:
    bool mStandalone;
    QString mText;
    QXmlStreamWriter mXml;
};

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
