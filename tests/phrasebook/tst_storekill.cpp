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

using namespace jk;

namespace {

// The single generation the whole store holds, or -1 when sets disagree or text is torn.
long storedGeneration(const QString& path) {
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return -1;
    PhraseBook book;
    LoadBuiltIns(book);
    const SettingsStore store(path);
    long generation = -2;
    for (int n = 1; n <= SetCount; ++n) {
        LoadTextSet(book, store, n);
        const int s = n - 1;
        if (!book.SetName[s].startsWith("gen "))
            return -1;
        const long gen = book.SetName[s].mid(4).toLong();
        if (generation == -2)
            generation = gen;
        if (gen != generation)
            return -1;
        for (int e = 0; e < EntryCount; ++e) {
            const QString expected = QStringLiteral("gen %1 text %2/%3 ").arg(gen).arg(s).arg(e) +
                                     QString(200, QChar(char16_t(u'a' + gen % 26)));
            if (book.EntryLong[s][e] != expected || book.EntryShort[s][e] != book.SetName[s])
                return -1;
        }
    }
    return generation;
}

} // namespace

class TestStoreKill : public QObject {
    Q_OBJECT
private slots:
    void killedSaveLeavesOldOrNew();
};

void TestStoreKill::killedSaveLeavesOldOrNew() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Jeerkit.ini");
    const QString saver = QCoreApplication::applicationDirPath() + "/store_saver";
    QCOMPARE(QProcess::execute(saver, {path, "0", "1"}), 0);
    QCOMPARE(storedGeneration(path), 0L);

    long last = 0;
    int killedMidWrite = 0;
    long generations = 0;
    for (int round = 1; round <= 100; ++round) {
        QProcess process;
        const long first = round * 1000L;
        process.start(saver, {path, QString::number(first), "1000"});
        QVERIFY(process.waitForStarted());
        // Once it is saving back to back, any moment is in the middle of some save.
        QVERIFY(process.waitForReadyRead(30000));
        QThread::msleep(QRandomGenerator::global()->bounded(0, 40));
        ::kill(pid_t(process.processId()), SIGKILL);
        QVERIFY(process.waitForFinished());
        const QList<QByteArray> done = process.readAllStandardOutput().split('\n');
        QVERIFY(!done.isEmpty());

        const long gen = storedGeneration(path);
        QVERIFY2(gen >= 0, qPrintable(QString("round %1: store torn or unreadable").arg(round)));
        // The last generation reported complete, or the one being written when killed.
        long reported = last;
        for (const QByteArray& line : done)
            if (!line.isEmpty())
                reported = line.toLong();
        QVERIFY2(
            gen == reported || gen == (reported == last ? first : reported + 1),
            qPrintable(QString("round %1: found %2 after %3").arg(round).arg(gen).arg(reported)));
        killedMidWrite += gen != reported ? 1 : 0;
        generations += reported - first + 1;
        last = gen;
    }
    qInfo("100 kills survived over %ld complete saves; %d struck after the file was replaced "
          "but before the save was reported",
          generations, killedMidWrite);
}

QTEST_GUILESS_MAIN(TestStoreKill)
#include "tst_storekill.moc"
