#pragma once

#include "entry.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace editor {

// One row of the timeline, the same row the page layout places. The date is never
// parsed; it is shown and placed on the page as text.
using TimelineEntry = timeline::Entry;

// The stored form of a list: for every entry the date, the field separator, the notes
// and the entry terminator, with no header, count or escaping.
inline constexpr QStringView kFieldSeparator = u"||MySeparator123||";
inline constexpr QStringView kEntryTerminator = u"||MySeparator234||";

// The capacity of a list: rows were counted in signed 16 bits when the format was made.
inline constexpr int kMaxListEntries = 32767;

QString encodeEntryList(const QList<TimelineEntry>& entries);

// Splits at every terminator; a piece that is empty or holds only blanks is skipped.
// A piece without the field separator is kept as a date with empty notes, so that no
// typed text is lost when the list is written back. Parts after a second field separator
// are ignored. Nothing is trimmed. There is no cap on the count: a stored list longer
// than kMaxListEntries comes back whole, so writing it again never shortens it.
QList<TimelineEntry> decodeEntryList(QStringView stored);

// True when the text is empty or holds only spaces, the blanks that the stored format
// and the input questions ignore; tabs and line breaks are content.
bool isBlankText(QStringView text);

// True when the text could not be stored unchanged: it holds one of the separators, or
// forms one with the separator stored next to it.
bool containsSeparator(QStringView text);

// The rules "Add Timeline" applies, and every other way in (edit, paste, import, the
// command line) with it: why a date or notes text is refused.
enum class EntryFault
{
    None,
    Blank,
    NotAYear, // a date that is not a number, on the Yearly scale
    Separator,
};
// For scale 1 (Yearly) to 3.
EntryFault dateFault(const QString& date, int scale);
EntryFault notesFault(QStringView notes);
// The reason in words, naming the text as `field` ("date" or "notes").
QString describeFault(EntryFault fault, QLatin1StringView field);

} // namespace editor
