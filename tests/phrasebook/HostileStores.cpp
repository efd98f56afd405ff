#include "HostileStores.h"

#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <random>

namespace jk::test {

namespace {

const QStringList AllKeys = [] {
    QStringList keys{"Settings/Prefix",      "Settings/CurrentTextSet", "Settings/WindowSize",
                     "Settings/AlwaysOnTop", "Settings/MainTop",        "Settings/MainLeft",
                     "Settings/SmallTop",    "Settings/SmallLeft",      "Settings/TinyTop",
                     "Settings/TinyLeft"};
    for (int v = 1; v <= 6; ++v)
        keys << QString("Settings/Var%1").arg(v);
    for (int n = 1; n <= SetCount; ++n) {
        keys << QString("Settings/TextSet%1").arg(n);
        for (int e = 0; e < EntryCount; ++e)
            for (const char* stem : {"Style-", "Text--", "Short-", "Enter-"})
                keys << QString("TextSet%1/%2%3").arg(n).arg(stem).arg(e);
    }
    return keys;
}();

const QList<QByteArray> BadValues = {
    "",
    "x",
    "-1",
    "32768",
    "-32769",
    "99999999999",
    "1e400",
    "nan",
    "inf",
    "True",
    "maybe",
    " 3 4",
    "0x10",
    "&H10",
    "--1",
    "1.5.5",
    "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x18QVariant)",
    "@ByteArray(\\xff)",
    "\"unclosed",
    "a,b,c",
    "\\x",
    "\\",
    "\xff\xfe",
    "\xc3",
    "30",
    "-30",
    "4",
    "1e9",
    "-1e9",
    "3.5",
};

QByteArray randomBytes(std::mt19937& rng, int size) {
    QByteArray out(size, '\0');
    for (char& c : out)
        c = char(rng() & 0xff);
    return out;
}

QByteArray groupedKeyValue(const QString& key, const QByteArray& value) {
    const qsizetype slash = key.indexOf('/');
    return "[" + key.left(slash).toUtf8() + "]\n" + key.mid(slash + 1).toUtf8() + "=" + value +
           "\n";
}

} // namespace

bool placeHostileStore(const HostileStore& hostile, const QString& path) {
    if (hostile.isFolder)
        return QDir().mkpath(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(hostile.bytes) == hostile.bytes.size();
}

QByteArray validStoreBytes() {
    static const QByteArray bytes = [] {
        QTemporaryDir dir;
        const QString path = dir.filePath("valid.ini");
        PhraseBook book;
        LoadBuiltIns(book);
        {
            SettingsStore store(path);
            for (int n = 1; n <= SetCount; ++n)
                LoadTextSet(book, store, n);
            for (int n = 1; n <= SetCount; ++n)
                SaveTextSet(book, store, n);
            store.write("Settings", "CurrentTextSet", "3");
            store.write("Settings", "WindowSize", "2");
            store.write("Settings", "AlwaysOnTop", "True");
            store.flush();
        }
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    return bytes;
}

QList<HostileStore> generateHostileStores(int count, unsigned seed) {
    std::mt19937 rng(seed);
    const QByteArray valid = validStoreBytes();
    QList<HostileStore> cases;
    cases.append({"folder", {}, true});
    cases.append({"empty file", {}, false});
    cases.append({"bom only", "\xef\xbb\xbf", false});
    cases.append({"bom + valid", "\xef\xbb\xbf" + valid, false});
    cases.append({"crlf", QByteArray(valid).replace("\n", "\r\n"), false});
    cases.append({"cr only", QByteArray(valid).replace("\n", "\r"), false});
    cases.append({"huge value", "[TextSet1]\nText--0=" + QByteArray(1 << 20, 'h') + "\n", false});
    cases.append({"huge name", "[Settings]\nTextSet1=" + QByteArray(1 << 20, '(') + "\n", false});
    cases.append({"duplicate groups", valid + valid, false});
    cases.append(
        {"duplicate keys", "[TextSet1]\nText--0=a\nText--0=b\n[TextSet1]\nText--0=c\n", false});
    cases.append({"no newline at end", "[Settings]\nPrefix=Thee", false});
    cases.append({"nul bytes", QByteArray("[Settings]\nPrefix=a\0b\n", 22), false});

    for (int i = 0; cases.size() < count; ++i) {
        switch (i % 6) {
        case 0: // random bytes
            cases.append({QString("random %1").arg(i), randomBytes(rng, int(rng() % 4096)), false});
            break;
        case 1: { // truncated
            const int at = int(rng() % valid.size());
            cases.append({QString("truncated at %1").arg(at), valid.left(at), false});
            break;
        }
        case 2: { // flipped bytes, invalid UTF-8 among them
            QByteArray bytes = valid;
            for (int k = 0; k < 20; ++k)
                bytes[int(rng() % bytes.size())] = char(0x80 | (rng() & 0x7f));
            cases.append({QString("corrupted %1").arg(i), bytes, false});
            break;
        }
        case 3: { // one key with a value that cannot be used
            const QString& key = AllKeys[int(rng() % AllKeys.size())];
            const QByteArray& value = BadValues[int(rng() % BadValues.size())];
            cases.append(
                {QString("bad %1=%2").arg(key, QString::fromLatin1(value.toPercentEncoding())),
                 valid + groupedKeyValue(key, value), false});
            break;
        }
        case 4: { // many keys with bad values at once
            QByteArray bytes;
            for (int k = 0; k < 200; ++k)
                bytes += groupedKeyValue(AllKeys[int(rng() % AllKeys.size())],
                                         BadValues[int(rng() % BadValues.size())]);
            cases.append({QString("many bad values %1").arg(i), bytes, false});
            break;
        }
        default: { // INI syntax debris
            static const QList<QByteArray> debris = {
                "[",  "]",        "[[Settings]]", "=",         "==x",     "\\",       "%",
                "%G", ";comment", "#x",           "[TextSet1", "Text--0", "key\\=x=y"};
            QByteArray bytes = valid;
            for (int k = 0; k < 10; ++k)
                bytes.insert(int(rng() % bytes.size()),
                             "\n" + debris[int(rng() % debris.size())] + "\n");
            cases.append({QString("debris %1").arg(i), bytes, false});
            break;
        }
        }
    }
    return cases;
}

} // namespace jk::test
