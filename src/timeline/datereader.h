#pragma once

#include "entrylist.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <compare>
#include <optional>
#include <string_view>

namespace editor {

enum class DatePrecision
{
    Year,
    Month,
    Day,
};

// A date the reader understood: the first day it names, counted in days from 1970-01-01
// on the proleptic Gregorian calendar with a year 0 (so "-500" is the year before "-499"),
// and how much of it was given. Dates of one scale share a precision, so the day alone
// orders them.
struct DatePoint
{
    qint64 day = 0;
    DatePrecision precision = DatePrecision::Day;

    friend auto operator<=>(const DatePoint&, const DatePoint&) = default;
};

// Reads the date text of a row for its scale (1 Yearly, 2 Monthly, 3 Daily) without ever
// guessing: a text that is not one of these forms is not understood, and neither is a
// form that names a day that does not exist. Blanks around the text are ignored.
//   Yearly:  a whole number, negative before the common era ("1955", "-500").
//   Monthly: "Apr 2000", "April 2000", "2000-04", "04/2000", "4/2000".
//   Daily:   "2010-05-03"; day, month and year with slashes in the order of the
//            locale's short date ("5/3/2010" is 3 May in en_US, 5 March in en_GB; year
//            first in ja_JP); "3.5.2010" (always day, month, year); "3 May 2010",
//            "3. Mai 2010"; "May 3, 2010", "May 3 2010".
// Month names are English or the locale's, long or short, in any case, a trailing dot
// optional. Years of the monthly and daily forms have four digits, so no century is
// guessed.
class DateReader
{
public:
    DateReader(int scale, const QLocale& locale);

    std::optional<DatePoint> read(QStringView text) const;

    int scale() const { return mScale; }

    enum class Part
    {
        Day,
        Month,
        Year
    };

    // The numbers and words of a date text, without their separators.
    using Pieces = QVarLengthArray<QStringView, 12>;

private:
    std::optional<DatePoint> readMonthly(std::string_view shape, const Pieces& parts) const;
    std::optional<DatePoint> readDaily(std::string_view shape, const Pieces& parts) const;
    int monthNamed(QStringView word) const;

    int mScale;
    // The locale's short date fields in order; empty when it has no numeric order.
    QList<Part> mOrder;
    // Month names without a trailing dot, each with its month 1..12 (0 when two months
    // share the name), sorted without regard to case for a lookup that allocates nothing.
    QList<std::pair<QString, int>> mMonths;
};

// Days from 1970-01-01 of a date on the proleptic Gregorian calendar, year 0 included.
qint64 daysFromCivil(qint64 year, int month, int day);

// A stable order of the rows by date: the rows the reader understood by their dates, the
// others after them in their list order. Indexes count from 0.
struct DateOrder
{
    QList<int> rows;        // the new order, as old row indexes
    QList<int> unreadLines; // rows not understood, from 1
};
DateOrder sortedByDate(const QList<TimelineEntry>& entries, const DateReader& reader);

// Where each entry stands on a linear time axis from the earliest date (0) to the latest
// (1), in list order. When a row is not understood, or there are fewer than two distinct
// dates, the places are evenly spaced instead (i / (n - 1); 0.5 for a single entry) and
// the rows not understood are named, so the caller can say why.
struct TimeAxis
{
    QList<double> places;
    QList<int> unreadLines;
    bool toScale = false; // false: the places are evenly spaced
};
TimeAxis placeOnTimeAxis(const QList<TimelineEntry>& entries, const DateReader& reader);

// The rows whose understood date is earlier than the understood date before it (rows not
// understood are skipped), each with the reason as the user reads it: "1975 comes after
// 1980". Keys are rows from 0.
QHash<int, QString> dateOrderNotes(const QList<TimelineEntry>& entries, const DateReader& reader);

// The places of "To scale" spacing for a list, or, when the page must fall back to even
// spacing, nothing and a notice that says why, naming the lines.
struct ScaleAxis
{
    QList<double> places;
    QString notice;
};
ScaleAxis scaleAxisOf(const QList<TimelineEntry>& entries, const DateReader& reader);

} // namespace editor
