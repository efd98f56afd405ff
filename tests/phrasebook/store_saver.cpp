// Saves all 30 sets over and over, each generation with texts of its own, the way the
// program saves at closing. The kill test stops it at random moments.
#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: store_saver FILE FIRST-GENERATION COUNT\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const long first = std::atol(argv[2]);
    const long count = std::atol(argv[3]);
    jk::PhraseBook book;
    jk::LoadBuiltIns(book);
    jk::SettingsStore store(path);
    for (long gen = first; gen < first + count; ++gen) {
        const QString tag = QStringLiteral("gen %1").arg(gen);
        for (int s = 0; s < jk::SetCount; ++s) {
            book.SetName[s] = tag;
            for (int e = 0; e < jk::EntryCount; ++e) {
                book.EntryLong[s][e] = tag + QStringLiteral(" text %1/%2 ").arg(s).arg(e) +
                                       QString(200, QChar(char16_t(u'a' + gen % 26)));
                book.EntryShort[s][e] = tag;
            }
        }
        for (int n = 1; n <= jk::SetCount; ++n)
            jk::SaveTextSet(book, store, n);
        if (!store.flush().ok)
            return 1;
        std::printf("%ld\n", gen);
        std::fflush(stdout);
    }
    return 0;
}
