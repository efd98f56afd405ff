#include "phrasebook/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <future>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace jk;

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void defaultOnlyWhenMissing();
    void hostileValuesRoundTrip_data();
    void hostileValuesRoundTrip();
    void handEditedCommaList();
    void defaultPathFollowsXdg();
    void failedWriteIsReportedAndOldFileKept();
    void folderInsteadOfFile();
    void parentIsAFile();
    void damagedFileIsKeptAndReplaced_data();
    void damagedFileIsKeptAndReplaced();
    void fullDiskKeepsOldStore_data();
    void fullDiskKeepsOldStore();
    void oddFileAtStorePath_data();
    void oddFileAtStorePath();
    void leftoverSaveLockDoesNotHoldUpSaving_data();
    void leftoverSaveLockDoesNotHoldUpSaving();
};

void TestSettingsStore::defaultOnlyWhenMissing() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    {
        SettingsStore store(path);
        store.write("Settings", "Empty", "");
        QVERIFY(store.flush().ok);
    }
    SettingsStore store(path);
    QCOMPARE(store.read("Settings", "Empty", "default"), QString(""));
    QCOMPARE(store.read("Settings", "Missing", "default"), QString("default"));
    QCOMPARE(store.read("NoSection", "Missing", "d2"), QString("d2"));
    QVERIFY(store.contains("Settings", "Empty"));
    QVERIFY(!store.contains("Settings", "Missing"));
}

void TestSettingsStore::hostileValuesRoundTrip_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("commas") << "a, b,c";
    QTest::newRow("quotes") << "say \"hi\" 'there'";
    QTest::newRow("backslashes") << "C:\\path\\n\\x41";
    QTest::newRow("leading @") << "@Variant(abc)";
    QTest::newRow("equals and semicolon") << "a=b; c";
    QTest::newRow("leading hash") << "#not a comment";
    QTest::newRow("blanks around") << "  padded  ";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Grüße, €, ß, 日本, 🙂");
    QTest::newRow("brackets") << "[Settings]";
    QTest::newRow("newline") << "two\nlines";
    QTest::newRow("empty") << "";
    QTest::newRow("long") << QString(10000, u'x') + "=;,\"";
}

void TestSettingsStore::hostileValuesRoundTrip() {
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    {
        SettingsStore store(path);
        store.write("TextSet3", "Text--5", value);
        QVERIFY(store.flush().ok);
    }
    // A fresh reader on the file, not the writer's memory.
    SettingsStore store(path);
    QCOMPARE(store.read("TextSet3", "Text--5", "missing"), value);
}

void TestSettingsStore::handEditedCommaList() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[TextSet1]\nText--0=Hail, friend, well met\n");
    file.close();
    SettingsStore store(path);
    QCOMPARE(store.read("TextSet1", "Text--0", ""), QString("Hail, friend, well met"));
}

void TestSettingsStore::defaultPathFollowsXdg() {
    // The same file QSettings itself would use for the user's "Jeerkit" INI settings.
    const auto qsettingsPath = [] {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, "Jeerkit", "Jeerkit")
            .fileName();
    };
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QCOMPARE(SettingsStore::defaultPath(), dir.path() + "/Jeerkit/Jeerkit.ini");
    QCOMPARE(SettingsStore::defaultPath(), qsettingsPath());
    qunsetenv("XDG_CONFIG_HOME");
    // (QSettings settles its folder once per process, so only the path is checked here.)
    QCOMPARE(SettingsStore::defaultPath(), QDir::homePath() + "/.config/Jeerkit/Jeerkit.ini");
}

void TestSettingsStore::failedWriteIsReportedAndOldFileKept() {
    if (geteuid() == 0)
        QSKIP("root writes into read-only folders");
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    {
        SettingsStore store(path);
        store.write("Settings", "Prefix", "Old");
        QVERIFY(store.flush().ok);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::ReadOwner);
    StoreResult result;
    {
        SettingsStore store(path);
        store.write("Settings", "Prefix", "New");
        result = store.flush();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!result.ok);
    QCOMPARE(result.path, path);
    QVERIFY2(!result.reason.isEmpty(), "a failure must say why");
    SettingsStore reread(path);
    QCOMPARE(reread.read("Settings", "Prefix", ""), QString("Old"));
}

