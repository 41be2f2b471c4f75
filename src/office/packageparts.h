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
    QString target;        // relative to the source part's folder, or from the root with "/"
    bool external = false; // TargetMode="External" (read only; the writer makes none)
};
// A relationships part; the ids are rId1, rId2... in the order given.
QByteArray relationships(const std::vector<Relationship>& targets);

// The relationships a part states, at most limits::kMaxRelationships; throws
// office::Error when the part is damaged.
std::vector<Relationship> readRelationships(const QByteArray& part, const QString& partName);
// "word/_rels/document.xml.rels" for "word/document.xml".
QString relationshipsPartOf(const QString& partName);
// The part a relationship of sourcePart names, as a name in the archive; empty when the
// target climbs above the package's root.
QString resolveTarget(const QString& sourcePart, const QString& target);

// docProps/app.xml: the program's name.
QByteArray appProperties();
// docProps/core.xml: savedAt as creation and modification time.
QByteArray coreProperties(const QDateTime& savedAt);

} // namespace office::opc
