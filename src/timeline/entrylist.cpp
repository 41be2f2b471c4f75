#include "entrylist.h"

#include "datereader.h"
#include "numbertext.h"

#include <QCryptographicHash>
#include <QHash>

#include <span>

namespace editor {
bool isBlankText(QStringView text)
{
    for (QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

namespace {
// The columns the stored list's pieces hold.
constexpr std::span<const timeline::EntryColumn> kStored(timeline::kEntryColumns.data(),
                                                         timeline::kStoredColumns);

// Splits `text` at every `separator`, calling `piece` with each part (the last one
// included, also when empty); stops early when `piece` returns false.
template <typename Piece> void forEachPart(QStringView text, QStringView separator, Piece&& piece)
{
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(separator, start);
        if (end < 0)
            end = text.size();
        if (!piece(text.sliced(start, end - start)))
            return;
        start = end + separator.size();
    }
}

// Tells an entry's date and notes from another's, in little room: the lengths keep
// "a" + "bc" apart from "ab" + "c".
QString fingerprint(const TimelineEntry& entry)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString* text : {&entry.date, &entry.notes}) {
        hash.addData(QByteArray::number(text->size()) + ':');
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(text->utf16()),
                                    text->size() * qsizetype(sizeof(char16_t))));
    }
    return QString::fromLatin1(hash.result().toHex().left(16));
}
} // namespace

QString encodeEntryList(const QList<TimelineEntry>& entries)
{
    qsizetype length = 0;
    for (const TimelineEntry& entry : entries) {
        for (const timeline::EntryColumn& column : kStored)
            length += (entry.*column.text).size() + kFieldSeparator.size();
        length += kEntryTerminator.size() - kFieldSeparator.size();
    }
    QString stored;
    stored.reserve(length);
    for (const TimelineEntry& entry : entries) {
        for (const timeline::EntryColumn& column : kStored) {
            if (&column != &kStored.front())
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
        for (const timeline::EntryColumn& column : kStored) {
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

QString encodeEntryDetails(const QList<TimelineEntry>& entries)
{
    QString stored;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        const TimelineEntry& entry = entries.at(row);
        if (!entry.hasDetails())
            continue;
        stored.append(QString::number(row)).append(kFieldSeparator);
        stored.append(fingerprint(entry)).append(kFieldSeparator);
        stored.append(entry.category).append(kFieldSeparator);
        stored.append(entry.milestone ? QStringView(u"1") : QStringView()).append(kEntryTerminator);
    }
    return stored;
}

void decodeEntryDetails(QStringView stored, QList<TimelineEntry>& entries)
{
    struct Piece
    {
        qsizetype row = 0;
        QStringView fingerprint;
        QStringView category;
        bool milestone = false;
    };
    const qsizetype count = entries.size();
    QList<bool> given(count, false);
    QList<Piece> astray;
    const auto give = [&](qsizetype row, const Piece& piece) {
        entries[row].category = piece.category.toString();
        entries[row].milestone = piece.milestone;
        given[row] = true;
    };
    forEachPart(stored, kEntryTerminator, [&](QStringView text) {
        if (isBlankText(text))
            return true;
        QStringView fields[4];
        int at = 0;
        forEachPart(text, kFieldSeparator, [&](QStringView field) {
            fields[at++] = field; // fields past the fourth are a later version's
            return at < 4;
        });
        bool ok = false;
        Piece piece{fields[0].toLongLong(&ok), fields[1], fields[2], fields[3] == u"1"};
        if (at < 4 || !ok || piece.row < 0)
            return true;
        if (piece.row < count && !given[piece.row] &&
            fingerprint(entries.at(piece.row)) == piece.fingerprint)
            give(piece.row, piece);
        else
            astray.append(piece);
        return true;
    });
    if (astray.isEmpty())
        return;
    // The rows of each fingerprint not given theirs, in list order.
    QHash<QString, QList<qsizetype>> open;
    for (qsizetype row = count - 1; row >= 0; --row)
        if (!given[row])
            open[fingerprint(entries.at(row))].append(row);
    for (const Piece& piece : astray) {
        const auto rows = open.find(piece.fingerprint.toString());
        if (rows == open.end() || rows->isEmpty())
            continue;
        give(rows->takeLast(), piece);
    }
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
    const auto range = rangeParts(date, scale);
    if (scale == 1 && !isNumericText(date) &&
        !(range && isNumericText(range->first.toString()) &&
          isNumericText(range->second.toString())))
        return EntryFault::NotAYear;
    if (containsSeparator(date))
        return EntryFault::Separator;
    if (range && DateReader(scale, QLocale()).endsBeforeStart(date))
        return EntryFault::EndBeforeStart;
    return EntryFault::None;
}

EntryFault notesFault(QStringView notes)
{
    if (isBlankText(notes))
        return EntryFault::Blank;
    return containsSeparator(notes) ? EntryFault::Separator : EntryFault::None;
}

EntryFault categoryFault(QStringView category)
{
    return containsSeparator(category) ? EntryFault::Separator : EntryFault::None;
}

EntryFaultAt entryFault(const TimelineEntry& entry, int scale)
{
    if (const EntryFault fault = dateFault(entry.date, scale); fault != EntryFault::None)
        return {fault, QLatin1StringView("date")};
    if (const EntryFault fault = notesFault(entry.notes); fault != EntryFault::None)
        return {fault, QLatin1StringView("notes")};
    return {categoryFault(entry.category), QLatin1StringView("category")};
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
    case EntryFault::EndBeforeStart:
        return QStringLiteral("The %1 range ends before it starts.").arg(field);
    case EntryFault::Separator:
        return QStringLiteral("The %1 cannot hold \"%2\" or \"%3\", which the saved list uses "
                              "to tell entries apart.")
            .arg(field, kFieldSeparator.toString(), kEntryTerminator.toString());
    }
    return QString();
}

} // namespace editor
