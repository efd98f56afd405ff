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

// A field of the book by name: "Name 2", "Long 1 4", "Short 1 4", "Style 1 4", "Enter 1 4",
// "Var 3", "Prefix" (sets and variables count from 1, entries from 0).
QString field(const PhraseBook& b, const QString& name) {
    const QStringList p = name.split(u' ');
    const int s = p.value(1).toInt() - 1, e = p.value(2).toInt();
    if (p[0] == u"Name")
        return b.SetName[s];
    if (p[0] == u"Long")
        return b.EntryLong[s][e];
    if (p[0] == u"Short")
        return b.EntryShort[s][e];
    if (p[0] == u"Style")
        return QString::number(b.EntryStyle[s][e]);
    if (p[0] == u"Enter")
        return QString::number(b.EntryEnter[s][e]);
    if (p[0] == u"Var")
        return b.Vars[s];
    return b.Prefix;
}

} // namespace

class TestTextSetStore : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void roundTripEveryField();
    void savedKeysKeepTheirNames();

private:
    QTemporaryDir dir_;
    int count_ = 0;
};

void TestTextSetStore::load_data() {
    QTest::addColumn<QStringList>("ini"); // "Group/Key=value" lines written before loading
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    const QStringList none;
    QTest::newRow("set 1 name") << none << "Name 1"
                                << "Adventurer 1";
    QTest::newRow("set 1 text 0") << none << "Long 1 0"
                                  << "Hail fine sir. Might I purchase some of thine wares?";
    QTest::newRow("set 1 text 23") << none << "Long 1 23"
                                   << "frown";
    QTest::newRow("set 1 text 23 gesture") << none << "Style 1 23"
                                           << "1";
    QTest::newRow("set 5 empty") << none << "Long 5 0"
                                 << "";
    QTest::newRow("set 21 gesture") << none << "Long 21 0"
                                    << "yawn";
    QTest::newRow("set 21 style") << none << "Style 21 7"
                                  << "4";
    QTest::newRow("set 22 text 0") << none << "Long 22 0"
                                   << "unarmedsalute";
    QTest::newRow("set 22 text 7") << none << "Long 22 7"
                                   << "what";
    QTest::newRow("set 22 past gestures") << none << "Long 22 8"
                                          << "";
    QTest::newRow("say before row 19") << none << "Style 30 18"
                                       << "0";
    QTest::newRow("emote from row 19") << none << "Style 30 19"
                                       << "1";
    QTest::newRow("enter on") << none << "Enter 9 5"
                              << "1";
    QTest::newRow("label is the text") << none << "Short 1 0"
                                       << "Hail fine sir. Might I purchase some of thine wares?";
    QTest::newRow("prefix") << none << "Prefix"
                            << "Thou";
    QTest::newRow("var empty") << none << "Var 6"
                               << "";
    QTest::newRow("stored text") << QStringList{"TextSet1/Text--3=Stored"} << "Long 1 3"
                                 << "Stored";
    QTest::newRow("label falls back on the stored text")
        << QStringList{"TextSet1/Text--3=Stored"} << "Short 1 3"
        << "Stored";
    QTest::newRow("empty name kept") << QStringList{"Settings/TextSet2="} << "Name 2"
                                     << "";
    QTest::newRow("style padded") << QStringList{"TextSet2/Style-0= 3"} << "Style 2 0"
                                  << "3";
    QTest::newRow("style half to even") << QStringList{"TextSet2/Style-1=2.5"} << "Style 2 1"
                                        << "2";
    QTest::newRow("style out of range kept") << QStringList{"TextSet2/Style-2=7"} << "Style 2 2"
                                             << "7";
    QTest::newRow("style overflow") << QStringList{"TextSet4/Style-0=99999"} << "Style 4 0"
                                    << "0";
    QTest::newRow("style not a number") << QStringList{"TextSet4/Style-20=banana"} << "Style 4 20"
                                        << "0";
    QTest::newRow("enter word") << QStringList{"TextSet4/Enter-0=yes"} << "Enter 4 0"
                                << "1";
    QTest::newRow("enter off") << QStringList{"TextSet4/Enter-1=0"} << "Enter 4 1"
                               << "0";
    QTest::newRow("var") << QStringList{"Settings/Var4=four"} << "Var 4"
                         << "four";
}

void TestTextSetStore::load() {
    QFETCH(QStringList, ini);
    QFETCH(QString, field);
    QFETCH(QString, value);
    const QString path = dir_.filePath(QString("load-%1.ini").arg(++count_));
    {
        QSettings settings(path, QSettings::IniFormat);
        for (const QString& line : ini)
            settings.setValue(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    QCOMPARE(::field(loadedBook(SettingsStore(path)), field), value);
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
    const QString path = dir_.filePath("round-trip.ini");
    {
        SettingsStore store(path);
        SaveTextSet(book, store, 7);
        QVERIFY(store.flush().ok);
    }
    PhraseBook again;
    LoadBuiltIns(again);
    LoadTextSet(again, SettingsStore(path), 7);
    QCOMPARE(again.SetName[s], book.SetName[s]);
    QCOMPARE(again.Prefix, book.Prefix);
    QCOMPARE(again.Vars, book.Vars);
    QCOMPARE(again.EntryLong[s], book.EntryLong[s]);
    QCOMPARE(again.EntryShort[s], book.EntryShort[s]);
    QCOMPARE(again.EntryStyle[s], book.EntryStyle[s]);
    QCOMPARE(again.EntryEnter[s], book.EntryEnter[s]);
}

// Files written by earlier versions are read by key name: the names must not drift.
void TestTextSetStore::savedKeysKeepTheirNames() {
    PhraseBook book;
    LoadBuiltIns(book);
    book.EntryStyle[6][4] = 3;
    book.EntryEnter[6][4] = 1;
    book.SetName[6] = "Seven";
    const QString path = dir_.filePath("keys.ini");
    {
        SettingsStore store(path);
        SaveTextSet(book, store, 7);
        QVERIFY(store.flush().ok);
    }
    QSettings ini(path, QSettings::IniFormat);
    QCOMPARE(ini.childGroups(), QStringList({"Settings", "TextSet7"}));
    QCOMPARE(ini.allKeys().size(), 8 + 4 * EntryCount);
    QCOMPARE(ini.value("TextSet7/Style-4").toString(), QString(" 3"));
    QCOMPARE(ini.value("TextSet7/Enter-4").toString(), QString("1"));
    QVERIFY(ini.contains("TextSet7/Text--23") && ini.contains("TextSet7/Short-0"));
    QVERIFY(ini.contains("Settings/Var6") && ini.contains("Settings/Prefix"));
    QCOMPARE(ini.value("Settings/TextSet7").toString(), QString("Seven"));
}

QTEST_APPLESS_MAIN(TestTextSetStore)
#include "tst_textsetstore.moc"
