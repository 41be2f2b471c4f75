#include "timeline/settingsstore.h"
#include "timeline/timeline.h"

#include "app/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

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
    void qsettingsReadsEveryCodePoint_data();
    void qsettingsReadsEveryCodePoint();
    void readBackAtTheSameTime();
    void linkedKeyFileStaysALink();
    void piecesPastTheCapAreCut_data();
    void piecesPastTheCapAreCut();
    void unreadableValuesAreSetAside_data();
    void unreadableValuesAreSetAside();
    void pageChoices_data();
    void pageChoices();
    void entryDetailsBesideTheList();
};

namespace {
QString units(char16_t first, char16_t last)
{
    QString text;
    for (char32_t c = first; c <= last; ++c)
        text += QChar(char16_t(c));
    return text;
}

void put(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}
} // namespace

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

void TestSettingsStore::qsettingsReadsEveryCodePoint_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("controls") << units(0x01, 0x1F) + QStringLiteral("1f");
    QTest::newRow("DEL") << QStringLiteral("a\x7f"
                                           "b\x7f");
    QTest::newRow("Latin and symbols") << units(0x20, 0x7E) + units(0x80, 0x7FF);
    QTest::newRow("rest of the BMP") << units(0x800, 0xD7FF) + units(0xE000, 0xFFFF);
    QTest::newRow("surrogate pairs") << QStringLiteral("\U0001F600\U00010000\U0010FFFF");
    QTest::newRow("unpaired surrogates")
        << QString(QChar(0xDC00)) + QChar(0xD800) + QStringLiteral("a") + QChar(0xDBFF);
    QTest::newRow("separators and quotes") << QStringLiteral("=a;b,c\"d\\\"");
    QTest::newRow("leading at signs") << QStringLiteral("@@Invalid()");
}

void TestSettingsStore::qsettingsReadsEveryCodePoint()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    // A name of its own for every row: QSettings keeps what it read of a file.
    const QString path = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".ini");
    put(path, editor::QSettingsStore::fileContents(QStringLiteral("Text1"), value));
    QSettings reader(path, QSettings::IniFormat);
    QCOMPARE(reader.value(QStringLiteral("Loomchart Page Studio/Text1")).toString(), value);
}

void TestSettingsStore::readBackAtTheSameTime()
{
    // Two values of one size given one time, as a file system with a coarse clock does.
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString path = store.filePath(QStringLiteral("Text1"));
    store.write(QStringLiteral("Text1"), QStringLiteral("first"));
    const QDateTime time = QFileInfo(path).lastModified();
    QCOMPARE(editor::QSettingsStore(dir.path()).read(QStringLiteral("Text1"), QString()),
             QStringLiteral("first"));
    store.write(QStringLiteral("Text1"), QStringLiteral("again"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(editor::QSettingsStore(dir.path()).read(QStringLiteral("Text1"), QString()),
             QStringLiteral("again"));
}

void TestSettingsStore::linkedKeyFileStaysALink()
{
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path() + QStringLiteral("/store"));
    QVERIFY(QDir().mkpath(store.folder()));
    const QString kept = dir.filePath(QStringLiteral("dotfiles-Text1.ini"));
    put(kept, "[Loomchart%20Page%20Studio]\nText1=old\n");
    QVERIFY(QFile::setPermissions(kept, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup));
    // As root the file is another user's, whose ownership the write keeps.
    const bool root = ::geteuid() == 0;
    QVERIFY(!root || ::chown(QFile::encodeName(kept).constData(), 65534, 65534) == 0);
    QVERIFY(QFile::link(kept, store.filePath(QStringLiteral("Text1"))));
    store.write(QStringLiteral("Text1"), QStringLiteral("new"));
    QVERIFY(QFileInfo(store.filePath(QStringLiteral("Text1"))).isSymLink());
    QVERIFY(!root || QFileInfo(kept).ownerId() == 65534);
    QCOMPARE(QFile::permissions(kept), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser |
                                           QFileDevice::ReadGroup);
    QSettings reader(kept, QSettings::IniFormat);
    QCOMPARE(reader.value(QStringLiteral("Loomchart Page Studio/Text1")).toString(),
             QStringLiteral("new"));
}

void TestSettingsStore::piecesPastTheCapAreCut_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("read");
    QTest::addColumn<bool>("cut");
    QTest::newRow("the cap, unended piece")
        << QStringLiteral("a<>b<>c") << QStringLiteral("a<>b<>c") << false;
    QTest::newRow("past, quoted") << QStringLiteral(" a,<>b<>c<>d<>e<>")
                                  << QStringLiteral(" a,<>b<>c<>") << true;
    // The file is read a mebibyte at a time; the value starts at byte 38.
    const QString head(1024 * 1024 - 39, u'x');
    QTest::newRow("a mark across two reads")
        << head + QStringLiteral("<>b<>c<>d") << head + QStringLiteral("<>b<>c<>") << true;
}

