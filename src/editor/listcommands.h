#pragma once

#include <QList>
#include <QString>

namespace app {
class Dialogs;
class TextClipboard;
class Trap;
} // namespace app

namespace editor {

class TimelineCommands;

// Which of the list's commands have something to act on, for the rows and the selected
// rows (ascending); the context menu offers the others disabled.
struct ListCommandStates
{
    bool edit = false;
    bool moveUp = false;
    bool moveDown = false;
    bool remove = false;
    bool copy = false;
    bool exportCsv = false;
    bool sortByDate = false;
    bool markMilestone = false;
};
ListCommandStates listCommandStates(int rowCount, const QList<int>& selected);

// The list's own commands beside the five buttons: edit a row in place, insert above,
// move, undo and redo, copy and paste, CSV import and export, sorting by date and marking
// milestones. They ask and refuse as "Add Timeline" does, run under a trap of their own,
// keep every change in the history and write the list under its scale at once.
class ListCommands
{
public:
    ListCommands(app::Dialogs& dialogs, TimelineCommands& commands, app::TextClipboard& clipboard);

    void editSelected(); // "Edit…": the current row, the same two questions, prefilled
    void insertAbove();  // "Insert Above": at the end when no row is selected
    // "Move Up" (-1), "Move Down" (+1): the selected rows as one block, one place.
    void moveSelected(int by);
    void moveUp() { moveSelected(-1); }
    void moveDown() { moveSelected(1); }
    // Rows dragged within the list and dropped where the row `before` stood.
    void moveRows(const QList<int>& rows, int before);
    void undo();      // "Undo"
    void redo();      // "Redo"
    void copy();      // "Copy": the selected rows, or all, as date<TAB>notes
    void paste();     // "Paste": tab- or comma-separated lines
    void importCsv(); // "Import CSV…"
    void exportCsv(); // "Export CSV…"
    // "Sort by Date": rows whose dates it reads by date, the others after them in their
    // order, named in one message.
    void sortByDate();
    // "Mark as Milestone": the selected rows become milestones, in one step; when all of
    // them are already, they stop being.
    void markMilestone();

    static QString csvPipeFilter();

private:
    // Reads `text` as a table, takes the lines the rules allow above the selected row (or
    // at the end) in one step, writes the list and lists each refused line by number.
    void insertTable(app::Trap& trap, int base, const QString& text, const QString& what);

    app::Dialogs& mDialogs;
    TimelineCommands& mCommands;
    app::TextClipboard& mClipboard;
};

} // namespace editor
