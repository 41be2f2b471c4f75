#pragma once

#include "timeline/entrylist.h"

#include <QString>

#include <optional>

namespace app {
class Dialogs;
} // namespace app

namespace editor {

class TimelineCommands;

// A cell of the list, counted from 0: column 0 holds the date, column 1 the notes,
// column 2 the category (the text columns of timeline::kEntryColumns).
struct ListCell
{
    int row = 0;
    int column = 0;
    friend bool operator==(const ListCell&, const ListCell&) = default;
};
inline constexpr int kListColumns = 3;

// Where Tab (`forward`) or Shift+Tab goes from `cell`: along the row, then on to the
// next row's date or back to the previous row's category; nothing past either end.
std::optional<ListCell> neighbourCell(ListCell cell, int rowCount, bool forward);

// The entry with the text of one cell replaced, and the rule of "Add Timeline" that
// refuses that text (EntryFault::None when it is taken) with the field it names.
struct CellText
{
    TimelineEntry entry;
    EntryFault fault = EntryFault::None;
    QLatin1StringView field = {};
};
CellText withCellText(const TimelineEntry& entry, int column, const QString& text, int scale);

// Takes a text typed into a cell of the shown list. A refused text is said in the box
// "Add Timeline" shows for it and changes nothing; a changed one is one step of the
// history and the list is written under its scale at once; the same text does neither.
class CellEdit
{
public:
    CellEdit(app::Dialogs& dialogs, TimelineCommands& commands)
        : mDialogs(dialogs), mCommands(commands)
    {}
    // False when a rule refused the text.
    bool commit(ListCell cell, const QString& text);

private:
    app::Dialogs& mDialogs;
    TimelineCommands& mCommands;
};

} // namespace editor
