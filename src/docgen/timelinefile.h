#pragma once

#include "office/document.h"
#include "office/model.h"
#include "timeline/timelinexml.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The timeline a page file carries (timeline/timelinexml.h), put in and taken out again:
// in a Word document or a slide a custom XML item, in a PNG a text chunk, in an SVG its metadata,
// in a PDF its XMP packet (office/pageexport.h writes the last three).
namespace docgen {

// The custom XML item a Word document carries the timeline in.
office::CustomXmlItem timelineItem(const timeline::Timeline& timeline);

// The timeline of a file this program wrote, whatever its name: the kind is told by the
// first bytes (a Word or presentation package, PNG, PDF, or XML: an SVG or the timeline
// document itself).
// The file is treated as hostile. On failure the error names the file and says why.
// A Word document's own page wins over the copy it carries: texts edited in another
// program are taken from the page, and `notice` (when given) says so in one line; a
// document of an earlier version, which carries no copy, is read from its page alone.
timeline::xml::ReadResult readTimelineFrom(const QString& path, QString* notice = nullptr);

// The texts of a page this program built: the title box, the dates in the bars' tables
// and the callouts' notes, in the order they were built. Nothing for another document.
struct PageTexts
{
    QString title;
    QStringList dates;
    QStringList notes;
};
std::optional<PageTexts> pageTextsOf(const office::Document& document);

// The timeline with the page's texts where they differ from it (the entries, paragraph
// by paragraph); `changed` tells whether any did. A page of other entries than the
// timeline's leaves it as it is.
timeline::Timeline withPageTexts(timeline::Timeline timeline, const PageTexts& page,
                                 bool* changed = nullptr);

} // namespace docgen
