#include "fakeword.h"
#include "templatehost.h"

#include "app/apptitle.h"
#include "app/fileutil.h"
#include "docgen/embeddedword.h"
#include "docgen/pagesnapshot.h"
#include "docgen/templatebuilder.h"
#include "docgen/timelinepage.h"
#include "office/docreader.h"
#include "office/document.h"
#include "office/model.h"
#include "support/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using testsupport::ScriptedDialogs;

namespace {
QList<docgen::TimelineEntry> sampleRows(int count)
{
    QList<docgen::TimelineEntry> rows;
    for (int i = 1; i <= count; ++i)
        rows << docgen::TimelineEntry{QString::number(1950 + i), QStringLiteral("n%1").arg(i)};
    return rows;
}

QImage solidPicture(const QColor& colour)
{
    QImage picture(600, 300, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

QList<int> statementsOf(const ScriptedDialogs& dialogs)
{
    static const QRegularExpression number(QStringLiteral("PushButton6_Click at line (\\d+)\\r"));
    QList<int> result;
    for (const auto& box : dialogs.messages()) {
        const auto match = number.match(box.text);
        if (match.hasMatch())
            result << match.captured(1).toInt();
    }
    return result;
}
} // namespace

class TestTemplateBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void emptyListAsksForEntries();
    void tooManyEntriesBuildNothing();
    void missingEngineReportsEveryStatement();
    void secondPressWhileBusyIsIgnored();
    void documentNamesAreFreshAndClaimed();
    void plantedLinkIsNeverFollowed();
    void unwritableFolderFailsInsteadOfSpinning();
    void failedCalloutLeavesEarlierNoteAlone();
    void failedPictureLoadKeepsMainWindow();
    void onlyThisRunsBitmapIsShown_data();
    void onlyThisRunsBitmapIsShown();
    void bitmapWithoutTempStaysPrivate();
    void takenBitmapNameFallsBackToPrivateFolder();
    void resultAndWorkFolder_data();
    void resultAndWorkFolder();
    void pageOptionsOfATimeline_data();
    void pageOptionsOfATimeline();

private:
    // The embedded engine; `failing` names a member and which of its calls fails (1 the
    // first, 0 every one).
    void useEngine(const QString& failing = QString(), int failingCall = 0)
    {
        docgen::EmbeddedWordOptions options;
        auto calls = std::make_shared<int>(0);
        options.beforeMember = [failing, failingCall, calls](const char* member) {
            if (failing == QLatin1String(member) && (failingCall == 0 || ++*calls == failingCall))
                throw app::Failure(failing + QStringLiteral(" failed"));
        };
        docgen::registerEmbeddedWord(mFactory, mClipboard, options);
    }

    QStringList tempFiles() const
    {
        return QDir(mTemp.path()).entryList(QDir::Files | QDir::System);
    }

    QTemporaryDir mTemp;
    FakeClipboard mClipboard;
    docgen::AutomationFactory mFactory;
};

void TestTemplateBuilder::initTestCase()
{
    app::SetApplicationTitle();
    qputenv("TEMP", mTemp.path().toUtf8());
}

void TestTemplateBuilder::init()
{
    for (const QString& name : tempFiles())
        QFile::remove(mTemp.filePath(name));
    mFactory = docgen::AutomationFactory();
}

void TestTemplateBuilder::emptyListAsksForEntries()
{
    ScriptedDialogs dialogs;
    RecordingHost host;
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.PushButton6_Click(host);
    QCOMPARE(dialogs.messageTexts(), QStringList({"Please add timeline."}));
    QCOMPARE(dialogs.messages()[0].caption, QStringLiteral("Loomchart Page"));
    QCOMPARE(dialogs.messages()[0].icon, app::MessageIcon::None);
    QVERIFY(host.pointerHistory.isEmpty());
    QVERIFY(!builder.busy());
    QVERIFY(tempFiles().isEmpty());
}

void TestTemplateBuilder::tooManyEntriesBuildNothing()
{
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(64);
    auto log = std::make_shared<FakeWordLog>();
    mFactory.registerClass(QLatin1String(docgen::kWordProgId),
                           [log] { return std::make_shared<FakeWord>(log); });
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.PushButton6_Click(host);
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages()[0].text.contains(QStringLiteral("at most 63 entries")));
    QCOMPARE(dialogs.messages()[0].caption, QStringLiteral("Loomchart Page"));
    QVERIFY(log->calls.isEmpty());
    QVERIFY(!builder.busy());
    QVERIFY(tempFiles().isEmpty());
}

