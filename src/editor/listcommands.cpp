#include "listcommands.h"

#include "timeline/datereader.h"
#include "timeline/entrytable.h"
#include "timeline/settingsstore.h"
#include "timelinecommands.h"

#include "app/clipboard.h"
#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/locationlabels.h"
#include "filewrite/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace editor {
ListCommandStates listCommandStates(int rowCount, const QList<int>& selected)
{
    const bool any = !selected.isEmpty();
    return {any,
            any && selected.first() > 0,
            any && selected.last() < rowCount - 1,
            any,
            rowCount > 0,
            rowCount > 0,
            rowCount > 1,
            any};
}

ListCommands::ListCommands(app::Dialogs& dialogs, TimelineCommands& commands,
                           app::TextClipboard& clipboard)
    : mDialogs(dialogs), mCommands(commands), mClipboard(clipboard)
{}

QString ListCommands::csvPipeFilter()
{
    return QStringLiteral("CSV Files (*.csv)|*.csv|Text Files (*.txt;*.tsv)|*.txt;*.tsv|"
                          "All Files (*.*)|*");
}

void ListCommands::editSelected()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1EditTimeline));
    EntryListModel& entries = mCommands.entries();
    int row = -1;
    trap.step(100, [&] { row = mCommands.view().currentRow().value_or(-1); });
    if (row < 0 || row >= entries.rowCount())
        return;
    const std::optional<TimelineEntry> entry =
        mCommands.askEntry(trap, 102, entries.entries().at(row));
    if (!entry)
        return;
    trap.step(122, [&] {
        mCommands.history().splice(row, 1, {*entry}, QStringLiteral("Edit"));
        mCommands.showTouchedRow();
    });
    trap.step(124, [&] { mCommands.storeShownList(); });
}

void ListCommands::insertAbove()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1InsertTimeline));
    EntryListModel& entries = mCommands.entries();
    int row = entries.rowCount();
    trap.step(100, [&] {
        if (const std::optional<int> selected = mCommands.view().selectedRow())
            row = std::min(*selected, entries.rowCount());
    });
    const std::optional<TimelineEntry> entry = mCommands.askEntry(trap, 102);
    if (!entry || mCommands.refuseWhenFull(trap, 120))
        return;
    trap.step(122, [&] {
        mCommands.history().splice(row, 0, {*entry}, QStringLiteral("Insert Above"));
        mCommands.showTouchedRow();
    });
    trap.step(124, [&] { mCommands.storeShownList(); });
}

void ListCommands::moveSelected(int by)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1MoveTimeline));
    QList<int> rows;
    trap.step(100, [&] { rows = mCommands.view().selectedRows(); });
    // The selected rows go as one block, past the row above the first or below the last.
    const int before = rows.isEmpty() ? -1 : by < 0 ? rows.first() - 1 : rows.last() + 2;
    if (before < 0 || before > mCommands.entries().rowCount())
        return; // nothing selected, or already at that end
    trap.step(102, [&] {
        mCommands.history().moveRows(
            rows, before, by < 0 ? QStringLiteral("Move Up") : QStringLiteral("Move Down"));
        mCommands.showTouchedRow();
    });
    trap.step(104, [&] { mCommands.storeShownList(); });
}

void ListCommands::moveRows(const QList<int>& rows, int before)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1MoveTimeline));
    trap.step(102, [&] {
        mCommands.history().moveRows(rows, before, QStringLiteral("Move"));
        mCommands.showTouchedRow();
    });
    trap.step(104, [&] { mCommands.storeShownList(); });
}

void ListCommands::undo()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1Undo));
    if (!mCommands.history().canUndo())
        return;
    trap.step(100, [&] {
        mCommands.history().undo();
        mCommands.showTouchedRow();
    });
    trap.step(102, [&] { mCommands.storeShownList(); });
}

void ListCommands::redo()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1Redo));
    if (!mCommands.history().canRedo())
        return;
    trap.step(100, [&] {
        mCommands.history().redo();
        mCommands.showTouchedRow();
    });
    trap.step(102, [&] { mCommands.storeShownList(); });
}

void ListCommands::copy()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1CopyTimelines));
    QList<TimelineEntry> rows;
    trap.step(100, [&] {
        const QList<TimelineEntry>& shown = mCommands.entries().entries();
        const QList<int> selected = mCommands.view().selectedRows();
        if (selected.isEmpty()) {
            rows = shown;
            return;
        }
        for (int row : selected)
            rows.append(shown.at(row));
    });
    if (rows.isEmpty())
        return;
    trap.step(102, [&] { mClipboard.setText(writeTsv(rows)); });
}

void ListCommands::paste()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1PasteTimelines));
    QString text;
    trap.step(100, [&] { text = mClipboard.text(); });
    if (text.isEmpty())
        return;
    insertTable(trap, 102, text, QStringLiteral("Paste"));
}

void ListCommands::importCsv()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1ImportCsv));
    QString path;
    trap.step(100,
              [&] { path = mDialogs.openFileName(QStringLiteral("Import CSV"), csvPipeFilter()); });
    if (path.isEmpty())
        return;
    QString text;
    bool read = false;
    trap.step(102, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw app::Failure(QStringLiteral("%1 cannot be read: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
        DecodedText decoded = decodeTableText(file.readAll());
        if (decoded.problem) {
            mDialogs.messageBox(
                QStringLiteral("%1 was not imported.\r\n%2")
                    .arg(QDir::toNativeSeparators(path), describeProblems({*decoded.problem})),
                app::MessageButtons::Ok, app::MessageIcon::Exclamation);
            return;
        }
        text = std::move(decoded.text);
        read = true;
    });
    if (read)
        insertTable(trap, 104, text, QStringLiteral("Import CSV"));
}

