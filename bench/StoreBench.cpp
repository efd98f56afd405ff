#include "StoreBench.h"

#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace jk::bench {

void writeFullStore(const QString& path) {
    PhraseBook book;
    LoadBuiltIns(book);
    SettingsStore store(path);
    for (int n = 1; n <= SetCount; ++n)
        LoadTextSet(book, store, n);
    for (int s = 0; s < SetCount; ++s)
        for (int e = 0; e < EntryCount; ++e) {
            const QString head = QStringLiteral("Set %1 entry %2: ").arg(s + 1).arg(e + 1);
            book.EntryLong[s][e] = head + QString(76 - head.size(), u'x');
            book.EntryShort[s][e] = QStringLiteral("s%1e%2").arg(s + 1).arg(e + 1);
        }
    for (int n = 1; n <= SetCount; ++n)
        SaveTextSet(book, store, n);
    store.flush();
}

std::vector<Row> benchStore(int repeats) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Jeerkit.ini"));
    writeFullStore(path);

    Row load{QStringLiteral("Store: LoadTextSet, all 30 sets (full store)"),
             QStringLiteral("ms"),
             {},
             {},
             {},
             QStringLiteral("< 20 ms"),
             {}};
    Row save{QStringLiteral("Store: SaveTextSet, all 30 sets + flush to disk"),
             QStringLiteral("ms"),
             {},
             {},
             {},
             QStringLiteral("< 20 ms"),
             {}};
    for (int r = 0; r < repeats; ++r) {
        PhraseBook book;
        LoadBuiltIns(book);
        QElapsedTimer timer;
        timer.start();
        // A fresh store each time: the program reads the file once, at start-up.
        SettingsStore store(path);
        for (int n = 1; n <= SetCount; ++n)
            LoadTextSet(book, store, n);
        load.ours.values.push_back(double(timer.nsecsElapsed()) / 1e6);

        book.EntryLong[r % SetCount][0] += QStringLiteral("!");
        timer.restart();
        for (int n = 1; n <= SetCount; ++n)
            SaveTextSet(book, store, n);
        const bool ok = store.flush().ok;
        save.ours.values.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!ok)
            save.note = QStringLiteral("a save failed");
    }
    return {load, save};
}

} // namespace jk::bench
