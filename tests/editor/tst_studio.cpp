// "Start Creating Template" from end to end, through the real windows with scripted
// dialogs and the embedded engine.
#include "app/apptitle.h"
#include "app/failure.h"
#include "app/singleinstance.h"
#include "docgen/embeddedword.h"
#include "docgen/timelinefile.h"
#include "docgen/wordautomation.h"
#include "editor/studio.h"
#include "editor/studioprogram.h"
#include "office/docreader.h"
#include "office/docwriter.h"
#include "office/pageexport.h"
#include "office/zippackage.h"
#include "preview/form2.h"
#include "preview/pageview.h"
#include "preview/picturebox.h"
#include "support/letterpaper.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"
#include "timeline/entrylist.h"
#include "timeline/samples.h"
#include "timeline/settingsstore.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocalSocket>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using testsupport::ScriptedDialogs;

namespace timeline {
// What a document carries of what the user typed: the page choices are compared apart.
bool operator==(const Timeline& a, const Timeline& b)
{
    return a.title == b.title && a.scale == b.scale && a.entries == b.entries;
}

char* toString(const Timeline& timeline)
{
    QStringList rows{timeline.title, QString::number(scaleNumber(timeline.scale))};
    for (const auto& entry : timeline.entries)
        rows << QStringList{entry.date, entry.notes, entry.category,
                            entry.milestone ? QStringLiteral("milestone") : QString()}
                    .join(u'|');
    return qstrdup(rows.join(QStringLiteral(" / ")).toUtf8().constData());
}
} // namespace timeline

namespace {
QStringList storyTexts(const office::Story& story)
{
    QStringList texts;
    for (const office::Block& block : story) {
        if (const auto* paragraph = std::get_if<office::Paragraph>(&block)) {
            if (!paragraph->text().isEmpty())
                texts << paragraph->text();
        } else {
            for (const auto& row : std::get<office::Table>(block).rows)
                for (const auto& cell : row)
                    for (const auto& paragraph : cell.paragraphs)
                        texts << paragraph.text();
        }
    }
    return texts;
}

// Pixels of the cut marks' red in a picture.
int redPixels(const QImage& picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            count += c.red() > 180 && c.green() < 60 && c.blue() < 60;
        }
    return count;
}

QList<int> reportedStatements(const ScriptedDialogs& dialogs)
{
    static const QRegularExpression number(QStringLiteral("PushButton6_Click at line (\\d+)\\r"));
    QList<int> statements;
    for (const auto& box : dialogs.messages()) {
        const auto match = number.match(box.text);
        if (match.hasMatch())
            statements << match.captured(1).toInt();
    }
    return statements;
}
} // namespace

class TestStudio : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sampleBecomesAPreviewAndASavedDocument_data();
    void sampleBecomesAPreviewAndASavedDocument();
    void secondPageReusesThePreview();
    void emptyListShowsMessageOnly();
    void engineThatWillNotStart();
    void tableFailureIsReportedAt156();
    void cutEntriesAreMarkedAndThePageCanBeLaidOutAgain();
    void pageBesideTheListFollowsEveryChange();
    void windowSizeIsKeptBetweenRuns();
    void eachScaleKeepsItsTitle_data();
    void eachScaleKeepsItsTitle();
    void saveDialogOpensWhereTheLastRunSaved();
    void pageLeavesTheUsersClipboardAlone();
    void aStudioTakenOverSavesNothing();
    void textTheDocumentCannotTakeBackIsRefused();
    void secondStartHandsOverToTheFirst();
    void everyPageFileOpensBackEqual_data();
    void everyPageFileOpensBackEqual();
    void openRefusesAndChangesNothing_data();
    void openRefusesAndChangesNothing();
    void editedDocumentOpensWithItsPageTexts();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void documentNameAndMarkComeBackAfterARestart();
    void menuBarCarriesTheCommands_data();
    void menuBarCarriesTheCommands();

private:
    // A Monthly timeline with a span, a category and a milestone, shown in the main window.
    timeline::Timeline showMonthlyTimeline()
    {
        editor::Form1& form = mStudio->mainWindow();
        form.selectScale(2);
        const QList<editor::TimelineEntry> rows{
            {QStringLiteral("Mar 1990 \u2013 Jun 1991"), QStringLiteral("A span of months"),
             QStringLiteral("Building")},
            {QStringLiteral("Jan 2001"), QStringLiteral("Notes, with a comma"),
             QStringLiteral("Building"), true},
            {QStringLiteral("Dec 2004"), QStringLiteral("Over 1,000 people")}};
        form.timelineCommands().replaceTimeline(QStringLiteral("Riverside Library"), rows,
                                                QStringLiteral("test"));
        return timeline::Timeline{
            QStringLiteral("Riverside Library"), timeline::Scale::Monthly, rows, {}};
    }
    QAction* action(const char* name)
    {
        return mStudio->mainWindow().findChild<QAction*>(QLatin1String(name));
    }
    timeline::Timeline shown()
    {
        editor::Form1& form = mStudio->mainWindow();
        return timeline::Timeline{form.titleText(),
                                  timeline::scaleOfNumber(form.selectedScale()).value(),
                                  form.entries(),
                                  {}};
    }
    void makeStudio();
    // 63 entries of 600 characters, more than a page can show, as the stored Yearly list.
    void storeCrowdedList()
    {
        QList<editor::TimelineEntry> rows;
        for (int i = 0; i < 63; ++i)
            rows << editor::TimelineEntry{QString::number(1900 + i),
                                          QString(QStringLiteral("word ")).repeated(120)};
        mStore->write(QStringLiteral("Timeline1"), editor::encodeEntryList(rows));
        makeStudio();
    }
    QStringList tempFiles() const
    {
        return QDir(mTemp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    }

    QTemporaryDir mTemp;
    std::unique_ptr<QTemporaryDir> mStoreDir;
    ScriptedDialogs mDialogs;
    testsupport::RecordingEnd mEnd;
    testsupport::MemoryClipboard mClipboard;
    docgen::AutomationFactory mFactory;
    bool mEngineDown = false;
    QString mFailingMember;
    std::unique_ptr<editor::QSettingsStore> mStore;
    std::unique_ptr<editor::Studio> mStudio;
};

