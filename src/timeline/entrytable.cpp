#include "entrytable.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <span>

namespace editor {
namespace {
constexpr QChar kQuote = u'"';
constexpr QChar kByteOrderMark = QChar(0xFEFF);

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// A spreadsheet's clipboard always separates its columns by tabs, and a CSV file seldom
// holds an unquoted tab, while dates such as "Apr 3, 2000" hold commas in both: so a tab
// outside quotes anywhere in the first record decides.
QChar detectDelimiter(QStringView text)
{
    qsizetype pos = 0;
    const qsizetype size = text.size();
    bool fieldStart = true;
    while (pos < size) {
        const QChar c = text[pos];
        if (fieldStart && c == kQuote) {
            // Skip the quoted part; a doubled quote inside reopens it on the next turn.
            ++pos;
            while (pos < size && text[pos] != kQuote)
                ++pos;
            ++pos;
            fieldStart = pos < size && text[pos] == kQuote;
            continue;
        }
        if (c == u'\t')
            return u'\t';
        if (isLineBreak(c))
            break;
        fieldStart = c == u',';
        ++pos;
    }
    return u',';
}

// A spreadsheet runs a cell that begins with one of these as a formula; apostrophes
// before it are looked through, so a guarded field never reads as another one.
bool needsFormulaGuard(QStringView field)
{
    while (field.startsWith(u'\''))
        field = field.sliced(1);
    return !field.isEmpty() && QStringView(u"=+-@\t\r").contains(field.front());
}

QString withoutFormulaGuard(const QString& field)
{
    return field.startsWith(u'\'') && needsFormulaGuard(QStringView(field).sliced(1))
               ? field.sliced(1)
               : field;
}

using timeline::EntryColumn;
using timeline::kEntryColumns;

// The column a header's field names, in any case and between blanks; null for none.
const EntryColumn* namedColumn(const QString& field)
{
    for (const EntryColumn& column : kEntryColumns)
        if (field.trimmed().compare(QLatin1String(column.name), Qt::CaseInsensitive) == 0)
            return &column;
    return nullptr;
}

QString numberWord(qsizetype count)
{
    static const char* const kWords[] = {"zero", "one", "two", "three", "four"};
    return count >= 0 && count < qsizetype(std::size(kWords)) ? QLatin1String(kWords[count])
                                                              : QString::number(count);
}

class TableReader
{
public:
    TableReader(QStringView text, QChar delimiter) : mText(text), mDelimiter(delimiter)
    {
        for (const EntryColumn& column : kEntryColumns)
            mColumns.append(&column);
    }

    void read(EntryTable& table)
    {
        bool firstRecord = true;
        while (mPos < mText.size()) {
            const int line = mLine;
            QStringList fields;
            bool quoted = false;
            QString fault;
            readRecord(fields, quoted, fault, mDelimiter);
            if (!fault.isEmpty() || fields.size() == 1)
                tryOtherDelimiter(line, fields, quoted, fault);
            if (!fault.isEmpty()) {
                table.problems.append({line, fault});
                firstRecord = false;
                continue;
            }
            if (fields.size() == 1 && !quoted && isBlankText(fields[0]))
                continue;
            if (std::exchange(firstRecord, false) && isHeader(fields)) {
                if (const QString refused = takeHeader(fields); !refused.isEmpty()) {
                    // Which field is which cannot be known: nothing is read.
                    table.problems.append({line, refused});
                    return;
                }
                continue;
            }
            // Spreadsheets often carry empty columns to the right of the data.
            while (fields.size() > mColumns.size() && fields.last().isEmpty())
                fields.removeLast();
            if (fields.size() > mColumns.size()) {
                table.problems.append({line, tooManyFields()});
                continue;
            }
            TableRow row{line, {}};
            if (const QString refused = fillEntry(fields, row.entry); !refused.isEmpty()) {
                table.problems.append({line, refused});
                continue;
            }
            table.rows.append(std::move(row));
        }
    }

private:
    // A first record that names the date and another column is a header, whatever else
    // it holds; a first record of data never reads so.
    static bool isHeader(const QStringList& fields)
    {
        bool date = false;
        bool other = false;
        for (const QString& field : fields) {
            const EntryColumn* column = namedColumn(field);
            date = date || column == &kEntryColumns.front();
            other = other || (column && column != &kEntryColumns.front());
        }
        return date && other;
    }

