#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace jk;

namespace {

PhraseBook loadedBook(const SettingsStore& store) {
    PhraseBook book;
    LoadBuiltIns(book);
    for (int n = 1; n <= SetCount; ++n)
        LoadTextSet(book, store, n);
    return book;
}

} // namespace

class TestTextSetStore : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QTest::currentDataTag() + QString("-%1.ini").arg(++count_));
    }
    void firstRunDefaults_data();
    void firstRunDefaults();
    void builtInTextsExact();
    void storedValuesWin();
    void unconvertibleValuesCountAsMissing();
    void roundTripEveryField();
    void saveWritesExactlyItsKeys();

private:
    QTemporaryDir dir_;
    QString path_;
    int count_ = 0;
};

void TestTextSetStore::firstRunDefaults_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text0");
    QTest::addColumn<QString>("text23");
    QTest::addColumn<int>("style0");
    QTest::addColumn<int>("style23");
    QTest::newRow("set 1") << 1 << "Adventurer 1"
                           << "Hail fine sir. Might I purchase some of thine wares?"
                           << "frown" << 0 << 1;
    QTest::newRow("set 2") << 2 << "Adventurer 2"
                           << ""
                           << "" << 0 << 1;
    QTest::newRow("set 5") << 5 << "Adventurer 5"
                           << ""
                           << "" << 0 << 1;
    QTest::newRow("set 21") << 21 << "Gestures 1"
                            << "yawn"
                            << "greetsalute" << 4 << 4;
    QTest::newRow("set 22") << 22 << "Gestures 2"
                            << "unarmedsalute"
                            << "" << 4 << 4;
    QTest::newRow("set 30") << 30 << "Adventurer 30"
                            << ""
                            << "" << 0 << 1;
}

void TestTextSetStore::firstRunDefaults() {
    QFETCH(int, set);
    QFETCH(QString, name);
    QFETCH(QString, text0);
    QFETCH(QString, text23);
    QFETCH(int, style0);
    QFETCH(int, style23);
    const SettingsStore store(path_);
    const PhraseBook book = loadedBook(store);
    const int s = set - 1;
    QCOMPARE(book.SetName[s], name);
    QCOMPARE(book.EntryLong[s][0], text0);
    QCOMPARE(book.EntryLong[s][23], text23);
    for (int e = 0; e < EntryCount; ++e) {
        QCOMPARE(book.EntryShort[s][e], book.EntryLong[s][e]);
        QCOMPARE(int(book.EntryEnter[s][e]), 1);
        const int expected = e == 0                     ? style0
                             : e == 23                  ? style23
                             : (set == 21 || set == 22) ? 4
                             : e < 19                   ? 0
                                                        : 1;
        QCOMPARE(int(book.EntryStyle[s][e]), expected);
    }
    QCOMPARE(book.Prefix, QString("Thou"));
    for (const QString& v : book.Vars)
        QVERIFY(v.isEmpty());
}

void TestTextSetStore::builtInTextsExact() {
    PhraseBook book;
    LoadBuiltIns(book);
    QCOMPARE(book.BuiltInPhrase[3],
             QString("Knave! May thy hair fall out and thy teeth all rot !"));
    QCOMPARE(book.BuiltInPhrase[9], QString("Hail !"));
    QCOMPARE(book.BuiltInPhrase[20], QString("hic"));
    QCOMPARE(book.GestureWord[32], QString("what"));
    QCOMPARE(book.GestureWord[8], QString("emphaticargue"));
    QVERIFY(book.GestureWord[33].isEmpty() && book.GestureWord[48].isEmpty());
    QCOMPARE(book.BuiltInSetName[21], QString("Adventurer 21"));

    const PhraseBook loaded = loadedBook(SettingsStore(path_));
    QCOMPARE(loaded.EntryLong[21][7], QString("what"));
    QVERIFY(loaded.EntryLong[21][8].isEmpty());
}

