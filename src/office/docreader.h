#pragma once

#include "document.h"

#include <QByteArray>
#include <QString>

namespace office {

// Reads a WordprocessingML package back into the model: the page, the body's text,
// every floating text box or arrow callout with its story, and the custom XML items the
// main part relates, as they were written. Accepts files other programs re-saved
// (mc:AlternateContent, explicit adjust lists, effect extents), and shapes that exist only
// in VML (text boxes, rectangles, arrow callouts; other shapes are left out).
// The input is treated as hostile: sizes, counts and nesting are capped, and anything
// malformed throws office::Error with a description.
Document readPackage(const QByteArray& package);
Document openDocument(const QString& path);

// The main part of any package as its relationships name it (a presentation's as much as
// a word-processing document's), and the custom XML items that part relates, read
// without the main part itself, with the limits of readPackage (when the main part
// relates none, those the package relates, as LibreOffice relates a presentation's).
QString packageMainPart(const QByteArray& package);
std::vector<CustomXmlItem> readPackageCustomXml(const QByteArray& package);

} // namespace office
