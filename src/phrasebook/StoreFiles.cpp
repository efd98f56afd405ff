#include "phrasebook/StoreFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <filesystem>
#include <system_error>
#endif

namespace jk::storefiles {

namespace {

// Names tried before giving up on a folder where every one is taken.
constexpr int MaxNumbered = 100;

QString numbered(const QString& name, int n) {
    if (n == 1)
        return name;
    const qsizetype end = name.endsWith(QLatin1StringView(".ini")) ? name.size() - 4 : name.size();
    return name.left(end) + QStringLiteral("-%1").arg(n) + name.mid(end);
}

QString now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

#ifdef Q_OS_UNIX
QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return ::fsync(fd) == 0;
}

// A new name must survive a power loss as well as the new contents.
void syncFolder(const QString& file) {
    const int dir = ::open(native(QFileInfo(file).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
#endif

// Where rescue files go, best first: folders of the player's own, which a next start looks in.
QStringList rescueFolders(const QString& storePath) {
    QStringList folders{QFileInfo(storePath).absolutePath()};
#ifdef Q_OS_UNIX
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    folders << (state.startsWith(u'/') ? state
                                       : QDir::homePath() + QStringLiteral("/.local/state")) +
                   QStringLiteral("/Jeerkit");
#endif
    folders << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/Jeerkit");
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty())
        folders << runtime;
    return folders;
}

const QString RescuePattern = QStringLiteral("Jeerkit-rescued-*.ini");
const QString TempFolderPrefix = QStringLiteral("jeerkit-rescue-");

} // namespace

Target resolve(const QString& path) {
#ifdef Q_OS_UNIX
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(native(current).constData(), &st) != 0)
            return {current, Target::Missing}; // the save finds out why, and says so
        if (!S_ISLNK(st.st_mode))
            return {current, S_ISREG(st.st_mode)   ? Target::Regular
                             : S_ISDIR(st.st_mode) ? Target::Folder
                                                   : Target::Other};
        char link[PATH_MAX];
        const ssize_t size = ::readlink(native(current).constData(), link, sizeof link);
        if (size <= 0 || size >= ssize_t(sizeof link))
            return {current, Target::Other};
        current = QDir::cleanPath(QFileInfo(current).absoluteDir().absoluteFilePath(
            QFile::decodeName(QByteArray(link, size))));
    }
    return {current, Target::Other};
#else
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    const QFileInfo resolved(target);
    if (!resolved.exists())
        return {target, Target::Missing};
    return {target, resolved.isDir()    ? Target::Folder
                    : resolved.isFile() ? Target::Regular
                                        : Target::Other};
#endif
}

QString sideName(const QString& path, const QString& kind) {
    return path + u'.' + kind + u'-' + now();
}

QString createNew(const QString& name, const QByteArray& bytes, QString* error) {
    QString why = QStringLiteral("every name is taken");
    for (int n = 1; n <= MaxNumbered; ++n) {
        const QString candidate = numbered(name, n);
#ifdef Q_OS_UNIX
        const int fd = ::open(native(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        why = errnoText();
        if (fd < 0)
            break;
        const bool written = writeAll(fd, bytes);
        why = errnoText();
        ::close(fd);
        if (written) {
            syncFolder(candidate);
            return candidate;
        }
        ::unlink(native(candidate).constData());
        break;
#else
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                      QFile::ReadOwner | QFile::WriteOwner)) {
            if (file.write(bytes) == bytes.size() && file.flush())
                return candidate;
            why = file.errorString();
            file.remove();
            break;
        }
        why = file.errorString();
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            break;
#endif
    }
    if (error)
        *error = why;
    return {};
}

QString moveAside(const QString& path, const QString& kind) {
    const QString base = sideName(path, kind);
    for (int n = 1; n <= MaxNumbered; ++n) {
        const QString candidate = numbered(base, n);
#ifdef Q_OS_LINUX
        // A rename that replaces nothing; it needs no right to read the file, only the folder.
        if (::renameat2(AT_FDCWD, native(path).constData(), AT_FDCWD, native(candidate).constData(),
                        RENAME_NOREPLACE) == 0)
            return candidate;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL) // EINVAL: a file system that cannot; a hard link is as careful
            return {};
#endif
#ifdef Q_OS_UNIX
        if (::link(native(path).constData(), native(candidate).constData()) == 0) {
            ::unlink(native(path).constData());
            return candidate;
        }
        if (errno != EEXIST)
            return {};
#else
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return QFile::rename(path, candidate) ? candidate : QString();
#endif
    }
    return {};
}

