// The list's commands beside the five buttons, driven from the keyboard and the context
// menu of a shown window: edit, insert, move, delete, undo and redo, copy and paste, CSV
// import and export. After every command the stored list equals the shown one.
#include "editor/entrylistmodel.h"
#include "editor/form1.h"
#include "timeline/entrylist.h"
#include "timeline/settingsstore.h"

#include "support/fulldisk.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"
#include "support/textbytes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QIcon>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>
#include <memory>

using testsupport::ScriptedDialogs;
using Entries = QList<editor::TimelineEntry>;

class TestListCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void editInsertMoveDeleteByKeys();
    void editKeepsTheRulesOfAdd();
    void undoRedoEveryCommand();
    void historyBelongsToTheScale();
    void titleTypingIsOneStepPerBurst();
    void dragMovesARow();
    void blockMoves_data();
    void blockMoves();
    void editActsOnTheCurrentRow();
    void commandsWithNothingToDoAreDisabled();
    void importReadsUtf8AndUtf16Only_data();
    void importReadsUtf8AndUtf16Only();
    void paste_data();
    void paste();
    void copyAndCsvRoundTripHostileTexts();
    void contextMenuShowsShortcuts();
    void failedWriteIsReportedUnderTheCommand();
    void sortByDateAndOrderCheck();
    void exportOnAFullDiskKeepsTheOldCsv();
    void cellEditIsOneStep();
    void cellRefusalKeepsTheEditor_data();
    void cellRefusalKeepsTheEditor();
    void tabWalksTheCells();
    void leavingACellTakesWhatTheRulesAllow();
    void cutCellsShowTheirTextAsTooltip();
    void categoryAndMilestoneRoundTrip_data();
    void categoryAndMilestoneRoundTrip();

private:
    editor::Form1& start(int scale, const Entries& stored = {});
    QTreeView* list() { return mForm->findChild<QTreeView*>(QStringLiteral("ListView1")); }
    void select(int row);
    // F2 on the cell, and its editor.
    QLineEdit* editCell(int row, int column);
    // The open editor of the cell; null when it is not edited.
    QLineEdit* cellEditor(int row, int column);
    // Writes a list behind the window's back, so that any write of its own shows.
    void markStore(const Entries& marker);
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The list written under the shown scale, read back by a store of its own.
    Entries stored();
    QStringList inputDefaults() const;

    std::unique_ptr<QTemporaryDir> mDir;
    std::unique_ptr<editor::QSettingsStore> mStore;
    ScriptedDialogs mDialogs;
    testsupport::RecordingEnd mEnd;
    testsupport::MemoryClipboard mClipboard;
    std::unique_ptr<editor::Form1> mForm;
    int mScale = 1;
};

void TestListCommands::init()
{
    mDir = std::make_unique<QTemporaryDir>();
    mStore = std::make_unique<editor::QSettingsStore>(mDir->path());
    mDialogs = ScriptedDialogs();
    mClipboard.plainText.clear();
}

void TestListCommands::cleanup()
{
    mForm.reset();
    mStore.reset();
}

editor::Form1& TestListCommands::start(int scale, const Entries& entries)
{
    mScale = scale;
    mStore->write(QStringLiteral("Option"), QString::number(scale));
    mStore->write(editor::timelineKey(scale), editor::encodeEntryList(entries));
    editor::writeEntryDetails(*mStore, scale, entries);
    editor::Form1Services services{mDialogs, mEnd, *mStore, mDir->path(), {}, {}, &mClipboard};
    mForm = std::make_unique<editor::Form1>(services);
    mForm->Form_Load();
    mForm->show();
    if (!QTest::qWaitForWindowActive(mForm.get()))
        qFatal("window not active");
    list()->setFocus(Qt::TabFocusReason);
    return *mForm;
}

