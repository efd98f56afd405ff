// The main window: what a first run shows, how edits reach the phrase book and the game,
// the long-text rule, stored values that are out of range, the about box.
#include "UiHarness.h"

#include "phrasebook/SettingsLayout.h"
#include "ui/FieldComboBox.h"
#include "ui/FormAbout.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

using namespace jk;
using namespace jk::test;

class TestFormMain : public QObject {
    Q_OBJECT

private slots:
    void firstRunShowsTheStockPhrases();
    void editSurvivesSwitchingSets();
    void styleChangeIsUsedByTheNextSend_data();
    void styleChangeIsUsedByTheNextSend();
    void longTextRule_data();
    void longTextRule();
    void typingAtTheEndOfALongTextReplacesTheLastCharacter();
    void typedOrWheeledStyleChangesNothing();
    void prefixAndVariablesReachTheGame();
    void startupValues_data();
    void startupValues();
    void styleWithoutAnItemIsKept();
    void aboutBoxLeavesAndRestoresTopMost();
    void storedAlwaysOnTopAppliesToEveryWindow();
};

void TestFormMain::firstRunShowsTheStockPhrases() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;

    QCOMPARE(w.windowTitle(), QStringLiteral("Jeerkit 2.0 - Bardsnark (and more...)"));
    QVERIFY(w.isVisible());
    QCOMPARE(w.ComboTextSet()->count(), 30);
    QCOMPARE(w.ComboTextSet()->currentIndex(), 0);
    QCOMPARE(w.ComboTextSet()->currentText(), QStringLiteral("Adventurer 1"));
    QCOMPARE(w.ComboTextSet()->itemText(20), QStringLiteral("Gestures 1"));
    QCOMPARE(w.TextLong()[0]->text(),
             QStringLiteral("Hail fine sir. Might I purchase some of thine wares?"));
    QCOMPARE(w.TextShort()[0]->text(), w.TextLong()[0]->text());
    QCOMPARE(w.TextLong()[23]->text(), QStringLiteral("frown"));
    QCOMPARE(w.ComboSay()[23]->currentText(), QStringLiteral("Emote"));
    QCOMPARE(w.ComboSay()[18]->currentText(), QStringLiteral("Say"));
    for (QCheckBox* enter : w.CheckEnter())
        QVERIFY(enter->isChecked());
    QCOMPARE(w.Prefix()->text(), QStringLiteral("Thou"));
    QCOMPARE(run.setting(layout::WindowSize), QStringLiteral("1"));
    QCOMPARE(w.pos(), QPoint(0, 0));
    QVERIFY(!w.smallWindow());
    // Opens on "Curse !", with the labels readable from their start.
    QCOMPARE(QApplication::focusWidget(), w.Command1());
    QCOMPARE(w.TextShort()[0]->cursorPosition(), 0);
}

void TestFormMain::editSurvivesSwitchingSets() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;

    w.ComboTextSet()->setCurrentIndex(2);
    QCOMPARE(run.book.CurrentTextSet, qint16(2));
    w.TextLong()[4]->setText(QStringLiteral("Thy boots are muddy"));
    w.TextShort()[4]->setText(QStringLiteral("boots"));
    w.CheckEnter()[4]->setChecked(false);
    w.ComboTextSet()->setCurrentIndex(4);
    QCOMPARE(w.TextLong()[4]->text(), QString());
    QVERIFY(w.CheckEnter()[4]->isChecked());
    w.ComboTextSet()->setCurrentIndex(2);
    QCOMPARE(w.TextLong()[4]->text(), QStringLiteral("Thy boots are muddy"));
    QCOMPARE(w.TextShort()[4]->text(), QStringLiteral("boots"));
    QVERIFY(!w.CheckEnter()[4]->isChecked());
    QCOMPARE(run.book.EntryEnter[2][4], qint16(0));
    QCOMPARE(run.book.EntryLong[4][4], QString());
}

void TestFormMain::styleChangeIsUsedByTheNextSend_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("line");
    const QString text = QStringLiteral("Hail sir! Might I sell my wares in thy shop?");
    QTest::newRow("Say") << 0 << text + u'\n';
    QTest::newRow("Emote") << 1 << QStringLiteral(": ") + text + u'\n';
    QTest::newRow("Yell") << 2 << QStringLiteral("! ") + text + u'\n';
    QTest::newRow("Whisper") << 3 << QStringLiteral("; ") + text + u'\n';
    QTest::newRow("Gesture") << 4 << QStringLiteral("`") + text + u'\n';
}

void TestFormMain::styleChangeIsUsedByTheNextSend() {
    QFETCH(int, style);
    QFETCH(QString, line);
    StoreFile file;
    UiRun run(file.path());
    run.platform.windows["Ultima Online"] = 77;
    run.start();
    FormMain& w = *run.main;

    w.ComboSay()[1]->setCurrentIndex(style);
    w.Command2()[1]->click();
    QCOMPARE(run.platform.typed.size(), std::size_t(1));
    QCOMPARE(run.typed(0), line);
    QVERIFY(run.warnings.isEmpty());
}

