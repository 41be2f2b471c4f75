#pragma once

#include "entrylist.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace editor {

// Entries as a table of text: a CSV file (RFC 4180 quoting) or the tab-separated lines a
// spreadsheet puts on the clipboard. Reading never fails as a whole; each line that
// cannot become an entry is a problem naming its line, so the caller can take the rest.

struct TableRow
{
    int line = 0; // 1-based line of the text where the row starts
    TimelineEntry entry;
};

struct TableProblem
{
    int line = 0;
    QString reason;
};

struct EntryTable
{
    QList<TableRow> rows;
    QList<TableProblem> problems;
};

// Tab-separated when the first record holds a tab outside quotes, comma-separated
// otherwise. Both take double-quoted fields holding delimiters, doubled quotes and line
// breaks. A leading byte order mark, empty lines and a first row "Date","Notes" are
// skipped. Fields are kept exactly as written, blanks included. Linear in the text.
EntryTable readEntryTable(QStringView text);

// The rules "Add Timeline" applies, for scale 1 (Yearly) to 3: a blank date or notes, a
// non-numeric year on the Yearly scale and a separator text are refused, and at most
// `room` rows are kept. Refused rows move to the problems, which end up in line order.
void checkEntryTable(EntryTable& table, int scale, int room);

// A header row "Date,Notes", then one row per entry; CRLF line ends.
QString writeCsv(const QList<TimelineEntry>& entries);
// One "date<TAB>notes" line per entry, no header, quoted as spreadsheets quote.
QString writeTsv(const QList<TimelineEntry>& entries);

// "Line N: reason", one problem per line.
QString describeProblems(const QList<TableProblem>& problems);

} // namespace editor
