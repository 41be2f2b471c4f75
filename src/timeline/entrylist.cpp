#include "entrylist.h"

#include "numbertext.h"

namespace editor {
bool isBlankText(QStringView text)
{
    for (QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

QString encodeEntryList(const QList<TimelineEntry>& entries)
{
    qsizetype length = 0;
    for (const TimelineEntry& entry : entries) {
        for (const timeline::EntryColumn& column : timeline::kEntryColumns)
            length += (entry.*column.text).size() + kFieldSeparator.size();
        length += kEntryTerminator.size() - kFieldSeparator.size();
    }
    QString stored;
    stored.reserve(length);
    for (const TimelineEntry& entry : entries) {
        for (const timeline::EntryColumn& column : timeline::kEntryColumns) {
            if (&column != &timeline::kEntryColumns.front())
                stored += kFieldSeparator;
            stored += entry.*column.text;
        }
        stored += kEntryTerminator;
    }
    return stored;
}

QList<TimelineEntry> decodeEntryList(QStringView stored)
{
    QList<TimelineEntry> entries;
    if (stored.isEmpty())
        return entries;
    entries.reserve(stored.count(kEntryTerminator) + 1);
    qsizetype start = 0;
    while (start <= stored.size()) {
        qsizetype end = stored.indexOf(kEntryTerminator, start);
        if (end < 0)
            end = stored.size();
        const QStringView piece = stored.sliced(start, end - start);
        start = end + kEntryTerminator.size();
        if (isBlankText(piece))
            continue;
        // The fields in column order; a missing one stays empty, one past the columns
        // this program knows is left.
        TimelineEntry entry;
        qsizetype from = 0;
        for (const timeline::EntryColumn& column : timeline::kEntryColumns) {
            if (from > piece.size())
                break;
            qsizetype to = piece.indexOf(kFieldSeparator, from);
            if (to < 0)
                to = piece.size();
            entry.*column.text = piece.sliced(from, to - from).toString();
            from = to + kFieldSeparator.size();
        }
        entries.append(std::move(entry));
    }
    return entries;
}

bool containsSeparator(QStringView text)
{
    if (text.contains(kFieldSeparator) || text.contains(kEntryTerminator))
        return true;
    // The stored form puts a separator on both sides of every text, and both separators
    // begin and end with "||": a text that ends with the start of one, or begins with the
    // end of one, forms a separator with its neighbour and would be split on reading.
    const QStringView separators[] = {kFieldSeparator, kEntryTerminator};
    for (QStringView left : separators) {
        for (QStringView right : separators) {
            QString joined;
            joined.reserve(left.size() + text.size() + right.size());
            joined.append(left).append(text).append(right);
            const qsizetype end = left.size() + text.size();
            for (QStringView separator : separators) {
                const qsizetype at = joined.indexOf(separator, 1);
                if (at > 0 && at < end)
                    return true;
            }
        }
    }
    return false;
}

EntryFault dateFault(const QString& date, int scale)
{
    if (isBlankText(date))
        return EntryFault::Blank;
    if (scale == 1 && !isNumericText(date))
        return EntryFault::NotAYear;
    return containsSeparator(date) ? EntryFault::Separator : EntryFault::None;
}

EntryFault notesFault(QStringView notes)
{
    if (isBlankText(notes))
        return EntryFault::Blank;
    return containsSeparator(notes) ? EntryFault::Separator : EntryFault::None;
}

QString describeFault(EntryFault fault, QLatin1StringView field)
{
    switch (fault) {
    case EntryFault::None:
        break;
    case EntryFault::Blank:
        // "notes" is plural.
        return field == QLatin1StringView("notes") ? QStringLiteral("The notes are blank.")
                                                   : QStringLiteral("The %1 is blank.").arg(field);
    case EntryFault::NotAYear:
        return QStringLiteral("Year must be a numeric value.");
    case EntryFault::Separator:
        return QStringLiteral("The %1 cannot hold \"%2\" or \"%3\", which the saved list uses "
                              "to tell entries apart.")
            .arg(field, kFieldSeparator.toString(), kEntryTerminator.toString());
    }
    return QString();
}

} // namespace editor
