// Window sizes, placement, activation among the program's own windows, and closing.
#include "UiHarness.h"

#include "phrasebook/SettingsLayout.h"
#include "ui/FieldComboBox.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace jk;
using namespace jk::test;

namespace {

bool madeTopMostOrNot(const UiRun& run, const QWidget& w) {
    const auto id = platform::WindowId(const_cast<QWidget&>(w).winId());
    for (const FakePlatform::Call& call : run.platform.calls)
        if (call.what == "topmost" && call.window == id)
            return true;
    return false;
}

QWidget* windowOf(FormMain& main, int size) {
    switch (size) {
    case 2:
        return main.smallWindow();
    case 3:
        return main.tinyWindow();
    default:
        return &main;
    }
}

void switchTo(FormMain& main, int size) {
    if (size >= 2)
        main.Command3()->click();
    if (size >= 3)
        main.smallWindow()->Command3()->click();
}

} // namespace

class TestWindowModes : public QObject {
    Q_OBJECT

private slots:
    void cycleStoresSizesAndTheSmallPosition();
    void startInStoredSize_data();
    void startInStoredSize();
    void otherApplicationsDoNotActivate();
    void closeRunsOnlyThatWindowsSequence_data();
    void closeRunsOnlyThatWindowsSequence();
    void minimisedOrMaximisedStoresNoPosition();
    void restartShowsEveryEdit();
    void closeSaveFailureAsksRetryOrQuit();
};

void TestWindowModes::cycleStoresSizesAndTheSmallPosition() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;

    w.Command3()->click();
    FormSmall* small = w.smallWindow();
    QVERIFY(small && small->isVisible() && !w.isVisible());
    QCOMPARE(run.setting(layout::WindowSize), QStringLiteral("2"));
    QCOMPARE(small->pos(), QPoint(0, 0));
    QCOMPARE(run.setting(layout::SmallTop), Missing);

    small->move(40, 30);
    small->Command3()->click();
    FormTiny* tiny = w.tinyWindow();
    QVERIFY(tiny && tiny->isVisible() && !small->isVisible());
    QCOMPARE(run.setting(layout::WindowSize), QStringLiteral("3"));
    QCOMPARE(run.setting(layout::SmallTop), QStringLiteral("450"));
    QCOMPARE(run.setting(layout::SmallLeft), QStringLiteral("600"));

    tiny->move(10, 20);
    tiny->Command3()->click();
    QVERIFY(w.isVisible() && !tiny->isVisible());
    QCOMPARE(run.setting(layout::WindowSize), QStringLiteral("1"));
    QCOMPARE(run.setting(layout::TinyTop), QStringLiteral("300"));
    QCOMPARE(run.setting(layout::MainTop), Missing);

    // Hidden, not destroyed: shown again where it was.
    w.Command3()->click();
    QCOMPARE(w.smallWindow(), small);
    QCOMPARE(small->pos(), QPoint(40, 30));
}

void TestWindowModes::startInStoredSize_data() {
    QTest::addColumn<QString>("windowSize");
    QTest::addColumn<int>("shown");
    QTest::newRow("small") << "2" << 2;
    QTest::newRow("tiny") << "3" << 3;
    QTest::newRow("tiny as a fraction") << "3.0" << 3;
    QTest::newRow("main") << "1" << 1;
    QTest::newRow("size 4") << "4" << 1;
    QTest::newRow("no number") << "small" << 1;
}