void TestSettingsStore::folderInsteadOfFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    QVERIFY(QDir().mkpath(path));
    SettingsStore store(path);
    QVERIFY(!store.loadProblem().isEmpty());
    QCOMPARE(store.read("Settings", "Prefix", "Thou"), QString("Thou"));
    store.write("Settings", "Prefix", "x");
    const StoreResult result = store.flush();
    QVERIFY(!result.ok);
    QVERIFY(result.reason.contains("folder"));
}

void TestSettingsStore::parentIsAFile() {
    // Fails for every user, root included.
    QTemporaryDir dir;
    QFile blocker(dir.filePath("Jeerkit"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(dir.filePath("Jeerkit/Jeerkit.ini"));
    QCOMPARE(store.read("Settings", "WindowSize", "1"), QString("1"));
    store.write("Settings", "WindowSize", "2");
    const StoreResult result = store.flush();
    QVERIFY(!result.ok);
    QVERIFY(!result.reason.isEmpty());

    // Once the player has cleared the way, the next save goes through with every value.
    QVERIFY(QFile::remove(dir.filePath("Jeerkit")));
    QVERIFY(store.flush().ok);
    SettingsStore reread(dir.filePath("Jeerkit/Jeerkit.ini"));
    QCOMPARE(reread.read("Settings", "WindowSize", "1"), QString("2"));
}

void TestSettingsStore::damagedFileIsKeptAndReplaced_data() {
    QTest::addColumn<QByteArray>("damaged");
    const QByteArray head("[Settings]\nPrefix=Thee\n");
    QTest::newRow("broken header") << head + "[TextSet1\nText--0=x\n\xff\xfe=3\n";
    QTest::newRow("line without =") << head + "[TextSet1]\nText--0=x\nhalf a line\nText--1=y\n";
    QTest::newRow("NUL block") << head + QByteArray(300, '\0') + "\n[TextSet1]\nText--0=x\n";
    QTest::newRow("torn line") << head + "[TextSet1]\nText--0=x\nText--1=cut sh";
}

void TestSettingsStore::damagedFileIsKeptAndReplaced() {
    QFETCH(QByteArray, damaged);
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();

    SettingsStore store(path);
    QVERIFY(store.loadProblem().contains("damaged"));
    QCOMPARE(store.read("Settings", "Prefix", "Thou"), QString("Thee")); // what could be read
    store.write("Settings", "Var1", "new");
    QVERIFY(store.flush().ok);

    const QStringList copies = QDir(dir.path()).entryList({"Jeerkit.ini.damaged-*"});
    QCOMPARE(copies.size(), 1);
    QFile copy(dir.filePath(copies[0]));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), damaged);
    SettingsStore reread(path);
    QVERIFY(reread.loadProblem().isEmpty());
    QCOMPARE(reread.read("Settings", "Var1", ""), QString("new"));
}

void TestSettingsStore::leftoverSaveLockDoesNotHoldUpSaving_data() {
    QTest::addColumn<QByteArray>("lock");
    // Killed between creating the lock and writing its owner, or after a power failure.
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("torn") << QByteArray("123");
    QTest::newRow("garbage") << QByteArray("not\na lock\n\xff\xfe\n");
    // A finished process: the lock names an owner that has gone.
    QTest::newRow("gone owner") << QByteArray("999999999\njeerkit\n\n");
}

void TestSettingsStore::leftoverSaveLockDoesNotHoldUpSaving() {
    QFETCH(QByteArray, lock);
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    QFile leftover(path + ".saving.lock");
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.write(lock);
    leftover.close();

    SettingsStore store(path);
    store.write("Settings", "Prefix", "kept");
    // A fresh leftover lock would otherwise hold the save for 30 s; give it a third of that.
    auto saving = std::async(std::launch::async, [&store] { return store.flush(); });
    QVERIFY2(saving.wait_for(std::chrono::seconds(10)) == std::future_status::ready,
             "the save waited for a lock nobody holds");
    QVERIFY(saving.get().ok);
    QCOMPARE(SettingsStore(path).read("Settings", "Prefix", ""), QString("kept"));
    QVERIFY(!QFile::exists(path + ".saving.lock"));
}

