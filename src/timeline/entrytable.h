#pragma once

#include "entrylist.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace editor {

// Entries as a table of text: a CSV file (RFC 4180 quoting) or the tab-separated lines a
// spreadsheet puts on the clipboard. Reading fails as a whole only for a header it cannot
// follow; otherwise each line that cannot become an entry is a problem naming its line,
// so the caller can take the rest.

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

// The bytes of a file as text: UTF-8, with or without a byte order mark, or UTF-16 with
// one. Other bytes are refused, never replaced: the problem names the line of the first
// byte that is not text.
struct DecodedText
{
    QString text;
    std::optional<TableProblem> problem;
};
DecodedText decodeTableText(QByteArrayView bytes);

// Tab-separated when the first record holds a tab outside quotes, comma-separated
// otherwise; a later line that comes out as one field but reads as two by the other
// separator is taken by that one, as a paste that mixes them needs. Both take
// double-quoted fields holding delimiters, doubled quotes and line breaks. A leading
// byte order mark and empty lines are skipped. The columns are Date, Notes, Category and
// Milestone (kEntryColumns), the later ones optional; a first row that names Date and
// another of them, in any order and case, is a header and gives the columns' order. A
// header naming a column not known or one twice refuses the whole table, as no field
// could be told from another. A Milestone field is read by timeline::flagOfText; another
// text refuses its line. Fields are kept exactly as written, blanks included, but for
// the one apostrophe the writers put before a field a spreadsheet would run as a
// formula. Linear in the text.
EntryTable readEntryTable(QStringView text);

// The rules "Add Timeline" applies, for scale 1 (Yearly) to 3 (entryFault): a blank date
// or notes, a non-numeric year on the Yearly scale and a separator text are refused, and at most
// `room` rows are kept, the rows past them one problem together. Refused rows move to
// the problems, which end up in line order.
void checkEntryTable(EntryTable& table, int scale, int room);

// A header row "Date,Notes", then one row per entry; CRLF line ends. When an entry has a
// category or is a milestone, every row has all four columns, the header
// "Date,Notes,Category,Milestone" and a milestone "yes". Both writers put an apostrophe
// before a field that begins with "=", "+", "-", "@", a tab or a carriage return (or
// with apostrophes and one of those), so a spreadsheet shows it as text.
QString writeCsv(const QList<TimelineEntry>& entries);
// One "date<TAB>notes" line per entry, no header, quoted as spreadsheets quote; the
// columns as writeCsv has them.
QString writeTsv(const QList<TimelineEntry>& entries);

// "Line N: reason", one problem per line; past `most` lines, the last says how many more
// there are.
QString describeProblems(const QList<TableProblem>& problems, int most = -1);

} // namespace editor
