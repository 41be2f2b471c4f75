#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>

#include <sys/stat.h>

namespace app {
namespace {
constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";
// After the request, a file to open: its absolute path in UTF-8, hex-encoded so that any
// name fits on the line. A studio of an earlier version answers the request and ignores it.
constexpr char kOpenRequest[] = "open ";
// Far above any path the system takes.
constexpr qint64 kMaxLine = 64 * 1024;

QString lockPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("Loomchart Page Studio.lock"));
}
} // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), mFolder(std::move(folder)), mLock(lockPath(mFolder))
{
    // Only a dead holder makes the lock stale, however long a studio runs.
    mLock.setStaleLockTime(0);
    connect(&mServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = mServer.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
            answer(socket);
        }
    });
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& folder)
{
    // A name, not a path: a socket's path is limited to about a hundred bytes.
    const QByteArray where = QFile::encodeName(QFileInfo(folder).absoluteFilePath());
    return QStringLiteral("loomchart-") +
           QString::fromLatin1(
               QCryptographicHash::hash(where, QCryptographicHash::Sha256).toHex().left(24));
}

QByteArray SingleInstance::request(const QString& file)
{
    QByteArray request(kRequest);
    if (!file.isEmpty())
        request += kOpenRequest + QFileInfo(file).absoluteFilePath().toUtf8().toHex() + '\n';
    return request;
}

SingleInstance::Claim SingleInstance::claim(int answerMs, const QString& file)
{
    QDir().mkpath(mFolder);
    // tryLock takes a lock left by a process that has died.
    if (mLock.tryLock(0)) {
        lock();
        return Claim::First;
    }
    QLocalSocket socket;
    socket.connectToServer(serverName(mFolder));
    if (socket.waitForConnected(answerMs)) {
        socket.write(request(file));
        socket.waitForBytesWritten(answerMs);
        while (socket.bytesAvailable() < qint64(sizeof kAnswer - 1) &&
               socket.waitForReadyRead(answerMs)) {
        }
        if (socket.readAll().startsWith(kAnswer))
            return Claim::HandedOver;
    }
    // The holder hangs: its lock and socket become this one's, so later starts come here.
    QFile::remove(lockPath(mFolder));
    mLock.tryLock(0);
    lock();
    return Claim::TakenOver;
}

bool SingleInstance::holds() const
{
    struct stat now = {};
    // Gone: the one this took over from has ended and removed it on its way out.
    if (::stat(QFile::encodeName(lockPath(mFolder)).constData(), &now) != 0)
        return true;
    return quint64(now.st_dev) == mLockDevice && quint64(now.st_ino) == mLockInode;
}

void SingleInstance::lock()
{
    struct stat made = {};
    if (::stat(QFile::encodeName(lockPath(mFolder)).constData(), &made) == 0) {
        mLockDevice = made.st_dev;
        mLockInode = made.st_ino;
    }
    listen();
}

void SingleInstance::listen()
{
    mServer.setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a studio that died would stop the listen.
    QLocalServer::removeServer(serverName(mFolder));
    mServer.listen(serverName(mFolder));
}

void SingleInstance::answer(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxLine);
        if (line == kRequest) {
            socket->write(kAnswer);
            socket->flush();
            emit activationRequested();
        } else if (line.startsWith(kOpenRequest) && line.endsWith('\n')) {
            const QByteArray hex = line.sliced(qsizetype(sizeof kOpenRequest - 1)).chopped(1);
            const QString path = QString::fromUtf8(QByteArray::fromHex(hex));
            if (!path.isEmpty())
                emit openRequested(path);
        }
    }
}

} // namespace app
