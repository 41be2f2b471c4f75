#pragma once

#include "entrylistmodel.h"
#include "listcommands.h"
#include "mainlayout.h"
#include "timelinecommands.h"

#include "app/mousepointer.h"

#include <QCursor>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QGroupBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTreeView;

class QAction;

namespace preview {
class PageView;
}

namespace app {
class Dialogs;
class ProgramEnd;
class SystemClipboard;
class TextClipboard;
} // namespace app

namespace editor {

class SettingsStore;

// What the main window reaches of the outside world.
struct Form1Services
{
    app::Dialogs& dialogs;
    app::ProgramEnd& programEnd;
    SettingsStore& store;
    // Where the skin "x/o.cjs" and the hand cursor "HAND-M.CUR" are looked for.
    QString programFolder;
    // The start-up check that Word can be started. False means it has already ended the
    // program, so start-up goes no further. Unset: no check.
    std::function<bool()> ensureWordAvailable;
    // "Start Creating Template". Unset: the button does nothing.
    std::function<void()> createTemplate;
    // Where rows are copied to and pasted from. Null: the system clipboard.
    app::TextClipboard* textClipboard = nullptr;
};

// The timeline editor: title, scale and entry list, and the commands on them. The
// commands' decisions live in TimelineCommands; this class lays the controls out, wires
// them and runs the start-up and close sequences.
class Form1 : public QWidget, public EditorView
{
    Q_OBJECT
public:
    explicit Form1(Form1Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: skin, caption, icon, hand cursor, restored title and scale, columns, the
    // Word check and the stored list. False when the Word check ended the program.
    bool Form_Load();
    // Close: writes the shown list under its scale, then ends the program at once.
    void Form_QueryUnload();
    void Form_Unload();

    void PushButton1_Click(); // Add Timeline
    void PushButton2_Click(); // Delete Selected Timeline
    void PushButton3_Click(); // Clear/Reset Data
    void PushButton4_Click(); // Load Sample/Example Data
    void PushButton6_Click(); // Start Creating Template

    // Writes the shown rows under the scale they belong to; the preview window calls it
    // before it ends the program from there.
    void SaveScaleEntries();
    // Replaces the rows by the stored list of the selected scale; throws app::Failure.
    void LoadScaleEntries();

    void setCreateTemplate(std::function<void()> createTemplate);

    // The entries in list order; index counts from 0 (row index + 1 in the list's terms).
    int entryCount() const;
    QString entryDate(int index) const;
    QString entryNotes(int index) const;
    const QList<TimelineEntry>& entries() const;
    // Marks the rows (from 0) whose text the last page could not show, each with its reason.
    void setPageCutNotes(const QHash<int, QString>& notes);
    QString rowNotes(int row) const { return mEntries.rowNotes(row); }

    // EditorView
    QString titleText() const override;
    void setTitleText(const QString& text) override;
    int selectedScale() const override;
    void selectScale(int scale) override;
    std::optional<int> selectedRow() const override;
    QList<int> selectedRows() const override;
    std::optional<int> currentRow() const override;
    void showRow(int row) override;
    void showRows(int row, int count) override;

    // The list's commands beside the buttons, as the context menu and the keys run them.
    ListCommands& listCommands() { return mListCommands; }
    TimelineCommands& timelineCommands() { return mCommands; }

    // The menu bar's menus. The window fills Edit (its list commands) and View; the
    // studio fills File, Page and Help with the commands it owns.
    enum class Menu
    {
        File,
        Edit,
        View,
        Page,
        Help,
    };
    QMenu& menu(Menu which) const;
    QMenuBar& menuBar() const { return *mMenuBar; }
    // Where the controls stand: the window below the menu bar.
    QWidget& centralArea() const { return *mCentral; }

    // The page beside the list, shown when the window is wide enough.
    preview::PageView& pageView() { return *mPageView; }
    bool pageViewShown() const;
    // Takes the size the window had when it was last resized in an earlier run, within the
    // screen; true when it was maximised then.
    bool restoreWindowSize();

    app::MousePointer mousePointer() const { return mPointer; }
    void setMousePointer(app::MousePointer pointer);
    bool hasHandCursor() const { return mHandCursor.has_value(); }

signals:
    // The title or the rows changed: what the page is made of.
    void pageInputChanged();
    void pageViewShownChanged(bool shown);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    int menuBarHeight() const;
    // The menu bar across the top, the controls' area below it.
    void placeAreas();
    void placeControls(const MainWindowGeometry& geometry);
    void followPageViewShown();
    void keepWindowSize();
    void showNotices(const QStringList& notices);
    void releaseButtonsAfterRefusal();
    void createListActions();
    void createMenus();
    // Enables the list's commands that have something to act on.
    void updateListActions();
    void setUpConnections();
    void setColumnWidthTwips(int column, int widthTwips);
    // Marks the rows whose dates are out of order.
    void checkDateOrder();

    void Option1_Click(bool checked);
    void Option2_Click(bool checked);
    void Option3_Click(bool checked);
    void Text1_Change(const QString& text);
    void Text1_GotFocus();
    bool selectsTitleOnFocus(Qt::FocusReason reason);
    void hoverOver(bool overButton);

    Form1Services mServices;
    std::unique_ptr<app::SystemClipboard> mSystemClipboard;
    EntryListModel mEntries;
    TimelineCommands mCommands;
    ListCommands mListCommands;

    QMenuBar* mMenuBar = nullptr;
    std::vector<QMenu*> mMenus; // by Menu
    QAction* mPageBeside = nullptr;
    QWidget* mCentral = nullptr;
    QPushButton* mPushButton6 = nullptr;
    QPushButton* mPushButton3 = nullptr;
    QPushButton* mPushButton4 = nullptr;
    QGroupBox* mFrame1 = nullptr;
    QLineEdit* mText1 = nullptr;
    QGroupBox* mFrame3 = nullptr;
    QRadioButton* mOption1 = nullptr;
    QRadioButton* mOption2 = nullptr;
    QRadioButton* mOption3 = nullptr;
    QGroupBox* mFrame2 = nullptr;
    QTreeView* mListView1 = nullptr;
    QPushButton* mPushButton1 = nullptr;
    QPushButton* mPushButton2 = nullptr;
    preview::PageView* mPageView = nullptr;
    bool mPageViewShown = false;
    // The size is stored a moment after the last resize, not at every step of a drag.
    QTimer mKeepSize;

    std::vector<std::pair<QAction*, bool ListCommandStates::*>> mListActions;

    app::MousePointer mPointer = app::MousePointer::Default;
    std::optional<QCursor> mHandCursor;
    bool mCentred = false;
    bool mTitleFocusedOnce = false;
};

} // namespace editor