void TestTextSetStore::storedValuesWin() {
    {
        QSettings ini(path_, QSettings::IniFormat);
        ini.setValue("TextSet1/Text--3", "Stored text");
        ini.setValue("Settings/TextSet2", "");
        ini.setValue("TextSet2/Style-0", " 3");
        ini.setValue("TextSet2/Style-1", "2.5");
        ini.setValue("TextSet2/Style-2", "7");
        ini.setValue("Settings/Var4", "four");
    }
    const PhraseBook book = loadedBook(SettingsStore(path_));
    // The label falls back on the stored text, not the built-in one.
    QCOMPARE(book.EntryLong[0][3], QString("Stored text"));
    QCOMPARE(book.EntryShort[0][3], QString("Stored text"));
    QCOMPARE(book.SetName[1], QString(""));
    QCOMPARE(int(book.EntryStyle[1][0]), 3);
    QCOMPARE(int(book.EntryStyle[1][1]), 2);
    QCOMPARE(int(book.EntryStyle[1][2]), 7); // kept as stored
    QCOMPARE(book.Vars[3], QString("four"));
}

void TestTextSetStore::unconvertibleValuesCountAsMissing() {
    {
        QSettings ini(path_, QSettings::IniFormat);
        ini.setValue("TextSet4/Enter-0", "yes");
        ini.setValue("TextSet4/Enter-1", "0");
        ini.setValue("TextSet4/Style-0", "99999");
        ini.setValue("TextSet4/Style-20", "banana");
    }
    const PhraseBook book = loadedBook(SettingsStore(path_));
    QCOMPARE(int(book.EntryEnter[3][0]), 1);
    QCOMPARE(int(book.EntryEnter[3][1]), 0);
    QCOMPARE(int(book.EntryStyle[3][0]), 0);
    QCOMPARE(int(book.EntryStyle[3][20]), 0); // not a number reads as 0
}

void TestTextSetStore::roundTripEveryField() {
    PhraseBook book;
    LoadBuiltIns(book);
    const QStringList hostile = {"a, b",
                                 "\"q\"",
                                 "back\\slash",
                                 "@at",
                                 "x=y;z",
                                 " pad ",
                                 QString::fromUtf8("Grüße 🙂"),
                                 "",
                                 QString(10000, u'L')};
    const int s = 6;
    book.SetName[s] = "Renamed, \"seven\"";
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
        SettingsStore store(path_);
        SaveTextSet(book, store, 7);
        QVERIFY(store.flush().ok);
    }
    PhraseBook again;
    LoadBuiltIns(again);
    const SettingsStore store(path_);
    LoadTextSet(again, store, 7);
    QCOMPARE(again.SetName[s], book.SetName[s]);
    QCOMPARE(again.Prefix, book.Prefix);
    QCOMPARE(again.Vars, book.Vars);
    QCOMPARE(again.EntryLong[s], book.EntryLong[s]);
    QCOMPARE(again.EntryShort[s], book.EntryShort[s]);
    QCOMPARE(again.EntryStyle[s], book.EntryStyle[s]);
    QCOMPARE(again.EntryEnter[s], book.EntryEnter[s]);
}

void TestTextSetStore::saveWritesExactlyItsKeys() {
    PhraseBook book;
    LoadBuiltIns(book);
    book.EntryStyle[6][4] = 3;
    book.EntryEnter[6][4] = 1;
    {
        SettingsStore store(path_);
        SaveTextSet(book, store, 7);
        QVERIFY(store.flush().ok);
    }
    QSettings ini(path_, QSettings::IniFormat);
    QCOMPARE(ini.childGroups(), QStringList({"Settings", "TextSet7"}));
    ini.beginGroup("Settings");
    QStringList settingsKeys = ini.childKeys();
    settingsKeys.sort();
    QCOMPARE(settingsKeys,
             QStringList({"Prefix", "TextSet7", "Var1", "Var2", "Var3", "Var4", "Var5", "Var6"}));
    ini.endGroup();
    ini.beginGroup("TextSet7");
    QStringList expected;
    for (int e = 0; e < EntryCount; ++e)
        expected << QString("Enter-%1").arg(e) << QString("Short-%1").arg(e)
                 << QString("Style-%1").arg(e) << QString("Text--%1").arg(e);
    expected.sort();
    QStringList keys = ini.childKeys();
    keys.sort();
    QCOMPARE(keys, expected);
    QCOMPARE(ini.value("Style-4").toString(), QString(" 3"));
    QCOMPARE(ini.value("Enter-4").toString(), QString("1"));
}

QTEST_APPLESS_MAIN(TestTextSetStore)
#include "tst_textsetstore.moc"
