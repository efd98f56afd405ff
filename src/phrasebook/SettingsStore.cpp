#include "phrasebook/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStringDecoder>
#include <QStringList>

#include <mutex>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <filesystem>
#include <system_error>
#endif

namespace jk {

Q_LOGGING_CATEGORY(lcStore, "jk.store", QtWarningMsg)

struct SettingsStore::Shared {
    std::mutex saving; // one save of this store at a time
    quint64 savedRevision = 0;
    bool refused = false;
    QString refusal;
};

namespace {

// Far beyond any store the program writes (about 40 KB); such a file is not a store.
constexpr qint64 MaxStoreBytes = 16 * 1024 * 1024;

QString settingsKey(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

// On Windows the store is the per-user registry branch of the classic SaveSetting/GetSetting
// functions, so that a phrase book kept there by earlier programs is found.
[[maybe_unused]] constexpr QLatin1StringView
    RegistryBranch("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Jeerkit");

bool isRegistryPath(const QString& path) {
    return path.startsWith(QLatin1StringView("HKEY_"));
}

QString asideName(const QString& path) {
    return path + QStringLiteral(".damaged-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

// The file a save replaces: the store path with symbolic links followed, so that a linked
// store stays linked, and what is there.
struct Target {
    enum Kind { Missing, Regular, Folder, Other };
    QString path;
    Kind kind = Missing;
};

Target resolve(const QString& path) {
#ifdef Q_OS_UNIX
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QByteArray native = QFile::encodeName(current);
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0)
            return {current, Target::Missing}; // the save finds out why, and says so
        if (!S_ISLNK(st.st_mode))
            return {current, S_ISREG(st.st_mode)   ? Target::Regular
                             : S_ISDIR(st.st_mode) ? Target::Folder
                                                   : Target::Other};
        char link[PATH_MAX];
        const ssize_t size = ::readlink(native.constData(), link, sizeof link);
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

// A store the program wrote ends with a line break and holds only sections, keys with "=",
// and blank or comment lines. Anything else (a NUL block, a cut-off or garbled line) means
// the next save would drop what could not be read.
bool looksDamaged(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return false;
    if (bytes.contains('\0') || !(bytes.endsWith('\n') || bytes.endsWith('\r')))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes); // decode() only decodes once converted
    if (utf8.hasError())
        return true;
    const QByteArrayView all(bytes);
    for (qsizetype from = 0; from < all.size();) {
        qsizetype end = from;
        while (end < all.size() && all[end] != '\n' && all[end] != '\r')
            ++end;
        const QByteArrayView line = all.sliced(from, end - from).trimmed();
        from = end + 1;
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') ? !line.contains(']') : !line.contains('='))
            return true;
    }
    return false;
}

// QSettings writes one line per key and may report success for a file the disk had no room
// for: count what arrived.
bool holdsEveryKey(const QByteArray& bytes, qsizetype keys) {
    if (keys == 0)
        return true;
    if (!bytes.endsWith('\n'))
        return false;
    qsizetype lines = 0;
    for (qsizetype from = 0; from < bytes.size();) {
        const qsizetype end = bytes.indexOf('\n', from);
        const QByteArrayView line = QByteArrayView(bytes).sliced(from, end - from).trimmed();
        if (!line.isEmpty() && !line.startsWith('['))
            ++lines;
        from = end + 1;
    }
    return lines == keys;
}

// QSettings tells only that a sync failed; find out why by trying what it tried.
QString diagnoseWriteFailure(const QString& path) {
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return probe.errorString();
    probe.cancelWriting();
    probe.commit();
    return QStringLiteral("the file could not be written (is the disk full?)");
}

// QSettings holds "<file>.lock" while it writes. A program killed between creating that lock
// and writing its owner into it leaves an empty one, which QSettings counts as stale only
// once it is 30 s old: the next save would freeze the program until then. The store has
// one writer (one program per user), so a lock that names no owner is such a leftover.
void removeOwnerlessLock(const QString& path) {
    const QString lockPath = path + QStringLiteral(".lock");
    if (!QFileInfo::exists(lockPath))
        return;
    QLockFile lock(lockPath);
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application)) {
        qCInfo(lcStore) << "Removing" << lockPath << "which names no owner";
        lock.removeStaleLockFile();
    }
}

bool syncToDisk(QFile& file) {
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

QString replace(const QString& from, const QString& to) {
#ifdef Q_OS_UNIX
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    // The new name must survive a power loss as well as the new contents.
    const int dir = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
#else
    std::error_code error;
    std::filesystem::rename(from.toStdWString(), to.toStdWString(), error);
    return error ? QString::fromStdString(error.message()) : QString();
#endif
}

// Writes values to a file beside the target, checks it, and only then puts it in place.
StoreResult writeStore(const QString& path, const SettingsStore::Values& values) {
    const auto fail = [&path](const QString& reason) {
        return StoreResult{false, path, reason};
    };
    if (isRegistryPath(path)) {
        QSettings registry(path, QSettings::NativeFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            registry.setValue(it.key(), it.value());
        registry.sync();
        if (registry.status() != QSettings::NoError)
            return fail(QStringLiteral("the registry refused the values"));
        // Read back through a fresh handle, as the file store is: a save that the registry
        // quietly dropped is a failure, not a success.
        const QSettings check(path, QSettings::NativeFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (check.value(it.key()).toString() != it.value().toString())
                return fail(QStringLiteral("the registry did not keep %1").arg(it.key()));
        return {true, path, {}};
    }
    const Target target = resolve(path);
    if (target.kind == Target::Folder)
        return fail(QStringLiteral("the path is a folder, not a file"));
    if (target.kind == Target::Other)
        return fail(QStringLiteral("the path is not a regular file (a device or a pipe)"));
    const QString folder = QFileInfo(target.path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("the folder %1 could not be created").arg(folder));

    const QString temp = target.path + QStringLiteral(".saving");
    removeOwnerlessLock(temp);
    QFile::remove(temp); // a leftover of a killed save, or a link someone put there
    {
        QSettings ini(temp, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            ini.setValue(it.key(), it.value());
        ini.sync();
        if (ini.status() != QSettings::NoError) {
            const QString reason = diagnoseWriteFailure(temp);
            QFile::remove(temp);
            return fail(reason);
        }
    }
    QFile written(temp);
    if (!written.open(values.isEmpty() ? QIODevice::ReadWrite : QIODevice::ReadOnly))
        return fail(written.errorString());
    const bool complete = holdsEveryKey(written.readAll(), values.size()) && syncToDisk(written);
    written.close();
    if (!complete) {
        QFile::remove(temp);
        return fail(QStringLiteral("the new file could not be written completely; %1 KB are "
                                   "free on the disk")
                        .arg(QStorageInfo(folder).bytesAvailable() / 1024));
    }
    // Looked at again right before: nothing but a regular file is ever replaced.
    const Target now = resolve(path);
    if (now.path != target.path || (now.kind != Target::Regular && now.kind != Target::Missing)) {
        QFile::remove(temp);
        return fail(QStringLiteral("the path changed into something that is not a file"));
    }
    if (now.kind == Target::Regular)
        QFile::setPermissions(temp, QFile::permissions(target.path));
    if (const QString error = replace(temp, target.path); !error.isEmpty()) {
        QFile::remove(temp);
        return fail(error);
    }
    return {true, path, {}};
}

} // namespace

SettingsStore::SettingsStore(const QString& iniPath)
    : path_(iniPath)
    , shared_(std::make_shared<Shared>()) {
    load();
    if (!loadProblem_.isEmpty())
        qCWarning(lcStore).noquote() << loadProblem_;
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::load() {
    if (isRegistryPath(path_)) {
        const QSettings registry(path_, QSettings::NativeFormat);
        for (const QString& key : registry.allKeys())
            values_.insert(key, registry.value(key));
        if (registry.status() != QSettings::NoError)
            loadProblem_ = QStringLiteral("%1 cannot be read.").arg(path_);
        return;
    }
    const Target target = resolve(path_);
    const auto refuse = [this](const QString& problem) {
        loadProblem_ = problem;
        shared_->refused = true;
        shared_->refusal = QStringLiteral("the store is not a regular file and is not saved");
    };
    if (target.kind == Target::Missing)
        return;
    if (target.kind == Target::Folder) {
        loadProblem_ = QStringLiteral("%1 is a folder, not a settings file.").arg(path_);
        return;
    }
    const QString notAFile = QStringLiteral(
        "%1 is not a regular file (it is a device, a pipe or a link to one). Jeerkit runs "
        "with the defaults and will not save your changes there.");
    if (target.kind == Target::Other)
        return refuse(notAFile.arg(path_));

    QFile file;
#ifdef Q_OS_UNIX
    // Without blocking: a pipe put there since the look above must not hold up the start.
    const int fd =
        ::open(QFile::encodeName(target.path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return refuse(notAFile.arg(path_));
    }
    const bool opened = fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle);
    if (fd >= 0 && !opened)
        ::close(fd);
#else
    file.setFileName(target.path);
    const bool opened = file.open(QIODevice::ReadOnly);
#endif
    if (!opened) {
        loadProblem_ = QStringLiteral("%1 cannot be read.").arg(path_);
        return;
    }
    const QByteArray bytes = file.read(MaxStoreBytes + 1);
    file.close();
    if (bytes.size() > MaxStoreBytes) {
        const QString aside = asideName(target.path);
        if (!QFile::rename(target.path, aside))
            return refuse(QStringLiteral("%1 is larger than 16 MB, so it is not a store of "
                                         "Jeerkit's, and it could not be set aside. Jeerkit runs "
                                         "with the defaults and will not save over it.")
                              .arg(path_));
        loadProblem_ = QStringLiteral("%1 is larger than 16 MB, so it is not a store of "
                                      "Jeerkit's. It was set aside as %2; Jeerkit starts with "
                                      "the defaults.")
                           .arg(path_, aside);
        return;
    }

    const QSettings ini(target.path, QSettings::IniFormat);
    const QStringList keys = ini.allKeys();
    for (const QString& key : keys)
        if (!key.isEmpty()) // QSettings can neither read nor write a key without a name
            values_.insert(key, ini.value(key));
    if (ini.status() == QSettings::NoError && !looksDamaged(bytes))
        return;
    // The next save rewrites the file from what could be read: keep the original.
    const QString copy = asideName(path_);
    QSaveFile kept(copy);
    if (kept.open(QIODevice::WriteOnly) && kept.write(bytes) == bytes.size() && kept.commit() &&
        QFileInfo(copy).size() == bytes.size())
        loadProblem_ = QStringLiteral("%1 is damaged. Jeerkit uses what it could read and "
                                      "the defaults; the damaged file was kept as %2.")
                           .arg(path_, copy);
    else
        loadProblem_ = QStringLiteral("%1 is damaged. Jeerkit uses what it could read and "
                                      "the defaults.")
                           .arg(path_);
}

QString SettingsStore::defaultPath() {
#ifdef Q_OS_WIN
    return QString(RegistryBranch);
#else
    // Where QSettings keeps a user's INI files, without opening (and parsing) one to ask.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Jeerkit/Jeerkit.ini");
#endif
}

QString SettingsStore::read(const QString& section, const QString& key, const QString& def) const {
    const QVariant value = values_.value(settingsKey(section, key));
    if (!value.isValid())
        return def;
    // A hand-edited value with unquoted commas comes back as a list; keep what was written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    if (value.canConvert<QString>())
        return value.toString();
    return def;
}

QStringList SettingsStore::readList(const QString& section, const QString& key) const {
    const QVariant value = values_.value(settingsKey(section, key));
    const QStringList raw = value.typeId() == QMetaType::QStringList ? value.toStringList()
                            : value.canConvert<QString>()            ? QStringList{value.toString()}
                                                                     : QStringList{};
    QStringList names;
    for (const QString& name : raw) {
        if (!name.trimmed().isEmpty())
            names.append(name.trimmed());
    }
    return names;
}

void SettingsStore::writeList(const QString& section, const QString& key,
                              const QStringList& values) {
    // One name alone is written as a plain value, as a player would write it by hand; no
    // names, no key.
    const QString name = settingsKey(section, key);
    const QVariant value = values.size() == 1 ? QVariant(values.front()) : QVariant(values);
    if (values.isEmpty() ? values_.remove(name) == 0 : values_.value(name) == value)
        return; // no change: nothing to save
    if (!values.isEmpty())
        values_.insert(name, value);
    ++revision_;
}

void SettingsStore::write(const QString& section, const QString& key, const QString& value) {
    const QString name = settingsKey(section, key);
    // Rewriting what is there already is no change: nothing to save.
    const auto old = values_.find(name);
    if (old == values_.end())
        values_.insert(name, value);
    else if (old->typeId() != QMetaType::QString || old->toString() != value)
        *old = value;
    else
        return;
    ++revision_;
}

StoreResult SettingsStore::flush() {
    return flushJob()();
}

std::function<StoreResult()> SettingsStore::flushJob() {
    return [shared = shared_, path = path_, values = values_, revision = revision_] {
        const std::lock_guard<std::mutex> lock(shared->saving);
        if (shared->refused)
            return StoreResult{false, path, shared->refusal, true};
        if (revision <= shared->savedRevision)
            return StoreResult{true, path, {}};
        StoreResult result = writeStore(path, values);
        if (result.ok)
            shared->savedRevision = revision;
        else
            qCWarning(lcStore).noquote() << "Could not save" << path << "-" << result.reason;
        return result;
    };
}

StoreResult SettingsStore::writeCopy(const QString& path) const {
    return writeStore(path, values_);
}

} // namespace jk