void TestListCommands::select(int row)
{
    list()->selectionModel()->setCurrentIndex(list()->model()->index(row, 0),
                                              QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
}

QLineEdit* TestListCommands::editCell(int row, int column)
{
    list()->selectionModel()->setCurrentIndex(list()->model()->index(row, column),
                                              QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
    key(Qt::Key_F2);
    return cellEditor(row, column);
}

QLineEdit* TestListCommands::cellEditor(int row, int column)
{
    return qobject_cast<QLineEdit*>(list()->indexWidget(list()->model()->index(row, column)));
}

void TestListCommands::markStore(const Entries& marker)
{
    mStore->write(editor::timelineKey(mScale), editor::encodeEntryList(marker));
}

void TestListCommands::key(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(list(), Qt::Key(key), modifiers);
}

Entries TestListCommands::stored()
{
    editor::QSettingsStore reader(mDir->path());
    Entries entries = editor::decodeEntryList(reader.read(editor::timelineKey(mScale), QString()));
    editor::readEntryDetails(reader, mScale, entries);
    return entries;
}

QStringList TestListCommands::inputDefaults() const
{
    QStringList defaults;
    for (const auto& call : mDialogs.calls)
        if (call.kind == ScriptedDialogs::Kind::Input)
            defaults << call.text + call.extra;
    return defaults;
}

void TestListCommands::editInsertMoveDeleteByKeys()
{
    editor::Form1& form = start(2, {{"Jan", "a"}, {"Feb", "b"}, {"Mar", "c"}});

    // Enter asks the Monthly questions prefilled with the row; the row keeps its place.
    select(1);
    mDialogs.inputAnswers = {"Feb 2001", " b2 "};
    key(Qt::Key_Enter);
    QCOMPARE(inputDefaults(), (QStringList{"Enter Month Year: Feb", "Enter Notes: b"}));
    Entries expected{{"Jan", "a"}, {"Feb 2001", " b2 "}, {"Mar", "c"}};
    QCOMPARE(form.entries(), expected);
    QCOMPARE(stored(), expected);

    // Return edits as well; a Cancel changes nothing.
    mDialogs.calls.clear();
    key(Qt::Key_Return);
    QCOMPARE(mDialogs.count(ScriptedDialogs::Kind::Input), 1);
    QCOMPARE(form.entries(), expected);

    // A double-click edits the clicked cell in place, without the questions.
    mDialogs.calls.clear();
    const QRect third = list()->visualRect(list()->model()->index(2, 1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, third.center());
    QLineEdit* cell = cellEditor(2, 1);
    QVERIFY(cell);
    QCOMPARE(cell->text(), QStringLiteral("c"));
    QTest::keyClicks(cell, QStringLiteral("c2")); // the text opens selected: typing replaces it
    QTest::keyClick(cell, Qt::Key_Return);
    expected[2].notes = QStringLiteral("c2");
    QCOMPARE(form.entries(), expected);
    QVERIFY(mDialogs.calls.isEmpty());

    // Insert puts a new row above the selected one.
    select(0);
    mDialogs.inputAnswers = {"Dec 2000", "z"};
    key(Qt::Key_Insert);
    expected.prepend({"Dec 2000", "z"});
    QCOMPARE(form.entries(), expected);
    QCOMPARE(form.selectedRow(), 0);
    QCOMPARE(stored(), expected);

    // Alt+Down twice and Alt+Up once; the moved row stays selected. At the end: nothing.
    key(Qt::Key_Down, Qt::AltModifier);
    key(Qt::Key_Down, Qt::AltModifier);
    key(Qt::Key_Up, Qt::AltModifier);
    expected.move(0, 1);
    QCOMPARE(form.entries(), expected);
    QCOMPARE(form.selectedRow(), 1);
    QCOMPARE(stored(), expected);
    select(3);
    key(Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(form.entries(), expected);

    // Delete removes the selected row, as "Delete Selected Timeline" does.
    select(1);
    key(Qt::Key_Delete);
    expected.removeAt(1);
    QCOMPARE(form.entries(), expected);
    QCOMPARE(stored(), expected);
    QVERIFY2(mDialogs.messages().isEmpty(), qPrintable(mDialogs.messageTexts().join('|')));
}

void TestListCommands::editKeepsTheRulesOfAdd()
{
    const Entries rows{{"1955", "a"}, {"1960", "b"}};
    editor::Form1& form = start(1, rows);
    select(0);
    // Not a year; a blank answer counts as Cancel; a separator is refused.
    mDialogs.inputAnswers = {"19x5"};
    key(Qt::Key_Return);
    mDialogs.inputAnswers = {"1956", "   "};
    key(Qt::Key_Return);
    mDialogs.inputAnswers = {"1956", "x||MySeparator234||y"};
    key(Qt::Key_Return);
    QCOMPARE(form.entries(), rows);
    QCOMPARE(mDialogs.messages().size(), 2);
    QCOMPARE(mDialogs.messageTexts().first(), QStringLiteral("Year must be a numeric value."));
    QVERIFY(mDialogs.messageTexts().last().contains(QStringLiteral("||MySeparator234||")));
    // Edit and Insert with nothing selected: edit does nothing, insert appends.
    list()->selectionModel()->clearSelection();
    mDialogs.calls.clear();
    key(Qt::Key_Return);
    QVERIFY(mDialogs.calls.isEmpty());
    mDialogs.inputAnswers = {"1970", "end"};
    key(Qt::Key_Insert);
    QCOMPARE(form.entries(), (rows + Entries{{"1970", "end"}}));
}

void TestListCommands::undoRedoEveryCommand()
{
    editor::Form1& form = start(2, {{"Jan", "a"}, {"Feb", "b"}});
    form.setTitleText(QStringLiteral("Before"));
    auto* title = mForm->findChild<QLineEdit*>(QStringLiteral("Text1"));
    using State = std::pair<QString, Entries>;
    QList<State> states{{form.titleText(), form.entries()}};
    const auto mark = [&] {
        states.append({form.titleText(), form.entries()});
        QCOMPARE(stored(), form.entries());
    };

    mDialogs.inputAnswers = {"Mar", "c"};
    form.PushButton1_Click(); // Add
    mark();
    select(0);
    form.PushButton2_Click(); // Delete
    mark();
    mDialogs.inputAnswers = {"Feb 2", "b2"};
    select(0);
    key(Qt::Key_Return); // edit
    mark();
    mDialogs.inputAnswers = {"Jan", "a"};
    key(Qt::Key_Insert); // insert
    mark();
    key(Qt::Key_Down, Qt::AltModifier); // move
    mark();
    mClipboard.plainText = QStringLiteral("Apr\td\nMay\te\n");
    key(Qt::Key_V, Qt::ControlModifier); // paste
    mark();
    form.PushButton3_Click(); // Clear: title and list
    mark();
    form.PushButton3_Click(); // nothing left to clear: no step of its own
    form.PushButton4_Click(); // Load Sample: title and list
    mark();
    QCOMPARE(form.titleText(), QStringLiteral("John's Timeline"));

    // Back one command per Ctrl+Z, from the title box's neighbour as well as the list.
    for (qsizetype i = states.size() - 2; i >= 0; --i) {
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.titleText(), states.at(i).first);
        QCOMPARE(form.entries(), states.at(i).second);
        QCOMPARE(stored(), states.at(i).second);
    }
    key(Qt::Key_Z, Qt::ControlModifier); // the title typed first is a step of its own
    QCOMPARE(form.titleText(), QString());
    key(Qt::Key_Z, Qt::ControlModifier); // nothing left: no change, no box
    QCOMPARE(form.entries(), states.first().second);
    key(Qt::Key_Y, Qt::ControlModifier);
    // Forward again with both redo keys.
    for (qsizetype i = 1; i < states.size(); ++i) {
        key(i % 2 ? Qt::Key_Y : Qt::Key_Z,
            i % 2 ? Qt::ControlModifier : (Qt::ControlModifier | Qt::ShiftModifier));
        QCOMPARE(form.titleText(), states.at(i).first);
        QCOMPARE(form.entries(), states.at(i).second);
    }
    QCOMPARE(stored(), states.last().second);
    editor::QSettingsStore reader(mDir->path());
    QCOMPARE(reader.read(QStringLiteral("Text1"), QString()), QStringLiteral("John's Timeline"));
    QVERIFY(mDialogs.messages().isEmpty());
    // Typing in the title box undoes the typing there, not a list command.
    title->setFocus(Qt::MouseFocusReason);
    title->end(false);
    QTest::keyClicks(title, QStringLiteral("!"));
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.titleText(), QStringLiteral("John's Timeline"));
    QCOMPARE(form.entries(), states.last().second);
}

void TestListCommands::historyBelongsToTheScale()
{
    editor::Form1& form = start(1, {{"1955", "a"}});
    form.setTitleText(QStringLiteral("Mine"));
    form.PushButton3_Click(); // Clear
    auto* undo = mForm->findChild<QAction*>(QStringLiteral("actionUndo"));
    mForm->findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    QVERIFY(!undo->isEnabled()); // nothing done on Monthly yet
    mForm->findChild<QRadioButton*>(QStringLiteral("Option1"))->click();
    QVERIFY(undo->isEnabled());
    list()->setFocus();
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), (Entries{{"1955", "a"}}));
    QCOMPARE(form.titleText(), QStringLiteral("Mine"));
    QCOMPARE(stored(), (Entries{{"1955", "a"}}));
}

