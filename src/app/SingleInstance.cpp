#include "SingleInstance.h"

#include "phrasebook/StoreFiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QThread>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace jk {

namespace {

QString lockPath(const QString& storePath) {
    const QFileInfo info(storePath);
    QDir().mkpath(info.absolutePath());
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".running");
}

// The socket's folder: one that only this user can make things in, so that nobody else can
// listen under its name first. Empty where there is none: the answer's sender is checked.
QString socketFolder() {
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && storefiles::isOwnFolder(runtime, true))
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/jeerkit-%1").arg(::geteuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (storefiles::isOwnFolder(own, true))
        return own;
    std::fprintf(stderr, "Jeerkit: %s is not a folder of this user's alone; not used.\n",
                 qPrintable(own));
#endif
    return {};
}

// Another user listening under the name is neither told anything nor believed.
bool ownUsersProgram(const QLocalSocket& socket) {
#ifdef Q_OS_LINUX
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) ==
               0 &&
           peer.uid == ::geteuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}

QString serverName(const QString& storePath) {
    const QString name = QStringLiteral("jeerkit-") +
                         QString::fromLatin1(QCryptographicHash::hash(
                                                 QFileInfo(storePath).absoluteFilePath().toUtf8(),
                                                 QCryptographicHash::Sha1)
                                                 .toHex()
                                                 .left(16));
    const QString folder = socketFolder();
    return folder.isEmpty() ? name : folder + u'/' + name;
}

// How long a start waits for a program that holds the lock to answer: one that is starting
// right now listens a moment later.
constexpr int PatienceMs = 5000;

} // namespace

SingleInstance::SingleInstance(const QString& storePath, QObject* parent)
    : QObject(parent)
    , serverName_(serverName(storePath))
    , lockPath_(lockPath(storePath))
    , lock_(lockPath_) {
    // Only a lock whose program has gone counts as stale, however long it has been held.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningToShow() const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(2000))
        return false;
    if (!ownUsersProgram(socket)) {
        std::fprintf(stderr, "Jeerkit: another user listens at %s; it is not asked anything.\n",
                     qPrintable(socket.fullServerName()));
        return false;
    }
    socket.write("show\n");
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    return true;
}

SingleInstance::Start SingleInstance::shown() {
    std::fprintf(stderr, "Jeerkit is already running with these text sets: it was asked to come "
                         "to the front.\n");
    return Start::Shown;
}

SingleInstance::Start SingleInstance::claim() {
    const QDeadlineTimer patience(PatienceMs);
    for (;;) {
        const QFileInfo found(lockPath_);
        if (found.isSymLink() || (found.exists() && !found.isFile())) {
            // Nothing this program made: a folder, a link, a pipe. Reading it could hang.
            if (QFile::remove(lockPath_) || QDir().rmdir(lockPath_))
                continue;
            if (askRunningToShow())
                return shown();
            std::fprintf(stderr,
                         "Jeerkit: %s is in the way of the lock that keeps a second Jeerkit "
                         "off the same text sets; running without it.\n",
                         qPrintable(lockPath_));
            listen();
            return Start::Run;
        }
        if (lock_.tryLock(0) || lock_.error() != QLockFile::LockFailedError) {
            // Locked, or the lock cannot be made at all (a read-only folder): run either way.
            listen();
            return Start::Run;
        }
        if (askRunningToShow())
            return shown();
        // Succeeds only where no live program holds the lock, whatever host or process it
        // names: one left by a crash, here or on another machine sharing this home.
        if (lock_.removeStaleLockFile())
            continue;
        if (patience.hasExpired())
            break;
        QThread::msleep(100);
    }
    qint64 pid = 0;
    QString host;
    QString application;
    lock_.getLockInfo(&pid, &host, &application);
    const QString why =
        QStringLiteral("Jeerkit is already running with these text sets (process %1 on %2) but "
                       "does not answer. End it, then start Jeerkit again.")
            .arg(pid)
            .arg(host);
    std::fprintf(stderr, "%s\n", qPrintable(why));
    QMessageBox::warning(nullptr, QStringLiteral("Jeerkit"), why);
    return Start::Refused;
}

void SingleInstance::listen() {
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
    if (!server_->listen(serverName_))
        std::fprintf(stderr,
                     "Jeerkit: cannot listen at %s (%s); a second start will not find this "
                     "one.\n",
                     qPrintable(serverName_), qPrintable(server_->errorString()));
}

} // namespace jk
