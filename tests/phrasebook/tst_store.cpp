// The store: values and text sets as the file holds them, damaged files, and saves that
// cannot be made.
#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/StoredValue.h"
#include "phrasebook/TextSetStore.h"
#include "support/AsNobody.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QScopeGuard>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <tuple>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace jk;

namespace {

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Another user's links to the player's file, and a folder, at the names a side file takes in
// the coming seconds: prefix + time + suffix, and the same numbered -2 and -3.
bool plantAt(const QString& prefix, const QString& suffix, const QString& victim) {
    const QDateTime now = QDateTime::currentDateTime();
    return test::asNobody([&] {
        for (int s = -1; s < 6; ++s) {
            const QString name = prefix + now.addSecs(s).toString("yyyyMMdd-HHmmss");
            if (!QFile::link(victim, name + suffix) || !QDir().mkdir(name + "-2" + suffix) ||
                !QFile::link(victim, name + "-3" + suffix))
                return false;
        }
        return true;
    });
}

bool setMode(const QString& path, int mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

template <typename T>
QString shown(const std::optional<T>& v) {
    return v ? QString::number(double(*v), 'g', 10) : QStringLiteral("missing");
}

// Rows of one kind, each "text -> value".
void valueRows(const char* kind, std::initializer_list<const char*> rows) {
    for (const QString row : rows) {
        const QString text = row.section(" -> ", 0, 0);
        QTest::addRow("%s \"%s\"", kind, qPrintable(text))
            << QString(kind) << text << row.section(" -> ", 1);
    }
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> dir; // a fresh folder for every row
    QString path;                     // the store file in it
private slots:
    void init() {
        dir.emplace();
        path = dir->filePath("Jeerkit.ini");
    }

    // How a stored text reads as a style, a 16-bit number, a Boolean or a position.
    void storedValue_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        valueRows("style", {" \t 3 -> 3", "3x -> 3", " -> 0", "2.5 -> 2", ".6 -> 1", "1e1 -> 10",
                            "1 2 -> 1", "40000 -> missing"});
        valueRows("int16", {"  17  -> 17", "0.5 -> 0", "1x -> missing", "32767 -> 32767",
                            "32768 -> missing", "nan -> missing"});
        valueRows("boolean", {"True -> 1", "false -> 0", "-1 -> 1", "yes -> missing"});
        valueRows("single",
                  {"1234.5 -> 1234.5", "9000000 -> 9000000", "left -> missing", "1e60 -> missing"});
    }

    void storedValue() {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, value);
        const QString got = kind == u"style"     ? shown(stored::parseStyle(text))
                            : kind == u"int16"   ? shown(stored::parseInt16(text))
                            : kind == u"boolean" ? shown(stored::parseBoolean(text))
                                                 : shown(stored::parseSingle(text));
        QCOMPARE(got, value);
    }

    // One key as stored, and the field of set 2 entry 3 it gives after loading the set.
    void load_data() {
        QTest::addColumn<QByteArray>("stored"); // the store file
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const auto row = [](const char* name, const char* stored, const char* field,
                            const char* value) {
            QTest::newRow(name) << QByteArray(stored) << QString(field) << QString(value);
        };
        row("text", "[TextSet2]\nText--3=Stored\n", "Long", "Stored");
        row("label falls back on the text", "[TextSet2]\nText--3=Stored\n", "Short", "Stored");
        row("hand-written commas", "[TextSet2]\nText--3=Hail, friend, well met\n", "Long",
            "Hail, friend, well met");
        row("empty text kept", "[TextSet2]\nText--3=\n", "Long", "");
        row("empty name kept", "[Settings]\nTextSet2=\n", "Name", "");
        row("style out of range kept", "[TextSet2]\nStyle-3=7\n", "Style", "7");
        row("style overflow is the default", "[TextSet2]\nStyle-3=99999\n", "Style", "0");
        row("Enter off", "[TextSet2]\nEnter-3=0\n", "Enter", "0");
        row("Enter not a number is the default", "[TextSet2]\nEnter-3=x\n", "Enter", "1");
    }

