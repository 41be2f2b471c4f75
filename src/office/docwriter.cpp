#include "docwriter.h"

#include "filewrite/safefile.h"

#include "customxml.h"
#include "error.h"
#include "ooxmlnames.h"
#include "packageparts.h"
#include "readlimits.h"
#include "wordmlwriter.h"
#include "zippackage.h"

namespace office {

using namespace ooxml;

QByteArray writePackage(const Document& document, const QDateTime& savedAt)
{
    QByteArray main = wordml::mainPart(document, true);
    // The text alternative repeats every shape's text a third time; a page that holds so
    // much text that the copy would take the part past what the reader opens goes without.
    if (main.size() > zippackage::ReadLimits{}.maxPartBytes) {
        main = wordml::mainPart(document, false);
    }
    std::vector<opc::PartType> types{
        {QStringLiteral("/word/document.xml"),
         QStringLiteral(
             "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml")},
        {QStringLiteral("/word/styles.xml"),
         QStringLiteral(
             "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml")},
        {QStringLiteral("/word/settings.xml"),
         QStringLiteral(
             "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml")},
        {QStringLiteral("/docProps/core.xml"),
         QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml")},
        {QStringLiteral("/docProps/app.xml"),
         QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml")},
    };
    std::vector<opc::Relationship> mainRelationships{
        {kStylesType, QStringLiteral("styles.xml")},
        {kSettingsType, QStringLiteral("settings.xml")}};
    // Each data item as a word processor keeps one: customXml/itemN.xml related from the
    // main part, its properties related from the item.
    customxml::PackagedItems items = customxml::packageItems(document.customXml());
    types.insert(types.end(), items.types.begin(), items.types.end());
    mainRelationships.insert(mainRelationships.end(), items.mainRelationships.begin(),
                             items.mainRelationships.end());
    std::vector<zippackage::Part> parts{
        {QStringLiteral("[Content_Types].xml"), opc::contentTypes(types)},
        {QStringLiteral("_rels/.rels"),
         opc::relationships({{kOfficeDocumentType, QStringLiteral("word/document.xml")},
                             {kCorePropertiesType, QStringLiteral("docProps/core.xml")},
                             {kExtendedPropertiesType, QStringLiteral("docProps/app.xml")}})},
        {QStringLiteral("word/document.xml"), main},
        {QStringLiteral("word/_rels/document.xml.rels"), opc::relationships(mainRelationships)},
        {QStringLiteral("word/styles.xml"), wordml::styles()},
        {QStringLiteral("word/settings.xml"), wordml::settings()},
        {QStringLiteral("docProps/core.xml"), opc::coreProperties(savedAt)},
        {QStringLiteral("docProps/app.xml"), opc::appProperties()},
    };
    parts.insert(parts.end(), items.parts.begin(), items.parts.end());
    return zippackage::write(parts);
}

void saveDocument(const Document& document, const QString& path)
{
    const QByteArray package = writePackage(document);
    if (const filewrite::WriteResult written = filewrite::replaceFile(path, package); !written)
        throw Error(QStringLiteral("Cannot save the document as %1: %2").arg(path, written.reason));
}

} // namespace office
