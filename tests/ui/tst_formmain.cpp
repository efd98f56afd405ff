// The main window: what it opens with, the long-text rule, the style boxes, and "Always on
// top" with the about box.
#include "UiHarness.h"

#include "ui/FormAbout.h"

#include <QAccessible>
#include <QCheckBox>
#include <QTimer>
#include <QWheelEvent>

namespace {

// One notch down over the box.
void wheel(QWidget* box) {
    const QPointF at(box->rect().center());
    QWheelEvent event(at, box->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(box, &event);
}

QString accessibleName(QWidget* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

bool topMost(const UiRun& run, WindowSize size) {
    return run.platform.topMost.at(platform::WindowId(run.window(size)->winId()));
}

} // namespace

class TestFormMain : public QObject {
    Q_OBJECT

private slots:
    // What a screen reader says: which phrase a control is for, and what a send button types
    // (cut at a word), as loaded and as edited, in the small window too; drawn as before.
    void accessibleNames() {
        Run run;
        QCOMPARE(accessibleName(run.main->Command2()[0]),
                 u"Send phrase 1: Hail fine sir. Might I purchase some of…"_s);
        QCOMPARE(accessibleName(run.main->CheckEnter()[2]), u"Send phrase 3 with Enter"_s);
        QCOMPARE(accessibleName(run.main->TextVar()[5]), u"Variable 6"_s);
        run.main->TextLong()[2]->setText(u"Hail"_s);
        QCOMPARE(accessibleName(run.main->Command2()[2]), u"Send phrase 3: Hail"_s);
        QCOMPARE(accessibleName(run.switchTo(WindowSize::Small).Command2()[2]),
                 u"Send phrase 3: Hail"_s);
        QCOMPARE(run.main->Command2()[2]->text(), u" 3"_s);
    }

    // Never cut: the entry holds and sends the whole text. Past 76 characters, what the
    // game's chat line cannot take shows selected, so the next key typed replaces it.
    void longTextRule_data() {
        QTest::addColumn<int>("length");
        for (const int length : {76, 77, 100, 100000})
            QTest::newRow(qPrintable(QString::number(length))) << length;
    }

    void longTextRule() {
        QFETCH(int, length);
        Run run;
        QLineEdit& box = *run.main->TextLong()[6];
        const QString text(length, u'a');
        box.setText(text);
        QCOMPARE(box.selectionStart(), length > 76 ? 76 : -1);
        QCOMPARE(box.selectedText().size(), std::max(0, length - 76));
        box.setFocus();
        QTest::keyClicks(&box, u"yz"_s);
        QCOMPARE(run.book.EntryLong[0][6], text.left(76) + u'z');
        box.setText(text);
        run.main->Command2()[6]->click();
        QCOMPARE(run.typed(0), text + u'\n');
    }

    // Only choosing an item changes a style: not typing into the box, not the wheel over any
    // box; nor does the wheel switch sets over the selector it is not in.
    void typedOrWheeledChangesNothing() {
        Run run;
        FormMain& w = *run.main;
        QComboBox& style = *w.ComboSay()[5];
        style.setFocus(Qt::TabFocusReason);
        style.lineEdit()->selectAll();
        QTest::keyClicks(&style, u"Yell"_s);
        QTest::keyClick(&style, Qt::Key_Return);
        w.TextLong()[0]->setFocus(Qt::TabFocusReason);
        const auto styles = run.book.EntryStyle[0];
        QCOMPARE(styles[5], qint16(Say));
        std::ranges::for_each(w.ComboSay(), wheel);
        style.setFocus(Qt::MouseFocusReason);
        wheel(&style);
        wheel(w.ComboTextSet());
        QCOMPARE(run.book.EntryStyle[0], styles);
        QCOMPARE(w.ComboTextSet()->currentIndex(), 0);
        // Choosing counts once the start-up is over, and the box shows the word's start.
        style.setCurrentIndex(3);
        QCOMPARE(style.lineEdit()->cursorPosition(), 0);
        QCOMPARE(run.book.EntryStyle[0][5], qint16(Whisper));
        run.book.Loading = true;
        style.setCurrentIndex(2);
        QCOMPARE(run.book.EntryStyle[0][5], qint16(Whisper));
    }

    // The main window's box decides for every window shown after it; the about box takes the
    // main window out of the top-most layer while it is open.
    void alwaysOnTopRules() {
        Run run({{"Settings/AlwaysOnTop", "True"}});
        FormMain& w = *run.main;
        for (const WindowSize size : {WindowSize::Small, WindowSize::Tiny, WindowSize::Main})
            QVERIFY(topMost(run, run.switchTo(size).windowSize()));
        bool topMostWhileOpen = true;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(QTest::qWaitForWindowActive(w.aboutBox()));
            topMostWhileOpen = topMost(run, WindowSize::Main);
            run.store.write(layout::Settings, layout::WindowSize, u"marker"_s);
            QTest::keyClick(w.aboutBox(), Qt::Key_O, Qt::AltModifier);
        });
        w.Command4()->click();
        QVERIFY(!topMostWhileOpen && !w.aboutBox()->isVisible());
        // Active again: back on top and "WindowSize" recorded.
        QVERIFY(topMost(run, WindowSize::Main));
        QCOMPARE(run.setting(layout::WindowSize), u"1"_s);
        w.CheckAlwaysOnTop()->setChecked(false);
        QCOMPARE(run.setting(layout::AlwaysOnTop), u"False"_s);
        QVERIFY(!topMost(run, WindowSize::Main));
        QVERIFY(!topMost(run, run.switchTo(WindowSize::Small).windowSize()));
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