void TestStudio::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testsupport::pinLetterPaper();
    app::SetApplicationTitle();
    qputenv("TEMP", mTemp.path().toUtf8());
    docgen::EmbeddedWordOptions options;
    options.beforeMember = [this](const char* member) {
        if (mFailingMember == QLatin1String(member))
            throw app::Failure(QStringLiteral("%1 failed").arg(QLatin1String(member)));
    };
    mFactory.registerClass(QLatin1String(docgen::kWordProgId), [this, options] {
        if (mEngineDown)
            throw app::Failure(QStringLiteral("ActiveX component can't create object"));
        return docgen::createEmbeddedWord(mClipboard, options);
    });
}

void TestStudio::init()
{
    mDialogs = ScriptedDialogs();
    mEngineDown = false;
    mFailingMember.clear();
    mStoreDir = std::make_unique<QTemporaryDir>();
    mStore = std::make_unique<editor::QSettingsStore>(mStoreDir->path());
    makeStudio();
}

void TestStudio::cleanup()
{
    mStudio.reset();
    mStore.reset();
    for (const QString& name : tempFiles())
        QFile::remove(mTemp.filePath(name));
}

void TestStudio::makeStudio()
{
    mStudio = std::make_unique<editor::Studio>(
        editor::StudioServices{mDialogs, mEnd, *mStore, mFactory, mClipboard, mTemp.path()});
    QVERIFY(mStudio->start());
    QCOMPARE(mDialogs.calls.size(), 0);
}

void TestStudio::sampleBecomesAPreviewAndASavedDocument_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("yearly") << 1;
    QTest::newRow("monthly") << 2;
    QTest::newRow("daily") << 3;
}

void TestStudio::sampleBecomesAPreviewAndASavedDocument()
{
    QFETCH(int, scale);
    editor::Form1& form1 = mStudio->mainWindow();
    form1.selectScale(scale);
    form1.PushButton4_Click();
    QCOMPARE(form1.entryCount(), 8);

    form1.PushButton6_Click();
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    preview::Form2* form2 = mStudio->previewWindow();
    QVERIFY(form2);
    QVERIFY(form2->isVisible());
    QVERIFY(!form1.isVisible());
    QVERIFY(!mStudio->builder().busy());
    QCOMPARE(form1.mousePointer(), app::MousePointer::Default);
    const QString document = form2->wordFile();
    QVERIFY(QFile::exists(document));
    // The bitmap is gone; only the handed-over document stays in the temporary folder.
    QCOMPARE(tempFiles(), QStringList({QFileInfo(document).fileName()}));

    form2->Form_Activate();
    QCOMPARE(form2->viewport().mZoom, 1.0f);
    QVERIFY(form2->viewport().mBaseWidth > 6000);

    const QString target = mStoreDir->filePath(QStringLiteral("saved-%1.doc").arg(scale));
    mDialogs.saveAnswers << target;
    form2->PushButton6_Click();
    QCOMPARE(mDialogs.messageTexts(), QStringList({"Done."}));

    const office::Document saved = office::openDocument(target);
    QCOMPARE(saved.shapes().size(), size_t(2 + 8));
    QCOMPARE(storyTexts(saved.shapes()[0].story), QStringList({"John's Timeline"}));
    const auto sample = editor::sampleEntries(scale);
    QStringList dates;
    for (const auto& entry : sample)
        dates << entry.date;
    QCOMPARE(storyTexts(saved.shapes()[1].story), dates);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(storyTexts(saved.shapes()[2 + i].story), QStringList({sample[i].notes}));

    form2->PushButton8_Click(); // < Back
    QVERIFY(form1.isVisible());
    QVERIFY(!form2->isVisible());
    QVERIFY(!QFile::exists(document));
}

