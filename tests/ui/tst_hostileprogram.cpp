// Damaged and hand-edited store files through the whole start-up and close of the windows:
// the program starts on the defaults for whatever is unusable, the player works, closing
// writes a valid store, and at most one message is shown.
#include "UiHarness.h"

#include "phrasebook/HostileStores.h"
#include "ui/FormMain.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <algorithm>

using namespace jk;
using namespace jk::test;

class TestHostileProgram : public QObject {
    Q_OBJECT
private slots:
    void startWorkClose();
};

void TestHostileProgram::startWorkClose() {
    const auto cases = generateHostileStores(60, 4242);
    QTemporaryDir dir;
    int index = 0;
    for (const HostileStore& hostile : cases) {
        const QString path = dir.filePath(QStringLiteral("store-%1.ini").arg(index++));
        QVERIFY2(placeHostileStore(hostile, path), qPrintable(hostile.name));
        UiRun run(path);
        run.start();
        FormMain& w = *run.main;
        // Exactly one window shows, and it is the one the player works in.
        const QWidget* windows[] = {&w, w.smallWindow(), w.tinyWindow()};
        QVERIFY2(std::ranges::count_if(windows,
                                       [](const QWidget* x) { return x && x->isVisible(); }) == 1 &&
                     w.modes().activeWidget()->isVisible(),
                 qPrintable(hostile.name));
        const int set = run.book.CurrentTextSet;
        QVERIFY2(set >= 0 && set < SetCount, qPrintable(hostile.name));

        // The player works in whatever window the store started in, then closes it.
        run.book.EntryLong[set][3] = QStringLiteral("written after ") + hostile.name;
        QWidget* shown = w.modes().activeWidget();
        QVERIFY2(shown, qPrintable(hostile.name));
        shown->close();
        QCOMPARE(run.ended, 1);
        QVERIFY2(run.prompts.told.size() + run.prompts.asked.size() <= 1,
                 qPrintable(hostile.name + ": more than one message"));
        if (hostile.isFolder)
            continue;
        QSettings check(path, QSettings::IniFormat);
        QVERIFY2(check.status() == QSettings::NoError, qPrintable(hostile.name));
        SettingsStore store(path);
        QCOMPARE(
            store.read(QStringLiteral("TextSet%1").arg(set + 1), QStringLiteral("Text--3"), {}),
            QStringLiteral("written after ") + hostile.name);
    }
}

QTEST_MAIN(TestHostileProgram)
#include "tst_hostileprogram.moc"
