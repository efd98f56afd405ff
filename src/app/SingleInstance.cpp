#include "SingleInstance.h"

#include "phrasebook/SettingsStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace jk {

namespace {

QString lockPath(const QString& storePath) {
    const QFileInfo info(storePath);
    QDir().mkpath(info.absolutePath());
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".running");
}

} // namespace

SingleInstance::SingleInstance(const QString& storePath, QObject* parent)
    : QObject(parent)
    , serverName_(QStringLiteral("jeerkit-") +
                  QString::fromLatin1(
                      QCryptographicHash::hash(QFileInfo(storePath).absoluteFilePath().toUtf8(),
                                               QCryptographicHash::Sha1)
                          .toHex()
                          .left(16)))
    , lock_(lockPath(storePath)) {
    // Only a lock whose program has gone counts as stale, however long it has been held.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningToShow() const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(2000))
        return false;
    socket.write("show\n");
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::claim() {
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError)
            return true; // the lock cannot be made at all (read-only folder): do not refuse to run
        if (askRunningToShow())
            return false;
        // Nobody answers. QLockFile cannot tell two leftovers from a live lock: one that names
        // no owner (the program was killed between creating and filling it, or the power
        // failed) and one that names this very process (its id was the owner's before a
        // restart). Either would otherwise keep Jeerkit from ever starting again.
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock_.getLockInfo(&pid, &host, &application) &&
            pid != QCoreApplication::applicationPid())
            return false; // a program that is starting right now and not listening yet
        qCInfo(lcStore) << "Removing an instance lock left by process" << pid;
        lock_.removeStaleLockFile();
        if (!lock_.tryLock(0))
            return false;
    }
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(serverName_); // left behind by a program that crashed
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().startsWith("show"))
                    emit activationRequested();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    server_->listen(serverName_);
    return true;
}

} // namespace jk