    // The header's columns become the order of the fields; why it is refused, if it is.
    QString takeHeader(QStringList fields)
    {
        while (!fields.isEmpty() && fields.last().trimmed().isEmpty())
            fields.removeLast();
        QList<const EntryColumn*> columns;
        for (const QString& field : fields) {
            const EntryColumn* column = namedColumn(field);
            if (!column) {
                QStringList known;
                for (const EntryColumn& each : kEntryColumns)
                    known << QLatin1String(each.name);
                return QStringLiteral("The header names a column that is not known: \"%1\". The "
                                      "columns are %2.")
                    .arg(field.trimmed(), known.join(QStringLiteral(", ")));
            }
            if (columns.contains(column))
                return QStringLiteral("The header names the column \"%1\" twice.")
                    .arg(QLatin1String(column->name));
            columns.append(column);
        }
        mColumns = std::move(columns);
        return QString();
    }

    // The fields in the columns' order; a missing one stays empty. Why a field is
    // refused, if one is.
    QString fillEntry(const QStringList& fields, TimelineEntry& entry) const
    {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            const EntryColumn& column = *mColumns.at(i);
            const QString text = withoutFormulaGuard(fields.at(i));
            if (column.text) {
                entry.*column.text = text;
            } else if (const std::optional<bool> set = timeline::flagOfText(text)) {
                entry.*column.flag = *set;
            } else {
                return QStringLiteral("The %1 column holds \"%2\": \"yes\", \"y\", \"x\", "
                                      "\"true\" or \"1\" marks one, \"no\" or nothing does not.")
                    .arg(QString::fromLatin1(column.name).toLower(), text);
            }
        }
        return QString();
    }

private:
    // A line that is one field, or broken, by the table's separator is read again by the
    // other; the second reading counts only when it gives two fields or more cleanly. It
    // reads no further than the first, so the text is read at most twice.
    void tryOtherDelimiter(int line, QStringList& fields, bool& quoted, QString& fault)
    {
        const qsizetype end = std::exchange(mPos, mLinePos);
        const int endLine = std::exchange(mLine, line);
        const QStringView whole = std::exchange(mText, mText.first(end));
        QStringList otherFields;
        bool otherQuoted = false;
        QString otherFault;
        readRecord(otherFields, otherQuoted, otherFault, mDelimiter == u'\t' ? u',' : u'\t');
        mText = whole;
        if (otherFault.isEmpty() && otherFields.size() >= 2) {
            fields = std::move(otherFields);
            quoted = otherQuoted;
            fault.clear();
            return;
        }
        mPos = end;
        mLine = endLine;
    }

    QString tooManyFields() const
    {
        return (mDelimiter == u'\t'
                    ? QStringLiteral("More than %1 columns: a text that holds a tab must be in "
                                     "double quotes.")
                    : QStringLiteral("More than %1 fields: a text that holds a comma must be in "
                                     "double quotes."))
            .arg(numberWord(mColumns.size()));
    }

    void skipLineBreak()
    {
        if (mText[mPos] == u'\r' && mPos + 1 < mText.size() && mText[mPos + 1] == u'\n')
            ++mPos;
        ++mPos;
        ++mLine;
    }