QString replaceWith(const QString& target, const QByteArray& bytes) {
    // A leftover of a killed save, or a link someone put at that name: the link goes, never
    // what it points to. A folder there stays, and the next name is taken.
    const QString tempName = target + QStringLiteral(".saving");
    QFile::remove(tempName);
    QString error;
    const QString temp = createNew(tempName, bytes, &error);
    if (temp.isEmpty())
        return QStringLiteral("the new file could not be written completely (%1); %2 KB are "
                              "free on the disk")
            .arg(error)
            .arg(QStorageInfo(QFileInfo(target).absolutePath()).bytesAvailable() / 1024);
#ifdef Q_OS_UNIX
    struct stat old {};
    if (::stat(native(target).constData(), &old) == 0) // the player's choice of who may read
        ::chmod(native(temp).constData(), old.st_mode & 07777);
    if (::rename(native(temp).constData(), native(target).constData()) != 0) {
        error = errnoText();
        QFile::remove(temp);
        return error;
    }
    syncFolder(target);
#else
    std::error_code failed;
    std::filesystem::rename(temp.toStdWString(), target.toStdWString(), failed);
    if (failed) {
        QFile::remove(temp);
        return QString::fromStdString(failed.message());
    }
#endif
    return {};
}

bool isOwnFolder(const QString& path, bool strict) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid() || (st.st_mode & (strict ? 077 : 022)) != 0)
        return false;
    // Nor can anyone else move it away and put something in its place: every folder above is
    // the player's or root's, and writable by others only where they may not rename (sticky).
    for (QDir up(QFileInfo(path).absoluteFilePath()); up.cdUp();) {
        if (::stat(native(up.absolutePath()).constData(), &st) != 0 ||
            (st.st_uid != 0 && st.st_uid != ::geteuid()) ||
            ((st.st_mode & 022) != 0 && (st.st_mode & S_ISVTX) == 0))
            return false;
    }
    return true;
#else
    Q_UNUSED(strict);
    return QFileInfo(path).isDir() && !QFileInfo(path).isSymLink();
#endif
}

QString writeRescue(const QString& storePath, const QByteArray& bytes, QString* error) {
    const QString name = QStringLiteral("Jeerkit-rescued-%1.ini").arg(now());
    const QString runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    for (const QString& folder : rescueFolders(storePath)) {
        // The session's own folder must already be there, and be the player's alone.
        const bool runtime = folder == runtimeFolder;
        if (!runtime)
            QDir().mkpath(folder);
        if (!isOwnFolder(folder, runtime))
            continue;
        if (const QString made = createNew(folder + u'/' + name, bytes, error); !made.isEmpty())
            return made;
    }
    // The shared temporary folder only inside a folder of its own, with a name nobody can guess.
    QTemporaryDir own(QDir::tempPath() + u'/' + TempFolderPrefix + QStringLiteral("XXXXXX"));
    if (!own.isValid()) {
        if (error)
            *error = own.errorString();
        return {};
    }
    const QString made = createNew(own.filePath(name), bytes, error);
    own.setAutoRemove(made.isEmpty());
    return made;
}

QStringList rescueFiles(const QString& storePath) {
    QStringList folders = rescueFolders(storePath);
    const QDir temp = QDir::temp();
    for (const QString& own : temp.entryList({TempFolderPrefix + u'*'}, QDir::Dirs | QDir::Hidden))
        folders << temp.filePath(own);
    QStringList found;
    for (const QString& folder : folders) {
        if (!isOwnFolder(folder))
            continue;
        for (const QFileInfo& file : QDir(folder).entryInfoList({RescuePattern}, QDir::Files))
            if (!file.isSymLink() && !found.contains(file.absoluteFilePath()))
                found << file.absoluteFilePath();
    }
    return found;
}

} // namespace jk::storefiles
