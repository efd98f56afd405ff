// Which window is shown, where each is placed and when that is stored, the close sequence,
// and a restart finding every edit.
#include "UiHarness.h"

#include "ui/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QScreen>

// A start-up: the stored window size and current set, the window shown, the set current
// in it and its place.
struct Start {
    QString size, set;
    int shown, current;
    QPoint position;
};

Q_DECLARE_METATYPE(Start)

class TestWindowModes : public QObject {
    Q_OBJECT

private slots:
    // Only a stored 2 or 3 hands over, and the main window is then never shown nor activated
    // (nor made top-most, as AlwaysOnTop is off).
    // A current set that is no set index is the first; a place that is no number is 0, and a
    // place off the screen is brought onto it (here to its bottom-left corner).
    void startWithStoredValues_data() {
        QTest::addColumn<Start>("start");
        const QPoint corner(0, QGuiApplication::primaryScreen()->availableGeometry().bottom() + 1 -
                                   twipsToPixels(controls::tinyWindow().height));
        QTest::newRow("small, last set") << Start{"2", "29", 2, 29, {40, 20}};
        QTest::newRow("tiny far off, negative set") << Start{"3", "-1", 3, 0, corner};
        QTest::newRow("tiny as 3.0, set past the last") << Start{"3.0", "30", 3, 0, corner};
        QTest::newRow("main, set out of 16 bits") << Start{"1", "70000", 1, 0, {100, 0}};
        QTest::newRow("size 4, set no number") << Start{"4", "five", 1, 0, {100, 0}};
        QTest::newRow("size no number, set with blanks") << Start{"small", " 7 ", 1, 7, {100, 0}};
    }

    void startWithStoredValues() {
        QFETCH(Start, start);
        // clang-format off
        Run run({{"Settings/WindowSize", start.size}, {"Settings/CurrentTextSet", start.set},
                 {"Settings/MainTop", "x"}, {"Settings/MainLeft", "1500"},
                 {"Settings/SmallTop", "300"}, {"Settings/SmallLeft", "600"},
                 {"Settings/TinyTop", "1e9"}, {"Settings/TinyLeft", "-45"}});
        // clang-format on
        WorkingWindow* window = run.window(WindowSize(start.shown));
        QVERIFY(window->isVisible() && (start.shown == 1 || !run.main->isVisible()));
        QCOMPARE(run.setting(layout::WindowSize), QString::number(start.shown));
        QCOMPARE(window->pos(), start.position);
        QCOMPARE(window->ComboTextSet()->currentIndex(), start.current);
        QCOMPARE(run.platform.topMost.count(platform::WindowId(run.main->winId())),
                 start.shown == 1);
        // It opens on "Curse !", and labels read from their start.
        QCOMPARE(QApplication::focusWidget(), window->Command1());
        QCOMPARE(run.main->TextShort()[0]->cursorPosition(), 0);
        QCOMPARE(run.main->windowTitle(),
                 u"Jeerkit " JEERKIT_VERSION " - Bardsnark (and more...)"_s);
    }

    // A switch stores the size shown, and the place of the small or tiny window it leaves.
    // Closing any window runs its close sequence once: its own place (when its state is
    // normal), the current set and every set are stored, and every window goes.
    void switchAndClose_data() {
        QTest::addColumn<int>("closing");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("main") << 1 << false;
        QTest::newRow("small") << 2 << false;
        QTest::newRow("tiny") << 3 << false;
        QTest::newRow("tiny maximised") << 3 << true;
    }