void TestListCommands::titleTypingIsOneStepPerBurst()
{
    editor::Form1& form = start(1, {{"1955", "a"}});
    auto* title = mForm->findChild<QLineEdit*>(QStringLiteral("Text1"));
    form.PushButton4_Click(); // Load Sample: title and list
    const Entries sample = form.entries();
    title->setFocus(Qt::MouseFocusReason);
    title->end(false);
    QTest::keyClicks(title, QStringLiteral("ab"));
    list()->setFocus(); // leaving the box ends the burst
    title->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(title, QStringLiteral("c"));
    list()->setFocus();
    const QString typed = QStringLiteral("John's Timelineabc");
    QCOMPARE(form.titleText(), typed);
    const QStringList titles{"John's Timelineab", "John's Timeline", QString()};
    for (const QString& expected : titles) {
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.titleText(), expected);
    }
    QCOMPARE(form.entries(), (Entries{{"1955", "a"}}));
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(form.titleText(), typed);
    QCOMPARE(form.entries(), sample);
    editor::QSettingsStore reader(mDir->path());
    QCOMPARE(reader.read(QStringLiteral("Text1"), QString()), typed);
}

void TestListCommands::dragMovesARow()
{
    editor::Form1& form = start(3, {{"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", "d"}});
    QAbstractItemModel* model = list()->model();
    // The first row dropped on the fourth lands above it; then the last dropped below all.
    std::unique_ptr<QMimeData> first(model->mimeData({model->index(0, 0)}));
    QVERIFY(model->canDropMimeData(first.get(), Qt::MoveAction, 3, 0, {}));
    QVERIFY(!model->dropMimeData(first.get(), Qt::MoveAction, 3, 0, {}));
    QCOMPARE(form.entries(), (Entries{{"2", "b"}, {"3", "c"}, {"1", "a"}, {"4", "d"}}));
    std::unique_ptr<QMimeData> second(model->mimeData({model->index(1, 0)}));
    model->dropMimeData(second.get(), Qt::MoveAction, -1, -1, {});
    const Entries moved{{"2", "b"}, {"1", "a"}, {"4", "d"}, {"3", "c"}};
    QCOMPARE(form.entries(), moved);
    QCOMPARE(stored(), moved);
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), (Entries{{"2", "b"}, {"3", "c"}, {"1", "a"}, {"4", "d"}}));
}

