#include "editor/form1.h"
#include "editor/mainlayout.h"
#include "preview/pageview.h"
#include "slide/slidesize.h"
#include "timeline/entrylist.h"
#include "timeline/settingsstore.h"
#include "timeline/timeline.h"

#include "app/appearance.h"
#include "app/errortrap.h"
#include "app/failure.h"
#include "app/locationlabels.h"
#include "app/units.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

#include <sys/stat.h>

using testsupport::ScriptedDialogs;
using Entries = QList<editor::TimelineEntry>;

namespace {
constexpr const char* kAppTitle = "Loomchart Page";

// Lets a test make one key's write fail, as a full disk or a locked file would.
class FailingStore : public editor::SettingsStore
{
public:
    explicit FailingStore(editor::SettingsStore& inner) : mInner(inner) {}
    QString read(const QString& key, const QString& defaultValue) override
    {
        return mInner.read(key, defaultValue);
    }
    void write(const QString& key, const QString& value) override
    {
        if (key == failingKey)
            throw app::Failure(QStringLiteral("Disk full"));
        mInner.write(key, value);
    }
    Pieces readPieces(const QString& key, QStringView terminator, int maxPieces) override
    {
        return mInner.readPieces(key, terminator, maxPieces);
    }
    QString setAside(const QString& key) override { return mInner.setAside(key); }
    QString failingKey;

private:
    editor::SettingsStore& mInner;
};

const QString kYearlyStored = QStringLiteral(
    "1955||MySeparator123||Graduated in high school in New Hampshire||MySeparator234||"
    "1960||MySeparator123||Graduated college in Boston||MySeparator234||"
    "1965||MySeparator123||Married in West Virginia||MySeparator234||"
    "1970||MySeparator123||Moved to Atlanta||MySeparator234||"
    "1975||MySeparator123||Relocated to Florida||MySeparator234||"
    "1980||MySeparator123||Moved to Seattle||MySeparator234||"
    "1985||MySeparator123||New job in Los Angeles||MySeparator234||"
    "1990||MySeparator123||Relocated to California||MySeparator234||");
const QString kMonthlyStored = QStringLiteral(
    "Apr 2000||MySeparator123||Created a new company call Olvantri||MySeparator234||"
    "Jan 2001||MySeparator123||Incorporated as Olvantri Inc.||MySeparator234||"
    "Jan 2002||MySeparator123||Launches the first product||MySeparator234||"
    "Jul 2002||MySeparator123||1 million copies sold||MySeparator234||"
    "Jan 2003||MySeparator123||Released 2.0 with great success||MySeparator234||"
    "Jul 2003||MySeparator123||2.5 million copies sold||MySeparator234||"
    "Jan 2004||MySeparator123||Company moves to new office in Boston||MySeparator234||"
    "Dec 2004||MySeparator123||Olvantri has over 1,000 employees||MySeparator234||");
const QString kDailyStored = QStringLiteral(
    "5/3/2010||MySeparator123||Initial planning begins||MySeparator234||"
    "5/5/2010||MySeparator123||Business goals for BizTalk Server solution "
    "determined||MySeparator234||"
    "5/6/2010||MySeparator123||Architechture diagram created||MySeparator234||"
    "5/7/2010||MySeparator123||High availability & disaster recovery requirements "
    "determined||MySeparator234||"
    "5/10/2010||MySeparator123||General sizing guidelines determined||MySeparator234||"
    "5/11/2010||MySeparator123||Summary hardware diagram created||MySeparator234||"
    "5/12/2010||MySeparator123||BizTalk Server solution installed and deployed||MySeparator234||"
    "5/13/2010||MySeparator123||BizTalk Server solution tested||MySeparator234||");
} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void unreadableChoicesAreSetAside_data();
    void unreadableChoicesAreSetAside();
    void aChoiceWritesOnlyItsOwnKey();
    void cleanup();

    void firstStartWithEmptyStore();
    void layoutInTwips();
    void resizeKeepsEveryControlReachable_data();
    void resizeKeepsEveryControlReachable();
    void everyControlIsNamed();
    void tabOrderStartsWithTitle();
    void skinTurnsFramesButtonFace_data();
    void skinTurnsFramesButtonFace();
    void addEntry_data();
    void addEntry();
    void addWritesListAtOnce();
    void deleteEntry_data();
    void deleteEntry();
    void clearStoresEmptyTitle();
    void sample_data();
    void sample();
    void sampleTwiceGivesEightRows();
    void storedOption_data();
    void storedOption();
    void storedListsSurviveStart();
    void switchingScaleKeepsRows();
    void unreadableStoredListIsSetAside();
    void switchingWhenRowsCannotBeWrittenStays();
    void titleWrittenOnEveryKeystroke();
    void titleFocusSelectsAll();
    void titleWriteFailureIsSaid();
    void titleFailuresSaidOnceAndNothingTypedIsLost();
    void unreadableTitleOrScaleIsSetAside_data();
    void unreadableTitleOrScaleIsSetAside();
    void fullListNeitherGrowsNorShrinks();
    void handCursor_data();
    void handCursor();
    void hourglassNotReplacedByHover_data();
    void hourglassNotReplacedByHover();
    void wordCheckFailureWritesNothing();
    void closeWritesListAndEnds();
    void closeFailureShowsBoxWithoutIcon();
    void centredOnFirstShow();
    void createTemplateButtonRunsBuilder();