void TestSettingsStore::piecesPastTheCapAreCut()
{
    QFETCH(QString, value);
    QFETCH(QString, read);
    QFETCH(bool, cut);
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString key = QStringLiteral("Timeline1");
    put(store.filePath(key), editor::QSettingsStore::fileContents(key, value));
    const editor::SettingsStore::Pieces pieces = store.readPieces(key, u"<>", 3);
    QCOMPARE(pieces.value, read);
    QCOMPARE(pieces.cut, cut);
}

void TestSettingsStore::unreadableValuesAreSetAside_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("value"); // as the file holds it; empty: the file is a pipe
    QTest::addColumn<bool>("pieces");      // read as a list is, piece by piece
    const QByteArray notUtf8("caf\xe9||MySeparator123||x||MySeparator234||");
    QTest::newRow("a list that is not UTF-8") << "Timeline1" << notUtf8 << false;
    QTest::newRow("pieces that are not UTF-8") << "Timeline1" << notUtf8 << true;
    QTest::newRow("a list that is a pipe") << "Timeline1" << QByteArray() << true;
    QTest::newRow("a title that is a pipe") << "Text1" << QByteArray() << false;
}

void TestSettingsStore::unreadableValuesAreSetAside()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, value);
    QFETCH(bool, pieces);
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString path = store.filePath(key);
    const QByteArray contents = "[Loomchart%20Page%20Studio]\n" + key.toUtf8() + '=' + value + '\n';
    if (value.isEmpty())
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    else
        put(path, contents);
    QStringList notices;
    // Read as the studio reads them, which sets them aside on this failure.
    QCOMPARE(
        editor::readOrSetAside(store, key, QStringLiteral("none"), QStringLiteral("list"), notices),
        QStringLiteral("none"));
    QCOMPARE(notices.size(), 1);
    QVERIFY(!QFileInfo::exists(path));
    const QStringList aside =
        QDir(dir.path())
            .entryList({key + " (unreadable, set aside *).ini"}, QDir::System | QDir::Files);
    QCOMPARE(aside.size(), 1);
    if (!value.isEmpty()) {
        QFile kept(dir.filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), contents);
    }
    // The same file read as a list is read is refused too.
    if (pieces) {
        QCOMPARE(::rename(QFile::encodeName(dir.filePath(aside.first())).constData(),
                          QFile::encodeName(path).constData()),
                 0);
        QVERIFY_THROWS_EXCEPTION(editor::UnreadableSetting,
                                 store.readPieces(key, u"||MySeparator234||", 10));
    }
}

void TestSettingsStore::pageChoices_data()
{
    QTest::addColumn<QStringList>("stored"); // Layout, Spacing, Paper, Theme; empty: absent
    QTest::addColumn<timeline::PageChoices>("choices");
    using timeline::Layout;
    using timeline::Spacing;
    QTest::newRow("nothing stored") << QStringList{{}, {}, {}, {}} << timeline::PageChoices{};
    QTest::newRow("in any case") << QStringList{"classic", "to SCALE", "A4", "Ink"}
                                 << timeline::PageChoices{Layout::Classic, Spacing::ToScale, "A4",
                                                          "Ink"};
    QTest::newRow("texts this program does not know")
        << QStringList{"Fancy", "Random", "", ""} << timeline::PageChoices{};
}

void TestSettingsStore::pageChoices()
{
    QFETCH(QStringList, stored);
    QFETCH(timeline::PageChoices, choices);
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const char* keys[] = {editor::kLayoutKey, editor::kSpacingKey, editor::kPaperKey,
                          editor::kThemeKey};
    for (int i = 0; i < 4; ++i)
        if (!stored.at(i).isEmpty())
            store.write(QLatin1String(keys[i]), stored.at(i));
    QCOMPARE(timeline::loadPageChoices(store), choices);
    timeline::PageChoices changed = choices;
    changed.layout = choices.classic() ? timeline::Layout::Fit : timeline::Layout::Classic;
    timeline::savePageChoices(store, changed);
    editor::QSettingsStore again(dir.path());
    QCOMPARE(timeline::loadPageChoices(again), changed);
}

void TestSettingsStore::entryDetailsBesideTheList()
{
    // Written beside the list only when there are some; the round trip is the list
    // commands' test.
    QTemporaryDir dir;
    editor::QSettingsStore store(dir.path());
    const QString detailsFile = store.filePath(editor::timelineDetailsKey(2));
    QList<editor::TimelineEntry> rows{{"Apr 2000", "a"}};
    editor::writeEntryDetails(store, 2, rows);
    QVERIFY(!QFileInfo::exists(detailsFile));
    // What cannot be read gives none; the studio's reading sets it aside and says so.
    put(detailsFile, "[Loomchart%20Page%20Studio]\nTimeline2Details=a,b\n");
    editor::readEntryDetails(store, 2, rows);
    QVERIFY(QFileInfo::exists(detailsFile));
    QStringList notices;
    editor::readEntryDetails(store, 2, rows, &notices);
    QCOMPARE(notices.size(), 1);
    QVERIFY(!QFileInfo::exists(detailsFile));
    QCOMPARE(rows, (QList<editor::TimelineEntry>{{"Apr 2000", "a"}}));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
