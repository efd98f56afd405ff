#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/StoredValue.h"
#include "phrasebook/TextSetStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace jk;

namespace {

template <typename T>
QString shown(const std::optional<T>& v) {
    return v ? QString::number(double(*v), 'g', 10) : QStringLiteral("missing");
}

void valueRow(const char* kind, const char* text, const char* value) {
    QTest::addRow("%s \"%s\"", kind, text) << QString(kind) << QString(text) << QString(value);
}

} // namespace

class TestTextSetStore : public QObject {
    Q_OBJECT
private slots:
    void storedValue_data();
    void storedValue();
    void load_data();
    void load();
    void saveWritesEveryFieldUnderItsName();

private:
    QTemporaryDir dir_;
};

// How a stored text reads as a style, a 16-bit number, a Boolean or a position.
void TestTextSetStore::storedValue_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    valueRow("style", " \t 3", "3");
    valueRow("style", "3x", "3");
    valueRow("style", "", "0");
    valueRow("style", "2.5", "2");
    valueRow("style", ".6", "1");
    valueRow("style", "1e1", "10");
    valueRow("style", "1 2", "1");
    valueRow("style", "40000", "missing");
    valueRow("int16", "  17 ", "17");
    valueRow("int16", "0.5", "0");
    valueRow("int16", "1x", "missing");
    valueRow("int16", "32767", "32767");
    valueRow("int16", "32768", "missing");
    valueRow("int16", "nan", "missing");
    valueRow("boolean", "True", "1");
    valueRow("boolean", "false", "0");
    valueRow("boolean", "-1", "1");
    valueRow("boolean", "yes", "missing");
    valueRow("single", "1234.5", "1234.5");
    valueRow("single", "9000000", "9000000");
    valueRow("single", "left", "missing");
    valueRow("single", "1e60", "missing");
}

void TestTextSetStore::storedValue() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, value);
    const QString got = kind == u"style"     ? shown(stored::parseStyle(text))
                        : kind == u"int16"   ? shown(stored::parseInt16(text))
                        : kind == u"boolean" ? shown(stored::parseBoolean(text))
                                             : shown(stored::parseSingle(text));
    QCOMPARE(got, value);
}

// One key as stored, and the field of set 2 entry 3 it gives after loading every set.
void TestTextSetStore::load_data() {
    QTest::addColumn<QString>("stored"); // "Group/Key=value"
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    const auto row = [](const char* name, const char* stored, const char* field,
                        const char* value) {
        QTest::newRow(name) << QString(stored) << QString(field) << QString(value);
    };
    row("text", "TextSet2/Text--3=Stored", "Long", "Stored");
    row("label falls back on the text", "TextSet2/Text--3=Stored", "Short", "Stored");
    row("empty name kept", "Settings/TextSet2=", "Name", "");
    row("style out of range kept", "TextSet2/Style-3=7", "Style", "7");
    row("style overflow is the default", "TextSet2/Style-3=99999", "Style", "0");
    row("Enter off", "TextSet2/Enter-3=0", "Enter", "0");
    row("Enter not a number is the default", "TextSet2/Enter-3=x", "Enter", "1");
}

void TestTextSetStore::load() {
    QFETCH(QString, stored);
    QFETCH(QString, field);
    QFETCH(QString, value);
    const QString path = dir_.filePath(QString("%1.ini").arg(QTest::currentDataTag()));
    QSettings(path, QSettings::IniFormat)
        .setValue(stored.section('=', 0, 0), stored.section('=', 1));
    PhraseBook b;
    LoadBuiltIns(b);
    const SettingsStore store(path);
    for (int n = 1; n <= SetCount; ++n)
        LoadTextSet(b, store, n);
    const QString got = field == u"Long"    ? b.EntryLong[1][3]
                        : field == u"Short" ? b.EntryShort[1][3]
                        : field == u"Name"  ? b.SetName[1]
                        : field == u"Style" ? QString::number(b.EntryStyle[1][3])
                                            : QString::number(b.EntryEnter[1][3]);
    QCOMPARE(got, value);
}

// Every field comes back as saved, and under the key names that earlier files use.
void TestTextSetStore::saveWritesEveryFieldUnderItsName() {
    PhraseBook book;
    LoadBuiltIns(book);
    const QStringList hostile = {"a, b",  "@at", "x=y;z",
                                 " pad ", "",    QString::fromUtf8("Grüße 🙂")};
    const int s = 6;
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
    const QString path = dir_.filePath("saved.ini");
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

    // Key names as earlier files have them (the loading rows read them), numbers as they wrote.
    QSettings ini(path, QSettings::IniFormat);
    QCOMPARE(ini.allKeys().size(), 8 + 4 * EntryCount);
    QCOMPARE(ini.value("TextSet7/Style-4").toString(), QString(" 3"));
    // A position goes out with enough digits to come back exactly.
    for (float f : {0.1f, 1234.5f, -7.25f, 3.4e30f, 1e-20f})
        QCOMPARE(stored::parseSingle(stored::formatSingle(f)).value(), f);
}

QTEST_APPLESS_MAIN(TestTextSetStore)
#include "tst_textsetstore.moc"
