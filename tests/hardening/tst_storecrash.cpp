// The settings store killed in the middle of writing: a writer process stores the title
// and the Yearly list over and over and is killed at varying moments. Every key must
// then hold a complete value that was written at some point, and the next writer and
// the program itself must go on using the store. And the editor killed right after each
// of its commands: the store then holds what the window showed, and the next start
// shows it again.
#include "storecrashvalue.h"

#include "timeline/settingsstore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {
const QStringList kKeys = {QStringLiteral("Text1"), QStringLiteral("Timeline1")};
constexpr int kRounds = 40;
} // namespace

class TestStoreCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLeavesWholeValues();
    void killedAfterEveryCommandLosesNothing();
};

void TestStoreCrash::killedWriterLeavesWholeValues()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("Brindlewick"));
    std::map<QString, qint64> last; // the newest sequence seen under each key
    qint64 highest = 0;
    int killedWhileWriting = 0;

    for (int round = 0; round < kRounds; ++round) {
        QProcess writer;
        writer.setProgram(QStringLiteral(LOOM_STORE_CRASH_WRITER));
        writer.setArguments({folder});
        writer.start();
        QVERIFY2(writer.waitForStarted(5000), qPrintable(writer.errorString()));
        // Rounds alternate between a kill at once, during the first writes and later.
        const int delayMs = round % 4 == 0 ? 0 : (round * 53) % 700;
        if (round % 4 != 0) {
            // The writer prints where it starts once it has read the store.
            QVERIFY2(writer.waitForReadyRead(10000),
                     qPrintable(QStringLiteral("round %1: the writer did not start; %2")
                                    .arg(round)
                                    .arg(QString::fromLocal8Bit(writer.readAllStandardError()))));
            bool ok = false;
            const qint64 start = writer.readLine().trimmed().toLongLong(&ok);
            QVERIFY(ok);
            QCOMPARE(start, highest);
        }
        QTest::qWait(delayMs);
        QVERIFY2(writer.state() == QProcess::Running,
                 qPrintable(QStringLiteral("round %1: the writer stopped by itself: %2")
                                .arg(round)
                                .arg(QString::fromLocal8Bit(writer.readAllStandardError()))));
        writer.kill(); // SIGKILL
        QVERIFY(writer.waitForFinished(5000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        editor::QSettingsStore store(folder);
        qint64 texts[2] = {0, 0};
        for (int k = 0; k < kKeys.size(); ++k) {
            const QString& key = kKeys[k];
            const QString value = store.read(key, QString());
            if (value.isEmpty()) {
                QVERIFY2(last[key] == 0,
                         qPrintable(QStringLiteral("round %1: %2 was lost").arg(round).arg(key)));
                continue;
            }
            const auto sequence = storecrash::checkValue(key, value);
            QVERIFY2(sequence, qPrintable(QStringLiteral("round %1: %2 holds a damaged value of "
                                                         "%3 characters")
                                              .arg(round)
                                              .arg(key)
                                              .arg(value.size())));
            QVERIFY2(*sequence >= last[key],
                     qPrintable(QStringLiteral("round %1: %2 went back").arg(round).arg(key)));
            last[key] = *sequence;
            texts[k] = *sequence;
            highest = std::max(highest, *sequence);
        }
        // The title is written first in every pass, so the list is never ahead of it. It
        // can fall further behind: a writer resumes after the title's number, and each
        // kill between the two writes leaves the list one more pass behind.
        QVERIFY2(texts[1] <= texts[0],
                 qPrintable(QStringLiteral("round %1: list %2 ahead of title %3")
                                .arg(round)
                                .arg(texts[1])
                                .arg(texts[0])));
        killedWhileWriting += texts[0] != texts[1] ? 1 : 0;
    }
    QVERIFY2(highest > kRounds / 2, "the writers made almost no progress");

    // The program's own store still reads and writes after all the kills.
    {
        editor::QSettingsStore store(folder);
        store.write(QStringLiteral("Text1"), QStringLiteral("after the crashes"));
    }
    editor::QSettingsStore store(folder);
    QCOMPARE(store.read(QStringLiteral("Text1"), QString()), QStringLiteral("after the crashes"));
    QVERIFY(storecrash::checkValue(QStringLiteral("Timeline1"),
                                   store.read(QStringLiteral("Timeline1"), QString())));

    const QStringList leftovers =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    qInfo("store crash: %d kills, highest sequence %lld, %d kills between the two keys' "
          "writes, files in the store folder: %s",
          kRounds, static_cast<long long>(highest), killedWhileWriting,
          qPrintable(leftovers.join(QLatin1Char(' '))));
}

void TestStoreCrash::killedAfterEveryCommandLosesNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("Brindlewick"));
    QByteArray last = "empty";
    constexpr int kSteps = 12;
    for (int step = 0; step < kSteps; ++step) {
        QProcess runner;
        runner.setProgram(QStringLiteral(LOOM_COMMAND_CRASH_RUNNER));
        runner.setArguments({folder, QString::number(step)});
        runner.start();
        QVERIFY2(runner.waitForStarted(5000), qPrintable(runner.errorString()));
        QByteArray shown[2];
        for (QByteArray& line : shown) {
            while (!runner.canReadLine() && runner.waitForReadyRead(10000)) {
            }
            line = runner.readLine().trimmed();
        }
        QVERIFY2(shown[1].startsWith("done "),
                 qPrintable(QStringLiteral("step %1: %2 %3")
                                .arg(step)
                                .arg(QString::fromUtf8(shown[1]),
                                     QString::fromLocal8Bit(runner.readAllStandardError()))));
        // Each start shows what the run before was killed with.
        if (step > 0)
            QCOMPARE(shown[0], QByteArray("start " + last));
        last = shown[1].mid(5);
        runner.kill(); // SIGKILL, right after the command
        QVERIFY(runner.waitForFinished(5000));
        QCOMPARE(runner.exitStatus(), QProcess::CrashExit);

        editor::QSettingsStore store(folder);
        const QString stored = store.read(QStringLiteral("Text1"), QString()) + QLatin1Char('\n') +
                               store.read(QStringLiteral("Timeline1"), QString());
        QCOMPARE(QCryptographicHash::hash(stored.toUtf8(), QCryptographicHash::Sha1).toHex(), last);
    }
}

QTEST_GUILESS_MAIN(TestStoreCrash)
#include "tst_storecrash.moc"
