#pragma once

#include "celledit.h"

#include <QColor>
#include <QIcon>
#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;
class QLineEdit;

namespace editor {

// The diamond a milestone's date shows in the list, drawn in `colour`.
QIcon milestoneIcon(const QColor& colour);

// Edits a cell of the list in place and shows the whole text of a cell the list cuts
// short as its tooltip. What a typed text does is the commit function's (CellEdit); this
// class only moves the keys: Enter takes the text, Tab and Shift+Tab take it and go on
// to the next or previous cell, Escape drops it. A refused text keeps the editor open
// as typed. Leaving the cell for another place of the window (a click elsewhere) takes
// the text when the rules allow it; otherwise the refusal is said and the cell keeps its
// text. Another window or a menu taking the focus leaves the edit open.
class EntryCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // False when a rule refused the text.
    using Commit = std::function<bool(ListCell cell, const QString& text)>;
    EntryCellDelegate(Commit commit, QAbstractItemView* view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // True when the view cannot show the cell's whole text on its line: it is elided, or
    // it holds a line break.
    bool isCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool commitEditor(QLineEdit* editor) const;

    Commit mCommit;
    QAbstractItemView* mView;
    // A commit is running: its refusal box takes the focus, and its closing must not
    // commit again.
    mutable bool mCommitting = false;
};

} // namespace editor
