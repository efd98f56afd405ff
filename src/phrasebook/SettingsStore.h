#pragma once

#include <QLoggingCategory>
#include <QString>

#include <memory>

class QSettings;

namespace jk {

// "jk.store": saves that fail, damaged files, locks left behind. Below warnings, off unless
// asked for: QT_LOGGING_RULES="jk.store=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)

// Outcome of writing the store to disk; a failure carries the file and the reason so that
// the windows can tell the player.
struct StoreResult {
    bool ok = true;
    QString path;
    QString reason;
};

// The per-user settings store: sections of string keys and string values in an INI file, or,
// for a path starting with "HKEY_", in that registry branch (Windows).
// Writes are collected in memory and reach the disk on flush(), which replaces the file
// atomically, so a crash in the middle of a save leaves the old file or the new one.
class SettingsStore {
public:
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // $XDG_CONFIG_HOME/Jeerkit/Jeerkit.ini; on Windows
    // HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Jeerkit.
    static QString defaultPath();

    // The stored value, or def when the key is missing. A stored empty value stays empty.
    QString read(const QString& section, const QString& key, const QString& def) const;
    // Whether the key exists at all.
    bool contains(const QString& section, const QString& key) const;
    void write(const QString& section, const QString& key, const QString& value);
    StoreResult flush();

    // Set when the file could not be read as a store (damaged, unreadable, not a file); the
    // sentence says what was kept.
    QString loadProblem() const { return loadProblem_; }
    QString path() const { return path_; }

private:
    // QSettings keeps the first error it met for the rest of its life; a fresh instance
    // holding the same values lets the next save report its own outcome.
    void renew();

    QString path_;
    QString loadProblem_;
    std::unique_ptr<QSettings> settings_;
};

} // namespace jk