void TestListCommands::blockMoves_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("drop"); // the row dropped on, -1 below the last; -2 Alt+Up, -3 Alt+Down
    QTest::addColumn<QString>("order");
    QTest::newRow("drag two rows apart down") << QList<int>{0, 2} << 4 << "bdacef";
    QTest::newRow("drag a block to the top") << QList<int>{3, 4} << 0 << "deabcf";
    QTest::newRow("drag below the last") << QList<int>{1, 2} << -1 << "adefbc";
    QTest::newRow("move up gathers the rows") << QList<int>{2, 4} << -2 << "acebdf";
    QTest::newRow("move down") << QList<int>{0, 1} << -3 << "cabdef";
    QTest::newRow("move up at the top: nothing") << QList<int>{0, 3} << -2 << "abcdef";
}

void TestListCommands::blockMoves()
{
    QFETCH(QList<int>, selected);
    QFETCH(int, drop);
    QFETCH(QString, order);
    Entries rows;
    for (QChar c : QStringLiteral("abcdef"))
        rows.append({QString(c), QString(c)});
    editor::Form1& form = start(3, rows);
    QItemSelectionModel* selection = list()->selectionModel();
    QModelIndexList dragged;
    for (int row : selected) {
        selection->select(list()->model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        dragged << list()->model()->index(row, 0) << list()->model()->index(row, 1);
    }
    // The view drags from the row grabbed, the last here, with every selected cell.
    selection->setCurrentIndex(dragged.last(), QItemSelectionModel::NoUpdate);
    if (drop >= -1) {
        std::unique_ptr<QMimeData> data(list()->model()->mimeData(dragged));
        list()->model()->dropMimeData(data.get(), Qt::MoveAction, drop, 0, {});
    } else {
        key(drop == -2 ? Qt::Key_Up : Qt::Key_Down, Qt::AltModifier);
    }
    QString shown;
    for (const editor::TimelineEntry& entry : form.entries())
        shown += entry.date;
    QCOMPARE(shown, order);
    QCOMPARE(stored(), form.entries());
    if (order != u"abcdef") {
        QCOMPARE(form.selectedRows().size(), selected.size()); // the block stays selected
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.entries(), rows);
    }
}

void TestListCommands::editActsOnTheCurrentRow()
{
    editor::Form1& form = start(2, {{"Jan", "a"}, {"Feb", "b"}, {"Mar", "c"}});
    select(0);
    list()->selectionModel()->setCurrentIndex(
        list()->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    mDialogs.inputAnswers = {"Mar 2", "c2"};
    key(Qt::Key_Return);
    QCOMPARE(form.entries(), (Entries{{"Jan", "a"}, {"Feb", "b"}, {"Mar 2", "c2"}}));
}

void TestListCommands::commandsWithNothingToDoAreDisabled()
{
    const auto enabled = [&] {
        QStringList names;
        for (QAction* action : list()->actions())
            if (!action->isSeparator() && action->isEnabled())
                names << action->objectName().mid(6);
        return names.join(u' ');
    };
    editor::Form1& form = start(1);
    QCOMPARE(enabled(), QStringLiteral("InsertAbove Paste ImportCsv"));
    mDialogs.inputAnswers = {"1955", "a"};
    form.PushButton1_Click();
    QCOMPARE(enabled(), QStringLiteral("Edit InsertAbove MoveUp MoveDown Delete Undo Copy Paste "
                                       "ImportCsv ExportCsv MarkMilestone")
                            .remove(QStringLiteral("MoveUp MoveDown ")));
    list()->selectionModel()->clearSelection();
    QCOMPARE(enabled(), QStringLiteral("InsertAbove Undo Copy Paste ImportCsv ExportCsv"));
}

void TestListCommands::importReadsUtf8AndUtf16Only_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("refusal"); // empty: imported
    QTest::newRow("utf-16 with bom")
        << testsupport::utf16WithBom(QStringLiteral("1955,Z\u00FC")) << QString();
    QTest::newRow("windows-1252") << QByteArray("Date,Notes\r\n1955,Z\xFCrich\r\n")
                                  << QStringLiteral("Line 2: The line is not UTF-8 text");
}

void TestListCommands::importReadsUtf8AndUtf16Only()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, refusal);
    editor::Form1& form = start(1);
    const QString csv = mDir->filePath(QStringLiteral("in.csv"));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    mDialogs.openAnswers = {csv};
    mForm->findChild<QAction*>(QStringLiteral("actionImportCsv"))->trigger();
    if (refusal.isEmpty()) {
        QCOMPARE(form.entries(), (Entries{{"1955", QStringLiteral("Z\u00FC")}}));
        QVERIFY(mDialogs.messages().isEmpty());
    } else {
        QCOMPARE(form.entryCount(), 0);
        QCOMPARE(mDialogs.messages().size(), 1);
        QVERIFY2(mDialogs.messageTexts().first().contains(refusal),
                 qPrintable(mDialogs.messageTexts().first()));
    }
}

void TestListCommands::paste_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selected"); // -1: none, so the rows go to the end
    QTest::addColumn<Entries>("rows");
    QTest::addColumn<QList<int>>("refusedLines");

    QTest::newRow("spreadsheet lines above the selected row")
        << QStringLiteral(
               "1971\tx\n1972\t\n19x3\tz\n1974\tw||MySeparator123||\n1975\t\"q, \"\"r\"\"\"\n")
        << 1 << Entries{{"1955", "a"}, {"1971", "x"}, {"1975", "q, \"r\""}, {"1960", "b"}}
        << QList<int>{2, 3, 4};
    QTest::newRow("comma-separated with header, at the end")
        << QStringLiteral("Date,Notes\r\n1980,\"two\r\nlines\"\r\nyear,bad\r\n") << -1
        << Entries{{"1955", "a"}, {"1960", "b"}, {"1980", "two\r\nlines"}} << QList<int>{4};
}