private:
    editor::Form1& start();
    editor::QSettingsStore& store() { return *mStore; }
    QString stored(const QString& key, const QString& absent = QStringLiteral("<absent>"));
    // The one file set aside for the key, which the first message names; empty otherwise.
    QString keptAside(const QString& key);
    template <typename T> T* child(const char* name)
    {
        T* found = mForm->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    void selectRow(int row);

    std::unique_ptr<QTemporaryDir> mStoreDir;
    std::unique_ptr<QTemporaryDir> mProgramDir;
    std::unique_ptr<editor::QSettingsStore> mStore;
    std::unique_ptr<FailingStore> mFailing;
    ScriptedDialogs mDialogs;
    testsupport::RecordingEnd mEnd;
    std::function<bool()> mWordCheck;
    std::function<void()> mCreateTemplate;
    std::unique_ptr<editor::Form1> mForm;
};

void TestForm1::init()
{
    mStoreDir = std::make_unique<QTemporaryDir>();
    mProgramDir = std::make_unique<QTemporaryDir>();
    mStore = std::make_unique<editor::QSettingsStore>(mStoreDir->path());
    mFailing = std::make_unique<FailingStore>(*mStore);
    mDialogs = ScriptedDialogs();
    mEnd.calls = 0;
    mWordCheck = nullptr;
    mCreateTemplate = nullptr;
}

void TestForm1::cleanup()
{
    mForm.reset();
    mFailing.reset();
    mStore.reset();
}

editor::Form1& TestForm1::start()
{
    mForm.reset();
    mForm = std::make_unique<editor::Form1>(editor::Form1Services{
        mDialogs, mEnd, *mFailing, mProgramDir->path(), mWordCheck, mCreateTemplate});
    mForm->Form_Load();
    return *mForm;
}

QString TestForm1::stored(const QString& key, const QString& absent)
{
    // A store of its own reads what is on disk, not what the window's store holds.
    editor::QSettingsStore reader(mStoreDir->path());
    return reader.read(key, absent);
}

QString TestForm1::keptAside(const QString& key)
{
    const QStringList kept = QDir(mStoreDir->path()).entryList({key + QStringLiteral(" *")});
    if (kept.size() != 1 || mDialogs.messages().isEmpty() ||
        !mDialogs.messageTexts().first().contains(kept.first()))
        return QString();
    return mStoreDir->filePath(kept.first());
}