void TestStudio::secondPageReusesThePreview()
{
    editor::Form1& form1 = mStudio->mainWindow();
    form1.PushButton4_Click();
    form1.PushButton6_Click();
    preview::Form2* first = mStudio->previewWindow();
    QVERIFY(first);
    const QString firstDocument = first->wordFile();
    first->PushButton8_Click();
    form1.PushButton6_Click();
    QCOMPARE(mStudio->previewWindow(), first);
    QVERIFY(first->isVisible());
    QVERIFY(first->wordFile() != firstDocument);
    QVERIFY(QFile::exists(first->wordFile()));
}

void TestStudio::emptyListShowsMessageOnly()
{
    mStudio->mainWindow().PushButton6_Click();
    QCOMPARE(mDialogs.messageTexts(), QStringList({"Please add timeline."}));
    QCOMPARE(mDialogs.messages()[0].caption, QStringLiteral("Loomchart Page"));
    QVERIFY(!mStudio->previewWindow());
    QVERIFY(mStudio->mainWindow().isVisible());
    QVERIFY(tempFiles().isEmpty());
}

void TestStudio::engineThatWillNotStart()
{
    editor::Form1& form1 = mStudio->mainWindow();
    form1.PushButton4_Click();
    mEngineDown = true;
    form1.PushButton6_Click();
    const QList<int> statements = reportedStatements(mDialogs);
    QVERIFY(statements.size() > 40);
    QCOMPARE(statements.first(), 108);
    for (int i = 1; i < statements.size(); ++i) {
        // In order; the loops repeat their statements once per entry.
        QVERIFY(statements[i] > statements[i - 1] || statements[i] == 166 || statements[i] == 176 ||
                statements[i] == 182 || statements[i] == 184);
    }
    QCOMPARE(statements.last(), 226);
    QCOMPARE(form1.mousePointer(), app::MousePointer::Default);
    QVERIFY(!mStudio->builder().busy());
    QVERIFY(!mStudio->previewWindow());
    QVERIFY(form1.isVisible());
    QVERIFY2(tempFiles().isEmpty(), qPrintable(tempFiles().join(QLatin1Char(' '))));

    mEngineDown = false; // the main window is still usable
    mDialogs.calls.clear();
    form1.PushButton6_Click();
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    QVERIFY(mStudio->previewWindow() && mStudio->previewWindow()->isVisible());
}

void TestStudio::tableFailureIsReportedAt156()
{
    editor::Form1& form1 = mStudio->mainWindow();
    form1.PushButton4_Click();
    mFailingMember = QStringLiteral("Document.Tables.Add");
    form1.PushButton6_Click();
    const QList<int> statements = reportedStatements(mDialogs);
    QVERIFY(!statements.isEmpty());
    QCOMPARE(statements.first(), 156);
    QVERIFY(
        mDialogs.messages()[0].text.startsWith(QStringLiteral("Document.Tables.Add failed\r\n")));
    QVERIFY(!mStudio->builder().busy());
    QCOMPARE(form1.mousePointer(), app::MousePointer::Default);
}

void TestStudio::cutEntriesAreMarkedAndThePageCanBeLaidOutAgain()
{
    storeCrowdedList();
    mStudio->mainWindow().PushButton6_Click();
    preview::Form2* form2 = mStudio->previewWindow();
    QVERIFY(form2 && form2->isVisible());
    QCOMPARE(form2->cutNoticeText(),
             QStringLiteral("63 entries are cut: their callouts are marked in red."));
    QVERIFY2(mStudio->mainWindow().rowNotes(11).startsWith(QStringLiteral("Notes cut after ")),
             qPrintable(mStudio->mainWindow().rowNotes(11)));
    // The mark is drawn on the sheet shown, a little outside the callout's frame.
    const docgen::FitReport& report = mStudio->builder().lastPlan().report;
    form2->ZoomToFit();
    const QImage shown = form2->findChild<preview::PictureBox*>("Picture1")->grab().toImage();
    const office::PageSetup sheet = office::openDocument(form2->wordFile()).page();
    const QRectF region(0, 0, sheet.widthPt, sheet.heightPt);
    const QRectF frame = report.cutFramesPt.at(0);
    const QColor mark =
        shown.pixelColor(int((frame.center().x() - region.left()) * shown.width() / region.width()),
                         int((frame.top() - 1 - region.top()) * shown.height() / region.height()));
    QVERIFY2(mark.red() > 150 && mark.green() < 100, qPrintable(mark.name()));
    // The document itself carries no mark.
    const office::Document page = office::openDocument(form2->wordFile());
    QCOMPARE(page.shapes().size(), size_t(1 + mStudio->builder().lastPlan().bars().size() + 63));

    // The page menu lays the page out again at once, and the choice is kept.
    const QString before = form2->wordFile();
    form2->findChild<QAction*>("mnuPaperA4")->trigger();
    QVERIFY(!QFile::exists(before));
    QCOMPARE(office::openDocument(form2->wordFile()).page().widthPt, 841.9);
    form2->findChild<QAction*>("mnuLayoutClassic")->trigger();
    for (const docgen::PageElement& callout : mStudio->builder().lastPlan().callouts)
        QCOMPARE(callout.widthPt, docgen::kCalloutWidthPt);
    QCOMPARE(mStore->read("Layout", {}), QStringLiteral("Classic"));
    QCOMPARE(mStore->read("Paper", {}), QStringLiteral("A4"));
    form2->findChild<QAction*>("mnuLayoutFit")->trigger();
    form2->findChild<QAction*>("mnuSpacingScale")->trigger();
    QCOMPARE(mStore->read("Spacing", {}), QStringLiteral("To scale"));
    QVERIFY(!form2->cutNoticeText().contains(QStringLiteral("Spaced evenly")));
    QCOMPARE(mDialogs.messageTexts(), QStringList());
}

