#pragma once

#include "model.h"
#include "packageparts.h"
#include "zippackage.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Custom XML items: XML data parts a package carries for the program that made it, each
// with an item properties part (ds:datastoreItem: its GUID and the schemas it follows),
// related from the main part so that word processors keep them when they save again.
namespace office::customxml {

// The item's GUID as the properties part states it, "{8-4-4-4-12}" in capitals: the one
// the item carries, or one made from its data when it carries none.
QString itemId(const CustomXmlItem& item);

// The first item of `items` that follows the schema `namespaceUri`: named so by its
// properties or, for an item without them, whose data mentions it. Null when none does.
const CustomXmlItem* findItem(const std::vector<CustomXmlItem>& items, const QString& namespaceUri);

// The item properties part of the item.
QByteArray itemProperties(const CustomXmlItem& item);

// The item from its data and, when the package has one, its properties part, read as from
// a file nobody vouches for: data within the size limit, one well-formed element tree
// within the depth and attribute limits, no document type declaration, text that decodes
// as its declaration says; properties that are a datastoreItem with a GUID and at most
// limits::kMaxSchemaRefs schemas. The data is kept byte for byte. Throws office::Error
// naming the part when either is damaged.
CustomXmlItem readItem(const QByteArray& data, const QString& partName,
                       const QByteArray* properties = nullptr,
                       const QString& propertiesName = QString());

// The items as a package carries them, whatever its main part: customXml/itemN.xml with
// their properties parts and relationships, the content types they add, and the
// relationships the main part (one folder below the root, as word/ or ppt/) states to
// them. Throws office::Error for what the reader would refuse (data that is no XML, an id
// that is no GUID, too many items or schemas).
struct PackagedItems
{
    std::vector<zippackage::Part> parts;
    std::vector<opc::PartType> types;
    std::vector<opc::Relationship> mainRelationships;
};
PackagedItems packageItems(const std::vector<CustomXmlItem>& items);

} // namespace office::customxml
