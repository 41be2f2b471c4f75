#include "entrylistmodel.h"

#include "app/failure.h"

namespace editor {

int EntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(mEntries.size());
}

int EntryListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(mColumns.size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= mEntries.size() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const TimelineEntry& entry = mEntries.at(index.row());
    switch (index.column()) {
    case 0:
        return entry.date;
    case 1:
        return entry.notes;
    default:
        return {};
    }
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= mColumns.size())
        return {};
    return mColumns.at(section);
}

void EntryListModel::addColumn(const QString& title)
{
    const int column = static_cast<int>(mColumns.size());
    beginInsertColumns({}, column, column);
    mColumns << title;
    endInsertColumns();
}

void EntryListModel::append(const TimelineEntry& entry)
{
    const int row = static_cast<int>(mEntries.size());
    beginInsertRows({}, row, row);
    mEntries.append(entry);
    endInsertRows();
}

namespace {
void checkRow(int row, qsizetype count)
{
    if (row < 0 || row >= count)
        throw app::Failure(QStringLiteral("Index out of bounds"));
}
} // namespace

void EntryListModel::setNotes(int row, const QString& notes)
{
    checkRow(row, mEntries.size());
    mEntries[row].notes = notes;
    const QModelIndex cell = index(row, 1);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void EntryListModel::removeAt(int row)
{
    checkRow(row, mEntries.size());
    beginRemoveRows({}, row, row);
    mEntries.removeAt(row);
    endRemoveRows();
}

void EntryListModel::clear()
{
    setEntries({});
}

void EntryListModel::setEntries(QList<TimelineEntry> entries)
{
    // One reset instead of a row signal per entry keeps a long list quick to show.
    beginResetModel();
    mEntries = std::move(entries);
    endResetModel();
}

} // namespace editor
