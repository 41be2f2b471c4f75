#pragma once

#include "office/model.h"
#include "timeline/timelinexml.h"

#include <QByteArray>
#include <QString>

// The timeline a page file carries (timeline/timelinexml.h), put in and taken out again:
// in a Word document or a slide a custom XML item, in a PNG a text chunk, in an SVG its metadata,
// in a PDF its XMP packet (office/pageexport.h writes the last three).
namespace docgen {

// The custom XML item a Word document carries the timeline in.
office::CustomXmlItem timelineItem(const timeline::Timeline& timeline);

// The timeline of a file this program wrote, whatever its name: the kind is told by the
// first bytes (a Word or presentation package, PNG, PDF, or XML: an SVG or the timeline document
// itself). The file is treated as hostile. On failure the error names the file and says why.
timeline::xml::ReadResult readTimelineFrom(const QString& path);

} // namespace docgen
