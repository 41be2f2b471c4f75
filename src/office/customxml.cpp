#include "customxml.h"

#include "error.h"
#include "ooxmlnames.h"
#include "readlimits.h"
#include "xmlcursor.h"

#include <QRegularExpression>
#include <QUuid>
#include <QXmlStreamWriter>

#include <algorithm>

namespace office::customxml {

using namespace ooxml;
using namespace limits;

namespace {

// ST_Guid: braces, capital hex digits.
bool isGuid(const QString& text)
{
    static const QRegularExpression guid(
        QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    return guid.match(text).hasMatch();
}

[[noreturn]] void damaged(const QString& why, const QString& partName)
{
    throw Error(QStringLiteral("The document is damaged: %1 (%2).").arg(why, partName));
}

void checkData(const QByteArray& data, const QString& partName)
{
    if (data.size() > kMaxCustomXmlBytes) {
        damaged(QStringLiteral("the custom XML part is larger than %1 MB")
                    .arg(kMaxCustomXmlBytes / (1024 * 1024)),
                partName);
    }
    XmlCursor xml(data, partName);
    bool root = false;
    while (xml.next()) {
        const QXmlStreamReader& reader = xml.reader();
        // A package part carries no document type declaration, and so no entities to
        // expand.
        if (reader.isDTD() || reader.isEntityReference()) {
            xml.fail(QStringLiteral("the custom XML part has a document type declaration"));
        }
        if (reader.isStartElement()) {
            root = true;
        }
    }
    if (!root) {
        xml.fail(QStringLiteral("the custom XML part has no element"));
    }
}

} // namespace

const CustomXmlItem* findItem(const std::vector<CustomXmlItem>& items, const QString& namespaceUri)
{
    for (const CustomXmlItem& item : items)
        if (std::find(item.schemaRefs.begin(), item.schemaRefs.end(), namespaceUri) !=
            item.schemaRefs.end())
            return &item;
    const QByteArray mentioned = namespaceUri.toUtf8();
    for (const CustomXmlItem& item : items)
        if (item.schemaRefs.empty() && item.data.contains(mentioned))
            return &item;
    return nullptr;
}

QString itemId(const CustomXmlItem& item)
{
    if (!item.itemId.isEmpty()) {
        return item.itemId;
    }
    // Name-based, so the same data is saved with the same id every time.
    static const QUuid space(QStringLiteral("{5A0C3E7E-2B1D-4C43-9E7A-6C1F0D2B8A41}"));
    return QUuid::createUuidV5(space, item.data).toString(QUuid::WithBraces).toUpper();
}

QByteArray itemProperties(const CustomXmlItem& item)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), false);
    xml.writeNamespace(kDs, QStringLiteral("ds"));
    xml.writeStartElement(kDs, QStringLiteral("datastoreItem"));
    xml.writeAttribute(kDs, QStringLiteral("itemID"), itemId(item));
    xml.writeStartElement(kDs, QStringLiteral("schemaRefs"));
    for (const QString& uri : item.schemaRefs) {
        xml.writeEmptyElement(kDs, QStringLiteral("schemaRef"));
        xml.writeAttribute(kDs, QStringLiteral("uri"), uri);
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

CustomXmlItem readItem(const QByteArray& data, const QString& partName,
                       const QByteArray* properties, const QString& propertiesName)
{
    checkData(data, partName);
    CustomXmlItem item;
    item.data = data;
    if (!properties) {
        return item;
    }
    XmlCursor xml(*properties, propertiesName);
    bool sawItem = false;
    while (xml.next()) {
        if (!xml.reader().isStartElement()) {
            continue;
        }
        if (sawItem || !xml.is(kDs, "datastoreItem")) {
            xml.fail(QStringLiteral("the item properties are not a datastoreItem"));
        }
        sawItem = true;
        item.itemId = xml.attr(kDs, "itemID").trimmed();
        if (!isGuid(item.itemId)) {
            xml.fail(QStringLiteral("the item id \"%1\" is not a GUID").arg(item.itemId.left(40)));
        }
        xml.children([&] {
            if (!xml.is(kDs, "schemaRefs")) {
                return;
            }
            xml.children([&] {
                if (!xml.is(kDs, "schemaRef")) {
                    return;
                }
                if (int(item.schemaRefs.size()) >= kMaxSchemaRefs) {
                    xml.fail(
                        QStringLiteral("the item names more than %1 schemas").arg(kMaxSchemaRefs));
                }
                const QString uri = xml.attr(kDs, "uri");
                if (uri.size() > kMaxUriLength) {
                    xml.fail(QStringLiteral("a schema reference is too long"));
                }
                item.schemaRefs.push_back(uri);
            });
        });
    }
    if (!sawItem) {
        xml.fail(QStringLiteral("the item properties are empty"));
    }
    return item;
}

PackagedItems packageItems(const std::vector<CustomXmlItem>& items)
{
    if (items.size() > size_t(limits::kMaxCustomXmlItems)) {
        throw Error(QStringLiteral("Cannot save the custom XML data: more than %1 items.")
                        .arg(limits::kMaxCustomXmlItems));
    }
    PackagedItems packaged;
    int number = 0;
    for (const CustomXmlItem& item : items) {
        const QString name = QStringLiteral("customXml/item%1.xml").arg(++number);
        const QString properties = QStringLiteral("itemProps%1.xml").arg(number);
        const QByteArray propertiesPart = itemProperties(item);
        try {
            readItem(item.data, name, &propertiesPart, QStringLiteral("customXml/") + properties);
        } catch (const Error& error) {
            throw Error(
                QStringLiteral("Cannot save the custom XML data: %1").arg(error.description()));
        }
        packaged.types.push_back(
            {QStringLiteral("/customXml/") + properties, ooxml::kCustomXmlPropsContentType});
        packaged.mainRelationships.push_back({ooxml::kCustomXmlType, QStringLiteral("../") + name});
        packaged.parts.push_back({name, item.data});
        packaged.parts.push_back({QStringLiteral("customXml/") + properties, propertiesPart});
        packaged.parts.push_back({QStringLiteral("customXml/_rels/item%1.xml.rels").arg(number),
                                  opc::relationships({{ooxml::kCustomXmlPropsType, properties}})});
    }
    return packaged;
}

} // namespace office::customxml
