// "Start Creating Template" through the real windows with the engine failing at every
// member call of a good run in turn: the first box names the statement that made the
// call, nothing is left running or lying in the temporary folder, and the next run works.
#include "app/apptitle.h"
#include "app/failure.h"
#include "docgen/embeddedword.h"
#include "docgen/pagefit.h"
#include "docgen/wordautomation.h"
#include "editor/studio.h"
#include "preview/form2.h"
#include "support/letterpaper.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"
#include "timeline/samples.h"
#include "timeline/settingsstore.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using testsupport::ScriptedDialogs;

namespace {
const QString kBuilderLabel = QStringLiteral("in Chronoweave2021/08/31.Form1.PushButton6_Click ");
const QString kSnapshotLabel = QStringLiteral("in Chronoweave2021/08/31.Form1.SaveDocAsJPG ");

struct Call
{
    QString label;
    int statement;
    QString member;
};

// The member calls one good run makes for `entries` entries, each under the statement
// that makes it. The page metrics are read by the first statement that places a shape.
// The members a press on the Yearly sample calls, by statement; `plan` is its page.
std::vector<Call> expectedCalls(const docgen::PagePlan& plan)
{
    const int entries = int(plan.callouts.size());
    std::vector<Call> calls;
    const auto add = [&](const QString& label, int statement, QStringList members) {
        for (const QString& member : members)
            calls.push_back({label, statement, member});
    };
    const auto builder = [&](int statement, QStringList members) {
        add(kBuilderLabel, statement, members);
    };
    const QString selection = QStringLiteral("Application.Selection");
    const QString textRange = QStringLiteral("Shape.TextFrame.TextRange");

    builder(110, {"Application.Documents.Add"});
    builder(112, {"Document.PageSetup"});
    builder(114, {"PageSetup.Orientation"});
    builder(116, {"PageSetup.PageWidth", "PageSetup.PageHeight", "PageSetup.TopMargin",
                  "PageSetup.BottomMargin", "Document.Shapes.AddTextbox"});
    builder(118, {"Shape.Line.Visible"});
    builder(120, {"Shape.WrapFormat.Type"});
    builder(122, {textRange, "TextRange.Text"});
    builder(124, {textRange, "TextRange.Select"});
    builder(126, {selection, "Selection.Collapse"});
    builder(128, {selection, "Selection.EndKey"});
    builder(130, {selection, "Selection.MoveLeft"});
    builder(132, {selection, "Selection.Font.Name"});
    builder(134, {selection, "Selection.Font.Size"});
    builder(136, {selection, "Selection.ParagraphFormat.Alignment"});
    builder(138, {selection, "Selection.Font.Bold"});
    builder(140, {"Document.Shapes.AddTextbox"});
    builder(142, {"Shape.Fill.ForeColor.RGB"});
    builder(144, {textRange, "TextRange.Select"});
    builder(146, {selection, "Selection.Collapse"});
    builder(148, {selection, "Selection.Font.Size", "Selection.ParagraphFormat.Alignment"});
    builder(156, {selection, "Selection.Range", "Document.Tables.Add"});
    builder(158, {"Table.Borders.LineStyle"});
    builder(160, {"Table.Borders.LineStyle"});
    builder(162, {"Table.Columns.PreferredWidth"});
    for (int i = 1; i <= entries; ++i) {
        builder(166, {selection, "Selection.TypeText"});
        builder(168, {selection, "Selection.MoveRight"});
    }
    for (int i = 1; i <= entries; ++i) {
        // A callout of another size than the preset's keeps its arrow by the adjustments.
        const int added = i == 1 ? 176 : (i % 2 == 0 ? 182 : 184);
        builder(added, {"Document.Shapes.AddShape"});
        if (plan.callouts.at(i - 1).adjust)
            builder(added, QStringList(4, QStringLiteral("Shape.Adjustments.Item")));
        if (i == 1)
            builder(178, {"PageSetup.PageWidth"});
        builder(188, {"Shape.Select"});
        builder(190, {textRange, "TextRange.Text"});
        builder(192, {textRange, "TextRange.Select"});
        builder(194, {selection, "Selection.Collapse"});
        builder(196, {selection, "Selection.WholeStory"});
        builder(198, {selection, "Selection.Font.Size"});
    }
    builder(202, {"Shape.Select"});
    builder(218, {"Document.CustomXMLParts.Add"});
    builder(220, {"Document.SaveAs"});
    builder(222, {"Application.DisplayAlerts"});
    builder(224, {"Document.Close"});
    builder(226, {"Application.Quit"});

    add(kSnapshotLabel, 102, {"Application.Documents.Open"});
    add(kSnapshotLabel, 104, {"Document.Range", "Range.CopyAsPicture"});
    add(kSnapshotLabel, 108, {"Application.ActiveDocument", "Document.Close"});
    add(kSnapshotLabel, 110, {"Application.Quit"});
    return calls;
}

struct Box
{
    QString label;
    int statement = 0;
};

// Label and statement of an "Application Error" box; statement 0 when the text is not one.
Box parseErrorBox(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral("\\r\\n(in Chronoweave2021/08/31\\.\\w+\\.\\w+ )at line (\\d+)\\r\\r"
                       "Please email screenshot of this message to \\S+$"));
    const auto match = shape.match(text);
    if (!match.hasMatch())
        return {};
    return {match.captured(1), match.captured(2).toInt()};
}
} // namespace

