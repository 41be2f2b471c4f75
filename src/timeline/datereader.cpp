#include "datereader.h"

#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>

namespace editor {
namespace {
bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAllDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

bool isLeapYear(qint64 year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(qint64 year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// A number of 1 or 2 digits (day, month) or of exactly 4 (year); -1 otherwise.
int smallNumber(QStringView digits)
{
    return digits.size() <= 2 ? digits.toInt() : -1;
}

int yearNumber(QStringView digits)
{
    return digits.size() == 4 ? digits.toInt() : -1;
}

std::optional<DatePoint> pointOf(qint64 year, int month, int day, DatePrecision precision)
{
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return DatePoint{daysFromCivil(year, month, day), precision};
}

// The order of day, month and year in a date format such as "M/d/yy"; quoted text skipped.
QList<DateReader::Part> fieldOrder(const QString& format)
{
    QList<DateReader::Part> order;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        const std::optional<DateReader::Part> part =
            quoted      ? std::nullopt
            : c == u'd' ? std::optional(DateReader::Part::Day)
            : c == u'M' ? std::optional(DateReader::Part::Month)
            : c == u'y' ? std::optional(DateReader::Part::Year)
                        : std::nullopt;
        if (part && !order.contains(*part))
            order.append(*part);
    }
    return order.size() == 3 ? order : QList<DateReader::Part>{};
}

QStringView withoutDot(QStringView name)
{
    return name.endsWith(u'.') ? name.chopped(1) : name;
}

bool namedBefore(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

// Splits a date text into numbers ("9"), words ("a"; a word keeps a dot that ends it, as
// in "Apr."), single separators and runs of white space (" "). The shape holds one character
// per piece; `parts` holds the text of each number and word. False for any other
// character, or for more pieces than a date has.
constexpr qsizetype kMostPieces = 12;
bool splitDate(QStringView text, QVarLengthArray<char, kMostPieces>& shape,
               DateReader::Pieces& parts)
{
    qsizetype i = 0;
    while (i < text.size()) {
        if (shape.size() == kMostPieces)
            return false;
        const QChar c = text.at(i);
        if (isAsciiDigit(c) || c.isLetter() || c.isMark()) {
            qsizetype end = i;
            while (end < text.size() &&
                   (isAsciiDigit(text.at(end)) || text.at(end).isLetter() || text.at(end).isMark()))
                ++end;
            const bool number = isAllDigits(text.sliced(i, end - i));
            if (!number && end < text.size() && text.at(end) == u'.')
                ++end;
            parts.append(text.sliced(i, end - i));
            shape.append(number ? '9' : 'a');
            i = end;
        } else if (c.isSpace()) { // a no-break space too, as "3 mai 2010" is often typed
            while (i < text.size() && text.at(i).isSpace())
                ++i;
            shape.append(' ');
        } else if (c == u'/' || c == u'-' || c == u'.' || c == u',') {
            shape.append(char(c.unicode()));
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<DatePoint> readYear(QStringView text)
{
    // A hyphen or the minus sign before the digits; more than nine digits is no year.
    if (text.startsWith(u'-') || text.startsWith(QChar(0x2212))) {
        const QStringView digits = text.sliced(1);
        if (!isAllDigits(digits) || digits.size() > 9)
            return std::nullopt;
        return DatePoint{daysFromCivil(-digits.toLongLong(), 1, 1), DatePrecision::Year};
    }
    if (!isAllDigits(text) || text.size() > 9)
        return std::nullopt;
    return DatePoint{daysFromCivil(text.toLongLong(), 1, 1), DatePrecision::Year};
}
} // namespace

qint64 daysFromCivil(qint64 year, int month, int day)
{
    // Counted from 1 March, so the leap day ends a year; eras of 400 years repeat exactly.
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

DateReader::DateReader(int scale, const QLocale& locale)
    : mScale(scale), mOrder(fieldOrder(locale.dateFormat(QLocale::ShortFormat)))
{
    // English as the C locale and Britain write it ("Sep", "Sept"), then the user's.
    const QLocale languages[] = {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedKingdom),
                                 locale};
    QList<std::pair<QString, int>> names;
    for (const QLocale& language : languages) {
        for (int month = 1; month <= 12; ++month) {
            for (QLocale::FormatType format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                for (const QString& name : {language.monthName(month, format),
                                            language.standaloneMonthName(month, format)}) {
                    if (!withoutDot(name).isEmpty())
                        names.append({withoutDot(name).toString(), month});
                }
            }
        }
    }
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return namedBefore(a.first, b.first) ||
               (!namedBefore(b.first, a.first) && a.second < b.second);
    });
    for (const auto& [name, month] : names) {
        if (mMonths.isEmpty() || namedBefore(mMonths.last().first, name))
            mMonths.append({name, month});
        else if (mMonths.last().second != month)
            mMonths.last().second = 0; // two months of two languages: never guess
    }
}

int DateReader::monthNamed(QStringView word) const
{
    word = withoutDot(word);
    const auto found = std::lower_bound(mMonths.cbegin(), mMonths.cend(), word,
                                        [](const std::pair<QString, int>& name, QStringView key) {
                                            return namedBefore(name.first, key);
                                        });
    return found != mMonths.cend() && !namedBefore(word, found->first) ? found->second : 0;
}

std::optional<DatePoint> DateReader::read(QStringView text) const
{
    text = text.trimmed();
    if (mScale == 1)
        return readYear(text);
    QVarLengthArray<char, kMostPieces> pieces;
    Pieces parts;
    if (!splitDate(text, pieces, parts))
        return std::nullopt;
    const std::string_view shape(pieces.data(), size_t(pieces.size()));
    if (mScale == 2)
        return readMonthly(shape, parts);
    if (mScale == 3)
        return readDaily(shape, parts);
    return std::nullopt;
}

std::optional<DatePoint> DateReader::readMonthly(std::string_view shape, const Pieces& parts) const
{
    int year = -1;
    int month = -1;
    if (shape == "a 9") { // Apr 2000
        month = monthNamed(parts.at(0));
        year = yearNumber(parts.at(1));
    } else if (shape == "9-9" && parts.at(1).size() == 2) { // 2000-04
        year = yearNumber(parts.at(0));
        month = parts.at(1).toInt();
    } else if (shape == "9/9") { // 04/2000
        month = smallNumber(parts.at(0));
        year = yearNumber(parts.at(1));
    }
    if (year < 0)
        return std::nullopt;
    return pointOf(year, month, 1, DatePrecision::Month);
}

std::optional<DatePoint> DateReader::readDaily(std::string_view shape, const Pieces& parts) const
{
    int year = -1;
    int month = -1;
    int day = -1;
    if (shape == "9-9-9") { // 2010-05-03
        if (parts.at(1).size() != 2 || parts.at(2).size() != 2)
            return std::nullopt;
        year = yearNumber(parts.at(0));
        month = parts.at(1).toInt();
        day = parts.at(2).toInt();
    } else if (shape == "9/9/9") { // in the order of the locale's short date
        if (mOrder.isEmpty())
            return std::nullopt;
        for (qsizetype i = 0; i < 3; ++i) {
            switch (mOrder.at(i)) {
            case Part::Day:
                day = smallNumber(parts.at(i));
                break;
            case Part::Month:
                month = smallNumber(parts.at(i));
                break;
            case Part::Year:
                year = yearNumber(parts.at(i));
                break;
            }
        }
    } else if (shape == "9.9.9") { // 3.5.2010
        day = smallNumber(parts.at(0));
        month = smallNumber(parts.at(1));
        year = yearNumber(parts.at(2));
    } else if (shape == "9 a 9" || shape == "9. a 9") { // 3 May 2010, 3. Mai 2010
        day = smallNumber(parts.at(0));
        month = monthNamed(parts.at(1));
        year = yearNumber(parts.at(2));
    } else if (shape == "a 9, 9" || shape == "a 9 9") { // May 3, 2010
        month = monthNamed(parts.at(0));
        day = smallNumber(parts.at(1));
        year = yearNumber(parts.at(2));
    }
    if (year < 0 || day < 0)
        return std::nullopt;
    return pointOf(year, month, day, DatePrecision::Day);
}

DateOrder sortedByDate(const QList<TimelineEntry>& entries, const DateReader& reader)
{
    QList<std::pair<qint64, int>> read;
    DateOrder order;
    QList<int> unread;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        if (const std::optional<DatePoint> point = reader.read(entries.at(row).date))
            read.append({point->day, int(row)});
        else
            unread.append(int(row));
    }
    // Stable: equal dates keep their list order.
    std::stable_sort(read.begin(), read.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    order.rows.reserve(entries.size());
    for (const auto& [day, row] : read)
        order.rows.append(row);
    for (int row : unread) {
        order.rows.append(row);
        order.unreadLines.append(row + 1);
    }
    return order;
}

TimeAxis placeOnTimeAxis(const QList<TimelineEntry>& entries, const DateReader& reader)
{
    TimeAxis axis;
    QList<qint64> days;
    days.reserve(entries.size());
    for (qsizetype row = 0; row < entries.size(); ++row) {
        if (const std::optional<DatePoint> point = reader.read(entries.at(row).date))
            days.append(point->day);
        else
            axis.unreadLines.append(int(row + 1));
    }
    const auto [first, last] = std::minmax_element(days.cbegin(), days.cend());
    axis.toScale = axis.unreadLines.isEmpty() && days.size() > 1 && *first != *last;
    const qsizetype count = entries.size();
    axis.places.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        if (axis.toScale)
            axis.places.append(double(days.at(i) - *first) / double(*last - *first));
        else
            axis.places.append(count == 1 ? 0.5 : double(i) / double(count - 1));
    }
    return axis;
}

QHash<int, QString> dateOrderNotes(const QList<TimelineEntry>& entries, const DateReader& reader)
{
    QHash<int, QString> notes;
    std::optional<DatePoint> previous;
    QStringView previousText;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        const QString& text = entries.at(row).date;
        const std::optional<DatePoint> point = reader.read(text);
        if (!point)
            continue;
        if (previous && *point < *previous)
            notes.insert(int(row), QStringLiteral("%1 comes after %2")
                                       .arg(QStringView(text).trimmed(), previousText.trimmed()));
        previous = point;
        previousText = text;
    }
    return notes;
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
