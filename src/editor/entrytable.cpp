#include "entrytable.h"

#include "numbertext.h"

#include <QStringList>

#include <algorithm>

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

bool isHeader(const QStringList& fields)
{
    return fields.size() == 2 && fields[0].trimmed().compare(u"Date", Qt::CaseInsensitive) == 0 &&
           fields[1].trimmed().compare(u"Notes", Qt::CaseInsensitive) == 0;
}

class TableReader
{
public:
    TableReader(QStringView text, QChar delimiter) : mText(text), mDelimiter(delimiter) {}

    void read(EntryTable& table)
    {
        bool firstRecord = true;
        while (mPos < mText.size()) {
            const int line = mLine;
            QStringList fields;
            bool quoted = false;
            QString fault;
            readRecord(fields, quoted, fault);
            if (!fault.isEmpty()) {
                table.problems.append({line, fault});
                firstRecord = false;
                continue;
            }
            if (fields.size() == 1 && !quoted && isBlankText(fields[0]))
                continue;
            // Spreadsheets often carry empty columns to the right of the data.
            while (fields.size() > 2 && fields.last().isEmpty())
                fields.removeLast();
            const bool header = firstRecord && isHeader(fields);
            firstRecord = false;
            if (header)
                continue;
            if (fields.size() > 2) {
                table.problems.append({line, tooManyFields()});
                continue;
            }
            table.rows.append({line, {fields[0], fields.value(1)}});
        }
    }

private:
    QString tooManyFields() const
    {
        return mDelimiter == u'\t'
                   ? QStringLiteral("More than two columns: a text that holds a tab must be in "
                                    "double quotes.")
                   : QStringLiteral("More than two fields: a text that holds a comma must be in "
                                    "double quotes.");
    }

    void skipLineBreak()
    {
        if (mText[mPos] == u'\r' && mPos + 1 < mText.size() && mText[mPos + 1] == u'\n')
            ++mPos;
        ++mPos;
        ++mLine;
    }

    // Reads from the current position to the end of the record and past its line break.
    void readRecord(QStringList& fields, bool& quoted, QString& fault)
    {
        const qsizetype size = mText.size();
        while (true) {
            if (mPos < size && mText[mPos] == kQuote) {
                quoted = true;
                QString field;
                if (!readQuoted(field)) {
                    fault = QStringLiteral("A quoted field is not closed.");
                    return;
                }
                fields.append(field);
                if (mPos < size && mText[mPos] != mDelimiter && !isLineBreak(mText[mPos])) {
                    fault = QStringLiteral("Text follows the closing quote of a field.");
                    while (mPos < size && !isLineBreak(mText[mPos]))
                        ++mPos;
                }
            } else {
                const qsizetype start = mPos;
                while (mPos < size && mText[mPos] != mDelimiter && !isLineBreak(mText[mPos]))
                    ++mPos;
                fields.append(mText.sliced(start, mPos - start).toString());
            }
            if (mPos < size && mText[mPos] == mDelimiter) {
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
    qsizetype mPos = 0;
    int mLine = 1;
};

QString separatorReason(const char* what)
{
    return QStringLiteral("The %1 cannot hold \"%2\" or \"%3\", which the saved list uses to "
                          "tell entries apart.")
        .arg(QLatin1String(what), kFieldSeparator.toString(), kEntryTerminator.toString());
}

QString ruleBroken(const TimelineEntry& entry, int scale)
{
    if (isBlankText(entry.date))
        return QStringLiteral("The date is blank.");
    if (scale == 1 && !isNumericText(entry.date))
        return QStringLiteral("Year must be a numeric value.");
    if (containsSeparator(entry.date))
        return separatorReason("date");
    if (isBlankText(entry.notes))
        return QStringLiteral("The notes are blank.");
    if (containsSeparator(entry.notes))
        return separatorReason("notes");
    return QString();
}

void appendField(QString& out, const QString& field, QStringView mustQuote)
{
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
    for (TableRow& row : table.rows) {
        QString reason = ruleBroken(row.entry, scale);
        if (reason.isEmpty() && kept.size() >= room)
            reason = QStringLiteral("More entries than fit: %1 at most.").arg(std::max(room, 0));
        if (reason.isEmpty())
            kept.append(std::move(row));
        else
            table.problems.append({row.line, reason});
    }
    table.rows = std::move(kept);
    std::stable_sort(table.problems.begin(), table.problems.end(),
                     [](const TableProblem& a, const TableProblem& b) { return a.line < b.line; });
}

namespace {

// One line a row: the two fields quoted when they hold one of the special characters.
QString writeRows(QString out, const QList<TimelineEntry>& entries, QChar separator,
                  QStringView specials, QStringView lineEnd)
{
    for (const TimelineEntry& entry : entries) {
        appendField(out, entry.date, specials);
        out += separator;
        appendField(out, entry.notes, specials);
        out += lineEnd;
    }
    return out;
}

} // namespace

QString writeCsv(const QList<TimelineEntry>& entries)
{
    // Tabs are quoted too, so a tab can never make the file read as tab-separated.
    return writeRows(QStringLiteral("Date,Notes\r\n"), entries, u',', u",\"\r\n\t", u"\r\n");
}

QString writeTsv(const QList<TimelineEntry>& entries)
{
    return writeRows(QString(), entries, u'\t', u"\t\"\r\n", u"\n");
}

QString describeProblems(const QList<TableProblem>& problems)
{
    QStringList lines;
    lines.reserve(problems.size());
    for (const TableProblem& problem : problems)
        lines.append(QStringLiteral("Line %1: %2").arg(problem.line).arg(problem.reason));
    return lines.join(u'\n');
}

} // namespace editor
