#pragma once

#include "slidesize.h"

#include "docgen/pagefit.h"
#include "office/model.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

namespace slide {

// The package of one slide of `size` holding the plan's elements as native shapes, in
// creation order (the first is at the back): a text shape per title or other text, a
// filled shape per bar with its dates as a table in a graphic frame over it, an arrow
// callout per entry, and the marks: a rectangle per span's band (before the callouts), a
// diamond per milestone and a text shape per legend key. Beside the slide: the
// presentation, one master, one blank layout, the theme (the plan's title and notes fonts,
// its callout fill as the first accent), the properties of a presentation and the custom
// XML items given. Throws office::Error when an item cannot be carried.
QByteArray slidePackage(const docgen::PagePlan& plan, const SlideSize& size,
                        const std::vector<office::CustomXmlItem>& items = {},
                        const QDateTime& savedAt = QDateTime::currentDateTimeUtc());

// The timeline's slide with the timeline in it, written through the safe writer; throws
// office::Error naming the file when it cannot be written.
void saveSlide(const timeline::Timeline& timeline, const docgen::PagePlan& plan,
               const SlideSize& size, const QString& path);

} // namespace slide
