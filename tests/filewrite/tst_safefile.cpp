#include "filewrite/safefile.h"
#include "support/fulldisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Another user, who plants links; and the user files are given to.
constexpr uid_t kOtherUser = 12345;
constexpr uid_t kOrdinaryUser = 65534;

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

struct stat lstatOf(const QString& path)
{
    struct stat info = {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

bool bindSocket(const QByteArray& path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return false;
    std::copy(path.cbegin(), path.cend(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}
} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT
private slots:
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void keepsModeOwnerAndLink_data();
    void keepsModeOwnerAndLink();
    void followsLinksAsTheKernelWould_data();
    void followsLinksAsTheKernelWould();
    void fullDiskKeepsTheOldFile();
};

void TestSafeFile::refusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("throughLink");
    for (const char* kind : {"folder", "pipe", "socket", "device"}) {
        QTest::addRow("%s", kind) << kind << false;
        QTest::addRow("link to %s", kind) << kind << true;
    }
}

void TestSafeFile::refusesWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, throughLink);
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("node"));
    const QByteArray name = QFile::encodeName(node);
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(node));
    else if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(name.constData(), 0666), 0);
    else if (kind == QLatin1String("socket"))
        QVERIFY(bindSocket(name));
    else if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("only root makes a device node");
    const mode_t type = lstatOf(node).st_mode & S_IFMT;
    const QString target = throughLink ? dir.filePath(QStringLiteral("out.pdf")) : node;
    if (throughLink)
        QVERIFY(QFile::link(node, target));
    const QStringList before = entries(dir.path());

    const filewrite::WriteResult result = filewrite::replaceFile(target, "page");
    QVERIFY(!result);
    QVERIFY2(result.reason.contains(kind == QLatin1String("pipe") ? QStringLiteral("pipe") : kind),
             qPrintable(result.reason));
    QCOMPARE(lstatOf(node).st_mode & S_IFMT, type);
    if (throughLink)
        QVERIFY(S_ISLNK(lstatOf(target).st_mode));
    QCOMPARE(entries(dir.path()), before);
}

void TestSafeFile::keepsModeOwnerAndLink_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("the file") << false;
    QTest::newRow("a link to it") << true;
}

void TestSafeFile::keepsModeOwnerAndLink()
{
    QFETCH(bool, throughLink);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("elsewhere")));
    const QString file = dir.filePath(QStringLiteral("elsewhere/Text1.ini"));
    put(file, "old");
    const QByteArray name = QFile::encodeName(file);
    QCOMPARE(::chmod(name.constData(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root)
        QCOMPARE(::chown(name.constData(), kOrdinaryUser, kOrdinaryUser), 0);
    const QString target = throughLink ? dir.filePath(QStringLiteral("Text1.ini")) : file;
    if (throughLink)
        QVERIFY(QFile::link(QStringLiteral("elsewhere/Text1.ini"), target));

    QVERIFY(filewrite::replaceFile(target, "new value"));
    QCOMPARE(bytes(target), QByteArray("new value"));
    QCOMPARE(bool(S_ISLNK(lstatOf(target).st_mode)), throughLink);
    const struct stat written = lstatOf(file);
    QCOMPARE(written.st_mode & 07777, mode_t(0640));
    if (root)
        QCOMPARE(written.st_uid, kOrdinaryUser);
    QCOMPARE(entries(dir.filePath(QStringLiteral("elsewhere"))), QStringList{"Text1.ini"});
}

void TestSafeFile::followsLinksAsTheKernelWould_data()
{
    QTest::addColumn<bool>("sharedFolder");
    QTest::addColumn<bool>("othersLink");
    QTest::addColumn<bool>("followed");
    QTest::newRow("another user's link in a private folder") << false << true << true;
    QTest::newRow("own link in a shared folder") << true << false << true;
    QTest::newRow("another user's link in a shared folder") << true << true << false;
}

void TestSafeFile::followsLinksAsTheKernelWould()
{
    QFETCH(bool, sharedFolder);
    QFETCH(bool, othersLink);
    QFETCH(bool, followed);
    if (othersLink && ::geteuid() != 0)
        QSKIP("only root plants a link as another user");
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim.doc"));
    put(victim, "kept");
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("shared")));
    const QString folder = dir.filePath(QStringLiteral("shared"));
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), sharedFolder ? 01777 : 0755), 0);
    const QString link = folder + QStringLiteral("/out.doc");
    QVERIFY(QFile::link(victim, link));
    if (othersLink)
        QCOMPARE(::lchown(QFile::encodeName(link).constData(), kOtherUser, kOtherUser), 0);

    const filewrite::WriteResult result = filewrite::replaceFile(link, "written");
    QCOMPARE(bool(result), followed);
    QCOMPARE(bytes(victim), followed ? QByteArray("written") : QByteArray("kept"));
    QVERIFY(S_ISLNK(lstatOf(link).st_mode));
}

void TestSafeFile::fullDiskKeepsTheOldFile()
{
    QTemporaryDir dir;
    testsupport::FullDisk disk(dir.path());
    const QString target = dir.filePath(QStringLiteral("page.pdf"));
    put(target, "old page");
    disk.fill();
    const filewrite::WriteResult result =
        filewrite::replaceFile(target, QByteArray(256 * 1024, 'p'));
    QVERIFY(!result);
    QVERIFY2(result.error == ENOSPC || result.error == EFBIG, qPrintable(result.reason));
    QCOMPARE(bytes(target), QByteArray("old page"));
    QVERIFY(!entries(dir.path()).join(u' ').contains(QStringLiteral(".part")));
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
