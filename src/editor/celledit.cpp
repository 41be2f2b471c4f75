#include "celledit.h"

#include "timelinecommands.h"

#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/locationlabels.h"

namespace editor {

std::optional<ListCell> neighbourCell(ListCell cell, int rowCount, bool forward)
{
    const int at = cell.row * kListColumns + cell.column + (forward ? 1 : -1);
    if (at < 0 || at >= rowCount * kListColumns)
        return std::nullopt;
    return ListCell{at / kListColumns, at % kListColumns};
}

CellText withCellText(const TimelineEntry& entry, int column, const QString& text, int scale)
{
    CellText edited{entry};
    if (column == 0) {
        edited.entry.date = text;
        edited.fault = dateFault(text, scale);
        edited.field = QLatin1StringView("date");
    } else if (column == 1) {
        edited.entry.notes = text;
        edited.fault = notesFault(text);
        edited.field = QLatin1StringView("notes");
    } else {
        edited.entry.category = text;
        edited.fault = categoryFault(text);
        edited.field = QLatin1StringView("category");
    }
    return edited;
}

bool CellEdit::commit(ListCell cell, const QString& text)
{
    app::Trap trap(mDialogs, QLatin1String(app::labels::kForm1EditCell));
    const QList<TimelineEntry>& shown = mCommands.entries().entries();
    if (cell.row < 0 || cell.row >= shown.size() || cell.column < 0 || cell.column >= kListColumns)
        return true; // the row went while it was edited: nothing left to change
    const TimelineEntry before = shown.at(cell.row);
    CellText edited{before};
    trap.step(100, [&] {
        edited = withCellText(before, cell.column, text, mCommands.view().selectedScale());
    });
    if (edited.fault != EntryFault::None) {
        trap.step(102, [&] { mCommands.sayRefusal(edited.fault, edited.field); });
        return false;
    }
    if (edited.entry == before)
        return true;
    trap.step(104, [&] {
        mCommands.history().splice(cell.row, 1, {edited.entry}, QStringLiteral("Edit"));
    });
    trap.step(106, [&] { mCommands.storeShownList(); });
    return true;
}

} // namespace editor
