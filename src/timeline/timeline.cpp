#include "timeline.h"

#include "settingsstore.h"

namespace timeline {

std::optional<Scale> scaleOfNumber(int number)
{
    if (number < scaleNumber(Scale::Yearly) || number > scaleNumber(Scale::Daily))
        return std::nullopt;
    return static_cast<Scale>(number);
}

PageChoices loadPageChoices(editor::SettingsStore& store)
{
    PageChoices choices;
    try {
        if (store.read(QLatin1String(editor::kLayoutKey), QStringLiteral("Fit"))
                .compare(QLatin1String("Classic"), Qt::CaseInsensitive) == 0)
            choices.layout = Layout::Classic;
        if (store.read(QLatin1String(editor::kSpacingKey), QLatin1String(editor::kSpacingEven))
                .compare(QLatin1String(editor::kSpacingToScale), Qt::CaseInsensitive) == 0)
            choices.spacing = Spacing::ToScale;
        // Which names are papers is the page's to say (docgen/timelinepage.h).
        choices.paper = store.read(QLatin1String(editor::kPaperKey), QString());
        // Likewise which names are looks (docgen/pagetheme.h).
        choices.theme = store.read(QLatin1String(editor::kThemeKey), QString());
    } catch (const app::Failure&) {
        // An unreadable choice is no reason to refuse a page: the defaults hold.
    }
    return choices;
}

void savePageChoices(editor::SettingsStore& store, const PageChoices& choices)
{
    store.write(QLatin1String(editor::kLayoutKey),
                choices.classic() ? QStringLiteral("Classic") : QStringLiteral("Fit"));
    store.write(QLatin1String(editor::kSpacingKey),
                QLatin1String(choices.spacing == Spacing::ToScale ? editor::kSpacingToScale
                                                                  : editor::kSpacingEven));
    if (!choices.paper.isEmpty())
        store.write(QLatin1String(editor::kPaperKey), choices.paper);
    if (!choices.theme.isEmpty())
        store.write(QLatin1String(editor::kThemeKey), choices.theme);
}

} // namespace timeline