void TestSettingsStore::fullDiskKeepsOldStore_data() {
    QTest::addColumn<int>("freeKiB");
    for (int free : {4, 24, 32, 36, 40})
        QTest::addRow("%d KiB free", free) << free;
}

void TestSettingsStore::fullDiskKeepsOldStore() {
    QFETCH(int, freeKiB);
    QTemporaryDir dir;
    const QByteArray disk = QFile::encodeName(dir.path());
    if (::mount("jeerkit-test", disk.constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("no small disk can be mounted here");
    const auto unmount = qScopeGuard([&disk] { ::umount2(disk.constData(), MNT_DETACH); });
    const QString path = dir.filePath("Jeerkit.ini");
    const auto bytes = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    };
    SettingsStore store(path);
    store.write("Settings", "Prefix", "old");
    QVERIFY(store.flush().ok);
    const QByteArray before = bytes();
    // About 41 KB, as a full phrase book.
    for (int n = 1; n <= 30; ++n)
        for (int e = 0; e < 24; ++e)
            store.write(QString("TextSet%1").arg(n), QString("Text--%1").arg(e), QString(44, 'p'));
    QFile filler(dir.filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    filler.write(QByteArray(QStorageInfo(dir.path()).bytesAvailable() - freeKiB * 1024, 'f'));
    filler.flush();

    const StoreResult full = store.flush();
    QVERIFY2(!full.ok && !full.reason.isEmpty(), "a save that did not fit must say so");
    QCOMPARE(bytes(), before);
    // Room for one copy and a little: the next save goes through at once and says so.
    QVERIFY(filler.resize(filler.size() - (60 - freeKiB) * 1024));
    QVERIFY(store.flush().ok);
    const SettingsStore reread(path);
    QCOMPARE(reread.read("TextSet30", "Text--23", ""), QString(44, 'p'));
    QCOMPARE(reread.read("Settings", "Prefix", ""), QString("old"));
}

void TestSettingsStore::oddFileAtStorePath_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"pipe", "link to pipe", "device", "link to device", "17 MB"})
        QTest::newRow(kind) << QString(kind);
}

void TestSettingsStore::oddFileAtStorePath() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    const QString node = kind.startsWith("link") ? dir.filePath("node") : path;
    const QByteArray native = QFile::encodeName(node);
    // The device is a null device of the test's own: harmless if it were written.
    if (kind.endsWith("pipe"))
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    else if (kind.endsWith("device") && ::mknod(native.constData(), S_IFCHR | 0600, makedev(1, 3)))
        QSKIP("no device nodes can be made here");
    QFile big(path);
    if (kind == "17 MB")
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(17 << 20));
    if (node != path)
        QVERIFY(QFile::link(node, path));
    struct stat before {};
    QCOMPARE(::lstat(native.constData(), &before), 0);

    SettingsStore store(path); // a pipe must not hold up the start
    QVERIFY(!store.loadProblem().isEmpty());
    store.write("Settings", "Prefix", "x");
    const StoreResult result = store.flush();
    if (kind == "17 MB") { // set aside whole, and a store of its own begun
        QVERIFY(result.ok);
        const QStringList aside = QDir(dir.path()).entryList({"Jeerkit.ini.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(QFileInfo(dir.filePath(aside[0])).size(), 17 << 20);
        QCOMPARE(SettingsStore(path).read("Settings", "Prefix", ""), QString("x"));
        return;
    }
    QVERIFY(!result.ok && result.refused);
    struct stat after {};
    QCOMPARE(::lstat(native.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(QFileInfo(path).isSymLink(), node != path);
}

QTEST_APPLESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