void TestListCommands::paste()
{
    QFETCH(QString, text);
    QFETCH(int, selected);
    QFETCH(Entries, rows);
    QFETCH(QList<int>, refusedLines);
    editor::Form1& form = start(1, {{"1955", "a"}, {"1960", "b"}});
    if (selected >= 0)
        select(selected);
    else
        list()->selectionModel()->clearSelection();
    mClipboard.plainText = text;
    key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.entries(), rows);
    QCOMPARE(stored(), rows);
    // One message names every refused line by its number.
    QCOMPARE(mDialogs.messages().size(), 1);
    const QString message = mDialogs.messageTexts().first();
    for (int line : refusedLines)
        QVERIFY2(message.contains(QStringLiteral("Line %1:").arg(line)), qPrintable(message));
    QCOMPARE(message.count(QStringLiteral("Line ")), refusedLines.size());
    // One undo takes the whole paste back.
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), (Entries{{"1955", "a"}, {"1960", "b"}}));
}

void TestListCommands::copyAndCsvRoundTripHostileTexts()
{
    const Entries hostile{
        {"\"quoted\"", "comma, and \"quotes\""},
        {" 2 May ", "line\r\nbreak and\nbare LF"},
        {"tab\there", "\u05e9\u05dc\u05d5\u05dd right-to-left \u0645\u0631\u062d\u0628\u0627"},
        {"\U0001F600", "emoji \U0001F680\U0001F469\u200D\U0001F4BB end"},
        {"=1+1", ",leading comma"},
    };
    editor::Form1& form = start(3, hostile);
    const QString csv = mDir->filePath(QStringLiteral("out.csv"));
    mDialogs.saveAnswers = {csv};
    mForm->findChild<QAction*>(QStringLiteral("actionExportCsv"))->trigger();
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("Date,Notes\r\n"));
    file.close();

    form.PushButton3_Click();
    QCOMPARE(form.entryCount(), 0);
    mDialogs.openAnswers = {csv};
    mForm->findChild<QAction*>(QStringLiteral("actionImportCsv"))->trigger();
    QCOMPARE(form.entries(), hostile);
    QCOMPARE(stored(), hostile);

    // Copy with nothing selected takes every row; pasting it back doubles the list.
    list()->selectionModel()->clearSelection();
    key(Qt::Key_C, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.entries(), hostile + hostile);
    // Copy of the selected rows only.
    select(3);
    key(Qt::Key_C, Qt::ControlModifier);
    select(0);
    key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.entries().first(), hostile.at(3));
    QVERIFY2(mDialogs.messages().isEmpty(), qPrintable(mDialogs.messageTexts().join('|')));

    // Exporting over an existing file asks first; No keeps the file as it was.
    mDialogs.saveAnswers = {csv};
    mDialogs.messageAnswers = {app::MessageAnswer::No};
    QFile before(csv);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray kept = before.readAll();
    before.close();
    mForm->findChild<QAction*>(QStringLiteral("actionExportCsv"))->trigger();
    QCOMPARE(mDialogs.messages().size(), 1);
    // The one question every save asks before it replaces a file.
    QCOMPARE(mDialogs.messageTexts().first(), "Are you sure you wish to overwrite " + csv + " ?");
    QFile after(csv);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), kept);
}

void TestListCommands::contextMenuShowsShortcuts()
{
    start(1);
    QStringList shown;
    for (QAction* action : list()->actions()) {
        if (action->isSeparator())
            continue;
        QVERIFY(action->isShortcutVisibleInContextMenu());
        shown << action->text() + QLatin1Char('=') +
                     action->shortcut().toString(QKeySequence::PortableText);
    }
    QCOMPARE(shown, (QStringList{"Edit…=Return", "Insert Above=Ins", "Move Up=Alt+Up",
                                 "Move Down=Alt+Down", "Delete=Del", "Undo=Ctrl+Z",
                                 "Redo=Ctrl+Shift+Z", "Copy=Ctrl+C", "Paste=Ctrl+V", "Import CSV…=",
                                 "Export CSV…=", "Sort by Date=Ctrl+T", "Mark as Milestone="}));
    QCOMPARE(list()->contextMenuPolicy(), Qt::ActionsContextMenu);
}

void TestListCommands::failedWriteIsReportedUnderTheCommand()
{
    editor::Form1& form = start(1, {{"1955", "a"}});
    // A folder where the list's file should be: no write can replace it.
    const QString file = mStore->filePath(editor::timelineKey(1));
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkdir(file));
    select(0);
    mDialogs.inputAnswers = {"1956", "b"};
    key(Qt::Key_Return);
    QCOMPARE(form.entries(), (Entries{{"1956", "b"}}));
    QCOMPARE(mDialogs.messages().size(), 1);
    const auto box = mDialogs.messages().first();
    QVERIFY2(box.text.contains(QStringLiteral(
                 "\r\nin Chronoweave2021/08/31.Form1.EditSelectedTimeline at line 124\r\r")),
             qPrintable(box.text));
    QCOMPARE(box.caption, QStringLiteral("Application Error"));
    // Once the file can be written again, the undo stores the list it brings back.
    QVERIFY(QDir().rmdir(file));
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(stored(), (Entries{{"1955", "a"}}));
}