void TestStudio::pageBesideTheListFollowsEveryChange()
{
    // 63 entries of long notes: some text is cut, and the page says so as the press would.
    storeCrowdedList();
    editor::Form1& form1 = mStudio->mainWindow();
    const preview::PageView& view = form1.pageView();
    QTest::qWait(20);
    QCOMPARE(view.drawings(), 0); // at the drawn size there is no page to draw

    form1.resize(form1.size() + QSize(600, 100));
    QTRY_COMPARE(view.drawings(), 1);
    QVERIFY(redPixels(view.picture()) > 0);
    QVERIFY2(form1.rowNotes(11).startsWith(QStringLiteral("Notes cut after ")),
             qPrintable(form1.rowNotes(11)));
    // The view is made in memory only.
    QCOMPARE(tempFiles(), QStringList());

    // Every kind of change lays the page out again, once.
    const auto followsChange = [&](const char* what, const std::function<void()>& change) {
        const int before = view.drawings();
        const QImage shown = view.picture();
        change();
        QTRY_VERIFY2(view.drawings() == before + 1, what);
        QTest::qWait(10);
        QVERIFY2(view.drawings() == before + 1, what);
        QVERIFY2(view.picture() != shown, what);
    };
    followsChange("sample", [&] { form1.PushButton4_Click(); });
    QCOMPARE(redPixels(view.picture()), 0); // the sample fits: no marks left
    QCOMPARE(form1.rowNotes(0), QString());
    followsChange("title", [&] { form1.setTitleText(QStringLiteral("Another title")); });
    followsChange("delete", [&] {
        form1.showRow(0);
        form1.PushButton2_Click();
    });
    form1.selectScale(2);
    QTRY_COMPARE(view.placeholder(), QStringLiteral("Add timeline entries to see the page here."));
    form1.selectScale(1);
    QTRY_VERIFY(!view.picture().isNull());

    // The page's paper follows the page menu's choice.
    form1.PushButton6_Click();
    preview::Form2* form2 = mStudio->previewWindow();
    QVERIFY(form2 && form2->isVisible());
    form2->findChild<QAction*>("mnuPaperA4")->trigger();
    form2->PushButton8_Click();
    QTRY_VERIFY(form1.isVisible());
    QTRY_VERIFY(qAbs(double(view.picture().width()) / view.picture().height() - 841.9 / 595.3) <
                0.01);
    QCOMPARE(tempFiles(), QStringList());
    QCOMPARE(mDialogs.messageTexts(), QStringList());
}

void TestStudio::windowSizeIsKeptBetweenRuns()
{
    editor::Form1& form1 = mStudio->mainWindow();
    const QSize designed = form1.size();
    form1.resize(designed + QSize(200, 60));
    QTRY_VERIFY(!mStore->read(QStringLiteral("Form1Width"), {}).isEmpty());
    makeStudio();
    QCOMPARE(mStudio->mainWindow().size(), designed + QSize(200, 60));
    // A size that is not one opens the window as drawn.
    mStore->write(QStringLiteral("Form1Height"), QStringLiteral("tall"));
    makeStudio();
    QCOMPARE(mStudio->mainWindow().size(), designed);
}

void TestStudio::eachScaleKeepsItsTitle_data()
{
    QTest::addColumn<QString>("older"); // the one title an older version kept
    QTest::newRow("fresh store") << QString();
    QTest::newRow("store of an older version") << QStringLiteral("Kept from before");
}

