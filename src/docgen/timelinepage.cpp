#include "timelinepage.h"

#include "pagetheme.h"

#include "office/model.h"
#include "timeline/datereader.h"
#include "timeline/timelinexml.h"

namespace docgen {

PageOptions pageOptionsOf(const timeline::Timeline& timeline, const QLocale& locale,
                          QString* spacingNotice, const QList<int>& lines)
{
    PageOptions options;
    options.layout = timeline.page.classic() ? LayoutStyle::Classic : LayoutStyle::Fit;
    if (const office::Paper* paper = office::findPaper(timeline.page.paper))
        options.paperCode = paper->wordCode;
    if (const PageTheme* theme = PageTheme::find(timeline.page.theme))
        options.theme = theme->name;
    const editor::DateReader reader(timeline::scaleNumber(timeline.scale), locale);
    options.spans = spanReachesOf(timeline.entries, reader);
    options.data = QString::fromUtf8(timeline::xml::write(timeline));
    if (timeline.page.spacedToScale()) {
        const editor::ScaleAxis axis = editor::scaleAxisOf(timeline.entries, reader, lines);
        options.timeAxis = axis.places;
        if (spacingNotice)
            *spacingNotice = axis.notice;
    }
    return options;
}

QString themeShown(const timeline::PageChoices& choices)
{
    const PageTheme* theme = PageTheme::find(choices.theme);
    return (theme ? *theme : PageTheme::original()).name;
}

QString paperShown(const timeline::PageChoices& choices)
{
    const office::Paper* paper = office::findPaper(choices.paper);
    return QString::fromLatin1(paper ? paper->name : office::regionPaper().name);
}

} // namespace docgen
