#pragma once

#include <QLoggingCategory>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

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
    // The path is something other than a regular file (a device, a pipe): it is never written,
    // and the player was told so once, at start-up.
    bool refused = false;
    // The store would be larger than the next start reads: nothing was written.
    bool tooLarge = false;
};

// The per-user settings store: sections of string keys and string values in an INI file, or,
// for a path starting with "HKEY_", in that registry branch (Windows). Values live in memory and
// reach the disk on flush(), which writes a new file beside the old one, checks that it is complete
// and only then puts it in place: the file on disk is always the old store or the whole new one.
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
    void write(const QString& section, const QString& key, const QString& value);
    // A list of names: a stored list, or a single value as a list of one; blank names are
    // dropped and the rest trimmed; a missing key is an empty list.
    QStringList readList(const QString& section, const QString& key) const;
    void writeList(const QString& section, const QString& key, const QStringList& values);

    // Writes what changed since the last save, now, on this thread. One attempt per call.
    StoreResult flush();
    // The same save as a job that may run on another thread; the values are taken now. Jobs
    // of one store run one at a time, and an older job never overwrites a newer save.
    std::function<StoreResult()> flushJob();
    // Writes all values to a new rescue file in a place of the player's alone; its path.
    StoreResult rescue() const;
    // Names the rescue files earlier runs left, for the player; empty when there are none.
    QString rescueNotice() const;

    // A larger file is not a store of Jeerkit's, and a save never writes one. A full book of
    // long phrases (720 of 23,000 characters, or of 8,000 CJK characters) takes about 17 MB.
    static constexpr qint64 MaxFileBytes = qint64(32) << 20;

    // Set when the file could not be read as a store (damaged, unreadable, not a file) or is
    // read-only; the sentences say what was kept and where changes go.
    QString loadProblem() const { return loadProblem_; }
    QString path() const { return path_; }

    using Values = QMap<QString, QVariant>;
    struct Shared;

private:
    void load();

    QString path_;
    QString loadProblem_;
    Values values_;
    quint64 revision_ = 0;
    std::shared_ptr<Shared> shared_;
};

} // namespace jk
