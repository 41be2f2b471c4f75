#pragma once

// The page as a presentation slide. A timeline and its page options come in; the layout
// step (docgen::PageFit) lays the page out on the slide's size (slidesize.h: 16:9 or 4:3)
// with the guarantees of a page, and the slide writer (slidewriter.h) translates that plan
// into a one-slide PresentationML package of native shapes: the title as a text shape,
// each bar as a filled shape under its dates as a native table, each callout as the preset
// arrow callout with its adjustments, each span's band, milestone's diamond and legend key
// as a shape, all in the plan's fonts, sizes and colours. The
// package carries the timeline as a custom XML item, so docgen::readTimelineFrom reads it
// back. The command line and the preview's page menu call it; it decides nothing the plan
// does not say.

#include "slidesize.h"
#include "slidewriter.h"
