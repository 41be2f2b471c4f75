#include "listhistory.h"

#include "entrylistmodel.h"
#include "timelinecommands.h"

#include "app/failure.h"

namespace editor {
namespace {

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
        mHistory.setTouched(in.isEmpty() ? std::nullopt : std::optional<int>(mRow));
    }

    ListHistory& mHistory;
    int mRow;
    QList<TimelineEntry> mRemoved;
    QList<TimelineEntry> mInserted;
};

class MoveStep : public QUndoCommand
{
public:
    MoveStep(ListHistory& history, int from, int to, const QString& text)
        : QUndoCommand(text), mHistory(history), mFrom(from), mTo(to)
    {}
    void redo() override { apply(mFrom, mTo); }
    void undo() override { apply(mTo, mFrom); }

private:
    void apply(int from, int to)
    {
        mHistory.entries().moveEntry(from, to);
        mHistory.setTouched(to);
    }

    ListHistory& mHistory;
    int mFrom;
    int mTo;
};

class TitleStep : public QUndoCommand
{
public:
    TitleStep(ListHistory& history, QString before, QString after, const QString& text)
        : QUndoCommand(text), mHistory(history), mBefore(std::move(before)),
          mAfter(std::move(after))
    {}
    void redo() override { mHistory.view().setTitleText(mAfter); }
    void undo() override { mHistory.view().setTitleText(mBefore); }

private:
    ListHistory& mHistory;
    QString mBefore;
    QString mAfter;
};

} // namespace

ListHistory::ListHistory(EntryListModel& entries, EditorView& view) : mEntries(entries), mView(view)
{
    // Each step holds its rows by implicit sharing, so a long history costs little.
    mStack.setUndoLimit(0);
}

void ListHistory::splice(int row, int removeCount, const QList<TimelineEntry>& inserted,
                         const QString& text)
{
    const QList<TimelineEntry>& shown = mEntries.entries();
    if (row < 0 || removeCount < 0 || row + removeCount > shown.size())
        throw app::Failure(QStringLiteral("Index out of bounds"));
    if (removeCount == 0 && inserted.isEmpty())
        return;
    mStack.push(new SpliceStep(*this, row, shown.mid(row, removeCount), inserted, text));
}

void ListHistory::move(int from, int to, const QString& text)
{
    const qsizetype count = mEntries.entries().size();
    if (from < 0 || from >= count || to < 0 || to >= count)
        throw app::Failure(QStringLiteral("Index out of bounds"));
    if (from != to)
        mStack.push(new MoveStep(*this, from, to, text));
}

void ListHistory::replaceAll(const QList<TimelineEntry>& entries, const QString& text)
{
    splice(0, mEntries.rowCount(), entries, text);
}

void ListHistory::setTitle(const QString& title, const QString& text)
{
    const QString before = mView.titleText();
    if (before != title)
        mStack.push(new TitleStep(*this, before, title, text));
}

void ListHistory::beginGroup(const QString& text)
{
    mStack.beginMacro(text);
}

void ListHistory::endGroup()
{
    mStack.endMacro();
}

void ListHistory::undo()
{
    mTouched.reset();
    mStack.undo();
}

void ListHistory::redo()
{
    mTouched.reset();
    mStack.redo();
}

void ListHistory::reset()
{
    mStack.clear();
    mTouched.reset();
}

} // namespace editor
