#include "packageparts.h"

#include "model.h"
#include "ooxmlnames.h"
#include "readlimits.h"
#include "xmlcursor.h"

#include <QStringList>

#include <QXmlStreamWriter>

namespace office::opc {

using namespace ooxml;

QByteArray contentTypes(const std::vector<PartType>& overrides)
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
    for (const PartType& part : overrides) {
        xml.writeEmptyElement(kContentTypes, QStringLiteral("Override"));
        xml.writeAttribute(QStringLiteral("PartName"), part.name);
        xml.writeAttribute(QStringLiteral("ContentType"), part.contentType);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray relationships(const std::vector<Relationship>& targets)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(kRelationships);
    xml.writeStartElement(kRelationships, QStringLiteral("Relationships"));
    int id = 1;
    for (const Relationship& relationship : targets) {
        xml.writeEmptyElement(kRelationships, QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(id++));
        xml.writeAttribute(QStringLiteral("Type"), relationship.type);
        xml.writeAttribute(QStringLiteral("Target"), relationship.target);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

std::vector<Relationship> readRelationships(const QByteArray& part, const QString& partName)
{
    std::vector<Relationship> found;
    XmlCursor xml(part, partName);
    while (xml.next()) {
        if (!xml.reader().isStartElement() || !xml.is(kRelationships, "Relationship")) {
            continue;
        }
        if (int(found.size()) >= limits::kMaxRelationships) {
            xml.fail(QStringLiteral("more than %1 relationships").arg(limits::kMaxRelationships));
        }
        found.push_back(
            {xml.attr("Type"), xml.attr("Target"), xml.attr("TargetMode") == u"External"});
    }
    return found;
}

QString relationshipsPartOf(const QString& partName)
{
    const qsizetype slash = partName.lastIndexOf(u'/');
    return partName.left(slash + 1) + QStringLiteral("_rels/") + partName.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString resolveTarget(const QString& sourcePart, const QString& target)
{
    QStringList path;
    if (!target.startsWith(u'/')) {
        path = sourcePart.split(u'/');
        path.removeLast();
    }
    for (const QString& segment : target.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == u"..") {
            if (path.isEmpty()) {
                return {}; // above the package's root
            }
            path.removeLast();
        } else if (segment != u".") {
            path.append(segment);
        }
    }
    return path.join(u'/');
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

} // namespace office::opc