void TestForm1::selectRow(int row)
{
    auto* list = child<QTreeView>("ListView1");
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TestForm1::firstStartWithEmptyStore()
{
    editor::Form1& form = start();
    QCOMPARE(form.windowTitle(), QStringLiteral("Loomchart Page Studio"));
    QCOMPARE(form.titleText(), QString());
    QCOMPARE(form.selectedScale(), 1);
    QCOMPARE(form.entryCount(), 0);
    auto* list = child<QTreeView>("ListView1");
    QCOMPARE(list->model()->columnCount(), 3);
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Date"));
    QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Notes"));
    QCOMPARE(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Category"));
    QVERIFY(!form.windowIcon().isNull());
    QVERIFY2(mDialogs.calls.isEmpty(), qPrintable(mDialogs.messageTexts().join('|')));
    QVERIFY2(QDir(mStoreDir->path()).entryList(QDir::Files).isEmpty(), "start-up must not write");
}

void TestForm1::layoutInTwips()
{
    editor::Form1& form = start();
    const double dpiX = form.logicalDpiX();
    const double dpiY = form.logicalDpiY();
    const auto px = [&](int twips) { return app::twipsToPixels(twips, dpiX); };
    const auto py = [&](int twips) { return app::twipsToPixels(twips, dpiY); };
    // The menu bar stands above the drawn client area, which keeps its size.
    const int bar = form.menuBar().sizeHint().height();
    QVERIFY(bar > 0);
    QCOMPARE(form.size(), QSize(px(8040), py(7110) + bar));
    QCOMPARE(form.centralArea().geometry(), QRect(0, bar, px(8040), py(7110)));
    QCOMPARE(form.menuBar().geometry(), QRect(0, 0, px(8040), bar));
    QCOMPARE(child<QPushButton>("PushButton4")->geometry(),
             QRect(px(4080), py(630), px(3840), py(405)));
    // Inside a frame positions count from the frame.
    QCOMPARE(child<QPushButton>("PushButton2")->geometry(),
             QRect(px(3960), py(3630), px(3600), py(405)));
    QCOMPARE(child<QRadioButton>("Option3")->geometry().topLeft(), QPoint(px(2760), py(300)));
    auto* header = child<QTreeView>("ListView1")->header();
    QCOMPARE(header->sectionSize(0), px(2000));
    QCOMPARE(header->sectionSize(1), px(3500));
    QCOMPARE(header->sectionSize(2), px(1500));
    QCOMPARE(child<QRadioButton>("Option1")->text(), QStringLiteral(" Yearly"));
    QCOMPARE(form.font().family(), QStringLiteral("Arial"));
    QVERIFY(form.font().bold());
    QCOMPARE(form.font().pointSizeF(), 9.0);
    QCOMPARE(child<QPushButton>("PushButton6")->font().pointSizeF(), 11.25);
    QCOMPARE(child<QPushButton>("PushButton6")->text(), QStringLiteral("Start Creating Template"));
}

void TestForm1::resizeKeepsEveryControlReachable_data()
{
    QTest::addColumn<QSize>("extra");
    QTest::addColumn<bool>("pageBeside");
    QTest::newRow("taller") << QSize(0, 300) << false;
    QTest::newRow("a little wider") << QSize(editor::kPageBesideMinWidth - 1, 0) << false;
    QTest::newRow("wide enough for the page") << QSize(editor::kPageBesideMinWidth, 0) << true;
    QTest::newRow("maximised on a large screen") << QSize(1400, 600) << true;
}

void TestForm1::resizeKeepsEveryControlReachable()
{
    QFETCH(QSize, extra);
    QFETCH(bool, pageBeside);
    editor::Form1& form = start();
    form.show();
    const QSize designed = form.size();
    QCOMPARE(form.minimumSize(), designed);
    QList<QRect> buttonSizes;
    const char* const buttons[] = {"PushButton6", "PushButton3", "PushButton4", "PushButton1",
                                   "PushButton2"};
    for (const char* name : buttons)
        buttonSizes << child<QPushButton>(name)->geometry();
    auto* list = child<QTreeView>("ListView1");
    const QSize listBefore = list->size();

    form.resize(designed + extra);
    QCOMPARE(form.pageViewShown(), pageBeside);
    // Positions count from the area below the menu bar.
    QWidget& area = form.centralArea();
    const QRect client = area.rect();
    QCOMPARE(area.size(), form.size() - QSize(0, form.menuBar().height()));
    for (int i = 0; i < 5; ++i) {
        auto* button = child<QPushButton>(buttons[i]);
        QCOMPARE(button->size(), buttonSizes.at(i).size());
        const QRect onWindow(button->mapTo(&area, QPoint(0, 0)), button->size());
        QVERIFY2(client.contains(onWindow), buttons[i]);
        if (pageBeside)
            QVERIFY(!onWindow.intersects(form.pageView().geometry()));
    }
    QCOMPARE(list->height(), listBefore.height() + extra.height());
    // Below the list, its two buttons keep their place relative to its bottom edge.
    QCOMPARE(child<QPushButton>("PushButton1")->y() - (list->y() + list->height()),
             buttonSizes.at(3).y() - (list->y() + listBefore.height()));
    if (pageBeside) {
        QCOMPARE(list->width(), listBefore.width());
        QVERIFY(client.contains(form.pageView().geometry()));
        QVERIFY(form.pageView().width() >= extra.width() - 16);
    } else {
        QCOMPARE(list->width(), listBefore.width() + extra.width());
    }
    // Back at its drawn size, everything stands where it was drawn.
    form.resize(designed);
    QVERIFY(!form.pageViewShown());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(child<QPushButton>(buttons[i])->geometry(), buttonSizes.at(i));
    QCOMPARE(list->size(), listBefore);
}

void TestForm1::everyControlIsNamed()
{
    start();
    QList<QWidget*> interactive;
    // The menu bar's own overflow button is the toolkit's, not a control of the form.
    for (auto* w : mForm->findChildren<QAbstractButton*>())
        if (!mForm->menuBar().isAncestorOf(w))
            interactive << w;
    for (auto* w : mForm->findChildren<QLineEdit*>())
        interactive << w;
    for (auto* w : mForm->findChildren<QAbstractItemView*>()) {
        if (!qobject_cast<QHeaderView*>(w)) // part of the list
            interactive << w;
    }
    QCOMPARE(interactive.size(), 5 + 3 + 1 + 1);
    for (QWidget* w : interactive) {
        QVERIFY2(!w->objectName().isEmpty(), w->metaObject()->className());
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }
}

void TestForm1::tabOrderStartsWithTitle()
{
    start();
    const QStringList expected{"Text1",       "Option1",     "Option2",     "Option3",
                               "ListView1",   "PushButton1", "PushButton2", "PushButton6",
                               "PushButton3", "PushButton4"};
    QStringList order;
    QWidget* w = child<QLineEdit>("Text1");
    for (int guard = 0; guard < 100 && order.size() < expected.size(); ++guard) {
        if (expected.contains(w->objectName()) && !order.contains(w->objectName()))
            order << w->objectName();
        w = w->nextInFocusChain();
    }
    QCOMPARE(order, expected);
}

void TestForm1::skinTurnsFramesButtonFace_data()
{
    QTest::addColumn<bool>("skinPresent");
    QTest::newRow("no skin: designed white") << false;
    QTest::newRow("skin: button face") << true;
}

void TestForm1::skinTurnsFramesButtonFace()
{
    QFETCH(bool, skinPresent);
    if (skinPresent) {
        QVERIFY(QDir(mProgramDir->path()).mkpath(QStringLiteral("x")));
        QFile skin(mProgramDir->filePath(QStringLiteral("x/o.cjs")));
        QVERIFY(skin.open(QIODevice::WriteOnly));
        skin.write("QPushButton { font-weight: bold; }");
    }
    start();
    const QColor expected = skinPresent ? app::buttonFaceColor() : app::designedWhite();
    if (skinPresent)
        QVERIFY(expected != app::designedWhite());
    for (const char* name : {"Frame1", "Frame2", "Frame3"})
        QCOMPARE(child<QGroupBox>(name)->palette().color(QPalette::Window), expected);
    QCOMPARE(child<QRadioButton>("Option2")->palette().color(QPalette::Window), expected);
    QCOMPARE(mForm->palette().color(QPalette::Window), expected);
    QVERIFY(mDialogs.calls.isEmpty());
    // The painted colour too: the empty right end of an option button.
    auto* option = child<QRadioButton>("Option2");
    const QImage shot = mForm->grab().toImage();
    const QPoint probe =
        option->mapTo(mForm.get(), QPoint(option->width() - 3, option->height() / 2));
    QCOMPARE(shot.pixelColor(probe * shot.devicePixelRatio()), expected);
}

void TestForm1::addEntry_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("questions"); // prompt and caption of every question
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<Entries>("rows");

    const QStringList year{"Enter Year: ", "Input Year"};
    const QStringList notes{"Enter Notes: ", "Input Notes"};
    const QString notNumeric = QStringLiteral("Year must be a numeric value.");

    QTest::newRow("cancel on the date asks nothing more")
        << 1 << QStringList{} << year << QStringList{} << Entries{};
    QTest::newRow("blank date counts as cancel")
        << 1 << QStringList{"   "} << year << QStringList{} << Entries{};
    QTest::newRow("19x5 is not a year")
        << 1 << QStringList{"19x5", "never asked"} << year << QStringList{notNumeric} << Entries{};
    QTest::newRow("year with blanks kept as typed")
        << 1 << QStringList{" 1955 ", "School"} << (year + notes) << QStringList{}
        << Entries{{" 1955 ", "School"}};
    QTest::newRow("a span of years") << 1 << QStringList{"1939\u20131945", "War"} << (year + notes)
                                     << QStringList{} << Entries{{"1939\u20131945", "War"}};
    QTest::newRow("a span ending before it starts")
        << 1 << QStringList{"1945-1939", "never asked"} << year
        << QStringList{"The date range ends before it starts."} << Entries{};
    QTest::newRow("cancel on the notes")
        << 1 << QStringList{"1955"} << (year + notes) << QStringList{} << Entries{};
    QTest::newRow("blank notes count as cancel")
        << 1 << QStringList{"1955", "  "} << (year + notes) << QStringList{} << Entries{};
    QTest::newRow("notes keep their blanks") << 1 << QStringList{"1955", " a "} << (year + notes)
                                             << QStringList{} << Entries{{"1955", " a "}};
    QTest::newRow("monthly takes any text")
        << 2 << QStringList{"Apr 2000", "Launches the first product"}
        << (QStringList{"Enter Month Year: ", "Input Month Year"} + notes) << QStringList{}
        << Entries{{"Apr 2000", "Launches the first product"}};
    QTest::newRow("daily takes any text")
        << 3 << QStringList{"5/3/2010", "Initial planning begins"}
        << (QStringList{"Enter Date: ", "Input Date"} + notes) << QStringList{}
        << Entries{{"5/3/2010", "Initial planning begins"}};
    QTest::newRow("daily 19x5 is fine")
        << 3 << QStringList{"19x5", "n"} << (QStringList{"Enter Date: ", "Input Date"} + notes)
        << QStringList{} << Entries{{"19x5", "n"}};
    QTest::newRow("field separator in the date is refused")
        << 2 << QStringList{"Apr||MySeparator123||2000", "never asked"}
        << QStringList{"Enter Month Year: ", "Input Month Year"} << QStringList{"separator"}
        << Entries{};
    QTest::newRow("terminator in the notes is refused")
        << 1 << QStringList{"1955", "a||MySeparator234||b"} << (year + notes)
        << QStringList{"separator"} << Entries{};
}

void TestForm1::addEntry()
{
    QFETCH(int, scale);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, questions);
    QFETCH(QStringList, messages);
    QFETCH(Entries, rows);

    // An existing row shows that a new one lands at the end.
    mStore->write(editor::timelineKey(scale), QStringLiteral("first||MySeparator123||row||My"
                                                             "Separator234||"));
    mStore->write(QStringLiteral("Option"), QString::number(scale));
    editor::Form1& form = start();
    mDialogs.inputAnswers = answers;
    form.PushButton1_Click();

    QStringList asked;
    for (const auto& call : mDialogs.calls) {
        if (call.kind == ScriptedDialogs::Kind::Input) {
            asked << call.text << call.caption;
            QCOMPARE(call.extra, QString());
        }
    }
    QCOMPARE(asked, questions);
    const auto shown = mDialogs.messages();
    QCOMPARE(shown.size(), messages.size());
    for (int i = 0; i < shown.size(); ++i) {
        if (messages.at(i) == QLatin1String("separator")) {
            QVERIFY2(shown.at(i).text.contains(QStringLiteral("\"||MySeparator123||\"")),
                     qPrintable(shown.at(i).text));
            QVERIFY(shown.at(i).text.contains(QStringLiteral("\"||MySeparator234||\"")));
        } else {
            QCOMPARE(shown.at(i).text, messages.at(i));
            QCOMPARE(shown.at(i).icon, app::MessageIcon::None);
        }
        QCOMPARE(shown.at(i).caption, QLatin1String(kAppTitle));
        QCOMPARE(shown.at(i).buttons, app::MessageButtons::Ok);
    }
    const Entries expected = Entries{{"first", "row"}} + rows;
    QCOMPARE(form.entries(), expected);
}

