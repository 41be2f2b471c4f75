#include "form1.h"

#include "celledit.h"
#include "entrycelldelegate.h"
#include "timeline/datereader.h"
#include "timeline/settingsstore.h"

#include "app/appearance.h"
#include "app/apptitle.h"
#include "app/clipboard.h"
#include "app/dialogs.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/fileutil.h"
#include "app/locationlabels.h"
#include "app/processend.h"
#include "app/units.h"

#include "preview/pageview.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <limits>

namespace editor {
namespace {
constexpr int kDateColumnTwips = 2000;
// The three columns share the width the date and notes had.
constexpr int kNotesColumnTwips = 3500;
constexpr int kCategoryColumnTwips = 1500;

QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.0);
    font.setBold(true);
    return font;
}

QFont buttonFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

template <typename Widget>
Widget* named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QLatin1String(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}
} // namespace

namespace {
app::TextClipboard& textClipboardOf(Form1Services& services,
                                    std::unique_ptr<app::SystemClipboard>& own)
{
    if (services.textClipboard)
        return *services.textClipboard;
    own = std::make_unique<app::SystemClipboard>();
    return *own;
}
} // namespace

Form1::Form1(Form1Services services, QWidget* parent)
    : QWidget(parent), mServices(std::move(services)),
      mCommands(mServices.dialogs, mServices.store, mEntries, *this),
      mListCommands(mServices.dialogs, mCommands, textClipboardOf(mServices, mSystemClipboard))
{
    createControls();
    createListActions();
    setUpConnections();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setFont(windowFont());
    // The menu bar stands above the controls, which keep their drawn places in the area
    // below it; the window is taller by the bar.
    mMenuBar = new QMenuBar(this);
    mMenuBar->setObjectName(QStringLiteral("menuBar"));
    // The menus speak in the desktop's font, not the window's bold Arial; each property is
    // set so that none is taken from the window.
    const QFont desktop = QApplication::font(mMenuBar);
    QFont menuFont(desktop.family());
    menuFont.setPointSizeF(desktop.pointSizeF());
    menuFont.setBold(false);
    mMenuBar->setFont(menuFont);
    createMenus();
    mCentral = new QWidget(this);
    mCentral->setObjectName(QStringLiteral("centralArea"));
    const QSize designed = designedClientSize(logicalDpiX(), logicalDpiY());
    const QSize withMenu = designed + QSize(0, menuBarHeight());
    setMinimumSize(withMenu);
    resize(withMenu);
    app::setBackColor(this, app::designedWhite());

    const auto button = [&](QWidget* parent, const char* name, const char* caption) {
        auto* pushButton =
            named(new QPushButton(QLatin1String(caption), parent), name, QLatin1String(caption));
        pushButton->setFont(buttonFont());
        return pushButton;
    };
    const auto frame = [&](const char* name, const char* caption) {
        auto* groupBox =
            named(new QGroupBox(QLatin1String(caption), mCentral), name, QLatin1String(caption));
        app::setBackColor(groupBox, app::designedWhite());
        return groupBox;
    };
    const auto option = [&](const char* name, const char* caption, const char* accessible) {
        auto* radio = named(new QRadioButton(QLatin1String(caption), mFrame3), name,
                            QLatin1String(accessible));
        // A button fills with its Button role; the back colour is kept in Window.
        radio->setBackgroundRole(QPalette::Window);
        app::setBackColor(radio, app::designedWhite());
        return radio;
    };

    mPushButton6 = button(mCentral, "PushButton6", "Start Creating Template");
    mPushButton3 = button(mCentral, "PushButton3", "Clear/Reset Data");
    mPushButton4 = button(mCentral, "PushButton4", "Load Sample/Example Data");

    mFrame1 = frame("Frame1", "Timeline Title");
    mText1 = named(new QLineEdit(mFrame1), "Text1", QStringLiteral("Timeline title"));
    // The title is free text of any length; the line edit's default cap of 32767
    // characters would cut a longer stored title at start-up and store it cut.
    mText1->setMaxLength(std::numeric_limits<int>::max());

    mFrame3 = frame("Frame3", "Options");
    mOption1 = option("Option1", " Yearly", "Yearly");
    mOption2 = option("Option2", "Monthly", "Monthly");
    mOption3 = option("Option3", "Daily", "Daily");
    mOption1->setChecked(true);

    mFrame2 = frame("Frame2", "Time Lines");
    mListView1 = named(new QTreeView(mFrame2), "ListView1", QStringLiteral("Timeline entries"));
    // Report style: flat rows of equal height, so tens of thousands of rows show at once.
    mListView1->setRootIsDecorated(false);
    mListView1->setItemsExpandable(false);
    mListView1->setUniformRowHeights(true);
    mListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Rows are dragged to a new place within the list; the model hands the move to the
    // list's move command.
    mListView1->setDragEnabled(true);
    mListView1->setAcceptDrops(true);
    mListView1->setDropIndicatorShown(true);
    mListView1->setDragDropMode(QAbstractItemView::InternalMove);
    mListView1->setDefaultDropAction(Qt::MoveAction);
    mListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A cell is edited in place from a double-click (that cell) or F2 (the current one);
    // Enter keeps "Edit…" and its two questions.
    mListView1->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed);
    mListView1->setItemDelegate(new EntryCellDelegate(
        [this](ListCell cell, const QString& text) {
            const bool taken = CellEdit(mServices.dialogs, mCommands).commit(cell, text);
            if (!taken)
                releaseButtonsAfterRefusal();
            return taken;
        },
        mListView1));
    mListView1->setAllColumnsShowFocus(true);
    mListView1->header()->setStretchLastSection(false);
    mListView1->setModel(&mEntries);
    mPushButton1 = button(mFrame2, "PushButton1", "Add Timeline");
    mPushButton2 = button(mFrame2, "PushButton2", "Delete Selected Timeline");
    mPageView = new preview::PageView(mCentral);
    mPageView->hide();
    placeAreas();
    placeControls(mainWindowGeometry(designed, logicalDpiX(), logicalDpiY()));
    mKeepSize.setSingleShot(true);
    mKeepSize.setInterval(500);
    connect(&mKeepSize, &QTimer::timeout, this, &Form1::keepWindowSize);

    setTabOrder(mText1, mOption1);
    setTabOrder(mOption1, mOption2);
    setTabOrder(mOption2, mOption3);
    setTabOrder(mOption3, mListView1);
    setTabOrder(mListView1, mPushButton1);
    setTabOrder(mPushButton1, mPushButton2);
    setTabOrder(mPushButton2, mPushButton6);
    setTabOrder(mPushButton6, mPushButton3);
    setTabOrder(mPushButton3, mPushButton4);
    mText1->setFocus(Qt::OtherFocusReason);

    // The pointer rules watch moves over the background, the frames, the list and the
    // buttons; moves only arrive with tracking on.
    setMouseTracking(true);
    for (QWidget* watched : std::initializer_list<QWidget*>{
             mFrame1, mFrame2, mFrame3, mListView1->viewport(), mPushButton1, mPushButton2,
             mPushButton3, mPushButton4, mPushButton6, mPageView}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
    mText1->installEventFilter(this);
}

