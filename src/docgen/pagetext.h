#pragma once

#include "pagelayout.h"

#include <QList>
#include <QString>

#include <optional>

namespace docgen {

// How much text one page takes, in UTF-16 units of the title and entries together, with
// each line break counted as kLineBreakUnits: the document reader opens a main part of up
// to 16 MB, which holds every text twice (as a Word 2010 shape and as its fallback), a
// "&" as five bytes and a line break as a paragraph of about 280 bytes of markup.
inline constexpr qsizetype kMaxPageTextUnits = 1000 * 1000;
inline constexpr qsizetype kLineBreakUnits = 300;

// Nothing when the texts fit a document the reader takes back; otherwise why not, as
// "the title and entries hold more text than a page takes (…)".
std::optional<QString> tooMuchPageText(const QString& title, const QList<TimelineEntry>& entries);

} // namespace docgen