void TestForm1::addWritesListAtOnce()
{
    editor::Form1& form = start();
    mDialogs.inputAnswers = {"1955", "School"};
    form.PushButton1_Click();
    QCOMPARE(form.entryCount(), 1);
    QCOMPARE(stored(QStringLiteral("Timeline1")),
             QStringLiteral("1955||MySeparator123||School||MySeparator234||"));
}

void TestForm1::deleteEntry_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("selected"); // -1: nothing selected
    QTest::addColumn<Entries>("rows");
    QTest::addColumn<QString>("errorBox");

    const QString twins = QStringLiteral("a||MySeparator123||x||MySeparator234||"
                                         "a||MySeparator123||x||MySeparator234||"
                                         "b||MySeparator123||y||MySeparator234||");
    QTest::newRow("empty list: silent") << QString() << -1 << Entries{} << QString();
    QTest::newRow("one of two identical rows")
        << twins << 1 << Entries{{"a", "x"}, {"b", "y"}} << QString();
    QTest::newRow("last row") << twins << 2 << Entries{{"a", "x"}, {"a", "x"}} << QString();
    QTest::newRow("rows but no selection: error at 102")
        << twins << -1 << Entries{{"a", "x"}, {"a", "x"}, {"b", "y"}}
        << QStringLiteral("Object variable or With block variable not set\r\n"
                          "in Chronoweave2021/08/31.Form1.PushButton2_Click at line 102\r\r"
                          "Please email screenshot of this message to "
                          "support@loomchartstudio.com");
}