void TestWindowModes::startInStoredSize() {
    QFETCH(QString, windowSize);
    QFETCH(int, shown);
    StoreFile file;
    file.seed({{"Settings/WindowSize", windowSize},
               {"Settings/SmallTop", "300"},
               {"Settings/SmallLeft", "600"},
               {"Settings/TinyTop", "1e9"},
               {"Settings/TinyLeft", "-45"},
               {"Settings/CurrentTextSet", "21"}});
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    QWidget* window = windowOf(w, shown);
    QVERIFY(window && window->isVisible());
    QCOMPARE(run.setting(layout::WindowSize), QString::number(shown));
    if (shown != 1) {
        // The main window was never shown nor activated.
        QVERIFY(!w.isVisible());
        QVERIFY(!madeTopMostOrNot(run, w));
        QCOMPARE(run.main->modes().active(), w.modes().window(WindowSize(shown)));
    }
    if (shown == 2) {
        QCOMPARE(w.smallWindow()->pos(), QPoint(40, 20));
        QCOMPARE(w.smallWindow()->ComboTextSet()->currentIndex(), 21);
        QCOMPARE(w.smallWindow()->TextShort()[0]->text(), QStringLiteral("unarmedsalute"));
    }
    if (shown == 3) {
        // Far off the screen is kept: the player's desktop may have been larger.
        QCOMPARE(w.tinyWindow()->pos(), QPoint(-3, 30000));
        QCOMPARE(w.tinyWindow()->ComboTextSet()->currentIndex(), 21);
    }
}

void TestWindowModes::otherApplicationsDoNotActivate() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    run.main->Command3()->click();
    FormSmall& small = *run.main->smallWindow();
    QVERIFY(activate(small));
    run.store.write(layout::Settings, layout::WindowSize, QStringLiteral("marker"));

    // Stands in for the game client taking the focus, and giving it back.
    QWidget game;
    game.show();
    QVERIFY(activate(game));
    small.move(70, 80);
    QVERIFY(activate(small));
    QCOMPARE(run.setting(layout::WindowSize), QStringLiteral("marker"));
    QCOMPARE(run.setting(layout::SmallTop), Missing);
}

void TestWindowModes::closeRunsOnlyThatWindowsSequence_data() {
    QTest::addColumn<int>("closing");
    QTest::newRow("main") << 1;
    QTest::newRow("small") << 2;
    QTest::newRow("tiny") << 3;
}

void TestWindowModes::closeRunsOnlyThatWindowsSequence() {
    QFETCH(int, closing);
    StoreFile file;
    file.seed({{"Settings/MainTop", "150"}, {"Settings/MainLeft", "300"}});
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    // Every window exists; the one to close is shown, the others hidden.
    switchTo(w, 3);
    w.tinyWindow()->Command3()->click();
    switchTo(w, closing);
    for (int size = 1; size <= 3; ++size)
        windowOf(w, size)->move(size == closing ? QPoint(20, 30) : QPoint(70, 80));
    const QString smallTop = run.setting(layout::SmallTop);
    const QString tinyTop = run.setting(layout::TinyTop);
    run.book.CurrentTextSet = 5;

    QVERIFY(windowOf(w, closing)->close());
    QCOMPARE(run.ended, 1);
    for (int size = 1; size <= 3; ++size)
        QVERIFY(!windowOf(w, size)->isVisible());

    const QString topKeys[] = {layout::MainTop, layout::SmallTop, layout::TinyTop};
    const QString leftKeys[] = {layout::MainLeft, layout::SmallLeft, layout::TinyLeft};
    const QString earlierTops[] = {QStringLiteral("150"), smallTop, tinyTop};
    for (int size = 1; size <= 3; ++size) {
        const QString top = file.read(layout::Settings, topKeys[size - 1]);
        if (size == closing) {
            QCOMPARE(top, QStringLiteral("450"));
            QCOMPARE(file.read(layout::Settings, leftKeys[size - 1]), QStringLiteral("300"));
        } else {
            QCOMPARE(top, earlierTops[size - 1]);
        }
    }
    QCOMPARE(file.read(layout::Settings, layout::CurrentTextSet), QStringLiteral("5"));
    for (int n = 1; n <= 30; ++n) {
        QVERIFY(file.read(layout::Settings, layout::textSet(n)) != Missing);
        QCOMPARE(file.read(layout::textSet(n), layout::enter(23)), QStringLiteral("1"));
    }
    // Closing again (the program is ending) runs nothing more.
    windowOf(w, closing)->show();
    windowOf(w, closing)->close();
    QCOMPARE(run.ended, 1);
}

