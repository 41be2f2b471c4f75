#pragma once

#include "entrylist.h"

#include <QString>
#include <QUndoStack>

#include <optional>

namespace editor {

class EditorView;
class EntryListModel;

// Every change a command makes to the shown list and the title, as steps that can be
// taken back and done again. A command that changes several things (Clear: the title
// and the list) groups them, so one undo takes the whole command back. The history
// belongs to the list of one scale; loading another list starts a new one.
//
// The changes only touch the rows and the title box; writing the list to the store is
// the caller's, once per command, so that a command of many steps writes once.
class ListHistory
{
public:
    ListHistory(EntryListModel& entries, EditorView& view);

    // `removeCount` rows from `row` are replaced by `inserted`.
    void splice(int row, int removeCount, const QList<TimelineEntry>& inserted,
                const QString& text);
    void move(int from, int to, const QString& text);
    void replaceAll(const QList<TimelineEntry>& entries, const QString& text);
    // Through the title box, so its change handler stores it as a keystroke would be.
    void setTitle(const QString& title, const QString& text);

    void beginGroup(const QString& text);
    void endGroup();

    bool canUndo() const { return mStack.canUndo(); }
    bool canRedo() const { return mStack.canRedo(); }
    void undo();
    void redo();
    void reset();

    // The row to show after the last change, undo or redo; empty when none stands out.
    std::optional<int> touchedRow() const { return mTouched; }
    void setTouched(std::optional<int> row) { mTouched = row; }

    QUndoStack& stack() { return mStack; }
    EntryListModel& entries() { return mEntries; }
    EditorView& view() { return mView; }

private:
    EntryListModel& mEntries;
    EditorView& mView;
    QUndoStack mStack;
    std::optional<int> mTouched;
};

} // namespace editor