void TestListCommands::sortByDateAndOrderCheck()
{
    const Entries typed{
        {"May 2001", "a"}, {"spring", "b"}, {"Apr 2000", "c"}, {"May 2001", "d"}, {"?", "e"}};
    editor::Form1& form = start(2, typed);
    QAbstractItemModel* model = list()->model();
    const auto marks = [&] {
        QStringList shown;
        for (int row = 0; row < model->rowCount(); ++row)
            if (!model->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull())
                shown << QStringLiteral("%1: %2").arg(row).arg(
                    model->index(row, 0).data(Qt::ToolTipRole).toString());
        return shown;
    };
    // The row that breaks the order is marked as soon as the list is shown.
    QCOMPARE(marks(), QStringList{"2: Apr 2000 comes after May 2001"});

    key(Qt::Key_T, Qt::ControlModifier);
    const Entries sorted{
        {"Apr 2000", "c"}, {"May 2001", "a"}, {"May 2001", "d"}, {"spring", "b"}, {"?", "e"}};
    QCOMPARE(form.entries(), sorted);
    QCOMPARE(stored(), sorted);
    QCOMPARE(marks(), QStringList{});
    QCOMPARE(mDialogs.messageTexts(),
             QStringList{"3 of 5 rows were sorted by date. These could not be read as Monthly "
                         "dates and follow them in their own order:\r\nLine 2: \"spring\"\n"
                         "Line 5: \"?\""});

    // One undo takes the whole sort back, and the mark with it.
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), typed);
    QCOMPARE(stored(), typed);
    QCOMPARE(marks(), QStringList{"2: Apr 2000 comes after May 2001"});

    // Many rows not read: the message names the first twenty, each cut to a line.
    Entries many(22, {"c. 1900", "n"});
    many.first().date = QString(500, u'x');
    start(1, many);
    mDialogs.calls.clear();
    key(Qt::Key_T, Qt::ControlModifier);
    const QString message = mDialogs.messageTexts().value(0);
    QVERIFY2(message.contains("Line 1: \"" + QString(60, u'x') + "…\"\n") &&
                 message.contains("Line 20: ") && !message.contains("Line 21") &&
                 message.endsWith("\nand 2 more."),
             qPrintable(message));
}

void TestListCommands::exportOnAFullDiskKeepsTheOldCsv()
{
    start(1, {{"1955", QString(8000, u'n')}});
    QVERIFY(QDir(mDir->path()).mkdir(QStringLiteral("disk")));
    testsupport::FullDisk disk(mDir->filePath(QStringLiteral("disk")));
    const QString csv = mDir->filePath(QStringLiteral("disk/list.csv"));
    QFile old(csv);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("Date,Notes\r\n1900,old\r\n");
    old.close();
    disk.fill();
    mDialogs.saveAnswers = {csv};
    mDialogs.messageAnswers = {app::MessageAnswer::Yes};
    mForm->findChild<QAction*>(QStringLiteral("actionExportCsv"))->trigger();
    QCOMPARE(mDialogs.messages().size(), 2);
    QVERIFY2(mDialogs.messageTexts().last().contains(QStringLiteral("cannot be written")),
             qPrintable(mDialogs.messageTexts().last()));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("Date,Notes\r\n1900,old\r\n"));
}

void TestListCommands::cellEditIsOneStep()
{
    const Entries rows{{"Jan", "a"}, {"Feb", "b"}};
    editor::Form1& form = start(2, rows);
    // F2 edits the current cell, here the second row's notes.
    QLineEdit* cell = editCell(1, 1);
    QVERIFY(cell);
    QCOMPARE(cell->text(), QStringLiteral("b"));
    cell->selectAll();
    QTest::keyClicks(cell, QStringLiteral("b2"));
    QTest::keyClick(cell, Qt::Key_Return);
    QVERIFY(!cellEditor(1, 1));
    const Entries edited{{"Jan", "a"}, {"Feb", "b2"}};
    QCOMPARE(form.entries(), edited);
    QCOMPARE(stored(), edited);
    QVERIFY(mDialogs.calls.isEmpty());

    // The same text again writes nothing and is no step: one undo takes the edit back.
    const Entries marker{{"marker", "m"}};
    markStore(marker);
    cell = editCell(1, 1);
    QVERIFY(cell);
    QTest::keyClick(cell, Qt::Key_Return);
    QVERIFY(!cellEditor(1, 1));
    QCOMPARE(stored(), marker);
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), rows);
    QCOMPARE(stored(), rows);
}

void TestListCommands::cellRefusalKeepsTheEditor_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("press");
    QTest::addColumn<QString>("refusal"); // empty: no box, the editor closes
    QTest::newRow("not a year") << 0 << "19x5" << int(Qt::Key_Return)
                                << "Year must be a numeric value.";
    QTest::newRow("span ending first")
        << 0 << "1960 to 1950" << int(Qt::Key_Return) << "The date range ends before it starts.";
    QTest::newRow("blank date by tab") << 0 << "" << int(Qt::Key_Tab) << "The date is blank.";
    QTest::newRow("blank notes") << 1 << "  " << int(Qt::Key_Enter) << "The notes are blank.";
    QTest::newRow("separator in notes") << 1 << "x||MySeparator123||y" << int(Qt::Key_Return)
                                        << "The notes cannot hold \"||MySeparator123||\"";
    QTest::newRow("escape drops a change") << 0 << "1999" << int(Qt::Key_Escape) << QString();
}

