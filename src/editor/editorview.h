#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace editor {

// What the commands need from the window: the title box, the scale options and the
// list's selection. Setting the title or selecting a scale goes through the widgets, so
// their change handlers run as they would for the user.
class EditorView
{
public:
    virtual ~EditorView() = default;
    virtual QString titleText() const = 0;
    virtual void setTitleText(const QString& text) = 0;
    // 1, 2 or 3: the first selected of Yearly, Monthly, Daily; 0 when none is selected.
    virtual int selectedScale() const = 0;
    virtual void selectScale(int scale) = 0;
    // The selected row, counted from 0; the first of several.
    virtual std::optional<int> selectedRow() const = 0;
    // Every selected row, in list order.
    virtual QList<int> selectedRows() const
    {
        const std::optional<int> row = selectedRow();
        return row ? QList<int>{*row} : QList<int>{};
    }
    // The row with the focus among several selected; Edit acts on it.
    virtual std::optional<int> currentRow() const { return selectedRow(); }
    // Selects the row and brings it into view, after a command put it there.
    virtual void showRow(int row) { Q_UNUSED(row); }
    // Selects `count` rows from `row`, after a command moved them there as a block.
    virtual void showRows(int row, int count)
    {
        Q_UNUSED(count);
        showRow(row);
    }
};

} // namespace editor
