#include "entrylistmodel.h"

#include "app/failure.h"

#include <QMimeData>

#include <algorithm>

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
    if (!index.isValid() || index.row() >= mEntries.size())
        return {};
    const TimelineEntry& entry = mEntries.at(index.row());
    if (index.column() == 0 && (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
        QString notes = rowNotes(index.row());
        if (role == Qt::DecorationRole && (!notes.isEmpty() || entry.milestone))
            return notes.isEmpty() ? mMilestoneIcon : mNoteIcon;
        if (entry.milestone)
            notes +=
                (notes.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("Milestone");
        if (!notes.isEmpty())
            return notes;
    }
    if (role == kMilestoneRole)
        return entry.milestone;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0:
        return entry.date;
    case 1:
        return entry.notes;
    case 2:
        return entry.category;
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

namespace {
void checkRow(int row, qsizetype count)
{
    if (row < 0 || row >= count)
        throw app::Failure(QStringLiteral("Index out of bounds"));
}
} // namespace

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

void EntryListModel::insertEntries(int row, const QList<TimelineEntry>& entries)
{
    if (row < 0 || row > mEntries.size())
        throw app::Failure(QStringLiteral("Index out of bounds"));
    if (entries.isEmpty())
        return;
    beginInsertRows({}, row, row + static_cast<int>(entries.size()) - 1);
    mEntries.insert(row, entries.size(), TimelineEntry{});
    std::copy(entries.cbegin(), entries.cend(), mEntries.begin() + row);
    endInsertRows();
}

void EntryListModel::removeEntries(int row, int count)
{
    if (count <= 0)
        return;
    checkRow(row, mEntries.size());
    checkRow(row + count - 1, mEntries.size());
    beginRemoveRows({}, row, row + count - 1);
    mEntries.remove(row, count);
    endRemoveRows();
}

void EntryListModel::setEntry(int row, const TimelineEntry& entry)
{
    checkRow(row, mEntries.size());
    const bool marked = std::exchange(mEntries[row], entry).milestone != entry.milestone;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1),
                     marked ? QList<int>{Qt::DisplayRole, Qt::DecorationRole, kMilestoneRole}
                            : QList<int>{Qt::DisplayRole});
}

void EntryListModel::replaceEntries(int row, const QList<TimelineEntry>& entries)
{
    if (entries.isEmpty())
        return;
    checkRow(row, mEntries.size());
    checkRow(row + int(entries.size()) - 1, mEntries.size());
    std::copy(entries.cbegin(), entries.cend(), mEntries.begin() + row);
    emit dataChanged(index(row, 0), index(row + int(entries.size()) - 1, columnCount() - 1),
                     {Qt::DisplayRole, Qt::DecorationRole, kMilestoneRole});
}

void EntryListModel::moveEntry(int from, int to)
{
    checkRow(from, mEntries.size());
    checkRow(to, mEntries.size());
    if (from == to)
        return;
    // The view counts the destination before the move: below the source it is one more.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    mEntries.move(from, to);
    endMoveRows();
}

void EntryListModel::setRowNotes(RowNoteKind kind, QHash<int, QString> notes)
{
    QHash<int, QString>& held = mRowNotes[kind];
    if (held == notes)
        return; // most edits leave the marks as they were: nothing to repaint
    held = std::move(notes);
    if (!mEntries.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0),
                         {Qt::DecorationRole, Qt::ToolTipRole});
}

QString EntryListModel::rowNotes(int row) const
{
    QStringList texts;
    for (const QHash<int, QString>& notes : mRowNotes)
        if (const auto note = notes.constFind(row); note != notes.cend())
            texts.append(*note);
    return texts.join(u'\n');
}

namespace {
constexpr const char* kRowMime = "application/x-loomchart-entry-row";
} // namespace

void EntryListModel::setMoveHandler(std::function<void(const QList<int>&, int)> onMove)
{
    mOnMove = std::move(onMove);
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid())
        flags |= Qt::ItemIsDragEnabled | Qt::ItemIsEditable; // edited through the history
    else
        flags |= Qt::ItemIsDropEnabled; // between rows and below the last
    return flags;
}

Qt::DropActions EntryListModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

QStringList EntryListModel::mimeTypes() const
{
    return {QLatin1String(kRowMime)};
}

QMimeData* EntryListModel::mimeData(const QModelIndexList& indexes) const
{
    // Every selected row, once, in list order: the view gives one index per cell.
    QList<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid())
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty())
        return nullptr;
    QByteArrayList numbers;
    for (int row : rows)
        numbers.append(QByteArray::number(row));
    auto* data = new QMimeData;
    data->setData(QLatin1String(kRowMime), numbers.join(' '));
    return data;
}

bool EntryListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex&) const
{
    return data && action == Qt::MoveAction && data->hasFormat(QLatin1String(kRowMime));
}

bool EntryListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                  const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, 0, parent) || !mOnMove)
        return false;
    QList<int> rows;
    for (const QByteArray& number : data->data(QLatin1String(kRowMime)).split(' ')) {
        bool ok = false;
        const int from = number.toInt(&ok);
        if (!ok || from < 0 || from >= mEntries.size() || (!rows.isEmpty() && from <= rows.last()))
            return false;
        rows.append(from);
    }
    // A drop on a row puts the dragged rows before it; below the last row, at the end.
    const int before = row >= 0 ? row : (parent.isValid() ? parent.row() : int(mEntries.size()));
    mOnMove(rows, std::min(before, int(mEntries.size())));
    return false;
}

} // namespace editor
