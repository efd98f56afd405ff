#include "phrasebook/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>

namespace jk {

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

} // namespace

SettingsStore::SettingsStore(const QString& iniPath)
    : path_(iniPath)
    , settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {
    // A crash or power loss in the middle of a save must leave the old file or the new one.
    settings_->setAtomicSyncRequired(true);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::defaultPath() {
    const QSettings probe(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Jeerkit"),
                          QStringLiteral("Jeerkit"));
    return probe.fileName();
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
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
        return {true, path_, {}};
    return {false, path_, diagnoseWriteFailure(path_)};
}

QString SettingsStore::loadProblem() const {
    const QFileInfo info(path_);
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a settings file").arg(path_);
    if (settings_->status() == QSettings::FormatError)
        return QStringLiteral("%1 is not a readable settings file").arg(path_);
    if (info.exists() && !info.isReadable())
        return QStringLiteral("%1 cannot be read").arg(path_);
    return {};
}

} // namespace jk