void Form1::placeControls(const MainWindowGeometry& geometry)
{
    mPushButton6->setGeometry(geometry.pushButton6);
    mPushButton3->setGeometry(geometry.pushButton3);
    mPushButton4->setGeometry(geometry.pushButton4);
    mFrame1->setGeometry(geometry.frame1);
    mText1->setGeometry(geometry.text1);
    mFrame3->setGeometry(geometry.frame3);
    mOption1->setGeometry(geometry.option1);
    mOption2->setGeometry(geometry.option2);
    mOption3->setGeometry(geometry.option3);
    mFrame2->setGeometry(geometry.frame2);
    mListView1->setGeometry(geometry.listView1);
    mPushButton1->setGeometry(geometry.pushButton1);
    mPushButton2->setGeometry(geometry.pushButton2);
    if (!geometry.pageView.isNull())
        mPageView->setGeometry(geometry.pageView);
    mPageView->setVisible(!geometry.pageView.isNull());
    mPageBeside->setChecked(!geometry.pageView.isNull());
}

int Form1::menuBarHeight() const
{
    return mMenuBar->sizeHint().height();
}

void Form1::placeAreas()
{
    const int bar = menuBarHeight();
    mMenuBar->setGeometry(0, 0, width(), bar);
    mCentral->setGeometry(0, bar, width(), std::max(0, height() - bar));
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!mPageView)
        return; // still being built: the controls are placed when they exist
    placeAreas();
    placeControls(mainWindowGeometry(mCentral->size(), logicalDpiX(), logicalDpiY()));
    followPageViewShown();
    if (mCentred)
        mKeepSize.start();
}

