#pragma once

#include "entrylist.h"

#include <QList>

namespace editor {

// The title every sample uses.
inline constexpr const char* kSampleTitle = "John's Timeline";

// The built-in example of scale 1 (Yearly), 2 (Monthly) or 3 (Daily): eight entries each,
// in the order they are shown. An empty list for any other number.
QList<TimelineEntry> sampleEntries(int scale);

} // namespace editor