    void load() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, field);
        QFETCH(QString, value);
        put(path, stored);
        PhraseBook b;
        LoadBuiltIns(b);
        LoadTextSet(b, SettingsStore(path), 2);
        const QString got = field == u"Long"    ? b.EntryLong[1][3]
                            : field == u"Short" ? b.EntryShort[1][3]
                            : field == u"Name"  ? b.SetName[1]
                            : field == u"Style" ? QString::number(b.EntryStyle[1][3])
                                                : QString::number(b.EntryEnter[1][3]);
        QCOMPARE(got, value);
    }

    // Every field comes back as saved, and under the key names that earlier files use.
    void saveWritesEveryFieldUnderItsName() {
        PhraseBook book;
        LoadBuiltIns(book);
        // Values QSettings escapes or quotes, and a hand-edited store could hold.
        QStringList hostile = {"a, b,c",        "say \"hi\"", "C:\\path\\n",
                               "@Variant(abc)", "@at",        "#a=b; c",
                               "  pad  ",       "[S]\ntwo",   ""};
        hostile += {QString::fromUtf8("Grüße, 日本, 🙂"), QString(10000, u'x') + "=;,\""};
        constexpr int s = 6;
        book.SetName[s] = "Seven";
        book.Prefix = "@Thou";
        for (int v = 0; v < VarCount; ++v)
            book.Vars[v] = hostile[v];
        for (int e = 0; e < EntryCount; ++e) {
            book.EntryLong[s][e] = hostile[e % hostile.size()] + QString::number(e);
            book.EntryShort[s][e] = hostile[(e + 3) % hostile.size()];
            book.EntryStyle[s][e] = qint16(e % 7 - 1);
            book.EntryEnter[s][e] = qint16(e % 3);
        }
        {
            SettingsStore store(path);
            SaveTextSet(book, store, 7);
            QVERIFY(store.flush().ok);
        }
        PhraseBook again;
        LoadBuiltIns(again);
        LoadTextSet(again, SettingsStore(path), 7);
        const auto fields = [](const PhraseBook& b) {
            return std::tie(b.SetName[s], b.Prefix, b.Vars, b.EntryLong[s], b.EntryShort[s],
                            b.EntryStyle[s], b.EntryEnter[s]);
        };
        QVERIFY(fields(again) == fields(book));

        // Key names as earlier files have them (the loading rows read them), numbers as they wrote.
        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.allKeys().size(), 8 + 4 * EntryCount);
        QCOMPARE(ini.value("TextSet7/Style-4").toString(), QString(" 3"));
        // A position goes out with enough digits to come back exactly.
        for (float f : {0.1f, 1234.5f, -7.25f, 3.4e30f, 1e-20f})
            QCOMPARE(stored::parseSingle(stored::formatSingle(f)).value(), f);
    }

    // A save that cannot be written says why; once the player has cleared the way, the very next
    // save (Retry) goes through with every value.
    void unwritableThenRetry_data() {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("folder at the store path") << "Jeerkit/Jeerkit.ini";
        QTest::newRow("file in place of the folder") << "Jeerkit";
    }

    void unwritableThenRetry() {
        QFETCH(QString, blocker);
        path = dir->filePath("Jeerkit/Jeerkit.ini");
        if (blocker == "Jeerkit")
            put(dir->filePath(blocker), "blocker");
        else
            QVERIFY(QDir().mkpath(path));
        SettingsStore store(path);
        QVERIFY(!store.loadProblem().isEmpty() || blocker == "Jeerkit");
        store.write("Settings", "Var1", "new");
        const StoreResult failed = store.flush();
        QVERIFY(!failed.ok);
        QCOMPARE(failed.path, path);
        QVERIFY2(!failed.reason.isEmpty(), "a failure must say why");
        QVERIFY(QFile::remove(dir->filePath(blocker)) ||
                QDir(dir->filePath(blocker)).removeRecursively());
        QVERIFY(store.flush().ok);
        QCOMPARE(SettingsStore(path).read("Settings", "Var1", ""), QString("new"));
    }

    // The damaged file is kept beside the store, whole, in a new file of the player's alone,
    // whatever another user put at the copy's names (when the folder lets others write).
    void damagedFileIsKeptAndReplaced_data() {
        QTest::addColumn<QByteArray>("damage"); // empty: a file past the size bound, set aside
        QTest::newRow("missing ]") << QByteArray("[TextSet1\nText--0=x\n");
        QTest::newRow("invalid UTF-8") << QByteArray("[TextSet1]\nText--0=\xff\xfe\n");
        QTest::newRow("line without =") << QByteArray("[TextSet1]\nText--0=x\nhalf a line\n");
        QTest::newRow("NUL block") << QByteArray(300, '\0') + "\n[TextSet1]\nText--0=x\n";
        QTest::newRow("torn last line") << QByteArray("[TextSet1]\nText--0=x\nText--1=cut sh");
        QTest::newRow("past the size bound") << QByteArray();
    }

    void damagedFileIsKeptAndReplaced() {
        QFETCH(QByteArray, damage);
        const QByteArray damaged = "[Settings]\nPrefix=Thee\n" + damage;
        const QString victim = dir->filePath("important-notes.txt");
        put(victim, "notes");
        if (test::nobody()) {
            QVERIFY(setMode(dir->path(), 01777));
            QVERIFY(plantAt(path + ".damaged-", "", victim));
        }
        QFile big(path);
        if (damage.isEmpty())
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(SettingsStore::MaxFileBytes + 1));
        else
            put(path, damaged);

        SettingsStore store(path);
        if (!damage.isEmpty()) // what could be read
            QCOMPARE(store.read("Settings", "Prefix", "Thou"), QString("Thee"));
        store.write("Settings", "Var1", "new");
        QVERIFY(store.flush().ok); // not failed for the damage the load met

        QCOMPARE(bytesOf(victim), QByteArray("notes"));
        const QStringList copies =
            QDir(dir->path()).entryList({"Jeerkit.ini.damaged-*"}, QDir::Files | QDir::NoSymLinks);
        QCOMPARE(copies.size(), 1);
        const QString copy = dir->filePath(copies[0]);
        QVERIFY(store.loadProblem().contains(copy));
        QCOMPARE(QFileInfo(copy).size(),
                 damage.isEmpty() ? SettingsStore::MaxFileBytes + 1 : damaged.size());
        if (!damage.isEmpty()) // a copy of the player's alone; the set-aside file keeps its mode
            QVERIFY(bytesOf(copy) == damaged && (modeOf(copy) & 0777) == 0600);
        const SettingsStore reread(path);
        QVERIFY(reread.loadProblem().isEmpty());
        QCOMPARE(reread.read("Settings", "Var1", ""), QString("new"));
    }

    // A lock beside the store, even a live program's kept fresh (what a leftover one can only
    // be mistaken for), never holds up a save; nor does a temporary folder that is not there.
    void saveLockDoesNotHoldUpSaving() {
        QLockFile held(path + ".saving.lock");
        QVERIFY(held.tryLock(0));
        qputenv("TMPDIR", QFile::encodeName(dir->filePath("gone")));
        const auto unset = qScopeGuard([] { qunsetenv("TMPDIR"); });
        SettingsStore store(path);
        store.write("Settings", "Prefix", "kept");
        auto saving = std::async(std::launch::async, [&store] { return store.flush(); });
        QVERIFY2(saving.wait_for(std::chrono::seconds(10)) == std::future_status::ready,
                 "the save waited for a lock");
        QVERIFY(saving.get().ok);
        QCOMPARE(SettingsStore(path).read("Settings", "Prefix", ""), QString("kept"));
    }

    void fullDiskKeepsOldStore_data() {
        QTest::addColumn<int>("freeKiB");
        for (int free : {4, 24, 32, 36})
            QTest::addRow("%d KiB free", free) << free;
    }

    void fullDiskKeepsOldStore() {
        QFETCH(int, freeKiB);
        const QByteArray disk = QFile::encodeName(dir->path());
        if (::mount("jeerkit-test", disk.constData(), "tmpfs", 0, "size=256k") != 0)
            QSKIP("no small disk can be mounted here");
        const auto unmount = qScopeGuard([&disk] { ::umount2(disk.constData(), MNT_DETACH); });
        SettingsStore store(path);
        store.write("Settings", "Prefix", "old");
        QVERIFY(store.flush().ok);
        const QByteArray before = bytesOf(path);
        // About 41 KB, as a full phrase book.
        for (int n = 1; n <= 30; ++n)
            for (int e = 0; e < 24; ++e)
                store.write(QString("TextSet%1").arg(n), QString("Text--%1").arg(e),
                            QString(44, 'p'));
        QFile filler(dir->filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(QStorageInfo(dir->path()).bytesAvailable() - freeKiB * 1024, 'f'));
        filler.flush();

        const StoreResult full = store.flush();
        QVERIFY2(!full.ok && !full.reason.isEmpty(), "a save that did not fit must say so");
        QCOMPARE(bytesOf(path), before);
        // Room for one copy and a little: the next save (Retry) goes through at once and says so.
        QVERIFY(filler.resize(filler.size() - (60 - freeKiB) * 1024));
        QVERIFY(store.flush().ok);
        const SettingsStore reread(path);
        QCOMPARE(reread.read("TextSet30", "Text--23", ""), QString(44, 'p'));
        QCOMPARE(reread.read("Settings", "Prefix", ""), QString("old"));
    }

    void oddFileAtStorePath_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"pipe", "link to pipe", "device", "link to device"})
            QTest::newRow(kind) << QString(kind);
    }

    void oddFileAtStorePath() {
        QFETCH(QString, kind);
        const QString node = kind.startsWith("link") ? dir->filePath("node") : path;
        const QByteArray native = QFile::encodeName(node);
        // The device is a null device of the test's own: harmless if it were written.
        if (kind.endsWith("pipe"))
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        else if (kind.endsWith("device") &&
                 ::mknod(native.constData(), S_IFCHR | 0600, makedev(1, 3)))
            QSKIP("no device nodes can be made here");
        if (node != path)
            QVERIFY(QFile::link(node, path));
        struct stat before {};
        QCOMPARE(::lstat(native.constData(), &before), 0);

        SettingsStore store(path); // a pipe must not hold up the start
        QVERIFY(!store.loadProblem().isEmpty());
        store.write("Settings", "Prefix", "x");
        const StoreResult result = store.flush();
        QVERIFY(!result.ok && result.refused);
        struct stat after {};
        QCOMPARE(::lstat(native.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(QFileInfo(path).isSymLink(), node != path);
    }
    // A rescue file: in the store's folder, or another of the player's alone, and in the shared
    // temporary folder only inside a private folder; always a new file only the player can
    // read, whatever another user planted; and the next start names it.
    void rescueFile_data() {
        QTest::addColumn<QString>("blocked"); // another user's: the store's folder, or all
        QTest::addColumn<QString>("where");
        QTest::newRow("the store's folder") << ""
                                            << "/Jeerkit-rescued-";
        QTest::newRow("the state folder") << "store"
                                          << "/XDG_STATE_HOME/Jeerkit/Jeerkit-rescued-";
        QTest::newRow("the temporary folder") << "all"
                                              << "/TMPDIR/jeerkit-rescue-";
    }

    void rescueFile() {
        QFETCH(QString, blocked);
        QFETCH(QString, where);
        if (!test::nobody())
            QSKIP(test::NeedsRoot);
        const QString other = dir->filePath("other"), shared = dir->filePath("TMPDIR");
        const QString victim = dir->filePath("notes"), run = dir->filePath("XDG_RUNTIME_DIR");
        put(victim, "notes");
        // nobody's folder that anyone may write to, one shared like /tmp, the session's own
        QVERIFY(QDir().mkdir(other) && QDir().mkdir(shared) && QDir().mkdir(run));
        QVERIFY(setMode(dir->path(), 0755) && setMode(other, 0777) && setMode(shared, 01777) &&
                setMode(run, 0700) &&
                ::chown(QFile::encodeName(other), test::nobody()->first, 0) == 0);
        QVERIFY(plantAt(shared + "/Jeerkit-rescued-", ".ini", victim));
        const char* const names[] = {"XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR",
                                     "TMPDIR"};
        const auto unset = qScopeGuard([&names] {
            for (const char* name : names)
                qunsetenv(name);
        });
        for (const char* name : names) // each a folder of that name; the shared one stays
            qputenv(name, QFile::encodeName(
                              blocked == "all" && name != names[3] ? other : dir->filePath(name)));
        path = blocked.isEmpty() ? path : other + "/Jeerkit.ini";

        SettingsStore store(path);
        store.write("Settings", "Var1", "unsaved");
        const StoreResult rescued = store.rescue();
        QVERIFY2(rescued.ok && rescued.path.startsWith(dir->path() + where),
                 qPrintable(rescued.path + rescued.reason));
        QCOMPARE(modeOf(rescued.path), mode_t(S_IFREG | 0600));
        QCOMPARE(bytesOf(victim), QByteArray("notes"));
        QCOMPARE(SettingsStore(rescued.path).read("Settings", "Var1", ""), QString("unsaved"));
        QVERIFY(SettingsStore(path).rescueNotice().contains(rescued.path));
    }

    // A store that cannot be read, or that the player made read-only, is never replaced: its
    // phrase stays where it was or is set aside, and the edit goes into a file of its own.
    void lockedStoreIsLeftAlone_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("foreign"); // root's, in the player's (nobody's) folder
        QTest::newRow("mode 000") << 0000 << false;
        QTest::newRow("another user's 0600") << 0600 << true;
        QTest::newRow("mode 0444") << 0444 << false;
        QTest::newRow("another user's 0644") << 0644 << true;
    }

    void lockedStoreIsLeftAlone() {
        QFETCH(int, mode);
        QFETCH(bool, foreign);
        if (!test::nobody())
            QSKIP(test::NeedsRoot);
        const auto [uid, gid] = *test::nobody(); // the player
        const QByteArray original = "[Settings]\nVar1=phrase\n";
        put(path, original);
        QVERIFY(::chown(QFile::encodeName(dir->path()), uid, gid) == 0 && setMode(path, mode) &&
                (foreign || ::chown(QFile::encodeName(path), uid, gid) == 0));
        QVERIFY(test::asNobody([&] {
            SettingsStore store(path);
            store.write("Settings", "Var2", "edit");
            const StoreResult saved = store.flush(); // the close's save, and its rescue
            return !store.loadProblem().isEmpty() && (saved.ok || store.rescue().ok);
        }));
        QByteArrayList held; // every file in the folder, as root reads it
        for (const QFileInfo& file : QDir(dir->path()).entryInfoList(QDir::Files))
            held << bytesOf(file.filePath());
        QVERIFY2(held.contains(original), "the phrase is lost");
        QVERIFY2(held.join('\0').contains("Var2=edit"), "the edit is lost");
        if (mode & (foreign ? 0004 : 0400)) // readable, so read-only: left as it was
            QCOMPARE(bytesOf(path), original);
    }

    // The largest store a save writes is read back whole at the next start; one byte more is
    // not written at all, and the store on disk stays as it was.
    void storeAtTheBound() {
        SettingsStore store(path);
        store.write("Settings", "Var1", "");
        QVERIFY(store.flush().ok);
        const QString fill(SettingsStore::MaxFileBytes - QFileInfo(path).size(), u'x');
        store.write("Settings", "Var1", fill);
        QVERIFY(store.flush().ok);
        QCOMPARE(QFileInfo(path).size(), SettingsStore::MaxFileBytes);
        QVERIFY(SettingsStore(path).loadProblem().isEmpty());
        QVERIFY(SettingsStore(path).read("Settings", "Var1", "") == fill);
        store.write("Settings", "Var1", fill + u'x');
        QVERIFY(store.flush().tooLarge);
        QCOMPARE(QFileInfo(path).size(), SettingsStore::MaxFileBytes);
    }
};

QTEST_APPLESS_MAIN(TestStore)
#include "tst_store.moc"