void ListCommands::insertTable(app::Trap& trap, int base, const QString& text, const QString& what)
{
    EntryListModel& entries = mCommands.entries();
    EntryTable table;
    trap.step(base, [&] { table = readEntryTable(text); });
    trap.step(base + 2, [&] {
        checkEntryTable(table, mCommands.view().selectedScale(),
                        std::max(0, kMaxListEntries - entries.rowCount()));
    });
    QList<TimelineEntry> rows;
    rows.reserve(table.rows.size());
    for (const TableRow& row : table.rows)
        rows.append(row.entry);
    if (!rows.isEmpty()) {
        trap.step(base + 4, [&] {
            int at = entries.rowCount();
            if (const std::optional<int> selected = mCommands.view().selectedRow())
                at = std::min(*selected, at);
            mCommands.history().splice(at, 0, rows, what);
            mCommands.showTouchedRow();
        });
        trap.step(base + 6, [&] { mCommands.storeShownList(); });
    }
    if (!table.problems.isEmpty()) {
        trap.step(base + 8, [&] {
            mDialogs.messageBox(QStringLiteral("%1 of %2 lines were added. These were not:\r\n%3")
                                    .arg(rows.size())
                                    .arg(rows.size() + table.problems.size())
                                    .arg(describeProblems(table.problems)),
                                app::MessageButtons::Ok, app::MessageIcon::Exclamation);
        });
    }
}

void ListCommands::exportCsv()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1ExportCsv));
    QString path;
    trap.step(100, [&] {
        path = mDialogs.saveFileName(QStringLiteral("Export CSV"),
                                     QStringLiteral("CSV Files (*.csv)|*.csv"));
    });
    if (path.isEmpty())
        return;
    if (trap.test(102, [&] { return QFileInfo::exists(path); })) {
        if (!trap.value(102, false, [&] { return app::agreesToOverwrite(mDialogs, path); }))
            return;
    }
    trap.step(104, [&] {
        // Written whole or not at all: a failed export never leaves half a file behind.
        const filewrite::WriteResult written =
            filewrite::replaceFile(path, writeCsv(mCommands.entries().entries()).toUtf8());
        if (!written)
            throw app::Failure(QStringLiteral("%1 cannot be written: %2")
                                   .arg(QDir::toNativeSeparators(path), written.reason));
    });
}

void ListCommands::sortByDate()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1SortByDate));
    // Kept (shared, so nothing is copied) to name the rows as they stood before the sort.
    const QList<TimelineEntry> shown = mCommands.entries().entries();
    int scale = 0;
    DateOrder order;
    trap.step(100, [&] {
        scale = mCommands.view().selectedScale();
        order = sortedByDate(shown, DateReader(scale, QLocale()));
    });
    bool moved = false;
    for (qsizetype i = 0; i < order.rows.size() && !moved; ++i)
        moved = order.rows.at(i) != i;
    if (moved) {
        trap.step(102, [&] {
            QList<TimelineEntry> sorted;
            sorted.reserve(order.rows.size());
            for (int row : order.rows)
                sorted.append(shown.at(row));
            mCommands.history().replaceAll(sorted, QStringLiteral("Sort by Date"));
        });
        trap.step(104, [&] { mCommands.storeShownList(); });
    }
    if (order.unreadLines.isEmpty())
        return;
    trap.step(106, [&] {
        // Thousands of free-text rows, or one very long date, would make a box larger than
        // the screen: the first rows are named, each date cut to a line.
        constexpr qsizetype kNamed = 20;
        constexpr qsizetype kShownChars = 60;
        QList<TableProblem> unread;
        for (int line : order.unreadLines.first(std::min(kNamed, order.unreadLines.size()))) {
            const QString& date = shown.at(line - 1).date;
            unread.append(
                {line, QStringLiteral("\"%1\"").arg(
                           date.size() > kShownChars ? date.first(kShownChars) + QStringLiteral("…")
                                                     : date)});
        }
        QString text = QStringLiteral("%1 of %2 rows were sorted by date. These could not be read "
                                      "as %3 dates and follow them in their own order:\r\n%4")
                           .arg(order.rows.size() - order.unreadLines.size())
                           .arg(order.rows.size())
                           .arg(scaleName(scale), describeProblems(unread));
        if (order.unreadLines.size() > kNamed)
            text += QStringLiteral("\nand %1 more.").arg(order.unreadLines.size() - kNamed);
        mDialogs.messageBox(text, app::MessageButtons::Ok, app::MessageIcon::Exclamation);
    });
}

void ListCommands::markMilestone()
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1MarkMilestone));
    QList<int> rows;
    trap.step(100, [&] { rows = mCommands.view().selectedRows(); });
    if (rows.isEmpty())
        return;
    const QList<TimelineEntry>& shown = mCommands.entries().entries();
    const bool mark =
        std::any_of(rows.cbegin(), rows.cend(), [&](int row) { return !shown.at(row).milestone; });
    trap.step(102, [&] {
        // One span from the first selected row to the last, the others in it unchanged.
        QList<TimelineEntry> span = shown.mid(rows.first(), rows.last() - rows.first() + 1);
        for (int row : rows)
            span[row - rows.first()].milestone = mark;
        mCommands.history().replaceRows(rows.first(), span, QStringLiteral("Mark as Milestone"));
    });
    trap.step(104, [&] { mCommands.storeShownList(); });
}

} // namespace editor
