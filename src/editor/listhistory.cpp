#include "listhistory.h"

#include "editorview.h"
#include "entrylistmodel.h"

#include "app/failure.h"

namespace editor {
namespace {

// Title keystrokes of one burst merge into one step.
constexpr int kTypingId = 1;

class SpliceStep : public QUndoCommand
{
public:
    SpliceStep(ListHistory& history, int row, QList<TimelineEntry> removed,
               QList<TimelineEntry> inserted, const QString& text)
        : QUndoCommand(text), mHistory(history), mRow(row), mRemoved(std::move(removed)),
          mInserted(std::move(inserted))
    {}
    void redo() override { apply(mRemoved, mInserted); }
    void undo() override { apply(mInserted, mRemoved); }

private:
    void apply(const QList<TimelineEntry>& out, const QList<TimelineEntry>& in)
    {
        EntryListModel& entries = mHistory.entries();
        if (out.size() == 1 && in.size() == 1) {
            entries.setEntry(mRow, in.first());
        } else if (mRow == 0 && out.size() == entries.rowCount()) {
            // The whole list: one reset is far quicker to show than rows one by one.
            entries.setEntries(in);
        } else {
            entries.removeEntries(mRow, static_cast<int>(out.size()));
            entries.insertEntries(mRow, in);
        }
        mHistory.setTouched(in.isEmpty() ? std::nullopt
                                         : std::optional<ListHistory::Touched>({mRow, 1}));
    }

    ListHistory& mHistory;
    int mRow;
    QList<TimelineEntry> mRemoved;
    QList<TimelineEntry> mInserted;
};

class ReplaceStep : public QUndoCommand
{
public:
    ReplaceStep(ListHistory& history, int row, QList<TimelineEntry> before,
                QList<TimelineEntry> after, const QString& text)
        : QUndoCommand(text), mHistory(history), mRow(row), mBefore(std::move(before)),
          mAfter(std::move(after))
    {}
    void redo() override { apply(mAfter); }
    void undo() override { apply(mBefore); }

private:
    void apply(const QList<TimelineEntry>& rows)
    {
        mHistory.entries().replaceEntries(mRow, rows);
        mHistory.setTouched(ListHistory::Touched{mRow, int(rows.size())});
    }

