#pragma once

#include "templatebuilder.h"

#include "timeline/timeline.h"

#include <QLocale>
#include <QString>

namespace docgen {

// The options of the page a timeline makes: its layout, its paper's code and, when its
// dates are spaced to scale, their places on the time axis, and the timeline itself for
// the document to carry. When "To scale" is chosen but
// the page must be spaced evenly, `spacingNotice` (when given) says why, naming the lines.
// Dates are read in `locale`; the notice names the entries by `lines` (see scaleAxisOf).
PageOptions pageOptionsOf(const timeline::Timeline& timeline, const QLocale& locale,
                          QString* spacingNotice = nullptr, const QList<int>& lines = {});

// The look the page has: the chosen one when it names a look, or the original.
QString themeShown(const timeline::PageChoices& choices);

// The paper the page is on: the chosen one when it names a paper, or the region's.
QString paperShown(const timeline::PageChoices& choices);

} // namespace docgen