class TestFaultSweep : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyMemberCallFailsInTurn();
    void engineInstanceThatWillNotStart_data();
    void engineInstanceThatWillNotStart();

private:
    QStringList tempFiles() const
    {
        return QDir(mTemp.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
    // Runs the command once; returns the member calls it made.
    QStringList runCommand();
    void checkAfterRun(const QString& what);
    void goodRunWorks(const QString& what);

    QTemporaryDir mTemp;
    QTemporaryDir mStoreDir;
    ScriptedDialogs mDialogs;
    testsupport::RecordingEnd mEnd;
    testsupport::MemoryClipboard mClipboard;
    docgen::AutomationFactory mFactory;
    std::unique_ptr<editor::QSettingsStore> mStore;
    std::unique_ptr<editor::Studio> mStudio;

    // Set for the run of the command only, so the start-up check is not counted.
    bool mCounting = false;
    int mFailAtCall = 0;     // 1-based member call that throws; 0: none
    int mFailAtInstance = 0; // 1-based engine instance that cannot be created; 0: none
    QStringList mMembers;
    int mInstances = 0;
    std::vector<std::weak_ptr<docgen::WordApplication>> mCreated;
};

void TestFaultSweep::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testsupport::pinLetterPaper();
    app::SetApplicationTitle();
    QVERIFY(mTemp.isValid());
    qputenv("TEMP", mTemp.path().toUtf8());

    docgen::EmbeddedWordOptions options;
    options.beforeMember = [this](const char* member) {
        if (!mCounting)
            return;
        mMembers << QLatin1String(member);
        if (mMembers.size() == mFailAtCall)
            throw app::Failure(QStringLiteral("Injected failure of %1 (call %2)")
                                   .arg(QLatin1String(member))
                                   .arg(mFailAtCall));
    };
    mFactory.registerClass(QLatin1String(docgen::kWordProgId), [this, options] {
        if (mCounting && ++mInstances == mFailAtInstance)
            throw app::Failure(QStringLiteral("ActiveX component can't create object"));
        auto word = docgen::createEmbeddedWord(mClipboard, options);
        mCreated.push_back(word);
        return word;
    });
}

void TestFaultSweep::init()
{
    mDialogs = ScriptedDialogs();
    mStore = std::make_unique<editor::QSettingsStore>(mStoreDir.path());
    mStudio = std::make_unique<editor::Studio>(
        editor::StudioServices{mDialogs, mEnd, *mStore, mFactory, mClipboard, mTemp.path()});
    QVERIFY(mStudio->start());
    QCOMPARE(mDialogs.calls.size(), 0);
    mStudio->mainWindow().PushButton4_Click(); // the Yearly sample
    QCOMPARE(mStudio->mainWindow().entryCount(), 8);
    QCOMPARE(mDialogs.calls.size(), 0);
}

void TestFaultSweep::cleanup()
{
    mStudio.reset();
    mStore.reset();
    for (const QString& name : tempFiles())
        QFile::remove(mTemp.filePath(name));
}

QStringList TestFaultSweep::runCommand()
{
    mDialogs.calls.clear();
    mMembers.clear();
    mInstances = 0;
    mCreated.clear();
    mCounting = true;
    mStudio->mainWindow().PushButton6_Click();
    mCounting = false;
    return mMembers;
}

