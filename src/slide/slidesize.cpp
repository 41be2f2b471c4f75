#include "slidesize.h"

#include "docgen/pagetheme.h"
#include "timeline/settingsstore.h"

namespace slide {

namespace {
constexpr float kSlideMarginPt = 36;
} // namespace

const SlideSize* findSlideSize(QStringView name)
{
    for (const SlideSize& size : kSlideSizes) {
        if (name.compare(QLatin1String(size.name), Qt::CaseInsensitive) == 0)
            return &size;
    }
    return nullptr;
}

const SlideSize& loadSlideSize(editor::SettingsStore& store, QStringList* notices)
{
    const SlideSize* found =
        findSlideSize(editor::readChoice(store, QLatin1String(editor::kSlideSizeKey), QString(),
                                         QStringLiteral("slide size"), notices));
    return found ? *found : kDefaultSlideSize;
}

void saveSlideSize(editor::SettingsStore& store, const SlideSize& size)
{
    store.write(QLatin1String(editor::kSlideSizeKey), QLatin1String(size.name));
}

docgen::PageMetrics slideMetrics(const SlideSize& size)
{
    return docgen::PageMetrics{float(size.widthPt), float(size.heightPt), kSlideMarginPt,
                               kSlideMarginPt};
}

docgen::PagePlan planSlide(const timeline::Timeline& timeline, const docgen::PageOptions& options,
                           const SlideSize& size)
{
    const docgen::PageTheme* found = docgen::PageTheme::find(options.theme);
    return docgen::PageFit::plan(timeline.title, timeline.entries, slideMetrics(size),
                                 options.layout, options.timeAxis,
                                 found ? *found : docgen::PageTheme::original(), options.spans);
}

} // namespace slide
