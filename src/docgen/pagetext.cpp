#include "pagetext.h"

#include <algorithm>

namespace docgen {

std::optional<QString> tooMuchPageText(const QString& title, const QList<TimelineEntry>& entries)
{
    qsizetype units = 0;
    qsizetype breaks = 0;
    const auto count = [&](const QString& text) {
        units += text.size();
        // Tabs stay in their paragraph; the other controls start a line or a paragraph.
        breaks += std::count_if(text.cbegin(), text.cend(),
                                [](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
    };
    count(title);
    for (const TimelineEntry& entry : entries) {
        count(entry.date);
        count(entry.notes);
    }
    if (units + breaks * kLineBreakUnits <= kMaxPageTextUnits)
        return std::nullopt;
    return QStringLiteral("the title and entries hold more text than a page takes (%1 characters "
                          "and %2 line breaks; at most %3 characters, a line break counting as %4)")
        .arg(units)
        .arg(breaks)
        .arg(kMaxPageTextUnits)
        .arg(kLineBreakUnits);
}

} // namespace docgen
