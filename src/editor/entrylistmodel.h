#pragma once

#include "entrylist.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace editor {

// The rows of the list control: column 0 is the date, column 1 the notes. The columns
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
    void append(const TimelineEntry& entry);
    // Both throw app::Failure when the row does not exist.
    void setNotes(int row, const QString& notes);
    void removeAt(int row);
    void clear();
    void setEntries(QList<TimelineEntry> entries);

    const QList<TimelineEntry>& entries() const { return mEntries; }

private:
    QStringList mColumns;
    QList<TimelineEntry> mEntries;
};

} // namespace editor
