#include "entrycelldelegate.h"

#include "entrylistmodel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QPolygonF>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>

#include <limits>

namespace editor {
namespace {
// The cell an editor edits, kept on the editor since the view does not say.
constexpr const char* kCellProperty = "loomchartCell";

QPersistentModelIndex cellOf(const QWidget* editor)
{
    return editor->property(kCellProperty).value<QPersistentModelIndex>();
}
} // namespace

QIcon milestoneIcon(const QColor& colour)
{
    QIcon icon;
    for (int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const qreal half = side / 2.0;
        const qreal reach = side * 0.4;
        painter.drawPolygon(QPolygonF{{half, half - reach},
                                      {half + reach, half},
                                      {half, half + reach},
                                      {half - reach, half}});
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

EntryCellDelegate::EntryCellDelegate(Commit commit, QAbstractItemView* view)
    : QStyledItemDelegate(view), mCommit(std::move(commit)), mView(view)
{}

QWidget* EntryCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const
{
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("CellEditor"));
    if (index.column() >= 0 && index.column() < kListColumns)
        editor->setAccessibleName(
            QLatin1String(timeline::kEntryColumns[size_t(index.column())].name));
    editor->setFrame(false);
    // Notes are free text of any length, as the questions of "Add Timeline" take them.
    editor->setMaxLength(std::numeric_limits<int>::max());
    editor->setProperty(kCellProperty, QVariant::fromValue(QPersistentModelIndex(index)));
    return editor;
}

void EntryCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // The view sends the cell again when the row's marks change; what is typed stays.
    auto* line = static_cast<QLineEdit*>(editor);
    if (!line->isModified())
        line->setText(index.data(Qt::DisplayRole).toString());
}

void EntryCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const
{
    // Reached when the editor closes because the user went elsewhere.
    if (!mCommitting)
        commitEditor(static_cast<QLineEdit*>(editor));
}

bool EntryCellDelegate::commitEditor(QLineEdit* editor) const
{
    const QPersistentModelIndex cell = cellOf(editor);
    if (!cell.isValid() || !mCommit)
        return true;
    mCommitting = true;
    bool taken = true;
    try {
        taken = mCommit({cell.row(), cell.column()}, editor->text());
    } catch (...) {
        mCommitting = false;
        throw;
    }
    mCommitting = false;
    return taken;
}

bool EntryCellDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QLineEdit*>(watched);
    if (!editor)
        return QStyledItemDelegate::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The keys belong to the cell while it is edited: Enter takes the text rather
        // than opening "Edit…", and Insert or Ctrl+T type nothing rather than run.
        event->accept();
        return true;
    case QEvent::FocusOut: {
        // Only a move to another place of the window ends the edit: not the refusal box,
        // nor a menu or another window taking the focus for a while.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (mCommitting || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool back = key->key() == Qt::Key_Backtab ||
                          (key->key() == Qt::Key_Tab && key->modifiers() & Qt::ShiftModifier);
        const bool tab = back || key->key() == Qt::Key_Tab;
        if (!tab && key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            break;
        const QPersistentModelIndex cell = cellOf(editor);
        if (!commitEditor(editor))
            return true; // refused and said: the text stays to be put right
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (!tab || !cell.isValid())
            return true;
        const QAbstractItemModel* model = cell.model();
        if (const std::optional<ListCell> next =
                neighbourCell({cell.row(), cell.column()}, model->rowCount(), !back)) {
            const QModelIndex nextIndex = model->index(next->row, next->column);
            mView->selectionModel()->setCurrentIndex(
                nextIndex, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            mView->edit(nextIndex);
        }
        return true;
    }
    default:
        break;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void EntryCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(kMilestoneRole).toBool())
        option->font.setItalic(true);
}

bool EntryCellDelegate::isCut(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    // The item view's text drawing turns line breaks into line separators and keeps this
    // margin on each side of the text.
    if (shown.text.contains(QChar::LineSeparator))
        return true;
    const QWidget* widget = shown.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &shown, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return shown.fontMetrics.horizontalAdvance(shown.text) > textRect.width() - 2 * margin;
}

bool EntryCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index)
{
    // A marked row's date tells why it is marked, as the model says.
    if (!event || event->type() != QEvent::ToolTip || !view || !index.isValid() ||
        index.data(Qt::DecorationRole).isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // Rich text, so that a long text wraps and one that looks like markup shows as typed.
    const QString tip = isCut(option, index)
                            ? Qt::convertFromPlainText(index.data(Qt::DisplayRole).toString())
                            : QString();
    QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}

} // namespace editor