void TestTemplateBuilder::missingEngineReportsEveryStatement()
{
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(3);
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.PushButton6_Click(host);

    QList<int> expected{108, 110, 112, 114, 116, 118, 120, 122, 124, 126, 128, 130, 132,
                        134, 136, 138, 140, 142, 144, 146, 148, 156, 158, 160, 162};
    for (int i = 0; i < 3; ++i)
        expected << 166 << 168;
    const QList<int> perCallout{188, 190, 192, 194, 196, 198};
    expected << 176 << 178 << perCallout << 182 << perCallout << 184 << perCallout;
    expected << 202 << 220 << 222 << 224 << 226;
    QCOMPARE(statementsOf(dialogs), expected);
    QCOMPARE(host.pointerHistory,
             QList<app::MousePointer>({app::MousePointer::Hourglass, app::MousePointer::Default}));
    QVERIFY(host.events.isEmpty());
    QVERIFY(!builder.busy());
    QVERIFY2(tempFiles().isEmpty(), qPrintable(tempFiles().join(QLatin1Char(','))));
}

void TestTemplateBuilder::secondPressWhileBusyIsIgnored()
{
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(1);
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    int nestedBoxes = -1;
    bool pressed = false;
    dialogs.onMessage = [&](const ScriptedDialogs::Call&) {
        if (pressed)
            return;
        pressed = true;
        QVERIFY(builder.busy());
        const auto before = dialogs.calls.size();
        builder.PushButton6_Click(host);
        nestedBoxes = static_cast<int>(dialogs.calls.size() - before);
    };
    builder.PushButton6_Click(host);
    QCOMPARE(nestedBoxes, 0);
    QVERIFY(!builder.busy());
}

void TestTemplateBuilder::documentNamesAreFreshAndClaimed()
{
    ScriptedDialogs dialogs;
    // The first draw collides with a file that is already there; a whole new name follows.
    QList<int> digits{1, 1, 1, 1, 1, 1, 1, 1, 9, 8, 7, 6, 5, 4, 3, 2};
    docgen::TemplateBuilder scripted(dialogs, mFactory, mClipboard,
                                     [&] { return digits.takeFirst(); });
    QFile taken(mTemp.filePath(QStringLiteral("qarven11111111.doc")));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("keep");
    taken.close();
    const QString path = scripted.claimDocumentPath(mTemp.path());
    QCOMPARE(path, QDir(mTemp.path()).filePath(QStringLiteral("qarven98765432.doc")));
    QVERIFY(QFile::exists(path));
    QFile kept(taken.fileName());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));

    docgen::TemplateBuilder random(dialogs, mFactory, mClipboard);
    const QRegularExpression form(QStringLiteral("^qarven[1-9]{8}\\.doc$"));
    QSet<QString> names;
    for (int i = 0; i < 50; ++i) {
        const QString name = QFileInfo(random.claimDocumentPath(mTemp.path())).fileName();
        QVERIFY2(form.match(name).hasMatch(), qPrintable(name));
        names << name;
    }
    QCOMPARE(names.size(), 50);
}

void TestTemplateBuilder::plantedLinkIsNeverFollowed()
{
    ScriptedDialogs dialogs;
    QList<int> digits{2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3};
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard,
                                    [&] { return digits.takeFirst(); });
    const QString victim = mTemp.filePath(QStringLiteral("victim.txt"));
    const QString planted = mTemp.filePath(QStringLiteral("qarven22222222.doc"));
    QVERIFY(QFile::link(victim, planted)); // a dangling link to where we must not write
    const QString path = builder.claimDocumentPath(mTemp.path());
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("qarven33333333.doc"));
    QVERIFY(!QFile::exists(victim));
}