void TestForm1::deleteEntry()
{
    QFETCH(QString, list);
    QFETCH(int, selected);
    QFETCH(Entries, rows);
    QFETCH(QString, errorBox);

    mStore->write(QStringLiteral("Timeline1"), list);
    editor::Form1& form = start();
    if (selected >= 0)
        selectRow(selected);
    form.PushButton2_Click();
    QCOMPARE(form.entries(), rows);
    if (errorBox.isEmpty()) {
        QVERIFY2(mDialogs.calls.isEmpty(), qPrintable(mDialogs.messageTexts().join('|')));
    } else {
        QCOMPARE(mDialogs.messageTexts(), QStringList{errorBox});
        QCOMPARE(mDialogs.messages().first().caption, QStringLiteral("Application Error"));
        QCOMPARE(mDialogs.messages().first().icon, app::MessageIcon::Exclamation);
    }
}

void TestForm1::clearStoresEmptyTitle()
{
    const QString list = QStringLiteral("a||MySeparator123||x||MySeparator234||");
    mStore->write(QStringLiteral("Text1"), QStringLiteral("Old title"));
    mStore->write(QStringLiteral("Option"), QStringLiteral("2"));
    mStore->write(QStringLiteral("Timeline2"), list);
    editor::Form1& form = start();
    QCOMPARE(form.entryCount(), 1);
    form.PushButton3_Click();
    QCOMPARE(form.titleText(), QString());
    QCOMPARE(form.entryCount(), 0);
    QCOMPARE(form.selectedScale(), 2);
    QCOMPARE(stored(QStringLiteral("Text1")), QString());
    // The cleared list is stored at once, so the next start shows it cleared.
    QCOMPARE(stored(QStringLiteral("Timeline2")), QString());
}

void TestForm1::sample_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("yearly") << 1 << kYearlyStored;
    QTest::newRow("monthly") << 2 << kMonthlyStored;
    QTest::newRow("daily") << 3 << kDailyStored;
}

void TestForm1::sample()
{
    QFETCH(int, scale);
    QFETCH(QString, expected);
    const QString other = QStringLiteral("keep||MySeparator123||me||MySeparator234||");
    for (int s = 1; s <= 3; ++s)
        mStore->write(editor::timelineKey(s), other);
    mStore->write(QStringLiteral("Option"), QString::number(scale));
    editor::Form1& form = start();
    form.PushButton4_Click();

    QVERIFY(mDialogs.calls.isEmpty());
    QCOMPARE(form.titleText(), QStringLiteral("John's Timeline"));
    QCOMPARE(stored(QStringLiteral("Text1")), QStringLiteral("John's Timeline"));
    QCOMPARE(form.entryCount(), 8);
    QCOMPARE(stored(editor::timelineKey(scale)), expected);
    for (int s = 1; s <= 3; ++s) {
        if (s != scale)
            QCOMPARE(stored(editor::timelineKey(s)), other);
    }
    // Rows in table order; nothing sorts them.
    QString shown;
    for (int i = 0; i < form.entryCount(); ++i)
        shown += form.entryDate(i) + QStringLiteral("||MySeparator123||") + form.entryNotes(i) +
                 QStringLiteral("||MySeparator234||");
    QCOMPARE(shown, expected);
}

void TestForm1::sampleTwiceGivesEightRows()
{
    mStore->write(QStringLiteral("Option"), QStringLiteral("2"));
    editor::Form1& form = start();
    form.PushButton4_Click();
    form.PushButton4_Click();
    QCOMPARE(form.entryCount(), 8);
    // Stored at once, so a switch away and back shows it again.
    child<QRadioButton>("Option1")->click();
    child<QRadioButton>("Option2")->click();
    QCOMPARE(form.entryCount(), 8);
    QCOMPARE(form.entryDate(7), QStringLiteral("Dec 2004"));
}

void TestForm1::storedOption_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("errorBox");
    QTest::newRow("2 selects Monthly") << "2" << 2 << QString();
    QTest::newRow("3 selects Daily") << "3" << 3 << QString();
    QTest::newRow("7 leaves Yearly") << "7" << 1 << QString();
    QTest::newRow("x fails at 138 and selects Yearly")
        << "x" << 1
        << QStringLiteral("Type mismatch\r\nin Chronoweave2021/08/31.Form1.Form_Load at line "
                          "138\r\rPlease email screenshot of this message to "
                          "support@loomchartstudio.com");
}

void TestForm1::storedOption()
{
    QFETCH(QString, option);
    QFETCH(int, scale);
    QFETCH(QString, errorBox);
    mStore->write(QStringLiteral("Option"), option);
    mStore->write(editor::timelineKey(scale), QStringLiteral("d||MySeparator123||n"));
    editor::Form1& form = start();
    QCOMPARE(form.selectedScale(), scale);
    QCOMPARE(form.entries(), (Entries{{"d", "n"}}));
    QCOMPARE(stored(QStringLiteral("Option")), option);
    if (errorBox.isEmpty()) {
        QVERIFY(mDialogs.calls.isEmpty());
    } else {
        QCOMPARE(mDialogs.messageTexts(), QStringList{errorBox});
        QCOMPARE(mDialogs.messages().first().icon, app::MessageIcon::Exclamation);
    }
}

