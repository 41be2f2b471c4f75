#include "pagechoice.h"

#include "timeline/datereader.h"
#include "timeline/settingsstore.h"

#include "office/model.h"

namespace editor {

PageChoice PageChoice::load(SettingsStore& store, QStringList& notices)
{
    PageChoice choice;
    const auto read = [&](const char* key, const QString& defaultValue, const QString& what) {
        try {
            return readOrSetAside(store, QLatin1String(key), defaultValue, what, notices);
        } catch (const app::Failure&) {
            // An unreadable choice is no reason to refuse a page: the default holds.
            return defaultValue;
        }
    };
    choice.classic = read(kLayoutKey, QStringLiteral("Fit"), QStringLiteral("layout"))
                         .compare(QLatin1String("Classic"), Qt::CaseInsensitive) == 0;
    choice.toScale = read(kSpacingKey, QLatin1String(kSpacingEven), QStringLiteral("spacing"))
                         .compare(QLatin1String(kSpacingToScale), Qt::CaseInsensitive) == 0;
    if (const office::Paper* paper =
            office::findPaper(read(kPaperKey, QString(), QStringLiteral("paper"))))
        choice.paper = QString::fromLatin1(paper->name);
    return choice;
}

void PageChoice::save(SettingsStore& store, const PageChoice& before) const
{
    // Only what changed: a paper never chosen stays absent, and follows the region.
    if (classic != before.classic)
        store.write(QLatin1String(kLayoutKey),
                    classic ? QStringLiteral("Classic") : QStringLiteral("Fit"));
    if (toScale != before.toScale)
        store.write(QLatin1String(kSpacingKey),
                    QLatin1String(toScale ? kSpacingToScale : kSpacingEven));
    if (!paper.isEmpty() && paper != before.paper)
        store.write(QLatin1String(kPaperKey), paper);
}

docgen::PageOptions PageChoice::options() const
{
    docgen::PageOptions options;
    options.layout = classic ? docgen::LayoutStyle::Classic : docgen::LayoutStyle::Fit;
    if (const office::Paper* found = office::findPaper(paper))
        options.paperCode = found->wordCode;
    return options;
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

ScaleAxis scaleAxisOf(const QList<TimelineEntry>& entries, const DateReader& reader,
                      const QList<int>& lines)
{
    TimeAxis axis = placeOnTimeAxis(entries, reader);
    const auto lineOf = [&](int place) { return lines.value(place - 1, place); };
    for (int& line : axis.unreadLines)
        line = lineOf(line);
    if (!axis.unreadLines.isEmpty()) {
        return {{},
                QStringLiteral("Spaced evenly: the date%1 on line%1 %2 could not be read.")
                    .arg(axis.unreadLines.size() == 1 ? QString() : QStringLiteral("s"),
                         linesText(axis.unreadLines))};
    }
    QList<int> backwards;
    for (qsizetype i = 1; i < axis.places.size(); ++i) {
        if (axis.places[i] < axis.places[i - 1])
            backwards << lineOf(int(i + 1));
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