void TestFaultSweep::checkAfterRun(const QString& what)
{
    const char* context = qPrintable(what);
    editor::Form1& form1 = mStudio->mainWindow();
    for (const auto& box : mDialogs.messages()) {
        QVERIFY2(box.caption == QLatin1String("Application Error"),
                 qPrintable(what + QStringLiteral(": box \"") + box.text + QLatin1Char('"')));
        const Box parsed = parseErrorBox(box.text);
        QVERIFY2(parsed.label == kBuilderLabel || parsed.label == kSnapshotLabel,
                 qPrintable(what + QStringLiteral(": box \"") + box.text + QLatin1Char('"')));
        QVERIFY2(box.icon == app::MessageIcon::Exclamation, context);
    }
    QVERIFY2(!mStudio->builder().busy(), context);
    QVERIFY2(form1.mousePointer() == app::MousePointer::Default, context);
    for (size_t i = 0; i < mCreated.size(); ++i)
        QVERIFY2(mCreated[i].expired(),
                 qPrintable(what + QStringLiteral(": engine instance %1 still alive").arg(i + 1)));

    preview::Form2* form2 = mStudio->previewWindow();
    if (form2 && form2->isVisible()) {
        QVERIFY2(!form1.isVisible(), context);
        QVERIFY2(QFile::exists(form2->wordFile()), context);
        QCOMPARE(tempFiles(), QStringList({QFileInfo(form2->wordFile()).fileName()}));
        form2->PushButton8_Click(); // < Back
        QVERIFY2(!form2->isVisible(), context);
    }
    QVERIFY2(form1.isVisible(), context);
    QVERIFY2(tempFiles().isEmpty(), qPrintable(what + QStringLiteral(": left behind ") +
                                               tempFiles().join(QLatin1Char(' '))));
}

void TestFaultSweep::goodRunWorks(const QString& what)
{
    mFailAtCall = 0;
    mFailAtInstance = 0;
    runCommand();
    QVERIFY2(mDialogs.messageTexts().isEmpty(),
             qPrintable(what + QStringLiteral(": ") + mDialogs.messageTexts().join(u'|')));
    QVERIFY2(mStudio->previewWindow() && mStudio->previewWindow()->isVisible(), qPrintable(what));
    checkAfterRun(what);
}

void TestFaultSweep::everyMemberCallFailsInTurn()
{
    const QStringList good = runCommand();
    QCOMPARE(mDialogs.messageTexts(), QStringList());
    QCOMPARE(mCreated.size(), size_t(2)); // one to build, one to render
    checkAfterRun(QStringLiteral("good run"));

    const std::vector<Call> expected = expectedCalls(docgen::PageFit::plan(
        QString::fromLatin1(editor::kSampleTitle), editor::sampleEntries(1), {792, 612, 72, 72}));
    QStringList expectedMembers;
    for (const Call& call : expected)
        expectedMembers << call.member;
    QCOMPARE(good, expectedMembers);
    const int callCount = int(good.size());

    int swept = 0;
    for (int k = 1; k <= callCount; ++k) {
        const Call& failing = expected[size_t(k - 1)];
        const QString what =
            QStringLiteral("call %1 (%2 at %3)").arg(k).arg(failing.member).arg(failing.statement);
        mFailAtCall = k;
        runCommand();
        mFailAtCall = 0;
        const auto boxes = mDialogs.messages();
        QVERIFY2(!boxes.isEmpty(), qPrintable(what + QStringLiteral(": no box")));
        const Box first = parseErrorBox(boxes.first().text);
        QVERIFY2(
            boxes.first().text.startsWith(QStringLiteral("Injected failure of ") + failing.member),
            qPrintable(what + QStringLiteral(": first box \"") + boxes.first().text + '"'));
        QVERIFY2(first.label == failing.label && first.statement == failing.statement,
                 qPrintable(
                     what +
                     QStringLiteral(": first box at %1%2").arg(first.label).arg(first.statement)));
        checkAfterRun(what);
        if (QTest::currentTestFailed())
            return;
        goodRunWorks(what + QStringLiteral(", then a good run"));
        if (QTest::currentTestFailed())
            return;
        ++swept;
    }
    QCOMPARE(swept, callCount);
    qInfo("fault sweep: %d member calls per good run, %d failing positions swept", callCount,
          swept);
}

void TestFaultSweep::engineInstanceThatWillNotStart_data()
{
    QTest::addColumn<int>("instance");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("statement");
    QTest::newRow("builder's instance") << 1 << kBuilderLabel << 108;
    QTest::newRow("snapshot's instance") << 2 << kSnapshotLabel << 100;
}

void TestFaultSweep::engineInstanceThatWillNotStart()
{
    QFETCH(int, instance);
    QFETCH(QString, label);
    QFETCH(int, statement);
    mFailAtInstance = instance;
    runCommand();
    mFailAtInstance = 0;
    const auto boxes = mDialogs.messages();
    QVERIFY(!boxes.isEmpty());
    const Box first = parseErrorBox(boxes.first().text);
    QCOMPARE(first.label, label);
    QCOMPARE(first.statement, statement);
    QVERIFY(!mStudio->previewWindow() || !mStudio->previewWindow()->isVisible());
    checkAfterRun(QStringLiteral("instance %1 down").arg(instance));
    goodRunWorks(QStringLiteral("after instance %1 down").arg(instance));
}

QTEST_MAIN(TestFaultSweep)
#include "tst_faultsweep.moc"