void TestForm1::storedListsSurviveStart()
{
    const QString yearly = QStringLiteral("1955||MySeparator123||y||MySeparator234||");
    const QString daily = QStringLiteral("5/3/2010||MySeparator123||d||MySeparator234||");
    mStore->write(QStringLiteral("Timeline1"), yearly);
    mStore->write(QStringLiteral("Timeline3"), daily);
    mStore->write(QStringLiteral("Option"), QStringLiteral("3"));
    editor::Form1& form = start();
    QCOMPARE(form.selectedScale(), 3);
    QCOMPARE(form.entries(), (Entries{{"5/3/2010", "d"}}));
    QCOMPARE(stored(QStringLiteral("Timeline1")), yearly);
    QCOMPARE(stored(QStringLiteral("Timeline3")), daily);
    QCOMPARE(stored(QStringLiteral("Option")), QStringLiteral("3"));
    // A second start on the same store sees the same.
    form.close();
    editor::Form1& again = start();
    QCOMPARE(again.selectedScale(), 3);
    QCOMPARE(stored(QStringLiteral("Timeline1")), yearly);
    QCOMPARE(again.entries(), (Entries{{"5/3/2010", "d"}}));
}

void TestForm1::switchingScaleKeepsRows()
{
    editor::Form1& form = start();
    mDialogs.inputAnswers = {"1955", "a", "1960", "b"};
    form.PushButton1_Click();
    form.PushButton1_Click();
    child<QRadioButton>("Option2")->click();
    QCOMPARE(form.selectedScale(), 2);
    QCOMPARE(form.entryCount(), 0);
    QCOMPARE(stored(QStringLiteral("Option")), QStringLiteral("2"));
    QCOMPARE(stored(QStringLiteral("Timeline2")), QStringLiteral("<absent>"));
    child<QRadioButton>("Option1")->click();
    QCOMPARE(form.entries(), (Entries{{"1955", "a"}, {"1960", "b"}}));
    QCOMPARE(stored(QStringLiteral("Option")), QStringLiteral("1"));
    QCOMPARE(stored(QStringLiteral("Timeline1")),
             QStringLiteral("1955||MySeparator123||a||MySeparator234||"
                            "1960||MySeparator123||b||MySeparator234||"));
    QVERIFY(mDialogs.messages().isEmpty());
}

void TestForm1::unreadableStoredListIsSetAside()
{
    const QByteArray damaged("[Loomchart%20Page%20Studio\nTimeline2=\"a||MySeparator123||b\n");
    mStore->write(QStringLiteral("Option"), QStringLiteral("2"));
    QFile file(mStore->filePath(QStringLiteral("Timeline2")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();

    editor::Form1& form = start();
    QCOMPARE(form.entryCount(), 0);
    // Said once, naming where the unreadable file went; the file is there untouched.
    QCOMPARE(mDialogs.messages().size(), 1);
    const QStringList kept = QDir(mStoreDir->path()).entryList({QStringLiteral("Timeline2 *")});
    QCOMPARE(kept.size(), 1);
    QVERIFY2(mDialogs.messageTexts().first().contains(kept.first()),
             qPrintable(mDialogs.messageTexts().first()));
    QFile keptFile(mStoreDir->filePath(kept.first()));
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), damaged);

    // Rows typed now are stored as for any other list, by a switch and by the close.
    mDialogs.inputAnswers = {"Apr 2000", "a", "May 2000", "b"};
    form.PushButton1_Click();
    child<QRadioButton>("Option1")->click();
    QCOMPARE(stored(QStringLiteral("Timeline2")),
             QStringLiteral("Apr 2000||MySeparator123||a||MySeparator234||"));
    child<QRadioButton>("Option2")->click();
    form.PushButton1_Click();
    form.close();
    QCOMPARE(mDialogs.messages().size(), 1);
    editor::Form1& again = start();
    QCOMPARE(again.entries(), (Entries{{"Apr 2000", "a"}, {"May 2000", "b"}}));
}

void TestForm1::switchingWhenRowsCannotBeWrittenStays()
{
    editor::Form1& form = start();
    mDialogs.inputAnswers = {"1955", "a"};
    form.PushButton1_Click();
    mFailing->failingKey = QStringLiteral("Timeline1");
    child<QRadioButton>("Option3")->click();
    QCOMPARE(mDialogs.messageTexts(), QStringList{QStringLiteral("Disk full")});
    QCOMPARE(form.selectedScale(), 1);
    QCOMPARE(form.entries(), (Entries{{"1955", "a"}}));
}

void TestForm1::titleWrittenOnEveryKeystroke()
{
    mStore->write(QStringLiteral("Text1"), QStringLiteral("Kept"));
    editor::Form1& form = start();
    QCOMPARE(form.titleText(), QStringLiteral("Kept"));
    auto* title = child<QLineEdit>("Text1");
    title->setText(QString());
    QCOMPARE(stored(QStringLiteral("Text1")), QString());
    QString typed;
    for (QChar c : QStringLiteral("My  life ")) {
        QTest::keyClick(title, c.toLatin1());
        typed += c;
        QCOMPARE(stored(QStringLiteral("Text1")), typed);
    }
}

void TestForm1::titleFocusSelectsAll()
{
    mStore->write(QStringLiteral("Text1"), QStringLiteral("John's Timeline"));
    editor::Form1& form = start();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* title = child<QLineEdit>("Text1");
    auto* list = child<QTreeView>("ListView1");
    QTRY_VERIFY(title->hasFocus());
    QCOMPARE(title->selectedText(), QStringLiteral("John's Timeline"));

    // The focus coming back after a popup, a message box or a window switch keeps the caret.
    for (const Qt::FocusReason reason :
         {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason, Qt::MouseFocusReason}) {
        list->setFocus(Qt::MouseFocusReason);
        title->deselect();
        title->setCursorPosition(4);
        title->setFocus(reason);
        QVERIFY2(!title->hasSelectedText(), qPrintable(QString::number(reason)));
        QCOMPARE(title->cursorPosition(), 4);
    }
    // The next keystroke inserts at the caret; the stored title keeps what was there.
    QTest::keyClicks(title, QStringLiteral("X"));
    QCOMPARE(stored(QStringLiteral("Text1")), QStringLiteral("JohnX's Timeline"));

    // A click puts the caret where the mouse is.
    list->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(title, Qt::LeftButton, {}, QPoint(title->width() - 4, title->height() / 2));
    QVERIFY(title->hasFocus());
    QVERIFY(!title->hasSelectedText());
    QCOMPARE(title->cursorPosition(), title->text().size());

    // Moving there by keyboard selects the whole title.
    for (const Qt::FocusReason reason :
         {Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::ShortcutFocusReason}) {
        list->setFocus(Qt::MouseFocusReason);
        title->deselect();
        title->setFocus(reason);
        QCOMPARE(title->selectedText(), QStringLiteral("JohnX's Timeline"));
    }
}