    void switchAndClose() {
        QFETCH(int, closing);
        QFETCH(bool, maximised);
        Run run({{"Settings/MainTop", "150"}, {"Settings/MainLeft", "300"}});
        run.main->move(70, 80);
        run.switchTo(WindowSize::Tiny);
        run.switchTo(WindowSize::Main);
        WorkingWindow& window = run.switchTo(WindowSize(closing));
        QCOMPARE(run.setting(layout::WindowSize), QString::number(closing));
        const QString keys[] = {layout::MainTop,   layout::MainLeft, layout::SmallTop,
                                layout::SmallLeft, layout::TinyTop,  layout::TinyLeft};
        const QString earlier[] = {u"150"_s, u"300"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s};
        // The game taking the focus and giving it back is no activation: nothing is stored.
        run.store.write(layout::Settings, layout::WindowSize, u"marker"_s);
        QWidget game;
        game.show();
        QVERIFY(activate(game));
        window.move(20, 30);
        QVERIFY(activate(window));
        QCOMPARE(run.setting(layout::WindowSize), u"marker"_s);
        QCOMPARE(run.setting(keys[2 * closing - 2]), earlier[2 * closing - 2]);
        if (maximised)
            window.showMaximized();
        run.book.CurrentTextSet = 5;
        QVERIFY(window.close());
        QCOMPARE(run.ended, 1);
        for (int k = 0; k < 6; ++k) {
            QVERIFY(!run.window(WindowSize(k / 2 + 1))->isVisible());
            const bool stored = k / 2 + 1 == closing && !maximised;
            QCOMPARE(run.read(layout::Settings, keys[k]),
                     stored ? (k % 2 ? u"300"_s : u"450"_s) : earlier[k]);
        }
        QCOMPARE(run.read(layout::Settings, layout::CurrentTextSet), u"5"_s);
        for (int n = 1; n <= SetCount; ++n)
            QCOMPARE(run.read(layout::textSet(n), layout::enter(23)), u"1"_s);
        window.show(); // the program is ending: closing again runs nothing more
        window.close();
        QCOMPARE(run.ended, 1);
    }

    // Edits in every window reach the others and the next run; the small and tiny windows
    // show, edit, choose and send from the same book.
    void restartShowsEveryEdit() {
        StoreFile file({{"TextSet1/Style-2", " 7"}});
        {
            UiRun run(file.path);
            FormMain& w = *run.main;
            w.TextLong()[0]->setText(u"Well met, <var3>!"_s);
            w.ComboSay()[0]->setCurrentIndex(Whisper);
            w.CheckEnter()[1]->setChecked(false);
            w.TextVar()[2]->setText(u"traveller"_s);
            w.Prefix()->setText(u"Thee"_s);
            w.ComboTextSet()->setCurrentIndex(2);
            w.TextLong()[4]->setText(QString(300, u'q'));
            w.TextShort()[3]->setText(u"stop"_s);
            FormSmall& small = run.switchTo<FormSmall>(WindowSize::Small);
            QVERIFY(activate(small)); // for the pointer to move over it
            QCOMPARE(small.TextShort()[3]->text(), u"stop"_s);
            QTest::mouseMove(small.Command2()[4]);
            QCOMPARE(small.LabelFullText()->text(), QString(300, u'q'));
            small.TextShort()[3]->setText(u"short"_s);
            WorkingWindow& tiny = run.switchTo(WindowSize::Tiny);
            tiny.ComboTextSet()->setCurrentIndex(20);
            tiny.Command2()[0]->click();
            QCOMPARE(run.typed(0), u"`yawn\n"_s);
            QVERIFY(tiny.close());
        }
        UiRun run(file.path);
        QCOMPARE(run.window(WindowSize::Tiny)->ComboTextSet()->currentText(), u"Gestures 1"_s);
        FormMain& w = run.switchTo<FormMain>(WindowSize::Main);
        w.ComboTextSet()->setCurrentIndex(2);
        QCOMPARE(w.TextLong()[4]->text(), QString(300, u'q'));
        QCOMPARE(w.TextShort()[3]->text(), u"short"_s);
        w.ComboTextSet()->setCurrentIndex(0);
        QVERIFY(!w.CheckEnter()[1]->isChecked());
        w.Command2()[0]->click();
        QCOMPARE(run.typed(0), u"; Well met, traveller!\n"_s);
        w.Command1()->click();
        QVERIFY(run.typed(1).startsWith(u"Thee "_s));
        // A stored style without an item shows empty, is sent as "Say" and is kept as stored.
        QCOMPARE(w.ComboSay()[2]->currentText(), QString());
        w.Command2()[2]->click();
        QCOMPARE(run.typed(2), run.book.EntryLong[0][2] + u'\n');
        QVERIFY(w.close());
        QCOMPARE(run.read(u"TextSet1"_s, u"Style-2"_s), u" 7"_s);
    }
};

QTEST_MAIN(TestWindowModes)
#include "tst_windowmodes.moc"
