#pragma once

#include "model.h"

#include <QByteArray>
#include <QString>

// Custom XML items: XML data parts a package carries for the program that made it, each
// with an item properties part (ds:datastoreItem: its GUID and the schemas it follows),
// related from the main part so that word processors keep them when they save again.
namespace office::customxml {

// The item's GUID as the properties part states it, "{8-4-4-4-12}" in capitals: the one
// the item carries, or one made from its data when it carries none.
QString itemId(const CustomXmlItem& item);

// The item properties part of the item.
QByteArray itemProperties(const CustomXmlItem& item);

// Checks an item's data as a reader takes it from a file it did not make: within the
// size limit, one well-formed element tree within the depth and attribute limits, no
// document type declaration, and text that decodes as its declaration says. Throws
// office::Error naming the part.
void checkData(const QByteArray& data, const QString& partName);

// The item from its data and, when the package has one, its properties part; the data is
// kept byte for byte. Throws office::Error when either is damaged.
CustomXmlItem readItem(const QByteArray& data, const QString& partName,
                       const QByteArray* properties = nullptr,
                       const QString& propertiesName = QString());

} // namespace office::customxml
