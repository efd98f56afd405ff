// Any file as the store: every set loads, an edit in each set is saved, and what was written is
// a clean store that reads back exactly the edited book. The only hostile-store check there is.
#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Memory-backed where possible: each run saves, and a disk's flush would dominate.
    static QTemporaryDir dir(QFile::exists(QStringLiteral("/dev/shm"))
                                 ? QStringLiteral("/dev/shm/jeerkit-fuzz-XXXXXX")
                                 : QString());
    const QString path = dir.filePath(QStringLiteral("Jeerkit.ini"));
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const auto loadAll = [](jk::PhraseBook& book, const jk::SettingsStore& store) {
        jk::LoadBuiltIns(book);
        for (int n = 1; n <= jk::SetCount; ++n)
            jk::LoadTextSet(book, store, n);
    };
    jk::PhraseBook book;
    {
        jk::SettingsStore store(path);
        loadAll(book, store);
        for (int s = 0; s < jk::SetCount; ++s)
            book.EntryLong[s][s % jk::EntryCount] += QStringLiteral(" edited");
        for (int n = 1; n <= jk::SetCount; ++n)
            jk::SaveTextSet(book, store, n);
        if (!store.flush().ok) // a damaged file read once must not fail every later save
            std::abort();
    }
    jk::PhraseBook again;
    const jk::SettingsStore store(path);
    if (!store.loadProblem().isEmpty())
        std::abort();
    loadAll(again, store);
    if (again.SetName != book.SetName || again.EntryLong != book.EntryLong ||
        again.EntryShort != book.EntryShort || again.EntryStyle != book.EntryStyle ||
        again.EntryEnter != book.EntryEnter || again.Prefix != book.Prefix ||
        again.Vars != book.Vars)
        std::abort();
    return 0;
}
