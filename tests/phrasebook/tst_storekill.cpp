// A saver of all 30 sets, killed at random moments of back-to-back saves, leaves the store
// holding the old or the new generation whole. "tst_storekill save FILE FIRST COUNT" is the saver.
#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>

using namespace jk;

namespace {

// Generation gen's book: texts of its own in every entry of every set.
PhraseBook generation(long gen) {
    PhraseBook book;
    LoadBuiltIns(book);
    const QString tag = QStringLiteral("gen %1").arg(gen);
    for (int s = 0; s < SetCount; ++s) {
        book.SetName[s] = tag;
        for (int e = 0; e < EntryCount; ++e) {
            book.EntryLong[s][e] = tag + QStringLiteral(" text %1/%2 ").arg(s).arg(e) +
                                   QString(200, QChar(char16_t(u'a' + gen % 26)));
            book.EntryShort[s][e] = tag;
        }
    }
    return book;
}

int save(const QString& path, long first, long count) {
    SettingsStore store(path);
    for (long gen = first; gen < first + count; ++gen) {
        const PhraseBook book = generation(gen);
        for (int n = 1; n <= SetCount; ++n)
            SaveTextSet(book, store, n);
        if (!store.flush().ok)
            return 1;
        std::printf("%ld\n", gen);
        std::fflush(stdout);
    }
    return 0;
}

// The single generation the whole store holds, or -1 when sets disagree or text is torn.
long storedGeneration(const QString& path) {
    if (QSettings(path, QSettings::IniFormat).status() != QSettings::NoError)
        return -1;
    PhraseBook book;
    LoadBuiltIns(book);
    const SettingsStore store(path);
    for (int n = 1; n <= SetCount; ++n)
        LoadTextSet(book, store, n);
    const long gen = book.SetName[0].mid(4).toLong();
    const PhraseBook expected = generation(gen);
    return book.SetName == expected.SetName && book.EntryLong == expected.EntryLong &&
                   book.EntryShort == expected.EntryShort
               ? gen
               : -1;
}

} // namespace

class TestStoreKill : public QObject {
    Q_OBJECT
private slots:
    void killedSaveLeavesOldOrNew() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Jeerkit.ini");
        QCOMPARE(save(path, 0, 1), 0);
        long last = 0;
        for (int round = 1; round <= 50; ++round) {
            QProcess saver;
            const long first = round * 1000L;
            saver.start(QCoreApplication::applicationFilePath(),
                        {"save", path, QString::number(first), "1000"});
            // Once it is saving back to back, any moment is in the middle of some save.
            QVERIFY(saver.waitForStarted() && saver.waitForReadyRead(30000));
            QThread::msleep(QRandomGenerator::global()->bounded(0, 40));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished());
            long reported = last; // the last generation reported complete
            for (const QByteArray& line : saver.readAllStandardOutput().split('\n'))
                reported = line.isEmpty() ? reported : line.toLong();
            // That one, or the one being written when killed.
            const long gen = storedGeneration(path);
            QVERIFY2(gen == reported || gen == (reported == last ? first : reported + 1),
                     qPrintable(
                         QString("round %1: found %2 after %3").arg(round).arg(gen).arg(reported)));
            last = gen;
        }
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && QByteArrayView(argv[1]) == "save")
        return save(QString::fromLocal8Bit(argv[2]), std::atol(argv[3]), std::atol(argv[4]));
    TestStoreKill test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_storekill.moc"
