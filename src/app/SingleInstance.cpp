#include "SingleInstance.h"

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
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".running");
}

} // namespace

SingleInstance::SingleInstance(const QString& storePath, QObject* parent)
    : QObject(parent)
    , serverName_(QStringLiteral("jeerkit-") +
                  QString::fromLatin1(QCryptographicHash::hash(
                                          QFileInfo(storePath).absoluteFilePath().toUtf8(),
                                          QCryptographicHash::Sha1)
                                          .toHex()
                                          .left(16)))
    , lock_(lockPath(storePath)) {
    // Only a lock whose program has gone counts as stale, however long it has been held.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError)
            return true; // the lock cannot be made at all (read-only folder): do not refuse to run
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(2000)) {
            socket.write("show\n");
            socket.waitForBytesWritten(2000);
            socket.disconnectFromServer();
        }
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