void TestListCommands::cellRefusalKeepsTheEditor()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(int, press);
    QFETCH(QString, refusal);
    const Entries rows{{"1955", "a"}, {"1960", "b"}};
    editor::Form1& form = start(1, rows);
    const Entries marker{{"marker", "m"}};
    markStore(marker);
    QLineEdit* cell = editCell(0, column);
    QVERIFY(cell);
    cell->selectAll();
    QTest::keyClick(cell, Qt::Key_Backspace);
    QTest::keyClicks(cell, typed);
    QTest::keyClick(cell, Qt::Key(press));
    if (!refusal.isEmpty()) {
        QCOMPARE(mDialogs.messages().size(), 1);
        QVERIFY2(mDialogs.messageTexts().first().startsWith(refusal),
                 qPrintable(mDialogs.messageTexts().first()));
        QCOMPARE(cellEditor(0, column), cell);
        QCOMPARE(cell->text(), typed);
        QTest::keyClick(cell, Qt::Key_Escape);
    }
    QVERIFY(!cellEditor(0, column));
    QCOMPARE(mDialogs.messages().size(), refusal.isEmpty() ? 0 : 1);
    QCOMPARE(form.entries(), rows);
    QCOMPARE(stored(), marker);
}

void TestListCommands::tabWalksTheCells()
{
    const Entries rows{{"Jan", "a"}, {"Feb", "b"}};
    editor::Form1& form = start(2, rows);
    QAbstractItemModel* model = list()->model();
    QLineEdit* cell = editCell(0, 0);
    QVERIFY(cell);
    cell->selectAll();
    QTest::keyClicks(cell, QStringLiteral("Jan 2000"));
    // Date, notes and category of the same row, then the next row's date; Shift+Tab back.
    const QList<std::pair<int, QString>> walk{
        {Qt::Key_Tab, "a"}, {Qt::Key_Tab, ""}, {Qt::Key_Tab, "Feb"}, {Qt::Key_Backtab, ""}};
    const QList<QModelIndex> cells{model->index(0, 1), model->index(0, 2), model->index(1, 0),
                                   model->index(0, 2)};
    for (int i = 0; i < walk.size(); ++i) {
        QTest::keyClick(cell, Qt::Key(walk.at(i).first),
                        walk.at(i).first == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        cell = cellEditor(cells.at(i).row(), cells.at(i).column());
        QVERIFY2(cell, qPrintable(QString::number(i)));
        QCOMPARE(cell->text(), walk.at(i).second);
        QCOMPARE(list()->currentIndex(), cells.at(i));
    }
    const Entries edited{{"Jan 2000", "a"}, {"Feb", "b"}};
    QCOMPARE(form.entries(), edited);
    QCOMPARE(stored(), edited);
    // Past the last cell the editor closes.
    cell = editCell(1, 2);
    QVERIFY(cell);
    QTest::keyClick(cell, Qt::Key_Tab);
    const QList<QLineEdit*> editors = list()->findChildren<QLineEdit*>();
    QVERIFY(std::none_of(editors.cbegin(), editors.cend(),
                         [](const QLineEdit* editor) { return editor->isVisible(); }));
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), rows);
}

void TestListCommands::leavingACellTakesWhatTheRulesAllow()
{
    const Entries rows{{"1955", "a"}, {"1960", "b"}};
    editor::Form1& form = start(1, rows);
    const auto typeThenClickRow = [&](const QString& typed, int clicked) {
        QLineEdit* cell = editCell(0, 0);
        QVERIFY(cell);
        QTest::keyClicks(cell, typed);
        const QRect other = list()->visualRect(list()->model()->index(clicked, 1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, other.center());
        QVERIFY(!cellEditor(0, 0));
    };
    // A refused text is said and dropped; the click still moves on.
    typeThenClickRow(QStringLiteral("19x5"), 1);
    QCOMPARE(mDialogs.messageTexts(), QStringList{"Year must be a numeric value."});
    QCOMPARE(form.entries(), rows);
    QCOMPARE(form.currentRow(), 1);
    // A text the rules take is one step, stored.
    typeThenClickRow(QStringLiteral("1956"), 1);
    const Entries edited{{"1956", "a"}, {"1960", "b"}};
    QCOMPARE(form.entries(), edited);
    QCOMPARE(stored(), edited);
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), rows);

    // A click on a scale option: its release goes to the refusal box, as it does to a modal
    // one, and the option is not left drawn pressed.
    auto* option = form.findChild<QRadioButton*>(QStringLiteral("Option2"));
    QLineEdit* cell = editCell(0, 0);
    QVERIFY(cell);
    QTest::keyClicks(cell, QStringLiteral("19x5"));
    mDialogs.onMessage = [&](const ScriptedDialogs::Call&) {
        QTest::mouseRelease(option, Qt::LeftButton);
    };
    QTest::mousePress(option, Qt::LeftButton);
    mDialogs.onMessage = {};
    QCOMPARE(mDialogs.messages().size(), 2);
    QTRY_VERIFY(!option->isDown());
    QCOMPARE(form.selectedScale(), 1);
}