    // Reads from the current position to the end of the record and past its line break.
    void readRecord(QStringList& fields, bool& quoted, QString& fault, QChar delimiter)
    {
        const qsizetype size = mText.size();
        mLinePos = mPos;
        while (true) {
            if (mPos < size && mText[mPos] == kQuote) {
                quoted = true;
                QString field;
                if (!readQuoted(field)) {
                    fault = QStringLiteral("A quoted field is not closed.");
                    return;
                }
                fields.append(field);
                if (mPos < size && mText[mPos] != delimiter && !isLineBreak(mText[mPos])) {
                    fault = QStringLiteral("Text follows the closing quote of a field.");
                    while (mPos < size && !isLineBreak(mText[mPos]))
                        ++mPos;
                }
            } else {
                const qsizetype start = mPos;
                while (mPos < size && mText[mPos] != delimiter && !isLineBreak(mText[mPos]))
                    ++mPos;
                fields.append(mText.sliced(start, mPos - start).toString());
            }
            if (mPos < size && mText[mPos] == delimiter) {
                ++mPos;
                continue;
            }
            break;
        }
        if (mPos < size)
            skipLineBreak();
    }

    // At an opening quote; returns false when the text ends before the closing one.
    bool readQuoted(QString& field)
    {
        const qsizetype size = mText.size();
        ++mPos;
        qsizetype start = mPos;
        while (mPos < size) {
            const QChar c = mText[mPos];
            if (c == kQuote) {
                field.append(mText.sliced(start, mPos - start));
                if (mPos + 1 < size && mText[mPos + 1] == kQuote) {
                    field.append(kQuote);
                    mPos += 2;
                    start = mPos;
                    continue;
                }
                ++mPos;
                return true;
            }
            // Line breaks inside quotes are content, but still count for the line numbers.
            if (c == u'\n' || (c == u'\r' && (mPos + 1 >= size || mText[mPos + 1] != u'\n')))
                ++mLine;
            ++mPos;
        }
        return false;
    }

    QStringView mText;
    QChar mDelimiter;
    QList<const EntryColumn*> mColumns; // the column of each field, by the header
    qsizetype mPos = 0;
    qsizetype mLinePos = 0; // where the last record read started
    int mLine = 1;
};

QString ruleBroken(const TimelineEntry& entry, int scale)
{
    const EntryFaultAt fault = entryFault(entry, scale);
    return describeFault(fault.fault, fault.field);
}

void appendField(QString& out, QString field, QStringView mustQuote)
{
    if (needsFormulaGuard(field))
        field.prepend(u'\'');
    // A leading mark would be taken for the byte order mark when the field opens the text.
    const bool quote =
        field.startsWith(kByteOrderMark) ||
        std::any_of(field.cbegin(), field.cend(), [&](QChar c) { return mustQuote.contains(c); });
    if (!quote) {
        out += field;
        return;
    }
    out += kQuote;
    for (QChar c : field) {
        if (c == kQuote)
            out += kQuote;
        out += c;
    }
    out += kQuote;
}
} // namespace

DecodedText decodeTableText(QByteArrayView bytes)
{
    const auto refused = [](int line) {
        return DecodedText{{},
                           TableProblem{line, QStringLiteral("The line is not UTF-8 text (nor "
                                                             "UTF-16 with a byte order mark).")}};
    };
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    if (littleEndian || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes.sliced(2));
        if (decoder.hasError() || bytes.size() % 2 != 0)
            return refused(int(text.count(u'\n')) + 1);
        return {text, std::nullopt};
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    // A NUL is no text's byte: UTF-16 without its mark decodes as UTF-8 with one in
    // every character of the Latin alphabet.
    if (!decoder.hasError() && !bytes.contains('\0'))
        return {text, std::nullopt};
    // A line feed is never part of a longer UTF-8 sequence, so each line decodes alone.
    int line = 1;
    for (qsizetype start = 0; start < bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QStringDecoder lineDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QByteArrayView lineBytes = bytes.sliced(start, end - start);
        const QString decoded = lineDecoder.decode(lineBytes);
        if (lineDecoder.hasError() || lineBytes.contains('\0'))
            break;
        start = end + 1;
    }
    return refused(line);
}