void TestStudio::eachScaleKeepsItsTitle()
{
    QFETCH(QString, older);
    if (!older.isEmpty()) {
        mStore->write(QStringLiteral("Text1"), older);
        makeStudio();
    }
    const auto title = [this] {
        return mStudio->mainWindow().findChild<QLineEdit*>(QStringLiteral("Text1"));
    };
    const auto show = [this](int scale) {
        mStudio->mainWindow()
            .findChild<QRadioButton*>(QStringLiteral("Option%1").arg(scale))
            ->click();
    };
    const auto type = [&](const QString& text) {
        title()->selectAll();
        QTest::keyClicks(title(), text);
    };
    const auto undo = [this] {
        mStudio->mainWindow().findChild<QAction*>(QStringLiteral("actionUndo"))->trigger();
    };
    const QString yearly = QStringLiteral("History of the Riverside Library");
    const QString monthly = QStringLiteral("Riverside Library Renovation");
    const QString sample = QStringLiteral("John's Timeline");

    QCOMPARE(title()->text(), older);
    type(yearly);
    makeStudio(); // a scale not shown yet has no title of its own on the next start either
    show(2);
    QCOMPARE(title()->text(), older); // the older title was every scale's
    type(monthly);
    show(3);
    mStudio->mainWindow().PushButton4_Click();
    QCOMPARE(title()->text(), sample);
    show(1);
    QCOMPARE(title()->text(), yearly);
    show(2);
    QCOMPARE(title()->text(), monthly);

    // The title key has the title shown, as an older version reads it; each scale its own.
    QCOMPARE(mStore->read(QStringLiteral("Text1"), {}), monthly);
    const QStringList stored{mStore->read(QStringLiteral("Title1"), {}),
                             mStore->read(QStringLiteral("Title2"), {}),
                             mStore->read(QStringLiteral("Title3"), {})};
    QCOMPARE(stored, (QStringList{yearly, monthly, sample}));
    makeStudio();
    QCOMPARE(title()->text(), monthly);
    show(3);
    QCOMPARE(title()->text(), sample);
    show(1);
    QCOMPARE(title()->text(), yearly);

    // Undo on a scale takes back that scale's step, and no other scale's.
    type(QStringLiteral("Renamed"));
    show(3);
    type(QStringLiteral("Daily renamed"));
    show(1);
    undo();
    QCOMPARE(title()->text(), yearly);
    QCOMPARE(mStore->read(QStringLiteral("Text1"), {}), yearly);
    show(3);
    QCOMPARE(title()->text(), QStringLiteral("Daily renamed"));
    undo();
    QCOMPARE(title()->text(), sample);
    show(2);
    QCOMPARE(title()->text(), monthly);
}

void TestStudio::saveDialogOpensWhereTheLastRunSaved()
{
    QTemporaryDir earlier;
    mStore->write(QStringLiteral("SaveFolder"), earlier.path());
    mDialogs = ScriptedDialogs();
    makeStudio();
    editor::Form1& form1 = mStudio->mainWindow();
    form1.PushButton4_Click();
    form1.PushButton6_Click();
    preview::Form2* form2 = mStudio->previewWindow();
    QVERIFY(form2);
    form2->PushButton6_Click(); // cancelled
    QCOMPARE(mDialogs.calls.last().startPath,
             earlier.filePath(QStringLiteral("John's Timeline.docx")));

    // A save elsewhere is where the next run opens.
    QTemporaryDir elsewhere;
    mDialogs.saveAnswers << elsewhere.filePath(QStringLiteral("kept"));
    form2->PushButton6_Click();
    QVERIFY(QFile::exists(elsewhere.filePath(QStringLiteral("kept.docx"))));
    QCOMPARE(mStore->read(QStringLiteral("SaveFolder"), {}), elsewhere.path());
}

void TestStudio::pageLeavesTheUsersClipboardAlone()
{
    // The studio as the program wires it, with the desktop's clipboard.
    mStudio.reset();
    editor::StudioProgram program(mDialogs, mEnd, *mStore, mTemp.path());
    QVERIFY(program.studio().start());
    editor::Form1& form1 = program.studio().mainWindow();
    form1.PushButton4_Click();
    QGuiApplication::clipboard()->setText(QStringLiteral("copied elsewhere"));
    form1.PushButton6_Click();
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    preview::Form2* form2 = program.studio().previewWindow();
    QVERIFY(form2);
    form2->Form_Activate();
    QVERIFY(form2->viewport().mBaseWidth > 6000); // the page came through
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copied elsewhere"));
    QVERIFY(QGuiApplication::clipboard()->image().isNull());
}

void TestStudio::aStudioTakenOverSavesNothing()
{
    mStudio.reset();
    mStore->write(QStringLiteral("Text1"), QStringLiteral("kept"));
    editor::StudioProgram program(mDialogs, mEnd, *mStore, mTemp.path(), [] { return false; });
    QVERIFY(program.studio().start());
    program.studio().mainWindow().setTitleText(QStringLiteral("typed"));
    QCOMPARE(mDialogs.messageTexts(),
             QStringList{"Another Loomchart Page Studio has taken over the saved timelines; this "
                         "one no longer saves."});
    QCOMPARE(mStore->read(QStringLiteral("Text1"), {}), QStringLiteral("kept"));
}

void TestStudio::textTheDocumentCannotTakeBackIsRefused()
{
    mStore->write(QStringLiteral("Timeline1"),
                  editor::encodeEntryList({{"1955", "a" + QString(500000, u'\n') + "b"}}));
    makeStudio();
    mStudio->mainWindow().PushButton6_Click();
    // One box that says why, and no document was made.
    QCOMPARE(mDialogs.messageTexts(),
             QStringList{"The title and entries hold more text than a page takes (500006 "
                         "characters and 500000 line breaks; at most 1000000 characters, a line "
                         "break counting as 300).\r\nPlease shorten some entries and try again."});
    QVERIFY(!mStudio->previewWindow());
    QCOMPARE(tempFiles(), QStringList());
}

