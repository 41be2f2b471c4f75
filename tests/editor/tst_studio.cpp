// "Start Creating Template" from end to end, through the real windows with scripted
// dialogs and the embedded engine.
#include "app/apptitle.h"
#include "app/failure.h"
#include "docgen/embeddedword.h"
#include "docgen/wordautomation.h"
#include "editor/entrylist.h"
#include "editor/samples.h"
#include "editor/settingsstore.h"
#include "editor/studio.h"
#include "office/docreader.h"
#include "preview/form2.h"
#include "preview/picturebox.h"
#include "support/letterpaper.h"
#include "support/memoryclipboard.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using testsupport::ScriptedDialogs;

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

private:
    void makeStudio();
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
    QList<editor::TimelineEntry> rows;
    for (int i = 0; i < 63; ++i)
        rows << editor::TimelineEntry{QString::number(1900 + i),
                                      QString(QStringLiteral("word ")).repeated(120)};
    mStore->write(QStringLiteral("Timeline1"), editor::encodeEntryList(rows));
    makeStudio();
    mStudio->mainWindow().PushButton6_Click();
    preview::Form2* form2 = mStudio->previewWindow();
    QVERIFY(form2 && form2->isVisible());
    QCOMPARE(form2->cutNoticeText(),
             QStringLiteral("63 entries are cut: their callouts are marked in red."));
    QVERIFY2(mStudio->mainWindow().rowNotes(11).startsWith(QStringLiteral("Notes cut after ")),
             qPrintable(mStudio->mainWindow().rowNotes(11)));
    // The mark is drawn on the picture shown, a little outside the callout's frame.
    const docgen::FitReport& report = mStudio->builder().lastPlan().report;
    const QImage shown = form2->findChild<preview::PictureBox*>("Picture1")->picture();
    const QRectF region = report.pictureRegionPt;
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

QTEST_MAIN(TestStudio)
#include "tst_studio.moc"