EntryTable readEntryTable(QStringView text)
{
    if (text.startsWith(kByteOrderMark))
        text = text.sliced(1);
    EntryTable table;
    TableReader(text, detectDelimiter(text)).read(table);
    return table;
}

void checkEntryTable(EntryTable& table, int scale, int room)
{
    QList<TableRow> kept;
    kept.reserve(std::min<qsizetype>(table.rows.size(), std::max(room, 0)));
    int surplus = 0;
    int firstSurplusLine = 0;
    for (TableRow& row : table.rows) {
        const QString reason = ruleBroken(row.entry, scale);
        if (!reason.isEmpty())
            table.problems.append({row.line, reason});
        else if (kept.size() < room)
            kept.append(std::move(row));
        else if (surplus++ == 0)
            firstSurplusLine = row.line;
    }
    if (surplus > 0) {
        QString reason =
            QStringLiteral("More entries than fit: %1 at most.").arg(std::max(room, 0));
        if (surplus > 1)
            reason +=
                QStringLiteral(" This one and the %1 after it were left out.").arg(surplus - 1);
        table.problems.append({firstSurplusLine, reason});
    }
    table.rows = std::move(kept);
    std::stable_sort(table.problems.begin(), table.problems.end(),
                     [](const TableProblem& a, const TableProblem& b) { return a.line < b.line; });
}

namespace {

// The columns a table of the entries holds: all when one has a category or is a
// milestone, the date and notes alone otherwise, as the first tables had.
std::span<const EntryColumn> tableColumns(const QList<TimelineEntry>& entries)
{
    const bool details = std::any_of(entries.cbegin(), entries.cend(),
                                     [](const TimelineEntry& entry) { return entry.hasDetails(); });
    return {kEntryColumns.data(), details ? kEntryColumns.size() : timeline::kStoredColumns};
}

// One line a row, a field a column, quoted when it holds one of the special characters.
QString writeRows(QString out, const QList<TimelineEntry>& entries,
                  std::span<const EntryColumn> columns, QChar separator, QStringView specials,
                  QStringView lineEnd)
{
    for (const TimelineEntry& entry : entries) {
        for (const EntryColumn& column : columns) {
            if (&column != &columns.front())
                out += separator;
            appendField(out, timeline::columnText(entry, column), specials);
        }
        out += lineEnd;
    }
    return out;
}

// The columns' names, as a CSV file's first row.
QString headerRow(std::span<const EntryColumn> columns)
{
    QStringList names;
    for (const EntryColumn& column : columns)
        names << QLatin1String(column.name);
    return names.join(u',') + QStringLiteral("\r\n");
}

} // namespace

QString writeCsv(const QList<TimelineEntry>& entries)
{
    // Tabs are quoted too, so a tab can never make the file read as tab-separated.
    const std::span<const EntryColumn> columns = tableColumns(entries);
    return writeRows(headerRow(columns), entries, columns, u',', u",\"\r\n\t", u"\r\n");
}

QString writeTsv(const QList<TimelineEntry>& entries)
{
    return writeRows(QString(), entries, tableColumns(entries), u'\t', u"\t\"\r\n", u"\n");
}

QString describeProblems(const QList<TableProblem>& problems, int most)
{
    const qsizetype shown =
        most < 0 || problems.size() <= most ? problems.size() : std::max(most - 1, 0);
    QStringList lines;
    lines.reserve(shown + 1);
    for (const TableProblem& problem : problems.first(shown))
        lines.append(QStringLiteral("Line %1: %2").arg(problem.line).arg(problem.reason));
    if (shown < problems.size())
        lines.append(
            QStringLiteral("%1 more problems are not listed.").arg(problems.size() - shown));
    return lines.join(u'\n');
}

} // namespace editor