void TestListCommands::cutCellsShowTheirTextAsTooltip()
{
    const QString longNotes = QStringLiteral("word ").repeated(80).trimmed();
    start(1, {{"1980", longNotes}, {"1975", "short"}});
    const auto tipAt = [&](int row, int column) {
        const QPoint at = list()->visualRect(list()->model()->index(row, column)).center();
        QHelpEvent help(QEvent::ToolTip, at, list()->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list()->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(1, 1), QString());
    QCOMPARE(tipAt(0, 1), Qt::convertFromPlainText(longNotes));
    // A marked row's date keeps saying why.
    QCOMPARE(tipAt(1, 0), QStringLiteral("1975 comes after 1980"));
    tipAt(0, 0);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestListCommands::categoryAndMilestoneRoundTrip_data()
{
    QTest::addColumn<Entries>("before");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QString>("text"); // typed, pasted or imported
    QTest::addColumn<Entries>("after");
    const Entries plain{{"1955", "a"}, {"1960", "b"}};
    const Entries detailed{{"1955", "a", "Work", true}, {"1960", "b", "Home"}};
    QTest::newRow("category typed in its cell")
        << plain << "type" << QList<int>{1} << "Work, \"late\""
        << Entries{plain[0], {"1960", "b", "Work, \"late\""}};
    QTest::newRow("milestone marks the selected rows in one step")
        << plain << "mark" << QList<int>{0, 1} << QString()
        << Entries{{"1955", "a", "", true}, {"1960", "b", "", true}};
    QTest::newRow("a selection partly marked is marked whole")
        << detailed << "mark" << QList<int>{0, 1} << QString()
        << Entries{detailed[0], {"1960", "b", "Home", true}};
    // The last detail gone is stored as gone, not left to come back.
    QTest::newRow("a selection all marked is unmarked")
        << Entries{{"1955", "a", "", true}, plain[1]} << "mark" << QList<int>{0} << QString()
        << plain;
    QTest::newRow("Edit… asks for the date and notes and keeps both")
        << detailed << "edit" << QList<int>{0} << "1956|a2"
        << Entries{{"1956", "a2", "Work", true}, detailed[1]};
    QTest::newRow("copy and paste keep both")
        << detailed << "copy" << QList<int>{} << QString() << detailed + detailed;
    QTest::newRow("export and import keep both")
        << detailed << "export" << QList<int>{} << QString() << detailed + detailed;
    QTest::newRow("import with a header in its own order")
        << plain << "import" << QList<int>{} << "milestone,Notes,Date,Category\r\nyes,c,1970,\r\n"
        << plain + Entries{{"1970", "c", "", true}};
}

// Each way a category or a milestone comes in or goes out: the list shows it, the
// store keeps it, one undo takes it back.
void TestListCommands::categoryAndMilestoneRoundTrip()
{
    QFETCH(Entries, before);
    QFETCH(QString, command);
    QFETCH(QList<int>, selected);
    QFETCH(QString, text);
    QFETCH(Entries, after);
    editor::Form1& form = start(1, before);
    QCOMPARE(form.entries(), before);
    list()->selectionModel()->clearSelection();
    for (int row : selected)
        list()->selectionModel()->select(list()->model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QString csv = mDir->filePath(QStringLiteral("io.csv"));
    if (command == u"type") {
        QLineEdit* cell = editCell(selected.first(), 2);
        QVERIFY(cell);
        QTest::keyClicks(cell, text);
        QTest::keyClick(cell, Qt::Key_Return);
    } else if (command == u"edit") {
        list()->selectionModel()->setCurrentIndex(list()->model()->index(selected.first(), 0),
                                                  QItemSelectionModel::Current);
        mDialogs.inputAnswers = text.split(u'|');
        key(Qt::Key_Return);
    } else if (command == u"mark") {
        mForm->findChild<QAction*>(QStringLiteral("actionMarkMilestone"))->trigger();
    } else if (command == u"copy") {
        key(Qt::Key_C, Qt::ControlModifier);
        key(Qt::Key_V, Qt::ControlModifier);
    } else {
        if (command == u"export") {
            mDialogs.saveAnswers = {csv};
            mForm->findChild<QAction*>(QStringLiteral("actionExportCsv"))->trigger();
        } else {
            QFile file(csv);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toUtf8());
        }
        mDialogs.openAnswers = {csv};
        mForm->findChild<QAction*>(QStringLiteral("actionImportCsv"))->trigger();
    }
    QVERIFY2(mDialogs.messages().isEmpty(), qPrintable(mDialogs.messageTexts().join('|')));
    QCOMPARE(form.entries(), after);
    QCOMPARE(stored(), after);
    const QAbstractItemModel* model = list()->model();
    for (int row = 0; row < after.size(); ++row) {
        QCOMPARE(model->index(row, 2).data().toString(), after[row].category);
        QCOMPARE(model->index(row, 0).data(Qt::DecorationRole).isValid(), after[row].milestone);
    }
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.entries(), before);
    QCOMPARE(stored(), before);
}

QTEST_MAIN(TestListCommands)
#include "tst_listcommands.moc"
