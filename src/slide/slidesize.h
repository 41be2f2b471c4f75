#pragma once

#include "docgen/pagefit.h"
#include "docgen/templatebuilder.h"
#include "timeline/timeline.h"

#include <QStringView>

#include <array>

namespace slide {

// The slide sizes a slide can be laid out on, by the name the command line takes, in
// points (12 700 EMU each): widescreen 13.333 x 7.5 in, the default, and 4:3 10 x 7.5 in.
struct SlideSize
{
    const char* name;
    double widthPt;
    double heightPt;
};
inline constexpr std::array<SlideSize, 2> kSlideSizes{{{"16:9", 960, 540}, {"4:3", 720, 540}}};
inline constexpr const SlideSize& kDefaultSlideSize = kSlideSizes[0];

// By name ("16:9", "4:3"); nothing when unknown.
const SlideSize* findSlideSize(QStringView name);

// The slide as the layout step takes a page: its sides, and half an inch above and below,
// the least margin a fitted page keeps.
docgen::PageMetrics slideMetrics(const SlideSize& size);

// The page plan of the timeline on the slide, with the options its page would have.
docgen::PagePlan planSlide(const timeline::Timeline& timeline, const docgen::PageOptions& options,
                           const SlideSize& size);

} // namespace slide