void TestFormMain::longTextRule_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::newRow("76") << 76 << -1 << 0;
    QTest::newRow("77") << 77 << 76 << 1;
    QTest::newRow("100") << 100 << 76 << 24;
    QTest::newRow("100000") << 100000 << 76 << 100000 - 76;
}

void TestFormMain::longTextRule() {
    QFETCH(int, length);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    StoreFile file;
    UiRun run(file.path());
    run.platform.windows["Ultima Online Third Dawn"] = 5;
    run.start();
    FormMain& w = *run.main;

    QString text;
    for (int k = 0; k < length; ++k)
        text.append(QChar(u'a' + k % 26));
    w.CheckEnter()[6]->setChecked(false);
    w.TextLong()[6]->setText(text);
    QCOMPARE(w.TextLong()[6]->selectionStart(), selectionStart);
    QCOMPARE(w.TextLong()[6]->selectedText().size(), selectionLength);
    // Never cut: the entry holds the whole text and sends it.
    QCOMPARE(w.TextLong()[6]->text(), text);
    QCOMPARE(run.book.EntryLong[0][6], text);
    w.Command2()[6]->click();
    QCOMPARE(run.typed(0), text);
}

void TestFormMain::typingAtTheEndOfALongTextReplacesTheLastCharacter() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    QLineEdit& box = *run.main->TextLong()[2];
    box.setFocus();
    box.setText(QString(77, u'x'));
    QTest::keyClick(&box, Qt::Key_Y);
    QTest::keyClick(&box, Qt::Key_Z);
    QCOMPARE(box.text(), QString(76, u'x') + u'z');
    QCOMPARE(run.book.EntryLong[0][2], box.text());
}

void TestFormMain::typedOrWheeledStyleChangesNothing() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    QComboBox& style = *w.ComboSay()[5];
    QVERIFY(!w.ComboSay()[0]->isEditable());
    QVERIFY(style.isEditable());

    style.setFocus(Qt::TabFocusReason);
    style.lineEdit()->selectAll();
    QTest::keyClicks(&style, QStringLiteral("Yell"));
    QTest::keyClick(&style, Qt::Key_Return);
    w.TextLong()[0]->setFocus(Qt::TabFocusReason);
    QCOMPARE(run.book.EntryStyle[0][5], qint16(Say));
    QCOMPARE(style.count(), 5);
    QCOMPARE(style.currentIndex(), 0);

    // Neither is turning the wheel over a style box, over any row or in the focused box.
    const auto styles = run.book.EntryStyle[0];
    auto wheel = [](QComboBox* box) {
        const QPointF at(box->rect().center());
        for (int notch = 0; notch < 2; ++notch) {
            QWheelEvent event(at, box->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(box, &event);
        }
    };
    std::ranges::for_each(w.ComboSay(), wheel);
    style.setFocus(Qt::MouseFocusReason);
    wheel(&style);
    QCOMPARE(run.book.EntryStyle[0], styles);

    // Choosing an item is what counts, once the start-up is over; the box shows its start.
    style.setCurrentIndex(3);
    QCOMPARE(style.lineEdit()->cursorPosition(), 0);
    style.setCurrentIndex(2);
    QCOMPARE(run.book.EntryStyle[0][5], qint16(Yell));
    run.book.Loading = true;
    style.setCurrentIndex(3);
    QCOMPARE(run.book.EntryStyle[0][5], qint16(Yell));
}

void TestFormMain::prefixAndVariablesReachTheGame() {
    StoreFile file;
    UiRun run(file.path());
    run.platform.windows["Ultima Online"] = 3;
    run.start();
    FormMain& w = *run.main;
    w.ComboTextSet()->setCurrentIndex(7);
    w.TextVar()[1]->setText(QStringLiteral("Bob"));
    w.TextLong()[0]->setText(QStringLiteral("Hail <var2>"));
    w.Command2()[0]->click();
    QCOMPARE(run.typed(0), QStringLiteral("Hail Bob\n"));

    w.Prefix()->setText(QStringLiteral("Ye"));
    w.Command1()->click();
    QVERIFY(run.typed(1).startsWith(QStringLiteral("Ye ")));
}

void TestFormMain::startupValues_data() {
    QTest::addColumn<QString>("currentTextSet");
    QTest::addColumn<QString>("windowSize");
    QTest::addColumn<int>("expectedSet");
    QTest::newRow("negative set, size 4") << "-1"
                                          << "4" << 0;
    QTest::newRow("set past the last") << "30"
                                       << "1" << 0;
    QTest::newRow("set not a number") << "five"
                                      << "x" << 0;
    QTest::newRow("set out of 16 bits") << "70000"
                                        << "" << 0;
    QTest::newRow("last set") << "29"
                              << "1.0" << 29;
    QTest::newRow("set with blanks") << " 7 "
                                     << "0" << 7;
}

