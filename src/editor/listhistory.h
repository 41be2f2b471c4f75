#pragma once

#include "timeline/entrylist.h"
#include "timeline/scale.h"

#include <QString>
#include <QUndoGroup>
#include <QUndoStack>

#include <array>
#include <optional>
#include <utility>

namespace editor {

class EditorView;
class EntryListModel;

// Every change a command makes to the shown list and the title, as steps that can be
// taken back and done again. A command that changes several things (Clear: the title
// and the list) groups them, so one undo takes the whole command back. Typing in the
// title box is a step too, one per burst: keystrokes join the step before them until
// another change, an undo or a redo comes between, or the title box loses the focus.
//
// Each scale keeps a history of its own for the whole run; showing a scale's list brings
// its history back, as long as the rows are still the ones that history left.
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
    // Takes `rows` (ascending, no repeats) out and puts them back together, in their
    // order, where the row `before` stood (the row count for the end).
    void moveRows(const QList<int>& rows, int before, const QString& text);
    void replaceAll(const QList<TimelineEntry>& entries, const QString& text);
    // The rows from `row` take new values in place: the rows stay, and so does the
    // selection, and the list changes once however many rows change.
    void replaceRows(int row, const QList<TimelineEntry>& entries, const QString& text);
    // Through the title box, so its change handler stores it as a keystroke would be.
    void setTitle(const QString& title, const QString& text);
    // A change the user typed into the title box, already shown.
    void typeTitle(const QString& before, const QString& after);
    // The next keystroke starts a step of its own.
    void endTyping() { ++mBurst; }
    // True while a step is being done or undone, so changes it makes are not recorded.
    bool applying() const { return mApplying; }

    void beginGroup(const QString& text);
    void endGroup();

    bool canUndo() const { return stack().canUndo(); }
    bool canRedo() const { return stack().canRedo(); }
    void undo();
    void redo();
    // The list of `scale` (1 to 3) is shown; its history goes on, or starts again when
    // `keep` is false.
    void showScale(int scale, bool keep);

    // The rows to show after the last change, undo or redo; empty when none stands out.
    struct Touched
    {
        int row = 0;
        int count = 1;
    };
    std::optional<Touched> touched() const { return mTouched; }
    void setTouched(std::optional<Touched> rows) { mTouched = rows; }

    // The shown scale's history is the group's active stack.
    QUndoGroup& group() { return mGroup; }
    EntryListModel& entries() { return mEntries; }
    EditorView& view() { return mView; }
    int burst() const { return mBurst; }

    // Runs a step's change with the recording of title keystrokes off.
    template <typename Change> void apply(Change&& change)
    {
        const bool was = std::exchange(mApplying, true);
        try {
            change();
        } catch (...) {
            mApplying = was;
            throw;
        }
        mApplying = was;
    }

private:
    QUndoStack& stack() { return mStacks[mScale]; }
    const QUndoStack& stack() const { return mStacks[mScale]; }
    void push(QUndoCommand* step);

    EntryListModel& mEntries;
    EditorView& mView;
    // Indexed by scale; 0 holds what is done before the first list is shown.
    std::array<QUndoStack, kScaleCount + 1> mStacks;
    QUndoGroup mGroup;
    int mScale = 0;
    std::optional<Touched> mTouched;
    QString mGroupText;
    bool mGroupOpen = false;
    bool mGroupStarted = false;
    bool mApplying = false;
    int mBurst = 0;
};

} // namespace editor
