#include "phrasebook/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <future>

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
    void damagedFileIsKeptAndReplaced();
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

void TestSettingsStore::damagedFileIsKeptAndReplaced() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    const QByteArray damaged("[Settings]\nPrefix=Thee\n[TextSet1\nText--0=x\n\xff\xfe=3\n");
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
    QFile leftover(path + ".lock");
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
    QVERIFY(!QFile::exists(path + ".lock"));
}

QTEST_APPLESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