void TestFormMain::startupValues() {
    QFETCH(QString, currentTextSet);
    QFETCH(QString, windowSize);
    QFETCH(int, expectedSet);
    StoreFile file;
    file.seed({{"Settings/CurrentTextSet", currentTextSet},
               {"Settings/WindowSize", windowSize},
               {"Settings/MainTop", "not a number"},
               {"Settings/MainLeft", "1500"}});
    UiRun run(file.path());
    run.start();
    QCOMPARE(run.book.CurrentTextSet, qint16(expectedSet));
    QCOMPARE(run.main->ComboTextSet()->currentIndex(), expectedSet);
    QVERIFY(run.main->isVisible());
    QVERIFY(!run.main->smallWindow() && !run.main->tinyWindow());
    QCOMPARE(run.setting(layout::WindowSize), QStringLiteral("1"));
    QCOMPARE(run.main->pos(), QPoint(100, 0));
}

void TestFormMain::styleWithoutAnItemIsKept() {
    StoreFile file;
    file.seed({{"TextSet1/Style-2", " 7"}});
    {
        UiRun run(file.path());
        run.platform.windows["Ultima Online"] = 9;
        run.start();
        FormMain& w = *run.main;
        QCOMPARE(w.ComboSay()[2]->currentIndex(), -1);
        QCOMPARE(w.ComboSay()[2]->currentText(), QString());
        QCOMPARE(run.book.EntryStyle[0][2], qint16(7));
        // Sent like "Say".
        w.Command2()[2]->click();
        QCOMPARE(run.typed(0), run.book.EntryLong[0][2] + u'\n');
        // Away and back, then saved: still 7.
        w.ComboTextSet()->setCurrentIndex(1);
        w.ComboTextSet()->setCurrentIndex(0);
        QCOMPARE(run.book.EntryStyle[0][2], qint16(7));
        run.main->close();
    }
    QCOMPARE(file.read("TextSet1", "Style-2"), QStringLiteral(" 7"));
}

void TestFormMain::aboutBoxLeavesAndRestoresTopMost() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    const auto id = platform::WindowId(w.winId());
    w.CheckAlwaysOnTop()->setChecked(true);
    QVERIFY(run.platform.topMost.at(id));
    QCOMPARE(run.setting(layout::AlwaysOnTop), QStringLiteral("True"));

    bool seenWhileOpen = false;
    bool topMostWhileOpen = true;
    QString title = QStringLiteral("unset");
    QTimer::singleShot(0, this, [&] {
        FormAbout* about = w.aboutBox();
        QVERIFY(about && about->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(about));
        seenWhileOpen = true;
        title = about->windowTitle();
        topMostWhileOpen = run.platform.topMost.at(id);
        run.store.write(layout::Settings, layout::WindowSize, QStringLiteral("marker"));
        QTest::keyClick(about, Qt::Key_O, Qt::AltModifier);
    });
    w.Command4()->click();
    QVERIFY(seenWhileOpen);
    QCOMPARE(title, QString());
    QVERIFY(!topMostWhileOpen);
    QVERIFY(!w.aboutBox()->isVisible());
    // The main window is active again: back on top, "WindowSize" recorded, flag unchanged.
    QVERIFY(run.platform.topMost.at(id));
    QCOMPARE(run.setting(layout::WindowSize), QStringLiteral("1"));
    QCOMPARE(run.setting(layout::AlwaysOnTop), QStringLiteral("True"));
    QVERIFY(run.book.AlwaysOnTop);
}

void TestFormMain::storedAlwaysOnTopAppliesToEveryWindow() {
    StoreFile file;
    file.seed({{"Settings/AlwaysOnTop", "True"}});
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    QVERIFY(w.CheckAlwaysOnTop()->isChecked());
    QVERIFY(run.platform.topMost.at(platform::WindowId(w.winId())));

    w.Command3()->click();
    QVERIFY(run.platform.topMost.at(platform::WindowId(w.smallWindow()->winId())));
    w.smallWindow()->Command3()->click();
    const auto tinyId = platform::WindowId(w.tinyWindow()->winId());
    QVERIFY(run.platform.topMost.at(tinyId));
    w.tinyWindow()->Command3()->click();
    // Unchecked in the main window: the next window shown is an ordinary one.
    w.CheckAlwaysOnTop()->setChecked(false);
    QCOMPARE(run.setting(layout::AlwaysOnTop), QStringLiteral("False"));
    w.Command3()->click();
    QVERIFY(!run.platform.topMost.at(platform::WindowId(w.smallWindow()->winId())));
}

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
