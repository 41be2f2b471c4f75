#pragma once

#include "document.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace office {

// The WordprocessingML package of the document: content types, relationships, the main
// part, styles (docDefaults), settings (compatibility mode 15) and the document properties
// (the application, and savedAt as creation and modification time). Every shape states
// its fill, outline, insets and every run its font, size and colour, so readers agree;
// each shape comes as DrawingML with a VML fallback for readers without Word 2010 shapes.
// The document's custom XML items go with it (customXml/itemN.xml with their properties);
// an item whose data is no XML throws office::Error.
QByteArray writePackage(const Document& document,
                        const QDateTime& savedAt = QDateTime::currentDateTimeUtc());

// Writes the package through the safe writer (filewrite/safefile.h); a failure leaves
// any earlier file untouched. The name's extension does not change the format.
void saveDocument(const Document& document, const QString& path);

} // namespace office
