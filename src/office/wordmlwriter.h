#pragma once

#include "document.h"

#include <QByteArray>

// The WordprocessingML parts: the main part (body, tables, sections and the floating
// shapes, each as DrawingML with a VML fallback), styles and settings.
namespace office::wordml {

// With textAlternative, the shapes' text once more at the end of the body as hidden
// paragraphs, for plain-text readers.
QByteArray mainPart(const Document& document, bool textAlternative);
// docDefaults (Calibri 11 pt, no spacing after) and Normal Table's cell margins.
QByteArray styles();
// Compatibility mode 15 and the default tab stop.
QByteArray settings();

} // namespace office::wordml
