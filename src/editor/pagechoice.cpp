#include "pagechoice.h"

#include "datereader.h"
#include "settingsstore.h"

#include "docgen/pagetheme.h"
#include "office/model.h"

namespace editor {

PageChoice PageChoice::load(SettingsStore& store)
{
    PageChoice choice;
    try {
        choice.classic = store.read(QLatin1String(kLayoutKey), QStringLiteral("Fit"))
                             .compare(QLatin1String("Classic"), Qt::CaseInsensitive) == 0;
        choice.toScale = store.read(QLatin1String(kSpacingKey), QLatin1String(kSpacingEven))
                             .compare(QLatin1String(kSpacingToScale), Qt::CaseInsensitive) == 0;
        if (const office::Paper* paper =
                office::findPaper(store.read(QLatin1String(kPaperKey), QString())))
            choice.paper = QString::fromLatin1(paper->name);
        if (const docgen::PageTheme* theme =
                docgen::PageTheme::find(store.read(QLatin1String(kThemeKey), QString())))
            choice.theme = theme->name;
    } catch (const app::Failure&) {
        // An unreadable choice is no reason to refuse a page: the defaults hold.
    }
    return choice;
}

void PageChoice::save(SettingsStore& store) const
{
    store.write(QLatin1String(kLayoutKey),
                classic ? QStringLiteral("Classic") : QStringLiteral("Fit"));
    store.write(QLatin1String(kSpacingKey),
                QLatin1String(toScale ? kSpacingToScale : kSpacingEven));
    if (!paper.isEmpty())
        store.write(QLatin1String(kPaperKey), paper);
    if (!theme.isEmpty())
        store.write(QLatin1String(kThemeKey), theme);
}

docgen::PageOptions PageChoice::options() const
{
    docgen::PageOptions options;
    options.layout = classic ? docgen::LayoutStyle::Classic : docgen::LayoutStyle::Fit;
    if (const office::Paper* found = office::findPaper(paper))
        options.paperCode = found->wordCode;
    options.theme = theme;
    return options;
}

QString PageChoice::themeShown() const
{
    return theme.isEmpty() ? docgen::PageTheme::original().name : theme;
}

QString PageChoice::paperShown() const
{
    if (!paper.isEmpty())
        return paper;
    return QString::fromLatin1(office::regionPaper().name);
}

namespace {

QString linesText(const QList<int>& lines)
{
    QStringList numbers;
    for (const int line : lines.first(std::min<qsizetype>(lines.size(), 10)))
        numbers << QString::number(line);
    QString text = numbers.join(QStringLiteral(", "));
    if (lines.size() > 10)
        text += QStringLiteral(" and %1 more").arg(lines.size() - 10);
    return text;
}

} // namespace

ScaleAxis scaleAxisOf(const QList<TimelineEntry>& entries, const DateReader& reader)
{
    const TimeAxis axis = placeOnTimeAxis(entries, reader);
    if (!axis.unreadLines.isEmpty()) {
        return {{},
                QStringLiteral("Spaced evenly: the date%1 on line%1 %2 could not be read.")
                    .arg(axis.unreadLines.size() == 1 ? QString() : QStringLiteral("s"),
                         linesText(axis.unreadLines))};
    }
    QList<int> backwards;
    for (qsizetype i = 1; i < axis.places.size(); ++i) {
        if (axis.places[i] < axis.places[i - 1])
            backwards << int(i + 1);
    }
    if (!backwards.isEmpty()) {
        // The page keeps the list's order, so dates out of order cannot stand to scale.
        return {{},
                QStringLiteral("Spaced evenly: the date%1 on line%1 %2 come%3 before the one "
                               "above; \"Sort by Date\" puts them in order.")
                    .arg(backwards.size() == 1 ? QString() : QStringLiteral("s"),
                         linesText(backwards),
                         backwards.size() == 1 ? QStringLiteral("s") : QString())};
    }
    if (!axis.toScale)
        return {};
    return {axis.places, {}};
}

} // namespace editor