void TestTemplateBuilder::unwritableFolderFailsInsteadOfSpinning()
{
    ScriptedDialogs dialogs;
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    QVERIFY_THROWS_EXCEPTION(app::Failure,
                             builder.claimDocumentPath(mTemp.filePath(QStringLiteral("no/such"))));
}

void TestTemplateBuilder::failedCalloutLeavesEarlierNoteAlone()
{
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(3);
    useEngine(QStringLiteral("Document.Shapes.AddShape"), 2);
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.PushButton6_Click(host);
    QCOMPARE(statementsOf(dialogs).mid(0, 3), QList<int>({182, 188, 190}));
    const office::Document saved = office::openDocument(host.previewWordFile);
    QStringList notes;
    for (const office::Shape& shape : saved.shapes())
        if (shape.kind != office::ShapeKind::TextBox)
            notes << std::get<office::Paragraph>(shape.story.front()).text();
    QCOMPARE(notes, QStringList({"n1", "n3"}));
}

void TestTemplateBuilder::failedPictureLoadKeepsMainWindow()
{
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(2);
    host.failPictureLoad = true;
    useEngine();
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.PushButton6_Click(host);
    QCOMPARE(statementsOf(dialogs), QList<int>({240}));
    QVERIFY(host.events.isEmpty()); // neither shown nor hidden
    QVERIFY(builder.lastDocument().isEmpty());
    QVERIFY2(tempFiles().isEmpty(), qPrintable(tempFiles().join(QLatin1Char(','))));
}

void TestTemplateBuilder::onlyThisRunsBitmapIsShown_data()
{
    QTest::addColumn<bool>("plantLink");
    QTest::addColumn<bool>("plantStale");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("replaceAfterSnapshot");
    QTest::addColumn<bool>("shown");
    QTest::newRow("link planted at the bitmap") << true << false << QString() << false << true;
    QTest::newRow("stale bitmap, picture not copied")
        << false << true << QStringLiteral("Range.CopyAsPicture") << false << false;
    QTest::newRow("stale bitmap, document not opened")
        << false << true << QStringLiteral("Application.Documents.Open") << false << false;
    QTest::newRow("bitmap replaced after the snapshot")
        << false << false << QString() << true << false;
}

void TestTemplateBuilder::onlyThisRunsBitmapIsShown()
{
    QFETCH(bool, plantLink);
    QFETCH(bool, plantStale);
    QFETCH(QString, failing);
    QFETCH(bool, replaceAfterSnapshot);
    QFETCH(bool, shown);
    const QString bitmap = mTemp.filePath(QStringLiteral("temp.bmp"));
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim.txt"));
    {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    if (plantLink)
        QVERIFY(QFile::link(victim, bitmap));
    if (plantStale)
        QVERIFY(solidPicture(Qt::red).save(bitmap, "BMP"));
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(3);
    if (replaceAfterSnapshot)
        host.onPointer = [&](app::MousePointer pointer) {
            if (pointer == app::MousePointer::Default && QFile::remove(bitmap))
                QVERIFY(solidPicture(Qt::red).save(bitmap, "BMP"));
        };
    useEngine(failing);
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.PushButton6_Click(host);

    QCOMPARE(host.events.contains(QStringLiteral("show preview")), shown);
    QCOMPARE(host.previewPicture.isNull(), !shown);
    if (shown) // the page: white around a pale green bar, never a planted picture
        QCOMPARE(host.previewPicture.pixelColor(2, 2), QColor(Qt::white));
    QFile file(victim);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
    QVERIFY(!QFileInfo::exists(bitmap) && !QFileInfo(bitmap).isSymLink());
}

void TestTemplateBuilder::bitmapWithoutTempStaysPrivate()
{
    const QByteArray temp = qgetenv("TEMP");
    qunsetenv("TEMP");
    QString folder;
    {
        docgen::BitmapHandOff bitmap;
        folder = QFileInfo(bitmap.path()).absolutePath();
        QVERIFY(folder != QDir(QDir::tempPath()).absolutePath());
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());
        bitmap.write(solidPicture(Qt::blue));
        QVERIFY(bitmap.written());
        QCOMPARE(bitmap.load().pixelColor(5, 5), QColor(Qt::blue));
    }
    qputenv("TEMP", temp);
    QVERIFY(!QFileInfo::exists(folder));
}

