#include "timeline/entrytable.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any text must read without a crash, every line named must lie in the text, and the
// rows read (categories and milestones too) must come back unchanged through both
// writers, so an export never loses or alters an entry.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    editor::EntryTable table = editor::readEntryTable(text);
    const qsizetype lines = text.count(u'\n') + text.count(u'\r') + 1;
    for (const editor::TableProblem& problem : table.problems)
        if (problem.line < 1 || problem.line > lines)
            std::abort();

    QList<editor::TimelineEntry> entries;
    for (const editor::TableRow& row : table.rows) {
        if (row.line < 1 || row.line > lines)
            std::abort();
        entries.append(row.entry);
    }
    const auto readBack = [](const QString& written) {
        QList<editor::TimelineEntry> back;
        const editor::EntryTable again = editor::readEntryTable(written);
        if (!again.problems.isEmpty())
            std::abort();
        for (const editor::TableRow& row : again.rows)
            back.append(row.entry);
        return back;
    };
    if (readBack(editor::writeCsv(entries)) != entries)
        std::abort();
    // A first row that reads as a header (it names the date and another column) is taken
    // as one on the way back, as it should be: the tab-separated text has no header.
    bool headerLike = false;
    if (!entries.isEmpty()) {
        bool date = false;
        bool other = false;
        for (const QString* text :
             {&entries.first().date, &entries.first().notes, &entries.first().category}) {
            for (const timeline::EntryColumn& column : timeline::kEntryColumns) {
                if (text->trimmed().compare(QLatin1String(column.name), Qt::CaseInsensitive) != 0)
                    continue;
                date = date || &column == &timeline::kEntryColumns.front();
                other = other || &column != &timeline::kEntryColumns.front();
            }
        }
        headerLike = date && other;
    }
    if (!headerLike && readBack(editor::writeTsv(entries)) != entries)
        std::abort();

    editor::checkEntryTable(table, int(size % 3) + 1, int(size % 5));
    return 0;
}
