#pragma once

// The embedded document engine. An automation adapter drives a Document: it adds
// floating text boxes and arrow callouts at page positions in points, sets their text
// and moves a selection through it (lines measured with the runs' real fonts), formats
// the selected text and inserts tables. saveDocument writes the model as a
// WordprocessingML package: docwriter assembles the parts, wordmlwriter writes the text,
// tables and anchors, drawingml each shape's geometry, fill, line and text body
// properties (a slide can use them too), vmlwriter the fallback, packageparts the content
// types, relationships and properties, and zippackage alone knows the archive.
// openDocument/readPackage read one back, trusting nothing in it: xmlcursor walks each
// part within readlimits, docreader takes what it understands. customxml carries the
// document's custom XML data items both ways, as word processors keep them. renderRegion paints any
// part of the page into a picture with the same fonts, insets and colours; pageexport
// writes the page as PDF, PNG or SVG and paints it on a printer with that same drawing.
// The engine depends only on Qt, the zip library, the file writer (filewrite/safefile.h)
// and the length units (units/lengths.h), and reports every failure as office::Error.
#include "office/calloutgeometry.h"
#include "office/docreader.h"
#include "office/document.h"
#include "office/docwriter.h"
#include "office/error.h"
#include "office/model.h"
#include "office/pageexport.h"
#include "office/renderer.h"
#include "office/textlayout.h"
