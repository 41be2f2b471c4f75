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
// and the entry terminator, with no header, count or escaping. The fields added later
// (kEntryColumns past kStoredColumns) are not in it, so that every version reads it.
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

// The fields beyond the date and notes, in a value of their own beside the stored list:
// for each entry that has any, one piece of its row (from 0), its fingerprint (a short
// hash of its date and notes), its category and its milestone flag ("1" or nothing),
// joined by the field separator and ended by the terminator. Empty when no entry has any.
QString encodeEntryDetails(const QList<TimelineEntry>& entries);
// Gives the entries read from the stored list their fields from such a value. A piece
// goes to the entry at its row when the fingerprints agree, else to the first entry left
// with its fingerprint, else nowhere: a list another version or a hand changed since
// keeps what still belongs. Malformed pieces (a row that is no number, too few fields)
// are passed over; nothing in the value is trusted to be in range.
void decodeEntryDetails(QStringView stored, QList<TimelineEntry>& entries);

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
    EndBeforeStart, // a range whose end comes before its start
};
// For scale 1 (Yearly) to 3; a range's dates are read in the user's locale.
EntryFault dateFault(const QString& date, int scale);
EntryFault notesFault(QStringView notes);
// A category may be empty; it is stored beside the list, so it cannot hold a separator.
EntryFault categoryFault(QStringView category);
// The first fault of the entry and the field it is in ("date", "notes" or "category").
struct EntryFaultAt
{
    EntryFault fault = EntryFault::None;
    QLatin1StringView field = {};
};
EntryFaultAt entryFault(const TimelineEntry& entry, int scale);
// The reason in words, naming the text as `field` ("date", "notes" or "category").
QString describeFault(EntryFault fault, QLatin1StringView field);

} // namespace editor
