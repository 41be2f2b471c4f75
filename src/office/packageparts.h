#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

// The package layer under every document part: content types, relationships and the
// document properties. The zip itself stays in zippackage.
namespace office::opc {

struct PartType
{
    QString name; // absolute part name, "/word/document.xml"
    QString contentType;
};
// [Content_Types].xml: the rels and xml extensions by default, an override per part given.
QByteArray contentTypes(const std::vector<PartType>& overrides);

struct Relationship
{
    QString type;
    QString target; // relative to the source part's folder
};
// A relationships part; the ids are rId1, rId2... in the order given.
QByteArray relationships(const std::vector<Relationship>& targets);

// docProps/app.xml: the program's name.
QByteArray appProperties();
// docProps/core.xml: savedAt as creation and modification time.
QByteArray coreProperties(const QDateTime& savedAt);

} // namespace office::opc
