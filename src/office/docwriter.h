#pragma once

#include "document.h"

#include <QByteArray>
#include <QString>

namespace office {

// The WordprocessingML package of the document: content types, relationships, the main
// part, styles (docDefaults) and settings (compatibility mode 15). Every shape states its
// fill, outline, insets and every run its font, size and colour, so readers agree.
QByteArray writePackage(const Document& document);

// Writes the package beside the target and renames it into place; a failure leaves any
// earlier file untouched. The name's extension does not change the format.
void saveDocument(const Document& document, const QString& path);

} // namespace office