void TestStudio::secondStartHandsOverToTheFirst()
{
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    const QString folder = QDir(config.path()).filePath(editor::kStoreApplication);
    const auto start = [&](QProcess& process, const QStringList& arguments = {}) {
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(LOOM_PROGRAM), arguments);
        QVERIFY(process.waitForStarted());
    };
    // Up once it answers on its socket.
    const auto waitUntilListening = [&](QProcess& process) {
        QTRY_VERIFY_WITH_TIMEOUT(
            process.state() == QProcess::Running &&
                [&] {
                    QLocalSocket probe;
                    probe.connectToServer(app::SingleInstance::serverName(folder));
                    return probe.waitForConnected(100);
                }(),
            20000);
    };
    const auto handsOver = [&](const QStringList& arguments = {}) {
        QProcess second;
        start(second, arguments);
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
    };

    QProcess first;
    start(first);
    waitUntilListening(first);
    handsOver();
    QCOMPARE(first.state(), QProcess::Running);

    // A studio that died leaves its lock behind; the next start takes it without a word.
    first.kill();
    QVERIFY(first.waitForFinished(20000));
    // "loomchart FILE" opens the file, at start and in the studio already running.
    showMonthlyTimeline();
    QTemporaryDir documents;
    const QString file = documents.filePath(QStringLiteral("Riverside Library.docx"));
    mDialogs.saveAnswers << file;
    QVERIFY(mStudio->documents().saveAs());
    const auto storedTitle = [&] {
        return editor::QSettingsStore(folder).read(QString::fromLatin1(editor::kTitleKey), {});
    };
    QProcess third;
    start(third, {file});
    waitUntilListening(third);
    QTRY_COMPARE_WITH_TIMEOUT(storedTitle(), QStringLiteral("Riverside Library"), 20000);
    mStudio->mainWindow().setTitleText(QStringLiteral("Renovation"));
    const QString other = documents.filePath(QStringLiteral("Renovation.docx"));
    mDialogs.saveAnswers << other;
    QVERIFY(mStudio->documents().saveAs());
    handsOver({other});
    QTRY_COMPARE_WITH_TIMEOUT(storedTitle(), QStringLiteral("Renovation"), 20000);
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    QVERIFY(third.waitForFinished(20000));
}

void TestStudio::everyPageFileOpensBackEqual_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("name");
    // Save As adds the extension the name lacks.
    QTest::newRow("word") << "actionSaveAs"
                          << "history";
    QTest::newRow("pdf") << "actionSavePagePdf"
                         << "history.pdf";
    QTest::newRow("png") << "actionSavePagePng"
                         << "history.png";
    QTest::newRow("svg") << "actionSavePageSvg"
                         << "history.svg";
    QTest::newRow("slide") << "actionSavePageSlide"
                           << "history.pptx";
}

void TestStudio::everyPageFileOpensBackEqual()
{
    QFETCH(QString, command);
    QFETCH(QString, name);
    const timeline::Timeline written = showMonthlyTimeline();
    QTemporaryDir folder;
    mDialogs.saveAnswers << folder.filePath(name);
    action(command.toLatin1().constData())->trigger();
    const QString file = folder.filePath(name.contains(u'.') ? name : name + ".docx");
    QVERIFY2(QFile::exists(file), qPrintable(mDialogs.messageTexts().join(u'|')));

    // Elsewhere, on another scale, then opened: the file's scale and timeline come back.
    editor::Form1& form = mStudio->mainWindow();
    // Whatever is unsaved on the way is discarded.
    mDialogs.messageAnswers = QList<app::MessageAnswer>(3, app::MessageAnswer::Discard);
    mStudio->documents().newDocument();
    form.selectScale(1);
    mDialogs.openAnswers << file;
    action("actionOpen")->trigger();
    QCOMPARE(shown(), written);
    // Only a Word document is the one Save writes again.
    QCOMPARE(form.windowTitle(), name.contains(u'.')
                                     ? QStringLiteral("Loomchart Page Studio")
                                     : QStringLiteral("history.docx \u2013 Loomchart Page Studio"));
    QCOMPARE(mStudio->documents().recent().value(0), QFileInfo(file).absoluteFilePath());
    // Open is one step: Undo brings back the empty timeline it replaced.
    form.listCommands().undo();
    QCOMPARE(form.entryCount(), 0);
}

void TestStudio::openRefusesAndChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    office::Document foreign;
    foreign.addTextBox(10, 10, 100, 40);
    foreign.setShapeText(0, QStringLiteral("A letter, not a timeline"));
    QTest::newRow("foreign document") << office::writePackage(foreign) << "holds no timeline";
    static const char damaged[] = "PK\x03\x04\x14\0\0\0broken";
    QTest::newRow("damaged document") << QByteArray(damaged, sizeof damaged - 1) << "";
    QTest::newRow("text") << QByteArray("Date,Notes\n1990,x\n") << "no file this program wrote";
    QTest::newRow("empty") << QByteArray() << "no file this program wrote";
    QTest::newRow("a rule broken")
        << QByteArray("<timeline xmlns=\"urn:loomchart:page-studio:timeline:1\" scale=\"yearly\">"
                      "<title>T</title><entry><date>Soon</date><notes>x</notes></entry>"
                      "</timeline>")
        << "entry 1: ";
}

