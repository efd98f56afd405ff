// Any file as the store: every set loads, saving writes a store that reads back the same.
#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void loadAll(jk::PhraseBook& book, const jk::SettingsStore& store) {
    jk::LoadBuiltIns(book);
    for (int n = 1; n <= jk::SetCount; ++n)
        jk::LoadTextSet(book, store, n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Memory-backed where possible: each run saves, and a disk's flush would dominate.
    static QTemporaryDir dir(QFile::exists(QStringLiteral("/dev/shm"))
                                 ? QStringLiteral("/dev/shm/jeerkit-fuzz-XXXXXX")
                                 : QString());
    const QString path = dir.filePath(QStringLiteral("Jeerkit.ini"));
    QFile::remove(path);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    jk::PhraseBook book;
    {
        jk::SettingsStore store(path);
        loadAll(book, store);
        for (int n = 1; n <= jk::SetCount; ++n)
            jk::SaveTextSet(book, store, n);
        if (!store.flush().ok)
            std::abort();
    }
    jk::PhraseBook again;
    const jk::SettingsStore store(path);
    loadAll(again, store);
    if (again.SetName != book.SetName || again.EntryLong != book.EntryLong ||
        again.EntryShort != book.EntryShort || again.EntryStyle != book.EntryStyle ||
        again.EntryEnter != book.EntryEnter || again.Prefix != book.Prefix ||
        again.Vars != book.Vars)
        std::abort();
    return 0;
}
