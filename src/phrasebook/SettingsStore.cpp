#include "phrasebook/SettingsStore.h"

#include "phrasebook/StoreFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>

#include <mutex>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

using storefiles::Target;

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

// The store as QSettings writes it, made in a folder of the program's own: no lock, link or
// leftover that anyone put beside the store can hold up or divert the save.
std::optional<QByteArray> renderIn(const QString& folder, const SettingsStore::Values& values) {
    const QTemporaryDir scratch(folder + QStringLiteral("/.jeerkit-XXXXXX"));
    const QString file = scratch.filePath(QStringLiteral("store.ini"));
    if (!scratch.isValid())
        return std::nullopt;
    QSettings ini(file, QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        ini.setValue(it.key(), it.value());
    ini.sync();
    QFile written(file);
    if (ini.status() != QSettings::NoError ||
        (!values.isEmpty() && !written.open(QIODevice::ReadOnly)))
        return std::nullopt;
    QByteArray bytes = written.readAll();
    return holdsEveryKey(bytes, values.size()) ? std::optional(bytes) : std::nullopt;
}

// The temporary folder first, then beside the file that is written (a full /tmp must not
// stop a save to a disk with room).
std::optional<QByteArray> renderIni(const SettingsStore::Values& values, const QString& beside,
                                    QString* error) {
    for (const QString& folder : {QDir::tempPath(), QFileInfo(beside).absolutePath()})
        if (std::optional<QByteArray> bytes = renderIn(folder, values))
            return bytes;
    *error = QStringLiteral("the new contents could not be prepared in %1 nor beside %2 (is "
                            "the disk full?)")
                 .arg(QDir::tempPath(), beside);
    return std::nullopt;
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
    const Target target = storefiles::resolve(path);
    if (target.kind == Target::Folder)
        return fail(QStringLiteral("the path is a folder, not a file"));
    if (target.kind == Target::Other)
        return fail(QStringLiteral("the path is not a regular file (a device or a pipe)"));
    const QString folder = QFileInfo(target.path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("the folder %1 could not be created").arg(folder));
    QString error;
    const std::optional<QByteArray> bytes = renderIni(values, target.path, &error);
    if (!bytes)
        return fail(error);
    // A store the next start would refuse is not written at all.
    if (bytes->size() > SettingsStore::MaxFileBytes) {
        StoreResult result = fail(QStringLiteral("the text sets take %1 MB, more than the %2 MB "
                                                 "a store can hold; shorten the longest phrases")
                                      .arg(bytes->size() >> 20)
                                      .arg(SettingsStore::MaxFileBytes >> 20));
        result.tooLarge = true;
        return result;
    }
    // Looked at again right before: nothing but a regular file is ever replaced.
    const Target now = storefiles::resolve(path);
    if (now.path != target.path || (now.kind != Target::Regular && now.kind != Target::Missing))
        return fail(QStringLiteral("the path changed into something that is not a file"));
    if (const QString failed = storefiles::replaceWith(target.path, *bytes); !failed.isEmpty())
        return fail(failed);
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
    const Target target = storefiles::resolve(path_);
    // Left as it is: the changes of this run go to a rescue file when the program closes.
    const auto refuse = [this](const QString& problem, const QString& why) {
        loadProblem_ = problem + QStringLiteral(" Your changes go to a rescue file when you close "
                                                "Jeerkit; the next start tells you where.");
        shared_->refused = true;
        shared_->refusal = why;
    };
    if (target.kind == Target::Missing)
        return;
    if (target.kind == Target::Folder) {
        loadProblem_ = QStringLiteral("%1 is a folder, not a settings file.").arg(path_);
        return;
    }
    const QString notAFile = QStringLiteral("%1 is not a regular file (it is a device, a pipe or a "
                                            "link to one). Jeerkit runs with the defaults.")
                                 .arg(path_);
    const QString notFileWhy = QStringLiteral("the store is not a regular file and is not saved");
    if (target.kind == Target::Other)
        return refuse(notAFile, notFileWhy);

    QFile file;
    bool writable = true;
#ifdef Q_OS_UNIX
    // Without blocking: a pipe put there since the look above must not hold up the start.
    const QByteArray native = QFile::encodeName(target.path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int openErrno = errno;
    const QString openError = QString::fromLocal8Bit(std::strerror(openErrno));
    if (fd < 0 && openErrno == ENOENT)
        return; // gone since the look above: a first start
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return refuse(notAFile, notFileWhy);
    }
    // Made read-only by the player (or owned by someone else): even root leaves it alone.
    writable = ::access(native.constData(), W_OK) == 0 && (st.st_mode & 0222) != 0;
    const bool opened = fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle);
    if (fd >= 0 && !opened)
        ::close(fd);
#else
    file.setFileName(target.path);
    const bool opened = file.open(QIODevice::ReadOnly);
    const QString openError = file.errorString();
#endif
    // Saving over a store that cannot be used would lose what it holds: it is set aside,
    // unchanged, first, and left alone where even that fails.
    const auto setAside = [&](const QString& problem, const QString& kind, const QString& why) {
        const QString aside = storefiles::moveAside(target.path, kind);
        if (aside.isEmpty())
            return refuse(problem + QStringLiteral(" It could not be set aside, so Jeerkit leaves "
                                                   "it as it is and starts with the defaults."),
                          why);
        loadProblem_ = problem + QStringLiteral(" It was set aside, unchanged, as %1; Jeerkit "
                                                "starts with the defaults.")
                                     .arg(aside);
    };
    if (!opened)
        return setAside(QStringLiteral("%1 cannot be read (%2).").arg(path_, openError),
                        QStringLiteral("unreadable"),
                        QStringLiteral("the store cannot be read and is not saved over"));
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    file.close();
    if (bytes.size() > MaxFileBytes)
        return setAside(QStringLiteral("%1 is larger than %2 MB, so it is not a store of "
                                       "Jeerkit's.")
                            .arg(path_)
                            .arg(MaxFileBytes >> 20),
                        QStringLiteral("damaged"),
                        QStringLiteral("the store is not saved over a file that is not one"));

    const QSettings ini(target.path, QSettings::IniFormat);
    const QStringList keys = ini.allKeys();
    for (const QString& key : keys)
        if (!key.isEmpty()) // QSettings can neither read nor write a key without a name
            values_.insert(key, ini.value(key));
    if (!writable)
        return refuse(QStringLiteral("%1 is read-only, so Jeerkit leaves it as it is.").arg(path_),
                      QStringLiteral("the store is read-only"));
    if (ini.status() == QSettings::NoError && !looksDamaged(bytes))
        return;
    // The next save rewrites the file from what could be read: keep the original.
    const QString damaged = QStringLiteral("%1 is damaged. Jeerkit uses what it could read and "
                                           "the defaults")
                                .arg(path_);
    const QString copy =
        storefiles::createNew(storefiles::sideName(path_, QStringLiteral("damaged")), bytes);
    loadProblem_ = copy.isEmpty()
                       ? damaged + u'.'
                       : damaged + QStringLiteral("; the damaged file was kept as %1.").arg(copy);
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

StoreResult SettingsStore::rescue() const {
    QString error;
    const std::optional<QByteArray> bytes = renderIni(values_, path_, &error);
    const QString made = bytes ? storefiles::writeRescue(path_, *bytes, &error) : QString();
    return {!made.isEmpty(), made, error};
}

QString SettingsStore::rescueNotice() const {
    const QStringList found = storefiles::rescueFiles(path_);
    if (found.isEmpty())
        return {};
    return QStringLiteral("Text sets that could not be saved to %1 were kept in:\n%2\n\nTo use "
                          "them, close Jeerkit and put one of these files in place of the store.")
        .arg(path_, found.join(u'\n'));
}

} // namespace jk
