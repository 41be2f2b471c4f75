#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "support/fulldisk.h"

#include <sys/stat.h>

#include <unistd.h>

namespace {
// The user the save runs as when the tests run as root: "nobody".
constexpr uid_t kOrdinaryUser = 65534;

void writeFile(const QString& path, const QByteArray& content, QFileDevice::Permissions mode)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QVERIFY(file.setPermissions(mode));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void giveToOrdinaryUser(const QString& path)
{
    if (::geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), kOrdinaryUser, kOrdinaryUser), 0);
}
} // namespace

class TestSaveResults : public QObject
{
    Q_OBJECT

private slots:
    void overwriteAsOrdinaryUser_data();
    void overwriteAsOrdinaryUser();
};

void TestSaveResults::overwriteAsOrdinaryUser_data()
{
    QTest::addColumn<bool>("targetWritable");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<bool>("sourceReadable");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("trouble");
    QTest::newRow("read-only target, writable folder") << false << true << true << true << "";
    QTest::newRow("writable target, locked folder") << true << false << true << true << "";
    QTest::newRow("read-only target, locked folder") << false << false << true << false << "";
    QTest::newRow("unreadable document keeps the old file")
        << false << true << false << false << "";
    QTest::newRow("full disk, locked folder") << true << false << true << false << "full";
    QTest::newRow("full disk, writable folder") << true << true << true << false << "full";
    QTest::newRow("link another user put in a shared folder")
        << true << true << true << false << "link";
}

void TestSaveResults::overwriteAsOrdinaryUser()
{
    QFETCH(bool, targetWritable);
    QFETCH(bool, folderWritable);
    QFETCH(bool, sourceReadable);
    QFETCH(bool, saved);
    QFETCH(QString, trouble);
    if (trouble == QLatin1String("link") && ::geteuid() != 0)
        QSKIP("only root puts a link there as another user");
    const auto rw = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                    QFileDevice::ReadOther;
    const auto r = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto rx = r | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;

    QTemporaryDir base;
    QVERIFY(QFile::setPermissions(base.path(), rx | QFileDevice::WriteOwner));
    const QString document = base.filePath(QStringLiteral("qarven12345678.doc"));
    // More than a full disk or the file-size limit lets through.
    writeFile(document, "generated document" + QByteArray(trouble.isEmpty() ? 0 : 65536, ' '),
              sourceReadable ? r : QFileDevice::WriteOwner);
    QVERIFY(QDir(base.path()).mkdir(QStringLiteral("disk")));
    testsupport::FullDisk disk(base.filePath(QStringLiteral("disk")));
    const QString folder = base.filePath(QStringLiteral("disk/results"));
    QVERIFY(QDir().mkdir(folder));
    QString target = QDir(folder).filePath(QStringLiteral("timeline.doc"));
    writeFile(target, "kept document", targetWritable ? rw : r);
    giveToOrdinaryUser(target);
    // As root the folder stays root's to lock it; as an ordinary user it loses its
    // owner's write permission instead.
    if (folderWritable)
        giveToOrdinaryUser(folder);
    const bool ownerMayWrite = folderWritable || ::geteuid() == 0;
    QVERIFY(QFile::setPermissions(folder, ownerMayWrite ? rx | QFileDevice::WriteOwner : rx));
    const QString kept = target;
    if (trouble == QLatin1String("link")) {
        const QByteArray shared = QFile::encodeName(base.filePath(QStringLiteral("shared")));
        QCOMPARE(::mkdir(shared.constData(), 01777), 0);
        QCOMPARE(::chmod(shared.constData(), 01777), 0);
        target = QFile::decodeName(shared) + QStringLiteral("/timeline.doc");
        QVERIFY(QFile::link(kept, target));
        QCOMPARE(::lchown(QFile::encodeName(target).constData(), 12345, 12345), 0);
    }

    // The helper runs from a copy in the prepared folder, which the other user can reach
    // wherever the build tree lies; that user may not read the leak suppressions either.
    const QString helper = base.filePath(QStringLiteral("saveasuser"));
    QVERIFY(QFile::copy(QStringLiteral(LOOM_SAVE_AS_USER), helper));
    QProcess save;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LSAN_OPTIONS"));
    if (environment.contains(QStringLiteral("ASAN_OPTIONS")))
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":detect_leaks=0"));
    save.setProcessEnvironment(environment);
    QStringList command{helper, document, target};
    if (::geteuid() == 0)
        command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                              QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")} +
                  command;
    if (trouble == QLatin1String("full"))
        disk.fill(); // last, as the file-size limit holds for this process too
    save.start(command.takeFirst(), command);
    QVERIFY(save.waitForFinished(30000));
    const QString output = QString::fromUtf8(save.readAllStandardOutput());
    QVERIFY2(save.exitCode() == 0, qPrintable(save.readAllStandardError()));

    if (saved) {
        QVERIFY2(output.endsWith(QStringLiteral(" ?\nDone.\n")), qPrintable(output));
        QCOMPARE(readAll(target), QByteArray("generated document"));
    } else {
        QVERIFY2(output.contains(QStringLiteral("Form2.PushButton6_Click at line 130")),
                 qPrintable(output));
        QCOMPARE(readAll(kept), QByteArray("kept document"));
    }
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("timeline.doc")});
    QFile::setPermissions(folder, rx | QFileDevice::WriteOwner);
}

QTEST_GUILESS_MAIN(TestSaveResults)
#include "tst_saveresults.moc"