void Form1::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    followPageViewShown();
}

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && mCentred)
        mKeepSize.start();
}

bool Form1::pageViewShown() const
{
    return isVisible() && mPageView->isVisibleTo(this);
}

void Form1::followPageViewShown()
{
    const bool shown = pageViewShown();
    if (shown == mPageViewShown)
        return;
    mPageViewShown = shown;
    emit pageViewShownChanged(shown);
}

void Form1::keepWindowSize()
{
    // A maximised window keeps the size it had before, so that it comes back to it.
    const QSize normal = isMaximized() ? normalGeometry().size() : size();
    if (!normal.isValid())
        return;
    const WindowSize kept{int(std::lround(app::pixelsToTwips(normal.width(), logicalDpiX()))),
                          int(std::lround(app::pixelsToTwips(normal.height(), logicalDpiY()))),
                          isMaximized()};
    QStringList notices;
    const std::optional<WindowSize> stored = WindowSize::load(mServices.store, notices);
    showNotices(notices);
    if (stored == kept)
        return;
    try {
        kept.save(mServices.store);
    } catch (const app::Failure&) {
        // The size is a convenience: the window opens at its drawn size next time.
    }
}

void Form1::releaseButtonsAfterRefusal()
{
    // A click elsewhere that ends a refused edit opens the refusal box from inside its
    // press; the release goes to the box, so the button pressed would stay drawn down.
    QTimer::singleShot(0, this, [this] {
        if (QGuiApplication::mouseButtons() != Qt::NoButton)
            return;
        for (QAbstractButton* button : findChildren<QAbstractButton*>())
            if (button->isDown())
                button->setDown(false);
    });
}

void Form1::showNotices(const QStringList& notices)
{
    for (const QString& notice : notices)
        mServices.dialogs.messageBox(notice, app::MessageButtons::Ok,
                                     app::MessageIcon::Exclamation);
}

bool Form1::restoreWindowSize()
{
    QStringList notices;
    const std::optional<WindowSize> kept = WindowSize::load(mServices.store, notices);
    showNotices(notices);
    if (!kept)
        return false;
    QSize wanted(app::twipsToPixels(kept->widthTwips, logicalDpiX()),
                 app::twipsToPixels(kept->heightTwips, logicalDpiY()));
    if (const QScreen* shownOn = screen()) {
        // A frame around the client area; a window larger than the screen cannot be used.
        const QSize room = shownOn->availableGeometry().size() - QSize(16, 40);
        wanted = wanted.boundedTo(room);
    }
    resize(wanted.expandedTo(minimumSize()));
    return kept->maximized;
}