void TestForm1::titleWriteFailureIsSaid()
{
    editor::Form1& form = start();
    mFailing->failingKey = QStringLiteral("Text1");
    form.setTitleText(QStringLiteral("T"));
    QCOMPARE(mDialogs.messageTexts(), QStringList{QStringLiteral("Disk full")});
    QCOMPARE(mDialogs.messages().first().caption, QLatin1String(kAppTitle));
    QCOMPARE(form.titleText(), QStringLiteral("T"));
}

void TestForm1::titleFailuresSaidOnceAndNothingTypedIsLost()
{
    editor::Form1& form = start();
    auto* title = child<QLineEdit>("Text1");
    mFailing->failingKey = QStringLiteral("Text1");
    QTest::keyClicks(title, QStringLiteral("abc"));
    QCOMPARE(mDialogs.messageTexts(), QStringList{QStringLiteral("Disk full")});
    // The folder takes files again; the close writes what was typed.
    mFailing->failingKey.clear();
    form.close();
    QCOMPARE(stored(QStringLiteral("Text1")), QStringLiteral("abc"));
    QCOMPARE(mDialogs.messages().size(), 1);
}

void TestForm1::unreadableTitleOrScaleIsSetAside_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("title as a list") << "Text1" << QByteArray("Zurich, 1955");
    QTest::newRow("scale as a typed value") << "Option" << QByteArray("@Variant(\\0\\0\\0\\x2)");
}

void TestForm1::unreadableTitleOrScaleIsSetAside()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    const QByteArray damaged = "[Loomchart%20Page%20Studio]\n" + key.toUtf8() + '=' + value + '\n';
    QFile file(mStore->filePath(key));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();
    editor::Form1& form = start();
    QCOMPARE(form.titleText(), QString());
    QCOMPARE(form.selectedScale(), 1);
    QCOMPARE(mDialogs.messages().size(), 1);
    const QString kept = keptAside(key);
    QVERIFY2(!kept.isEmpty(), qPrintable(mDialogs.messageTexts().first()));
    form.setTitleText(QStringLiteral("T"));
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), damaged);
}

void TestForm1::fullListNeitherGrowsNorShrinks()
{
    // One past the capacity, as only an outside change of the store could make it: the
    // entries within the cap are loaded, the whole list is kept aside, and said once.
    Entries entries;
    for (int i = 0; i <= editor::kMaxListEntries; ++i)
        entries.append({QString::number(i), QStringLiteral("n")});
    const QString list = editor::encodeEntryList(entries);
    mStore->write(QStringLiteral("Timeline1"), list);
    editor::Form1& form = start();
    QCOMPARE(form.entryCount(), editor::kMaxListEntries);
    QCOMPARE(mDialogs.messages().size(), 1);
    const QString kept = keptAside(QStringLiteral("Timeline1"));
    QVERIFY2(!kept.isEmpty(), qPrintable(mDialogs.messageTexts().first()));
    mDialogs.inputAnswers = {"2024", "one more"};
    form.PushButton1_Click();
    QCOMPARE(form.entryCount(), editor::kMaxListEntries);
    QCOMPARE(mDialogs.messages().size(), 2);
    QVERIFY2(mDialogs.messageTexts().last().contains(QStringLiteral("32767")),
             qPrintable(mDialogs.messageTexts().last()));
    form.close();
    QCOMPARE(stored(QStringLiteral("Timeline1")),
             editor::encodeEntryList(entries.mid(0, editor::kMaxListEntries)));
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(),
             editor::QSettingsStore::fileContents(QStringLiteral("Timeline1"), list));
}

void TestForm1::handCursor_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("hand cursor beside the program") << true;
    QTest::newRow("no hand cursor file") << false;
}

