#include "editor/settingsstore.h"

#include "app/failure.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void absentKeyGivesDefault();
    void valuesSurviveANewStore_data();
    void valuesSurviveANewStore();
    void eachKeyHasItsOwnFile();
    void titleWriteLeavesListsAlone();
    void unwritableFileFails();
    void recoversAfterAFailedWrite();
};

void TestSettingsStore::absentKeyGivesDefault()
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    QCOMPARE(store.read(QStringLiteral("Option"), QStringLiteral("1")), QStringLiteral("1"));
    QCOMPARE(store.read(QStringLiteral("Timeline2"), QString()), QString());
    QVERIFY2(QDir(dir.path()).entryList(QDir::Files).isEmpty(), "a read must not create files");
}

void TestSettingsStore::valuesSurviveANewStore_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("empty title") << "Text1" << QString();
    QTest::newRow("blanks kept") << "Text1" << QStringLiteral("  John's Timeline  ");
    QTest::newRow("list with separators")
        << "Timeline1" << QStringLiteral("1955||MySeparator123||a; b = c||MySeparator234||");
    QTest::newRow("non-ASCII and line breaks")
        << "Timeline3"
        << QStringLiteral("5/3/2010||MySeparator123||Zürich\r\nünd\t\"q\"||My"
                          "Separator234||");
    QTest::newRow("backslashes and brackets") << "Text1" << QStringLiteral("C:\\x [y] #z");
    QTest::newRow("hex digits after escapes") << "Text1"
                                              << QString(QStringLiteral("\x01"
                                                                        "abc\x1f"
                                                                        "9 \\x41 end"));
    QTest::newRow("an at sign first, as the reader's own markers")
        << "Text1" << QStringLiteral("@Variant(\"x\") @@");
    QTest::newRow("emoji, right-to-left, unpaired surrogates")
        << "Timeline1"
        << (QStringLiteral("\U0001F600 \u05e9\u05dc\u05d5\u05dd ") + QChar(0xD800) +
            QStringLiteral("a") + QChar(0xDC00) + QStringLiteral("F"));
    QTest::newRow("outer blanks and separators") << "Text1" << QStringLiteral(" a;b=c,d ");
}

void TestSettingsStore::valuesSurviveANewStore()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QTemporaryDir dir;
    {
        editor::QSettingsStore store(dir.path());
        store.write(key, value);
    }
    editor::QSettingsStore reopened(dir.path());
    QCOMPARE(reopened.read(key, QStringLiteral("absent")), value);
}

void TestSettingsStore::eachKeyHasItsOwnFile()
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    store.write(QStringLiteral("Text1"), QStringLiteral("T"));
    store.write(QStringLiteral("Option"), QStringLiteral("2"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("Option.ini"), QStringLiteral("Text1.ini")}));
    // Any INI reader finds the value under the section as its group.
    QSettings plain(store.filePath(QStringLiteral("Option")), QSettings::IniFormat);
    QCOMPARE(plain.value(QStringLiteral("Loomchart Page Studio/Option")).toString(),
             QStringLiteral("2"));
}

void TestSettingsStore::titleWriteLeavesListsAlone()
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    store.write(QStringLiteral("Timeline1"), QStringLiteral("a||MySeparator123||b"));
    const QString listFile = store.filePath(QStringLiteral("Timeline1"));
    QFile before(listFile);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray listBytes = before.readAll();
    const QDateTime listTime = QFileInfo(listFile).lastModified();
    before.close();
    store.write(QStringLiteral("Text1"), QStringLiteral("typed"));
    QFile after(listFile);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), listBytes);
    QCOMPARE(QFileInfo(listFile).lastModified(), listTime);
}

void TestSettingsStore::unwritableFileFails()
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    // A folder where the key's file should be: the save cannot replace it.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Text1.ini")));
    try {
        store.write(QStringLiteral("Text1"), QStringLiteral("x"));
        QFAIL("the write should have failed");
    } catch (const app::Failure& failure) {
        QVERIFY2(failure.description().contains(QStringLiteral("\"Text1\"")),
                 qPrintable(failure.description()));
    }
}

void TestSettingsStore::recoversAfterAFailedWrite()
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString blocker = dir.filePath(QStringLiteral("Text1.ini"));
    QVERIFY(QDir().mkdir(blocker));
    QVERIFY_THROWS_EXCEPTION(app::Failure,
                             store.write(QStringLiteral("Text1"), QStringLiteral("x")));
    QVERIFY(QDir().rmdir(blocker));
    store.write(QStringLiteral("Text1"), QStringLiteral("y"));
    editor::QSettingsStore reopened(dir.path());
    QCOMPARE(reopened.read(QStringLiteral("Text1"), QString()), QStringLiteral("y"));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
