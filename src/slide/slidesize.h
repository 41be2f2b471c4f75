#pragma once

#include "docgen/pagefit.h"
#include "docgen/templatebuilder.h"
#include "timeline/timeline.h"

#include <QStringList>
#include <QStringView>

#include <array>

namespace editor {
class SettingsStore;
}

namespace slide {

// The slide sizes a slide can be laid out on, by the name the command line takes and the
// studio stores, with the studio's label, in points (12 700 EMU each): widescreen
// 13.333 x 7.5 in, the default, and 4:3 10 x 7.5 in.
struct SlideSize
{
    const char* name;
    const char* label;
    double widthPt;
    double heightPt;
};
inline constexpr std::array<SlideSize, 2> kSlideSizes{
    {{"16:9", "Widescreen 16:9", 960, 540}, {"4:3", "Standard 4:3", 720, 540}}};
inline constexpr const SlideSize& kDefaultSlideSize = kSlideSizes[0];

// By name ("16:9", "4:3"); nothing when unknown.
const SlideSize* findSlideSize(QStringView name);

// The studio's slide size as stored (editor::kSlideSizeKey): the default when none or an
// unknown name is stored; a value that cannot be read also gives the default, and with
// `notices` is set aside as the page choices' are, with a sentence for the user there.
const SlideSize& loadSlideSize(editor::SettingsStore& store, QStringList* notices = nullptr);
// Throws app::Failure when the store cannot be written.
void saveSlideSize(editor::SettingsStore& store, const SlideSize& size);

// The slide as the layout step takes a page: its sides, and half an inch above and below,
// the least margin a fitted page keeps.
docgen::PageMetrics slideMetrics(const SlideSize& size);

// The page plan of the timeline on the slide, with the options its page would have.
docgen::PagePlan planSlide(const timeline::Timeline& timeline, const docgen::PageOptions& options,
                           const SlideSize& size);

} // namespace slide