void TestTemplateBuilder::takenBitmapNameFallsBackToPrivateFolder()
{
    // Nobody can remove a folder that holds a file: the name stays taken, as another
    // user's file in a shared folder would.
    const QString taken = mTemp.filePath(QStringLiteral("temp.bmp"));
    QVERIFY(QDir().mkpath(taken + QStringLiteral("/theirs")));
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(3);
    useEngine();
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.PushButton6_Click(host);
    QVERIFY2(host.events.contains(QStringLiteral("show preview")),
             qPrintable(dialogs.messageTexts().join(u'|')));
    QVERIFY(QFileInfo(taken + QStringLiteral("/theirs")).isDir());
    // The rest of the run goes to the private folder at once.
    docgen::BitmapHandOff next;
    QVERIFY(next.path() != QDir::toNativeSeparators(taken));
}

void TestTemplateBuilder::resultAndWorkFolder_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("made") << QString();
    // The page is still handed over, but it is not the page asked for.
    QTest::newRow("one callout failed") << QStringLiteral("Document.Shapes.AddShape");
}

void TestTemplateBuilder::resultAndWorkFolder()
{
    QFETCH(QString, failing);
    QTemporaryDir work;
    ScriptedDialogs dialogs;
    RecordingHost host;
    host.rows = sampleRows(3);
    useEngine(failing, 2);
    docgen::TemplateBuilder builder(dialogs, mFactory, mClipboard);
    builder.setWorkFolder(work.path());
    const docgen::BuildResult result = builder.PushButton6_Click(host);
    QCOMPARE(result.failures > 0, !failing.isEmpty());
    QCOMPARE(result.made(), failing.isEmpty());
    QCOMPARE(QFileInfo(result.document).absolutePath(), QDir(work.path()).absolutePath());
    QVERIFY2(tempFiles().isEmpty(), qPrintable(tempFiles().join(u',')));
}

void TestTemplateBuilder::pageOptionsOfATimeline_data()
{
    QTest::addColumn<timeline::PageChoices>("choices");
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<int>("paperCode");
    QTest::addColumn<QList<double>>("axis");
    QTest::addColumn<bool>("notice");
    using timeline::Layout;
    using timeline::Spacing;
    const QStringList years{"1950", "1960", "1970"};
    QTest::newRow("fit, even, A4 in any case")
        << timeline::PageChoices{Layout::Fit, Spacing::Even, "a4", {}} << years << 7
        << QList<double>{} << false;
    QTest::newRow("to scale") << timeline::PageChoices{Layout::Fit, Spacing::ToScale, {}, {}}
                              << QStringList{"1950", "1970"} << 0 << QList<double>{0, 1} << false;
    QTest::newRow("to scale, a date not read")
        << timeline::PageChoices{Layout::Fit, Spacing::ToScale, "Legal", {}}
        << QStringList{"1950", "soon", "1970"} << 4 << QList<double>{} << true;
    QTest::newRow("classic keeps its places, unknown paper")
        << timeline::PageChoices{Layout::Classic, Spacing::ToScale, "B5", {}} << years << 0
        << QList<double>{} << false;
}

void TestTemplateBuilder::pageOptionsOfATimeline()
{
    QFETCH(timeline::PageChoices, choices);
    QFETCH(QStringList, dates);
    QFETCH(int, paperCode);
    QFETCH(QList<double>, axis);
    QFETCH(bool, notice);
    timeline::Timeline shown;
    shown.page = choices;
    for (const QString& date : dates)
        shown.entries.append({date, QStringLiteral("n")});
    QString why;
    const docgen::PageOptions options = docgen::pageOptionsOf(shown, QLocale::c(), &why);
    QCOMPARE(options.layout == docgen::LayoutStyle::Classic, choices.classic());
    QCOMPARE(options.paperCode, paperCode);
    QCOMPARE(options.timeAxis, axis);
    QCOMPARE(!why.isEmpty(), notice);
    QCOMPARE(
        docgen::paperShown(choices),
        QLatin1String(paperCode ? office::findPaper(paperCode)->name : office::regionPaper().name));
}

QTEST_MAIN(TestTemplateBuilder)
#include "tst_templatebuilder.moc"