void Form1::createListActions()
{
    const auto action = [&](QWidget* owner, const char* name, const QString& text,
                            QList<QKeySequence> keys, Qt::ShortcutContext context,
                            auto(ListCommands::*command)()) {
        auto* created = new QAction(text, owner);
        created->setObjectName(QLatin1String(name));
        created->setShortcuts(keys);
        created->setShortcutContext(context);
        created->setShortcutVisibleInContextMenu(true);
        connect(created, &QAction::triggered, this,
                [this, command] { (mListCommands.*command)(); });
        owner->addAction(created);
        return created;
    };
    const auto separator = [&] {
        auto* line = new QAction(mListView1);
        line->setSeparator(true);
        mListView1->addAction(line);
    };
    const Qt::ShortcutContext inList = Qt::WidgetWithChildrenShortcut;
    QAction* edit = action(mListView1, "actionEdit", QStringLiteral("Edit…"),
                           {Qt::Key_Return, Qt::Key_Enter}, inList, &ListCommands::editSelected);
    action(mListView1, "actionInsertAbove", QStringLiteral("Insert Above"), {Qt::Key_Insert},
           inList, &ListCommands::insertAbove);
    QAction* moveUp = action(mListView1, "actionMoveUp", QStringLiteral("Move Up"),
                             {Qt::ALT | Qt::Key_Up}, inList, &ListCommands::moveUp);
    QAction* moveDown = action(mListView1, "actionMoveDown", QStringLiteral("Move Down"),
                               {Qt::ALT | Qt::Key_Down}, inList, &ListCommands::moveDown);
    auto* remove = new QAction(QStringLiteral("Delete"), mListView1);
    remove->setObjectName(QStringLiteral("actionDelete"));
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(inList);
    remove->setShortcutVisibleInContextMenu(true);
    connect(remove, &QAction::triggered, this, &Form1::PushButton2_Click);
    mListView1->addAction(remove);
    separator();
    // Undo and redo reach the whole window; the title box keeps its own for typing.
    QAction* undo = action(this, "actionUndo", QStringLiteral("Undo"), {QKeySequence::Undo},
                           Qt::WindowShortcut, &ListCommands::undo);
    QAction* redo =
        action(this, "actionRedo", QStringLiteral("Redo"),
               {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
               Qt::WindowShortcut, &ListCommands::redo);
    mListView1->addAction(undo);
    mListView1->addAction(redo);
    QUndoGroup& history = mCommands.history().group();
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(&history, &QUndoGroup::canUndoChanged, undo, &QAction::setEnabled);
    connect(&history, &QUndoGroup::canRedoChanged, redo, &QAction::setEnabled);
    separator();
    QAction* copy = action(mListView1, "actionCopy", QStringLiteral("Copy"), {QKeySequence::Copy},
                           inList, &ListCommands::copy);
    action(mListView1, "actionPaste", QStringLiteral("Paste"), {QKeySequence::Paste}, inList,
           &ListCommands::paste);
    separator();
    action(mListView1, "actionImportCsv", QStringLiteral("Import CSV…"), {}, inList,
           &ListCommands::importCsv);
    QAction* exportCsv = action(mListView1, "actionExportCsv", QStringLiteral("Export CSV…"), {},
                                inList, &ListCommands::exportCsv);
    separator();
    QAction* sortByDate =
        action(mListView1, "actionSortByDate", QStringLiteral("Sort by Date"),
               {QKeySequence(Qt::CTRL | Qt::Key_T)}, inList, &ListCommands::sortByDate);
    QAction* markMilestone =
        action(mListView1, "actionMarkMilestone", QStringLiteral("Mark as Milestone"), {}, inList,
               &ListCommands::markMilestone);
    mListView1->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The same commands on the Edit menu, in the context menu's order, where they can be
    // seen; their shortcuts keep their contexts. Import and Export stand in the File menu.
    QMenu& editMenu = menu(Menu::Edit);
    const QAction* importCsv = mListView1->findChild<QAction*>(QStringLiteral("actionImportCsv"));
    for (QAction* listAction : mListView1->actions())
        if (listAction != importCsv && listAction != exportCsv)
            editMenu.addAction(listAction);
    mListActions = {{edit, &ListCommandStates::edit},
                    {moveUp, &ListCommandStates::moveUp},
                    {moveDown, &ListCommandStates::moveDown},
                    {remove, &ListCommandStates::remove},
                    {copy, &ListCommandStates::copy},
                    {exportCsv, &ListCommandStates::exportCsv},
                    {sortByDate, &ListCommandStates::sortByDate},
                    {markMilestone, &ListCommandStates::markMilestone}};
    updateListActions();
}

void Form1::createMenus()
{
    const std::pair<const char*, const char*> menus[] = {{"menuFile", "&File"},
                                                         {"menuEdit", "&Edit"},
                                                         {"menuView", "&View"},
                                                         {"menuPage", "&Page"},
                                                         {"menuHelp", "&Help"}};
    for (const auto& [name, title] : menus) {
        QMenu* created = mMenuBar->addMenu(QString::fromUtf8(title));
        created->setObjectName(QLatin1String(name));
        mMenus.push_back(created);
    }
    // The page beside the list needs a wider window; choosing it widens the window, and
    // taking it away narrows the window back to its drawn width.
    mPageBeside = menu(Menu::View).addAction(QStringLiteral("Page Beside the List"));
    mPageBeside->setObjectName(QStringLiteral("actionPageBeside"));
    mPageBeside->setCheckable(true);
    connect(mPageBeside, &QAction::triggered, this, [this](bool beside) {
        const int drawn = designedClientSize(logicalDpiX(), logicalDpiY()).width();
        if (isMaximized() || isFullScreen())
            showNormal();
        resize(beside ? std::max(width(), 2 * drawn) : drawn, height());
        followPageViewShown();
    });
}

QMenu& Form1::menu(Menu which) const
{
    return *mMenus.at(std::size_t(which));
}

void Form1::updateListActions()
{
    const ListCommandStates states = listCommandStates(mEntries.rowCount(), selectedRows());
    for (const auto& [action, enabled] : mListActions)
        action->setEnabled(states.*enabled);
}

void Form1::setUpConnections()
{
    connect(mPushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(mPushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(mPushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(mPushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(mPushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(mOption1, &QRadioButton::toggled, this, &Form1::Option1_Click);
    connect(mOption2, &QRadioButton::toggled, this, &Form1::Option2_Click);
    connect(mOption3, &QRadioButton::toggled, this, &Form1::Option3_Click);
    connect(mText1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(&mEntries, &QAbstractItemModel::rowsInserted, this, &Form1::updateListActions);
    connect(&mEntries, &QAbstractItemModel::rowsRemoved, this, &Form1::updateListActions);
    connect(&mEntries, &QAbstractItemModel::rowsMoved, this, &Form1::updateListActions);
    connect(&mEntries, &QAbstractItemModel::modelReset, this, &Form1::updateListActions);
    connect(mListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Form1::updateListActions);
    connect(mText1, &QLineEdit::editingFinished, this,
            [this] { mCommands.titleEditingFinished(); });
    mEntries.setMoveHandler(
        [this](const QList<int>& rows, int before) { mListCommands.moveRows(rows, before); });

    // The order check follows every change of the rows, whoever made it; the marks of the
    // last page's cut entries no longer hold once the rows change.
    mEntries.setRowNoteIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    mEntries.setMilestoneIcon(milestoneIcon(palette().color(QPalette::Text)));
    const auto rowsChanged = [this] {
        mEntries.setRowNotes(RowNoteKind::PageCut, {});
        checkDateOrder();
        emit pageInputChanged();
    };
    for (auto change : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&mEntries, change, this, rowsChanged);
    connect(&mEntries, &QAbstractItemModel::rowsMoved, this, rowsChanged);
    connect(&mEntries, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(&mEntries, &QAbstractItemModel::dataChanged, this,
            [rowsChanged](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    rowsChanged();
            });
}

void Form1::setPageCutNotes(const QHash<int, QString>& notes)
{
    mEntries.setRowNotes(RowNoteKind::PageCut, notes);
}

void Form1::checkDateOrder()
{
    // Marks only: the list stays as typed, and nothing here stops a command.
    mEntries.setRowNotes(RowNoteKind::DateOrder,
                         dateOrderNotes(mEntries.entries(), DateReader(selectedScale(), locale())));
}

void Form1::setColumnWidthTwips(int column, int widthTwips)
{
    QHeaderView* header = mListView1->header();
    if (column >= header->count())
        throw app::Failure(QStringLiteral("Index out of bounds"));
    header->resizeSection(column, app::twipsToPixels(widthTwips, logicalDpiX()));
}

bool Form1::Form_Load()
{
    app::Trap trap(mServices.dialogs, QLatin1String(app::labels::kForm1Load));
    mCommands.beginStartUp();
    trap.step(100, [&] { app::ApplySkin(this, mServices.programFolder); });
    trap.step(104, [&] { setWindowTitle(QLatin1String(app::kProductName)); });
    trap.step(104, [&] { setWindowIcon(app::applicationIcon()); });
    trap.step(104, [&] { app::SetApplicationTitle(); });

    const QString cursorPath =
        app::inFolder(mServices.programFolder, QLatin1String(app::kHandCursorFile));
    if (trap.test(122, [&] { return app::FileExists(cursorPath); })) {
        trap.step(124, [&] {
            mHandCursor = app::loadCursorFile(cursorPath);
            if (!mHandCursor)
                throw app::Failure(QStringLiteral("Invalid picture"));
        });
    }

    mCommands.restoreTitle(trap);
    trap.step(130, [&] { mEntries.addColumn(QStringLiteral("Date")); });
    trap.step(132, [&] { mEntries.addColumn(QStringLiteral("Notes")); });
    trap.step(132, [&] { mEntries.addColumn(QStringLiteral("Category")); });
    trap.step(134, [&] { setColumnWidthTwips(0, kDateColumnTwips); });
    trap.step(136, [&] { setColumnWidthTwips(1, kNotesColumnTwips); });
    trap.step(136, [&] { setColumnWidthTwips(2, kCategoryColumnTwips); });
    mCommands.restoreScale(trap);

    if (mServices.ensureWordAvailable &&
        !trap.value(150, true, [&] { return mServices.ensureWordAvailable(); }))
        return false;
    trap.step(152, [&] { mCommands.loadScaleEntries(); });
    mCommands.finishStartUp();
    return true;
}

void Form1::Form_QueryUnload()
{
    mCommands.saveScaleEntries();
}

void Form1::Form_Unload()
{
    mServices.programEnd.endNow();
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    followPageViewShown();
    if (mCentred)
        return;
    mCentred = true;
    if (QScreen* shownOn = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(shownOn->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Form1::PushButton1_Click()
{
    mCommands.addEntry();
}

void Form1::PushButton2_Click()
{
    mCommands.deleteSelected();
}

void Form1::PushButton3_Click()
{
    mCommands.clear();
}

void Form1::PushButton4_Click()
{
    mCommands.loadSample();
}

void Form1::PushButton6_Click()
{
    if (mServices.createTemplate)
        mServices.createTemplate();
}

void Form1::SaveScaleEntries()
{
    mCommands.saveScaleEntries();
}

void Form1::LoadScaleEntries()
{
    mCommands.loadScaleEntries();
}

void Form1::setCreateTemplate(std::function<void()> createTemplate)
{
    mServices.createTemplate = std::move(createTemplate);
}

void Form1::Option1_Click(bool checked)
{
    if (checked)
        mCommands.changeScale(1);
}

void Form1::Option2_Click(bool checked)
{
    if (checked)
        mCommands.changeScale(2);
}

void Form1::Option3_Click(bool checked)
{
    if (checked)
        mCommands.changeScale(3);
}

void Form1::Text1_Change(const QString& text)
{
    mCommands.titleChanged(text);
    emit pageInputChanged();
}

bool Form1::selectsTitleOnFocus(Qt::FocusReason reason)
{
    // Only a deliberate move to the title selects it, and its first focus when the window
    // is shown. Focus coming back after a popup, a message box or a window switch, and a
    // click, keep the caret where it was or where the mouse put it, so the next keystroke
    // never replaces the whole title (which is stored at once).
    const bool firstFocus = !mTitleFocusedOnce;
    mTitleFocusedOnce = true;
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        return true;
    case Qt::ActiveWindowFocusReason:
    case Qt::OtherFocusReason:
        return firstFocus;
    default:
        return false;
    }
}

void Form1::Text1_GotFocus()
{
    // Typing then replaces the whole title.
    mText1->selectAll();
}

int Form1::entryCount() const
{
    return mEntries.rowCount();
}

QString Form1::entryDate(int index) const
{
    return mEntries.entries().at(index).date;
}

QString Form1::entryNotes(int index) const
{
    return mEntries.entries().at(index).notes;
}

const QList<TimelineEntry>& Form1::entries() const
{
    return mEntries.entries();
}

QString Form1::titleText() const
{
    return mText1->text();
}

void Form1::setTitleText(const QString& text)
{
    mText1->setText(text);
}

int Form1::selectedScale() const
{
    if (mOption1->isChecked())
        return 1;
    if (mOption2->isChecked())
        return 2;
    if (mOption3->isChecked())
        return 3;
    return 0;
}

void Form1::selectScale(int scale)
{
    QRadioButton* const options[] = {mOption1, mOption2, mOption3};
    if (scale < 1 || scale > 3)
        throw app::Failure(QStringLiteral("Invalid scale %1").arg(scale));
    options[scale - 1]->setChecked(true);
}

std::optional<int> Form1::selectedRow() const
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

QList<int> Form1::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : mListView1->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::optional<int> Form1::currentRow() const
{
    const QModelIndex current = mListView1->currentIndex();
    if (current.isValid() && mListView1->selectionModel()->isRowSelected(current.row()))
        return current.row();
    return selectedRow();
}

void Form1::showRow(int row)
{
    showRows(row, 1);
}

void Form1::showRows(int row, int count)
{
    const QModelIndex first = mEntries.index(row, 0);
    const QModelIndex last = mEntries.index(row + count - 1, 0);
    if (!first.isValid() || !last.isValid())
        return;
    QItemSelectionModel* selection = mListView1->selectionModel();
    selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    selection->select(QItemSelection(first, last),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    mListView1->scrollTo(first);
}

void Form1::setMousePointer(app::MousePointer pointer)
{
    mPointer = pointer;
    app::showPointer(this, pointer, mHandCursor);
}

void Form1::hoverOver(bool overButton)
{
    const app::MousePointer next = app::hoverPointer(mPointer, overButton);
    if (next != mPointer)
        setMousePointer(next);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    hoverOver(false);
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mText1 && event->type() == QEvent::FocusIn) {
        // The line edit takes the focus first, since its own handling may move the cursor.
        mText1->event(event);
        if (selectsTitleOnFocus(static_cast<QFocusEvent*>(event)->reason()))
            Text1_GotFocus();
        return true;
    }
    if (watched != mText1 && event->type() == QEvent::MouseMove) {
        const bool overButton = qobject_cast<QPushButton*>(watched) != nullptr;
        hoverOver(overButton);
        // A button ignores a move without a pressed mouse button, which would carry it on
        // to the window and turn the hand back into the ordinary pointer.
        if (overButton && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace editor