void TestForm1::handCursor()
{
    QFETCH(bool, present);
    if (present)
        QVERIFY(QFile::copy(QStringLiteral(LOOM_HAND_CURSOR_FILE),
                            mProgramDir->filePath(QStringLiteral("HAND-M.CUR"))));
    editor::Form1& form = start();
    QCOMPARE(form.hasHandCursor(), present);
    QVERIFY(mDialogs.calls.isEmpty());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QMouseEvent overButton(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton,
                           Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(child<QPushButton>("PushButton3"), &overButton);
    QCOMPARE(form.mousePointer(), app::MousePointer::Custom);
    QCOMPARE(form.cursor().shape(), present ? Qt::BitmapCursor : Qt::ArrowCursor);

    QMouseEvent overFrame(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(child<QGroupBox>("Frame2"), &overFrame);
    QCOMPARE(form.mousePointer(), app::MousePointer::Default);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void TestForm1::hourglassNotReplacedByHover_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("button") << "PushButton1";
    QTest::newRow("list") << "ListView1";
    QTest::newRow("frame") << "Frame3";
}

void TestForm1::hourglassNotReplacedByHover()
{
    QFETCH(QString, target);
    editor::Form1& form = start();
    form.setMousePointer(app::MousePointer::Hourglass);
    QWidget* widget = mForm->findChild<QWidget*>(target);
    QVERIFY(widget);
    if (auto* list = qobject_cast<QTreeView*>(widget))
        widget = list->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    QCOMPARE(form.mousePointer(), app::MousePointer::Hourglass);
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
}

void TestForm1::wordCheckFailureWritesNothing()
{
    mStore->write(QStringLiteral("Text1"), QStringLiteral("Title"));
    mStore->write(QStringLiteral("Option"), QStringLiteral("3"));
    mStore->write(QStringLiteral("Timeline3"), QStringLiteral("d||MySeparator123||n"));
    const QDir dir(mStoreDir->path());
    QMap<QString, QDateTime> before;
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files))
        before.insert(file.fileName(), file.lastModified());

    int checks = 0;
    mWordCheck = [&] {
        ++checks;
        mEnd.endNow();
        return false;
    };
    mForm = std::make_unique<editor::Form1>(
        editor::Form1Services{mDialogs, mEnd, *mFailing, mProgramDir->path(), mWordCheck, {}});
    QVERIFY(!mForm->Form_Load());
    QCOMPARE(checks, 1);
    QCOMPARE(mEnd.calls, 1);
    QCOMPARE(mForm->entryCount(), 0);
    QMap<QString, QDateTime> after;
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files))
        after.insert(file.fileName(), file.lastModified());
    QCOMPARE(after, before);
    // Whatever ends the program next must not write the unloaded list either.
    mForm->SaveScaleEntries();
    QCOMPARE(stored(QStringLiteral("Timeline3")), QStringLiteral("d||MySeparator123||n"));
}

void TestForm1::closeWritesListAndEnds()
{
    mStore->write(QStringLiteral("Option"), QStringLiteral("2"));
    editor::Form1& form = start();
    mDialogs.inputAnswers = {"Jan 2001", " x ", "Apr 2000", "y"};
    form.PushButton1_Click();
    form.PushButton1_Click();
    form.show();
    QVERIFY(form.close());
    QCOMPARE(mEnd.calls, 1);
    QCOMPARE(stored(QStringLiteral("Timeline2")),
             QStringLiteral("Jan 2001||MySeparator123|| x ||MySeparator234||"
                            "Apr 2000||MySeparator123||y||MySeparator234||"));
    QVERIFY(mDialogs.messages().isEmpty());
    editor::Form1& again = start();
    QCOMPARE(again.entries(), (Entries{{"Jan 2001", " x "}, {"Apr 2000", "y"}}));
}

void TestForm1::closeFailureShowsBoxWithoutIcon()
{
    editor::Form1& form = start();
    mFailing->failingKey = QStringLiteral("Timeline1");
    form.close();
    QCOMPARE(
        mDialogs.messageTexts(),
        QStringList{QStringLiteral("Disk full\r\nin Chronoweave2021/08/31.Form1.Form_QueryUnload "
                                   "at line 120\r\rPlease email screenshot of this "
                                   "message to support@loomchartstudio.com")});
    QCOMPARE(mDialogs.messages().first().icon, app::MessageIcon::None);
    QCOMPARE(mDialogs.messages().first().caption, QStringLiteral("Application Error"));
    QCOMPARE(mEnd.calls, 1);
}

void TestForm1::centredOnFirstShow()
{
    editor::Form1& form = start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint centre = form.screen()->availableGeometry().center();
    QVERIFY2((form.frameGeometry().center() - centre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2")
                            .arg(form.frameGeometry().center().x())
                            .arg(form.frameGeometry().center().y())));
}

void TestForm1::createTemplateButtonRunsBuilder()
{
    int runs = 0;
    mCreateTemplate = [&] { ++runs; };
    start();
    child<QPushButton>("PushButton6")->click();
    QCOMPARE(runs, 1);
}

void TestForm1::unreadableChoicesAreSetAside_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value"); // as the file holds it; empty: the file is a pipe
    QTest::newRow("a typed window size") << "Form1Width" << QByteArray("@Size(100 100)");
    QTest::newRow("a layout that is a pipe") << "Layout" << QByteArray();
    QTest::newRow("a typed paper") << "Paper" << QByteArray("@Variant(\\0\\0\\0\\x7f)");
    QTest::newRow("a spacing that is a list") << "Spacing" << QByteArray("Even, To scale");
    QTest::newRow("a slide size that is a list") << "SlideSize" << QByteArray("4:3, 16:9");
}

void TestForm1::unreadableChoicesAreSetAside()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString path = store.filePath(key);
    if (value.isEmpty()) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Loomchart%20Page%20Studio]\n" + key.toUtf8() + '=' + value + '\n');
    }
    QStringList notices;
    if (key.startsWith(u"Form1")) {
        QVERIFY(!editor::WindowSize::load(store, notices));
    } else if (key == u"SlideSize") {
        QCOMPARE(slide::loadSlideSize(store, &notices).name, slide::kDefaultSlideSize.name);
    } else {
        QCOMPARE(timeline::loadPageChoices(store, &notices), timeline::PageChoices{});
    }
    // Kept aside with one message, so the next resize or choice cannot write over it.
    QCOMPARE(notices.size(), 1);
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(QDir(dir.path())
                 .entryList({key + " (unreadable, set aside *).ini"}, QDir::System | QDir::Files)
                 .size(),
             1);
}

void TestForm1::aChoiceWritesOnlyItsOwnKey()
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const timeline::PageChoices before;
    timeline::PageChoices spacing = before;
    spacing.spacing = timeline::Spacing::ToScale;
    timeline::savePageChoices(store, spacing, &before);
    // The paper is not pinned: it still follows the region.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Spacing.ini"});
    timeline::PageChoices paper = spacing;
    paper.paper = QStringLiteral("A3");
    timeline::savePageChoices(store, paper, &spacing);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"Paper.ini", "Spacing.ini"}));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
