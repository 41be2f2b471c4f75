#include "timeline.h"

#include "settingsstore.h"

namespace timeline {

std::optional<Scale> scaleOfNumber(int number)
{
    if (number < scaleNumber(Scale::Yearly) || number > scaleNumber(Scale::Daily))
        return std::nullopt;
    return static_cast<Scale>(number);
}

PageChoices loadPageChoices(editor::SettingsStore& store, QStringList* notices)
{
    PageChoices choices;
    const auto read = [&](const char* key, const QString& defaultValue, const QString& what) {
        return editor::readChoice(store, QLatin1String(key), defaultValue, what, notices);
    };
    if (read(editor::kLayoutKey, QStringLiteral("Fit"), QStringLiteral("layout"))
            .compare(QLatin1String("Classic"), Qt::CaseInsensitive) == 0)
        choices.layout = Layout::Classic;
    if (read(editor::kSpacingKey, QLatin1String(editor::kSpacingEven), QStringLiteral("spacing"))
            .compare(QLatin1String(editor::kSpacingToScale), Qt::CaseInsensitive) == 0)
        choices.spacing = Spacing::ToScale;
    // Which names are papers is the page's to say (docgen/timelinepage.h).
    choices.paper = read(editor::kPaperKey, QString(), QStringLiteral("paper"));
    // Likewise which names are looks (docgen/pagetheme.h).
    choices.theme = read(editor::kThemeKey, QString(), QStringLiteral("theme"));
    return choices;
}

void savePageChoices(editor::SettingsStore& store, const PageChoices& choices,
                     const PageChoices* before)
{
    // Only what changed: a paper never chosen stays absent, and follows the region.
    if (!before || choices.layout != before->layout)
        store.write(QLatin1String(editor::kLayoutKey),
                    choices.classic() ? QStringLiteral("Classic") : QStringLiteral("Fit"));
    if (!before || choices.spacing != before->spacing)
        store.write(QLatin1String(editor::kSpacingKey),
                    QLatin1String(choices.spacing == Spacing::ToScale ? editor::kSpacingToScale
                                                                      : editor::kSpacingEven));
    if (!choices.paper.isEmpty() && (!before || choices.paper != before->paper))
        store.write(QLatin1String(editor::kPaperKey), choices.paper);
    if (!choices.theme.isEmpty() && (!before || choices.theme != before->theme))
        store.write(QLatin1String(editor::kThemeKey), choices.theme);
}

} // namespace timeline