void TestStudio::openRefusesAndChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, why);
    const timeline::Timeline before = showMonthlyTimeline();
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("letter.docx"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();
    const QString caption = mStudio->mainWindow().windowTitle();
    mDialogs.calls.clear();

    QVERIFY(!mStudio->openFile(file));
    QCOMPARE(mDialogs.messages().size(), 1);
    const QString message = mDialogs.messageTexts().first();
    QVERIFY2(message.startsWith(QStringLiteral("Cannot open ") + QDir::toNativeSeparators(file)),
             qPrintable(message));
    QVERIFY2(message.contains(why), qPrintable(message));
    QCOMPARE(shown(), before);
    QCOMPARE(mStudio->mainWindow().windowTitle(), caption);
    QVERIFY(mStudio->documents().recent().isEmpty());
}

void TestStudio::editedDocumentOpensWithItsPageTexts()
{
    const timeline::Timeline written = showMonthlyTimeline();
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("edited.docx"));
    mDialogs.saveAnswers << file;
    QVERIFY(mStudio->documents().saveAs());
    // Another program changes a note on the page and keeps the studio's part.
    office::Document document = office::openDocument(file);
    int callout = -1;
    for (int i = 0; i < int(document.shapes().size()); ++i)
        if (document.shape(i).kind == office::ShapeKind::UpArrowCallout && callout < 0)
            callout = i;
    QVERIFY(callout > 0);
    document.setShapeText(callout, QStringLiteral("Changed in the word processor"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(office::writePackage(document));
    out.close();

    mStudio->documents().newDocument();
    mDialogs.calls.clear();
    QVERIFY(mStudio->openFile(file));
    timeline::Timeline expected = written;
    expected.entries[0].notes = QStringLiteral("Changed in the word processor");
    QCOMPARE(shown(), expected);
    QCOMPARE(mDialogs.messages().size(), 1);
    QVERIFY(mDialogs.messageTexts().first().contains(QStringLiteral("edited in another program")));
    QVERIFY(!mDialogs.messageTexts().first().contains(u'\n'));
}

void TestStudio::unsavedChangesAreAskedAbout_data()
{
    QTest::addColumn<app::MessageAnswer>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<bool>("savedFirst");
    QTest::newRow("save") << app::MessageAnswer::Save << true << true;
    QTest::newRow("discard") << app::MessageAnswer::Discard << true << false;
    QTest::newRow("cancel") << app::MessageAnswer::Cancel << false << false;
}

void TestStudio::unsavedChangesAreAskedAbout()
{
    QFETCH(app::MessageAnswer, answer);
    QFETCH(bool, replaced);
    QFETCH(bool, savedFirst);
    showMonthlyTimeline();
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("Riverside Library.docx"));
    mDialogs.saveAnswers << file;
    action("actionSaveAs")->trigger();
    editor::Form1& form = mStudio->mainWindow();
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Riverside Library.docx \u2013 Loomchart Page Studio"));
    // Nothing unsaved: New asks nothing.
    mDialogs.calls.clear();
    form.setTitleText(QStringLiteral("Riverside Library Renovation"));
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Riverside Library.docx* \u2013 Loomchart Page Studio"));

    mDialogs.messageAnswers << answer;
    action("actionNew")->trigger();
    QCOMPARE(mDialogs.messages().size(), 1);
    QCOMPARE(mDialogs.messages().first().buttons, app::MessageButtons::SaveDiscardCancel);
    QCOMPARE(form.entryCount(), replaced ? 0 : 3);
    QCOMPARE(docgen::readTimelineFrom(file).timeline->title,
             savedFirst ? QStringLiteral("Riverside Library Renovation")
                        : QStringLiteral("Riverside Library"));
    QCOMPARE(form.windowTitle(), replaced ? QStringLiteral("Loomchart Page Studio")
                                          : QStringLiteral("Riverside Library.docx* \u2013 "
                                                           "Loomchart Page Studio"));
    if (replaced) {
        // New is one step for Undo.
        form.listCommands().undo();
        QCOMPARE(form.titleText(), QStringLiteral("Riverside Library Renovation"));
        QCOMPARE(form.entryCount(), 3);
    }
}

void TestStudio::documentNameAndMarkComeBackAfterARestart()
{
    QTemporaryDir folder;
    QStringList files;
    for (int i = 1; i <= 11; ++i) {
        showMonthlyTimeline();
        files << folder.filePath(QStringLiteral("doc%1.docx").arg(i));
        mDialogs.saveAnswers << files.last();
        QVERIFY(mStudio->documents().saveAs());
    }
    mStudio->mainWindow().setTitleText(QStringLiteral("Typed after the save"));
    mDialogs.calls.clear();
    makeStudio();
    editor::Form1& form = mStudio->mainWindow();
    QCOMPARE(form.windowTitle(), QStringLiteral("doc11.docx* \u2013 Loomchart Page Studio"));
    QCOMPARE(form.titleText(), QStringLiteral("Typed after the save"));
    // Open Recent: the last ten, newest first; the first one opens the file again.
    QMenu* recent = form.findChild<QMenu*>(QStringLiteral("menuOpenRecent"));
    QCOMPARE(recent->actions().size(), editor::kMaxRecentDocuments);
    QVERIFY(recent->actions().first()->text().endsWith(QDir::toNativeSeparators(files.last())));
    QVERIFY(recent->actions().last()->text().endsWith(QDir::toNativeSeparators(files.at(1))));
    mDialogs.messageAnswers << app::MessageAnswer::Discard;
    recent->actions().at(1)->trigger();
    QTRY_COMPARE(form.windowTitle(), QStringLiteral("doc10.docx \u2013 Loomchart Page Studio"));
    QCOMPARE(form.titleText(), QStringLiteral("Riverside Library"));
    mDialogs.calls.clear();
    makeStudio();
    QCOMPARE(mStudio->mainWindow().windowTitle(),
             QStringLiteral("doc10.docx \u2013 Loomchart Page Studio"));
}

