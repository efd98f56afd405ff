// The text-set selector of the three windows: switching, renaming when the player leaves it,
// the saves when it gains and loses the focus, and a store that cannot be written.
#include "UiHarness.h"

#include <QAbstractItemView>
#include <QFocusEvent>

class TestSelector : public QObject {
    Q_OBJECT

private slots:
    // A name typed into the main window's selector renames the current set when the player
    // leaves it, also to another set's name or to nothing, and the other windows list it. A
    // set picked from the list after typing renames nothing. Twice: the first opening of a
    // list moves the focus differently from later ones.
    void typedName_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("pick"); // -1: leaves with the tab key
        QTest::newRow("new name") << 0 << "Market" << -1;
        QTest::newRow("name of another set") << 0 << "Adventurer 5" << -1;
        QTest::newRow("empty") << 3 << "" << -1;
        QTest::newRow("then picked from the list") << 0 << "typed name" << 4;
    }

    void typedName() {
        QFETCH(int, set);
        QFETCH(QString, typed);
        QFETCH(int, pick);
        Run run;
        run.switchTo(WindowSize::Tiny); // the others' lists exist before the rename
        QVERIFY(activate(run.switchTo(WindowSize::Main)));
        QComboBox& selector = *run.main->ComboTextSet();
        selector.setCurrentIndex(set);
        auto names = run.book.SetName;
        for (int round = 0; round < 2; ++round) {
            selector.setFocus(Qt::MouseFocusReason);
            selector.lineEdit()->clear();
            QTest::keyClicks(&selector, typed);
            if (pick >= 0) {
                selector.showPopup();
                QTRY_VERIFY(selector.view()->isVisible());
                selector.view()->setCurrentIndex(selector.model()->index(pick + round, 0));
            }
            QTest::keyClick(pick < 0 ? static_cast<QWidget*>(&selector) : selector.view(),
                            Qt::Key_Return);
            run.main->Command1()->setFocus(Qt::TabFocusReason);
        }
        const int current = pick < 0 ? set : pick + 1;
        if (pick < 0)
            names[set] = typed;
        QCOMPARE(run.book.SetName, names);
        QCOMPARE(selector.currentText(), names[current]);
        QTRY_COMPARE(run.read(layout::Settings, layout::textSet(set + 1)), names[set]);
        QComboBox& small = *run.switchTo(WindowSize::Small).ComboTextSet();
        QCOMPARE(small.itemText(set), names[set]);
        QCOMPARE(small.currentIndex(), current);
    }

    // Entering and leaving a selector saves the current set, in every window, and changes
    // nothing else; opening its list or visiting another program is neither.
    void focusChangesThatSave_data() {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("saves");
        QTest::newRow("mouse") << int(Qt::MouseFocusReason) << true;
        QTest::newRow("tab") << int(Qt::TabFocusReason) << true;
        QTest::newRow("drop-down list") << int(Qt::PopupFocusReason) << false;
        QTest::newRow("other application") << int(Qt::ActiveWindowFocusReason) << false;
    }

    void focusChangesThatSave() {
        QFETCH(int, reason);
        QFETCH(bool, saves);
        Run run;
        run.main->ComboTextSet()->setCurrentIndex(6);
        const auto names = run.book.SetName;
        for (const WindowSize size : {WindowSize::Main, WindowSize::Small, WindowSize::Tiny}) {
            QComboBox& selector = *run.switchTo(size).ComboTextSet();
            for (const QEvent::Type type : {QEvent::FocusIn, QEvent::FocusOut}) {
                run.store.write(layout::textSet(7), layout::text(0), u"marker"_s);
                QFocusEvent event(type, Qt::FocusReason(reason));
                QCoreApplication::sendEvent(&selector, &event);
                QCOMPARE(run.store.read(layout::textSet(7), layout::text(0), {}) != u"marker"_s,
                         saves);
            }
        }
        QCOMPARE(run.book.SetName, names);
    }

    // A folder where the file should be: the player hears of it once during the run, not at
    // every save; at closing, each Retry is one more attempt, then "Quit without saving".
    void storeThatCannotBeWritten() {
        QTemporaryDir dir;
        UiRun run(dir.path());
        for (int round = 0; round < 3; ++round) {
            run.main->ComboTextSet()->setFocus(Qt::MouseFocusReason);
            run.main->Command1()->setFocus(Qt::MouseFocusReason);
            QTRY_COMPARE(run.told.size(), 1);
            QTest::qWait(300); // the next round's save fails too, off the window thread
        }
        QCOMPARE(run.told.size(), 1);
        QVERIFY(run.told[0].contains(dir.path()));
        run.retries = 2;
        QVERIFY(run.main->close());
        QCOMPARE(run.asked.size(), 3);
        QCOMPARE(run.ended, 1);
    }
};

QTEST_MAIN(TestSelector)
#include "tst_selector.moc"
