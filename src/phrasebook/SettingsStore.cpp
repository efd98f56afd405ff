#include "phrasebook/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace jk {

Q_LOGGING_CATEGORY(lcStore, "jk.store", QtWarningMsg)

namespace {

QString settingsKey(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

// QSettings tells only that a sync failed; find out why by trying what it tried.
QString diagnoseWriteFailure(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("the path is a folder, not a file");
    const QDir dir = info.absoluteDir();
    if (!dir.exists())
        return QStringLiteral("the folder %1 could not be created").arg(dir.path());
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return probe.errorString();
    probe.cancelWriting();
    probe.commit();
    return QStringLiteral("the file could not be written (is the disk full?)");
}

// On Windows the store is the per-user registry branch of the classic SaveSetting/GetSetting
// functions, so that a phrase book kept there by earlier programs is found.
constexpr QLatin1StringView
    RegistryBranch("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Jeerkit");

bool isRegistryPath(const QString& path) {
    return path.startsWith(QLatin1StringView("HKEY_"));
}

std::unique_ptr<QSettings> openIni(const QString& path) {
    if (isRegistryPath(path))
        return std::make_unique<QSettings>(path, QSettings::NativeFormat);
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    // A crash or power loss in the middle of a save must leave the old file or the new one.
    settings->setAtomicSyncRequired(true);
    return settings;
}

// QSettings holds "<file>.lock" while it saves. A program killed between creating that lock
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

} // namespace

SettingsStore::SettingsStore(const QString& iniPath)
    : path_(iniPath)
    , settings_(openIni(iniPath)) {
    const QFileInfo info(path_);
    if (isRegistryPath(path_)) {
        if (settings_->status() != QSettings::NoError)
            loadProblem_ = QStringLiteral("%1 cannot be read.").arg(path_);
    } else if (info.isDir()) {
        loadProblem_ = QStringLiteral("%1 is a folder, not a settings file.").arg(path_);
    } else if (info.exists() && !info.isReadable()) {
        loadProblem_ = QStringLiteral("%1 cannot be read.").arg(path_);
    } else if (settings_->status() == QSettings::FormatError) {
        // The next save rewrites the file from what could be read: keep the original.
        const QString copy =
            path_ + QStringLiteral(".damaged-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (QFile::copy(path_, copy))
            loadProblem_ = QStringLiteral("%1 is damaged. Jeerkit uses what it could read and "
                                          "the defaults; the damaged file was kept as %2.")
                               .arg(path_, copy);
        else
            loadProblem_ = QStringLiteral("%1 is damaged. Jeerkit uses what it could read and "
                                          "the defaults.")
                               .arg(path_);
        renew();
    }
    if (!loadProblem_.isEmpty())
        qCWarning(lcStore).noquote() << loadProblem_;
}

SettingsStore::~SettingsStore() = default;

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
    const QVariant value = settings_->value(settingsKey(section, key));
    if (!value.isValid())
        return def;
    // A hand-edited value with unquoted commas comes back as a list; keep what was written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    if (value.canConvert<QString>())
        return value.toString();
    return def;
}

bool SettingsStore::contains(const QString& section, const QString& key) const {
    return settings_->contains(settingsKey(section, key));
}

void SettingsStore::write(const QString& section, const QString& key, const QString& value) {
    settings_->setValue(settingsKey(section, key), value);
}

StoreResult SettingsStore::flush() {
    if (!isRegistryPath(path_))
        removeOwnerlessLock(path_);
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
        return {true, path_, {}};
    // The error may be an old one; try once more with a clean slate before reporting.
    renew();
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
        return {true, path_, {}};
    const QString reason = isRegistryPath(path_) ? QStringLiteral("the registry refused the values")
                                                 : diagnoseWriteFailure(path_);
    qCWarning(lcStore).noquote() << "Could not save" << path_ << "-" << reason;
    renew(); // keep every value for the next attempt
    return {false, path_, reason};
}

void SettingsStore::renew() {
    auto fresh = openIni(path_);
    const QStringList keys = settings_->allKeys();
    for (const QString& key : keys)
        fresh->setValue(key, settings_->value(key));
    settings_ = std::move(fresh);
}

} // namespace jk
