#pragma once

#include "timeline/entrylist.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>

namespace editor {

// Why a row is marked in the list. Each kind is worked out elsewhere and handed in whole;
// a row's tooltip shows the texts of all kinds, in this order.
enum class RowNoteKind
{
    DateOrder, // its date is earlier than the one above it
    PageCut,   // the last page could not show all its text
};

// True for a milestone's cells; the cell delegate shows them in italics.
inline constexpr int kMilestoneRole = Qt::UserRole + 1;

// The rows of the list control: column 0 is the date, column 1 the notes, column 2 the
// category. A milestone shows a diamond beside its date (where a marked row shows the
// note icon) and its row in italics, and says so in its date's tooltip. The columns
// are added at start-up, so a fresh model has none. Rows keep insertion order.
class EntryListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void addColumn(const QString& title);
    void clear();
    void setEntries(QList<TimelineEntry> entries);
    // Row positions count from 0; all throw app::Failure for a row that does not exist.
    void insertEntries(int row, const QList<TimelineEntry>& entries);
    void removeEntries(int row, int count);
    void setEntry(int row, const TimelineEntry& entry);
    // The rows from `row` take the values of `entries` in place, with one change signal.
    void replaceEntries(int row, const QList<TimelineEntry>& entries);
    // Takes the row at `from` out and puts it back so that it stands at `to`.
    void moveEntry(int from, int to);

    // Rows are dragged within the list only: the drop hands the dragged rows (ascending)
    // and the row they go before to `onMove`, which runs the move as a command, and
    // reports no data taken, so the view removes nothing.
    void setMoveHandler(std::function<void(const QList<int>& rows, int before)> onMove);
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    const QList<TimelineEntry>& entries() const { return mEntries; }

    // Marks rows (from 0) with a text each, replacing the notes of that kind. A marked row
    // shows the note icon beside its date and its notes as the date's tooltip.
    void setRowNotes(RowNoteKind kind, QHash<int, QString> notes);
    void setRowNoteIcon(const QIcon& icon) { mNoteIcon = icon; }
    // The notes of the row, one a line; empty when it has none.
    QString rowNotes(int row) const;
    // What a milestone's date shows; the note icon stands in its place on a marked row.
    void setMilestoneIcon(const QIcon& icon) { mMilestoneIcon = icon; }

private:
    QStringList mColumns;
    QList<TimelineEntry> mEntries;
    std::function<void(const QList<int>&, int)> mOnMove;
    QMap<RowNoteKind, QHash<int, QString>> mRowNotes;
    QIcon mNoteIcon;
    QIcon mMilestoneIcon;
};

} // namespace editor
