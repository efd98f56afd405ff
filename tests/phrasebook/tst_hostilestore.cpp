#include "HostileStores.h"

#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace jk;

namespace {

void loadAll(PhraseBook& book, const SettingsStore& store) {
    LoadBuiltIns(book);
    for (int n = 1; n <= SetCount; ++n)
        LoadTextSet(book, store, n);
}

bool sameSets(const PhraseBook& a, const PhraseBook& b) {
    return a.SetName == b.SetName && a.EntryLong == b.EntryLong && a.EntryShort == b.EntryShort &&
           a.EntryStyle == b.EntryStyle && a.EntryEnter == b.EntryEnter && a.Prefix == b.Prefix &&
           a.Vars == b.Vars;
}

} // namespace

class TestHostileStore : public QObject {
    Q_OBJECT
private slots:
    void everyCaseLoadsWorksAndSaves();
};

void TestHostileStore::everyCaseLoadsWorksAndSaves() {
    const auto cases = test::generateHostileStores(150, 20261206);
    QVERIFY(cases.size() >= 150);
    QTemporaryDir dir;
    int index = 0;
    for (const auto& hostile : cases) {
        const QString path = dir.filePath(QString("store-%1.ini").arg(index++));
        QVERIFY2(test::placeHostileStore(hostile, path), qPrintable(hostile.name));
        PhraseBook book;
        SettingsStore store(path);
        loadAll(book, store);
        // The player works: an edit in every set, then the program closes.
        for (int s = 0; s < SetCount; ++s)
            book.EntryLong[s][s % EntryCount] += QStringLiteral(" edited");
        for (int n = 1; n <= SetCount; ++n)
            SaveTextSet(book, store, n);
        const StoreResult result = store.flush();
        if (hostile.isFolder) {
            QVERIFY2(!result.ok && !result.reason.isEmpty(), qPrintable(hostile.name));
            continue;
        }
        QVERIFY2(result.ok, qPrintable(hostile.name + ": " + result.reason));

        // What was written is a valid store that holds exactly the edited book.
        QSettings check(path, QSettings::IniFormat);
        QVERIFY2(check.status() == QSettings::NoError, qPrintable(hostile.name));
        PhraseBook again;
        loadAll(again, SettingsStore(path));
        QVERIFY2(sameSets(book, again), qPrintable(hostile.name));
    }
}

QTEST_APPLESS_MAIN(TestHostileStore)
#include "tst_hostilestore.moc"
