#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace app {

// One studio per settings folder: two writing the same store would overwrite each other's
// edits. The first start locks a file in the folder and listens on a local socket named
// after it; a later start hands its request to that one over the socket and exits.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim
    {
        First,      // no other studio runs on the folder; this one holds it now
        HandedOver, // the running studio took the request; this one ends
        TakenOver,  // one holds the folder but does not answer; this one holds it now
    };

    explicit SingleInstance(QString folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // A lock whose process has died is taken at once; a live holder gets `answerMs` to
    // answer before this one takes the folder from it. A holder that answers is handed
    // `file` to open too, when one is given.
    Claim claim(int answerMs = 3000, const QString& file = QString());

    // False once another start has taken the folder from this one (it did not answer):
    // from then on this one must not write the store.
    bool holds() const;

    // The socket's name for a folder: the same for every process of the user.
    static QString serverName(const QString& folder);
    // What a later start sends the holder: come to the front, then open `file` if any.
    static QByteArray request(const QString& file);

signals:
    // Another start asked this studio to come to the front.
    void activationRequested();
    // Another start asked this studio to open a file (after coming to the front).
    void openRequested(const QString& path);

private:
    void lock();
    void listen();
    void answer(class QLocalSocket* socket);

    QString mFolder;
    QLockFile mLock;
    QLocalServer mServer;
    // The lock file this one made; a start that takes over makes a new one.
    quint64 mLockDevice = 0;
    quint64 mLockInode = 0;
};

} // namespace app