    ListHistory& mHistory;
    int mRow;
    QList<TimelineEntry> mBefore;
    QList<TimelineEntry> mAfter;
};

// A block move as single-row moves, so the view keeps each row's selection; undone by
// the same moves backwards.
class MoveStep : public QUndoCommand
{
public:
    MoveStep(ListHistory& history, QList<std::pair<int, int>> moves, ListHistory::Touched block,
             const QString& text)
        : QUndoCommand(text), mHistory(history), mMoves(std::move(moves)), mBlock(block)
    {}
    void redo() override
    {
        for (const auto& [from, to] : mMoves)
            mHistory.entries().moveEntry(from, to);
        mHistory.setTouched(mBlock);
    }
    void undo() override
    {
        for (auto move = mMoves.crbegin(); move != mMoves.crend(); ++move)
            mHistory.entries().moveEntry(move->second, move->first);
        mHistory.setTouched(ListHistory::Touched{mMoves.first().first, 1});
    }

private:
    ListHistory& mHistory;
    QList<std::pair<int, int>> mMoves;
    ListHistory::Touched mBlock;
};

class TitleStep : public QUndoCommand
{
public:
    TitleStep(ListHistory& history, QString before, QString after, const QString& text,
              std::optional<int> burst = std::nullopt)
        : QUndoCommand(text), mHistory(history), mBefore(std::move(before)),
          mAfter(std::move(after)), mBurst(burst), mShown(burst.has_value())
    {}
    int id() const override { return mBurst ? kTypingId : -1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const TitleStep*>(other);
        if (next->mBurst != mBurst)
            return false;
        mAfter = next->mAfter;
        setObsolete(mAfter == mBefore);
        return true;
    }
    // Typing is on screen before its step is recorded; setting the text again would move
    // the caret to the end.
    void redo() override
    {
        if (!std::exchange(mShown, false))
            mHistory.apply([&] { mHistory.view().setTitleText(mAfter); });
    }
    void undo() override
    {
        mHistory.apply([&] { mHistory.view().setTitleText(mBefore); });
    }

private:
    ListHistory& mHistory;
    QString mBefore;
    QString mAfter;
    std::optional<int> mBurst;
    bool mShown;
};

} // namespace

ListHistory::ListHistory(EntryListModel& entries, EditorView& view) : mEntries(entries), mView(view)
{
    for (QUndoStack& stack : mStacks) {
        // Each step holds its rows by implicit sharing, so a long history costs little.
        stack.setUndoLimit(0);
        mGroup.addStack(&stack);
    }
    mGroup.setActiveStack(&mStacks[0]);
}

void ListHistory::splice(int row, int removeCount, const QList<TimelineEntry>& inserted,
                         const QString& text)
{
    const QList<TimelineEntry>& shown = mEntries.entries();
    if (row < 0 || removeCount < 0 || row + removeCount > shown.size())
        throw app::Failure(QStringLiteral("Index out of bounds"));
    if (removeCount == 0 && inserted.isEmpty())
        return;
    push(new SpliceStep(*this, row, shown.mid(row, removeCount), inserted, text));
}

void ListHistory::moveRows(const QList<int>& rows, int before, const QString& text)
{
    const int count = mEntries.rowCount();
    if (rows.isEmpty() || before < 0 || before > count || rows.first() < 0 || rows.last() >= count)
        throw app::Failure(QStringLiteral("Index out of bounds"));
    // The rows above `before` go down to it, the last first, so those above them stay
    // put; then the rows below come up after them, the first first.
    QList<std::pair<int, int>> moves;
    const auto firstBelow = std::lower_bound(rows.cbegin(), rows.cend(), before);
    const int above = int(firstBelow - rows.cbegin());
    for (int i = above - 1; i >= 0; --i)
        moves.append({rows.at(i), before - above + i});
    for (int i = above; i < rows.size(); ++i)
        moves.append({rows.at(i), before + i - above});
    moves.removeIf([](const std::pair<int, int>& move) { return move.first == move.second; });
    if (!moves.isEmpty())
        push(new MoveStep(*this, moves, {before - above, int(rows.size())}, text));
}

void ListHistory::replaceAll(const QList<TimelineEntry>& entries, const QString& text)
{
    splice(0, mEntries.rowCount(), entries, text);
}

void ListHistory::replaceRows(int row, const QList<TimelineEntry>& entries, const QString& text)
{
    const QList<TimelineEntry>& shown = mEntries.entries();
    if (row < 0 || row + entries.size() > shown.size())
        throw app::Failure(QStringLiteral("Index out of bounds"));
    if (!entries.isEmpty())
        push(new ReplaceStep(*this, row, shown.mid(row, entries.size()), entries, text));
}

void ListHistory::setTitle(const QString& title, const QString& text)
{
    const QString before = mView.titleText();
    if (before != title)
        push(new TitleStep(*this, before, title, text));
}

void ListHistory::typeTitle(const QString& before, const QString& after)
{
    if (before != after)
        stack().push(new TitleStep(*this, before, after, QStringLiteral("Typing"), mBurst));
}

void ListHistory::beginGroup(const QString& text)
{
    mGroupText = text;
    mGroupOpen = true;
}

void ListHistory::endGroup()
{
    if (mGroupStarted)
        stack().endMacro();
    mGroupOpen = false;
    mGroupStarted = false;
}

void ListHistory::push(QUndoCommand* step)
{
    endTyping();
    // A group starts with its first change, so a command that changes nothing (Clear on
    // an empty editor) leaves no step that an undo would spend doing nothing.
    if (mGroupOpen && !mGroupStarted) {
        stack().beginMacro(mGroupText);
        mGroupStarted = true;
    }
    stack().push(step);
}

void ListHistory::undo()
{
    endTyping();
    mTouched.reset();
    stack().undo();
}

void ListHistory::redo()
{
    endTyping();
    mTouched.reset();
    stack().redo();
}

void ListHistory::showScale(int scale, bool keep)
{
    if (scale < 1 || scale >= int(mStacks.size()))
        throw app::Failure(QStringLiteral("Invalid scale %1").arg(scale));
    endTyping();
    mScale = scale;
    if (!keep)
        stack().clear();
    mGroup.setActiveStack(&stack());
    mTouched.reset();
}

} // namespace editor