void TestWindowModes::minimisedOrMaximisedStoresNoPosition() {
    StoreFile file;
    file.seed({{"Settings/TinyTop", "75"}, {"Settings/TinyLeft", "90"}});
    UiRun run(file.path());
    run.start();
    switchTo(*run.main, 3);
    FormTiny& tiny = *run.main->tinyWindow();
    const QPoint buttonAt = tiny.Command2()[23]->pos();
    tiny.showMaximized();
    QCOMPARE(tiny.Command2()[23]->pos(), buttonAt);
    QVERIFY(tiny.isMaximized());
    QVERIFY(tiny.close());
    QCOMPARE(file.read(layout::Settings, layout::TinyTop), QStringLiteral("75"));
    QCOMPARE(file.read(layout::Settings, layout::TinyLeft), QStringLiteral("90"));
    QCOMPARE(file.read(layout::textSet(30), layout::enter(0)), QStringLiteral("1"));
}

void TestWindowModes::restartShowsEveryEdit() {
    StoreFile file;
    {
        UiRun run(file.path());
        run.start();
        FormMain& w = *run.main;
        w.TextLong()[0]->setText(QStringLiteral("Well met, <var3>!"));
        w.ComboSay()[0]->setCurrentIndex(Whisper);
        w.CheckEnter()[1]->setChecked(false);
        w.TextVar()[2]->setText(QStringLiteral("traveller"));
        w.Prefix()->setText(QStringLiteral("Thee"));
        w.ComboTextSet()->setCurrentIndex(2);
        w.TextLong()[4]->setText(QString(300, u'q'));
        w.ComboTextSet()->setFocus(Qt::TabFocusReason);
        w.ComboTextSet()->lineEdit()->setText(QStringLiteral("Shop"));
        w.Command1()->setFocus(Qt::TabFocusReason);
        w.Command3()->click();
        w.smallWindow()->TextShort()[3]->setText(QStringLiteral("short"));
        w.smallWindow()->Command3()->click();
        QVERIFY(w.tinyWindow()->close());
    }
    UiRun run(file.path());
    run.platform.windows["Ultima Online"] = 4;
    run.start();
    FormMain& w = *run.main;
    QVERIFY(w.tinyWindow() && w.tinyWindow()->isVisible());
    QCOMPARE(w.tinyWindow()->ComboTextSet()->currentText(), QStringLiteral("Shop"));
    w.tinyWindow()->Command3()->click();
    QCOMPARE(w.ComboTextSet()->currentIndex(), 2);
    QCOMPARE(w.TextLong()[4]->text(), QString(300, u'q'));
    QCOMPARE(w.TextShort()[3]->text(), QStringLiteral("short"));
    QCOMPARE(w.Prefix()->text(), QStringLiteral("Thee"));
    QCOMPARE(w.TextVar()[2]->text(), QStringLiteral("traveller"));
    w.ComboTextSet()->setCurrentIndex(0);
    QCOMPARE(w.TextLong()[0]->text(), QStringLiteral("Well met, <var3>!"));
    QCOMPARE(w.ComboSay()[0]->currentText(), QStringLiteral("Whisper"));
    QVERIFY(!w.CheckEnter()[1]->isChecked());
    w.Command2()[0]->click();
    QCOMPARE(run.typed(0), QStringLiteral("; Well met, traveller!\n"));
}

void TestWindowModes::closeSaveFailureAsksRetryOrQuit() {
    QTemporaryDir dir;
    UiRun run(dir.path());
    run.start();
    run.prompts.retryAnswers = {true, true};
    QVERIFY(run.main->close());
    // Two retries, then "Quit without saving"; the program ends either way.
    QCOMPARE(run.prompts.asked.size(), 3);
    QVERIFY(run.prompts.asked[0].contains(dir.path()));
    QCOMPARE(run.ended, 1);
}

QTEST_MAIN(TestWindowModes)
#include "tst_windowmodes.moc"
