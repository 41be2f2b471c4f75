#include "fakeword.h"

#include "app/apptitle.h"
#include "docgen/pagesnapshot.h"
#include "docgen/wordcheck.h"
#include "support/recordingend.h"
#include "support/scripteddialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using testsupport::ScriptedDialogs;

class TestSnapshotAndCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void clipboardRetries_data();
    void clipboardRetries();
    void snapshotWritesBitmapAndLeavesPicture();
    void snapshotReplacesOldBitmap();
    void snapshotFailures_data();
    void snapshotFailures();
    void checkPassesAndQuitsOnce();
    void checkEndsProgramWithMessage();

private:
    QTemporaryDir mTemp;
    std::shared_ptr<FakeWordLog> mLog;
    FakeClipboard mClipboard;
    docgen::AutomationFactory mFactory;
    std::unique_ptr<docgen::BitmapHandOff> mBitmap;
};

void TestSnapshotAndCheck::initTestCase()
{
    app::SetApplicationTitle();
    qputenv("TEMP", mTemp.path().toUtf8());
}

void TestSnapshotAndCheck::init()
{
    mLog = std::make_shared<FakeWordLog>();
    mLog->clipboard = &mClipboard;
    mClipboard = FakeClipboard();
    mBitmap = std::make_unique<docgen::BitmapHandOff>();
    QFile::remove(mBitmap->path());
    mFactory = docgen::AutomationFactory();
    auto log = mLog;
    mFactory.registerClass(QLatin1String(docgen::kWordProgId),
                           [log] { return std::make_shared<FakeWord>(log); });
}

void TestSnapshotAndCheck::clipboardRetries_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("gotPicture");
    QTest::addColumn<int>("requests");
    QTest::newRow("answers at once") << 0 << true << 1;
    QTest::newRow("fails three times first") << 3 << true << 4;
    QTest::newRow("answers on the last attempt") << 999 << true << 1000;
    QTest::newRow("fails a thousand times") << 1000 << false << 1000;
}

void TestSnapshotAndCheck::clipboardRetries()
{
    QFETCH(int, failures);
    QFETCH(bool, gotPicture);
    QFETCH(int, requests);
    mClipboard.picture = QImage(4, 4, QImage::Format_RGB32);
    mClipboard.failuresLeft = failures;
    const int format = 0;
    const auto picture = docgen::GetClipboardPicture(mClipboard, format);
    QCOMPARE(picture.has_value(), gotPicture);
    QCOMPARE(mClipboard.requests, requests);
}

void TestSnapshotAndCheck::snapshotWritesBitmapAndLeavesPicture()
{
    ScriptedDialogs dialogs;
    docgen::PageSnapshot(dialogs, mFactory, mClipboard, *mBitmap)
        .SaveDocAsJPG(QStringLiteral("/d/a.doc"));
    QCOMPARE(dialogs.messages().size(), 0);
    QVERIFY(QFile::exists(mBitmap->path()));
    QCOMPARE(QImage(mBitmap->path()).size(), QSize(600, 300));
    QCOMPARE(mClipboard.picture.size(), QSize(600, 300));
    QCOMPARE(mLog->calls, QStringList({"Documents.Open /d/a.doc", "Range", "Range.CopyAsPicture",
                                       "ActiveDocument", "Close(0)", "Quit"}));
}

void TestSnapshotAndCheck::snapshotReplacesOldBitmap()
{
    QFile old(mBitmap->path());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ScriptedDialogs dialogs;
    docgen::PageSnapshot(dialogs, mFactory, mClipboard, *mBitmap)
        .SaveDocAsJPG(QStringLiteral("/d/a.doc"));
    QCOMPARE(QImage(mBitmap->path()).size(), QSize(600, 300));
}

void TestSnapshotAndCheck::snapshotFailures_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("noEngine");
    QTest::addColumn<QList<int>>("statements");
    QTest::newRow("engine cannot start")
        << QString() << true << QList<int>{100, 102, 104, 106, 108, 110};
    QTest::newRow("open fails") << QStringLiteral("Documents.Open /d/a.doc") << false
                                << QList<int>{102, 104, 106, 108};
    QTest::newRow("copy fails") << QStringLiteral("Range.CopyAsPicture") << false
                                << QList<int>{104, 106};
}

void TestSnapshotAndCheck::snapshotFailures()
{
    QFETCH(QString, failing);
    QFETCH(bool, noEngine);
    QFETCH(QList<int>, statements);
    if (noEngine)
        mFactory = docgen::AutomationFactory();
    mLog->failing << failing;
    // A picture from before must never pass for this page.
    mClipboard.picture = QImage(10, 10, QImage::Format_RGB32);
    ScriptedDialogs dialogs;
    docgen::PageSnapshot(dialogs, mFactory, mClipboard, *mBitmap)
        .SaveDocAsJPG(QStringLiteral("/d/a.doc"));
    const auto boxes = dialogs.messages();
    QCOMPARE(boxes.size(), statements.size());
    for (int i = 0; i < statements.size(); ++i) {
        QVERIFY2(boxes[i].text.contains(
                     QStringLiteral("Form1.SaveDocAsJPG at line %1\r\r").arg(statements[i])),
                 qPrintable(boxes[i].text));
        QCOMPARE(boxes[i].caption, QStringLiteral("Application Error"));
    }
    QVERIFY(!QFile::exists(mBitmap->path()));
    if (!noEngine)
        QCOMPARE(mLog->calls.last(), QStringLiteral("Quit"));
}

void TestSnapshotAndCheck::checkPassesAndQuitsOnce()
{
    ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    QVERIFY(docgen::EnsureWordAvailable(mFactory, dialogs, end));
    QCOMPARE(mLog->calls, QStringList({"Quit"}));
    QCOMPARE(dialogs.calls.size(), 0);
    QCOMPARE(end.calls, 0);

    mLog->failing << QStringLiteral("Quit"); // a failing quit is ignored
    QVERIFY(docgen::EnsureWordAvailable(mFactory, dialogs, end));
    QCOMPARE(dialogs.calls.size(), 0);
}

void TestSnapshotAndCheck::checkEndsProgramWithMessage()
{
    docgen::AutomationFactory none;
    ScriptedDialogs dialogs;
    testsupport::RecordingEnd end;
    QVERIFY(!docgen::EnsureWordAvailable(none, dialogs, end));
    QCOMPARE(end.calls, 1);
    const auto boxes = dialogs.messages();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("Loomchart Page"));
    QCOMPARE(boxes[0].icon, app::MessageIcon::None);
    QCOMPARE(boxes[0].buttons, app::MessageButtons::Ok);
    const QStringList parts = boxes[0].text.split(QStringLiteral("\r\n\r\n"));
    QCOMPARE(parts.size(), 5);
    QCOMPARE(parts[0],
             QStringLiteral("Error 842001. A normal instance of Word could not be created."));
    QCOMPARE(parts[1], QStringLiteral("1. Please make sure Word is installed on this computer."));
    QVERIFY(parts[2].endsWith(QStringLiteral("(such as an Word file recovery window).")));
    QVERIFY(parts[3].startsWith(
        QStringLiteral("3. Please make sure that when you double-click on a DOC or DOCX file")));
    QCOMPARE(parts[4], QStringLiteral("4. All versions of Word are supported by this software "
                                      "except for the rare Word Starter and Student editions."));
}

QTEST_GUILESS_MAIN(TestSnapshotAndCheck)
#include "tst_snapshotcheck.moc"