void TestStudio::menuBarCarriesTheCommands_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("new") << "menuFile"
                         << "actionNew" << QKeySequence(QKeySequence::New);
    QTest::newRow("open") << "menuFile"
                          << "actionOpen" << QKeySequence(QKeySequence::Open);
    QTest::newRow("save") << "menuFile"
                          << "actionSave" << QKeySequence(QKeySequence::Save);
    QTest::newRow("save as") << "menuFile"
                             << "actionSaveAs" << QKeySequence("Ctrl+Shift+S");
    QTest::newRow("import") << "menuFile"
                            << "actionImportCsv" << QKeySequence();
    QTest::newRow("pdf") << "menuFile"
                         << "actionSavePagePdf" << QKeySequence();
    QTest::newRow("quit") << "menuFile"
                          << "actionQuit" << QKeySequence("Ctrl+Q");
    QTest::newRow("undo") << "menuEdit"
                          << "actionUndo" << QKeySequence(QKeySequence::Undo);
    QTest::newRow("paste") << "menuEdit"
                           << "actionPaste" << QKeySequence(QKeySequence::Paste);
    QTest::newRow("sort") << "menuEdit"
                          << "actionSortByDate" << QKeySequence("Ctrl+T");
    QTest::newRow("milestone") << "menuEdit"
                               << "actionMarkMilestone" << QKeySequence();
    QTest::newRow("page beside") << "menuView"
                                 << "actionPageBeside" << QKeySequence();
    QTest::newRow("preview zoom") << "menuView"
                                  << "actionPreviewZoomIn" << QKeySequence();
    QTest::newRow("classic") << "menuPage"
                             << "mnuLayoutClassic" << QKeySequence();
    QTest::newRow("slide size") << "menuPage"
                                << "mnuSlideSize4x3" << QKeySequence();
    QTest::newRow("guide") << "menuHelp"
                           << "actionGuide" << QKeySequence(QKeySequence::HelpContents);
}

void TestStudio::menuBarCarriesTheCommands()
{
    QFETCH(QString, menu);
    QFETCH(QString, command);
    QFETCH(QKeySequence, keys);
    editor::Form1& form = mStudio->mainWindow();
    QMenu* shownIn = form.menuBar().findChild<QMenu*>(menu);
    QVERIFY(shownIn);
    QList<QAction*> reachable = shownIn->actions();
    for (QMenu* submenu : shownIn->findChildren<QMenu*>())
        reachable << submenu->actions();
    QAction* found = nullptr;
    for (QAction* candidate : reachable)
        if (candidate->objectName() == command)
            found = candidate;
    QVERIFY2(found, qPrintable(command));
    QCOMPARE(found->shortcut(), keys);
    // The list's commands stay in its context menu.
    auto* list = form.findChild<QWidget*>(QStringLiteral("ListView1"));
    if (menu == u"menuEdit")
        QVERIFY(list->actions().contains(found));
    // The preview's zoom waits for a preview to be shown.
    if (command == u"actionPreviewZoomIn") {
        emit shownIn->aboutToShow();
        QVERIFY(!found->isEnabled());
    }
    // A page choice from the main window is stored and checked in both menus.
    if (command == u"mnuLayoutClassic") {
        found->trigger();
        QCOMPARE(mStore->read(QStringLiteral("Layout"), QString()), QStringLiteral("Classic"));
        QVERIFY(found->isChecked());
    }
    // Chosen, the slide size is kept and the next slide saved is 4:3, 720 x 540 pt.
    if (command == u"mnuSlideSize4x3") {
        QVERIFY(action("mnuSlideSize16x9")->isChecked());
        found->trigger();
        QCOMPARE(mStore->read(QStringLiteral("SlideSize"), QString()), QStringLiteral("4:3"));
        showMonthlyTimeline();
        QTemporaryDir folder;
        mDialogs.saveAnswers << folder.filePath(QStringLiteral("history.pptx"));
        action("actionSavePageSlide")->trigger();
        QFile slide(folder.filePath(QStringLiteral("history.pptx")));
        QVERIFY(slide.open(QIODevice::ReadOnly));
        QVERIFY(office::zippackage::Reader(slide.readAll())
                    .read(QStringLiteral("ppt/presentation.xml"))
                    .contains("<p:sldSz cx=\"9144000\" cy=\"6858000\""));
    }
}

QTEST_MAIN(TestStudio)
#include "tst_studio.moc"
