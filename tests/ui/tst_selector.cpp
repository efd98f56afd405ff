// The text-set selector of the three windows: switching, renaming, and the saves when it
// gains and loses the focus.
#include "UiHarness.h"

#include "phrasebook/SettingsLayout.h"
#include "ui/FieldComboBox.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>

using namespace jk;
using namespace jk::test;

namespace {

// A value of set 1 that only a save of set 1 overwrites.
void plantMarker(UiRun& run) {
    run.store.write(QStringLiteral("TextSet1"), layout::text(0), QStringLiteral("marker"));
}
bool markerGone(const UiRun& run) {
    return run.store.read(QStringLiteral("TextSet1"), layout::text(0), Missing) !=
           QStringLiteral("marker");
}

void focusIn(QWidget& w, Qt::FocusReason reason) {
    QFocusEvent event(QEvent::FocusIn, reason);
    QCoreApplication::sendEvent(&w, &event);
}
void focusOut(QWidget& w, Qt::FocusReason reason) {
    QFocusEvent event(QEvent::FocusOut, reason);
    QCoreApplication::sendEvent(&w, &event);
}

} // namespace

class TestSelector : public QObject {
    Q_OBJECT

private slots:
    void renameInMainIsListedInSmall();
    void typedNameOfAnotherSetStillRenames();
    void pickingFromTheListAfterTypingRenamesNothing();
    void emptyNameStaysEmpty();
    void focusChangesThatSave_data();
    void focusChangesThatSave();
    void enteringAndLeavingSavesTwiceAndChangesNothing();
    void wheelOverAnUnfocusedSelectorSwitchesNothing();
    void switchInTinyThenBig();
    void smallWindowSwitchAndFullText();
    void saveFailureIsToldOnce();
};

void TestSelector::renameInMainIsListedInSmall() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    const QString row0 = w.TextLong()[0]->text();

    w.ComboTextSet()->setFocus(Qt::MouseFocusReason);
    QVERIFY(w.ComboTextSet()->hasFocus());
    w.ComboTextSet()->lineEdit()->selectAll();
    QTest::keyClicks(w.ComboTextSet(), QStringLiteral("Market"));
    QTest::keyClick(w.ComboTextSet(), Qt::Key_Tab);
    QVERIFY(!w.ComboTextSet()->hasFocus());

    QCOMPARE(run.book.SetName[0], QStringLiteral("Market"));
    QCOMPARE(w.ComboTextSet()->count(), 30);
    QCOMPARE(w.ComboTextSet()->itemText(0), QStringLiteral("Market"));
    QCOMPARE(w.ComboTextSet()->itemText(1), QStringLiteral("Adventurer 2"));
    QCOMPARE(w.ComboTextSet()->currentIndex(), 0);
    QCOMPARE(w.TextLong()[0]->text(), row0);
    // Saved with the set, and on the disk.
    QTRY_COMPARE(file.read(layout::Settings, layout::textSet(1)), QStringLiteral("Market"));

    w.Command3()->click();
    QCOMPARE(w.smallWindow()->ComboTextSet()->itemText(0), QStringLiteral("Market"));
    QCOMPARE(w.smallWindow()->ComboTextSet()->currentText(), QStringLiteral("Market"));
}

void TestSelector::typedNameOfAnotherSetStillRenames() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    w.ComboTextSet()->setFocus(Qt::TabFocusReason);
    w.ComboTextSet()->lineEdit()->selectAll();
    QTest::keyClicks(w.ComboTextSet(), QStringLiteral("Adventurer 5"));
    QTest::keyClick(w.ComboTextSet(), Qt::Key_Return);
    QCOMPARE(run.book.CurrentTextSet, qint16(0));
    w.Command1()->setFocus(Qt::TabFocusReason);
    QCOMPARE(run.book.CurrentTextSet, qint16(0));
    QCOMPARE(run.book.SetName[0], QStringLiteral("Adventurer 5"));
    QCOMPARE(run.book.SetName[4], QStringLiteral("Adventurer 5"));
    QCOMPARE(w.ComboTextSet()->count(), 30);
}

void TestSelector::pickingFromTheListAfterTypingRenamesNothing() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    QVERIFY(activate(w));
    QComboBox& selector = *w.ComboTextSet();
    // Twice: the first opening of a list in a run moves the focus differently from later ones.
    for (const int pick : {4, 9}) {
        selector.setFocus(Qt::MouseFocusReason);
        selector.lineEdit()->selectAll();
        QTest::keyClicks(&selector, QStringLiteral("typed name"));
        selector.showPopup();
        QTRY_VERIFY(selector.view()->isVisible());
        selector.view()->setCurrentIndex(selector.model()->index(pick, 0));
        QTest::keyClick(selector.view(), Qt::Key_Return);
        QTRY_VERIFY(!selector.view()->isVisible());
        QCOMPARE(run.book.CurrentTextSet, qint16(pick));
        w.Command1()->setFocus(Qt::MouseFocusReason);
        QVERIFY(std::ranges::find(run.book.SetName, QStringLiteral("typed name")) ==
                run.book.SetName.end());
        QCOMPARE(selector.currentText(), run.book.SetName[pick]);
    }
}

void TestSelector::emptyNameStaysEmpty() {
    StoreFile file;
    {
        UiRun run(file.path());
        run.start();
        FormMain& w = *run.main;
        w.ComboTextSet()->setCurrentIndex(3);
        w.ComboTextSet()->setFocus(Qt::TabFocusReason);
        w.ComboTextSet()->lineEdit()->clear();
        w.Command1()->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.ComboTextSet()->itemText(3), QString());
        QCOMPARE(w.ComboTextSet()->currentIndex(), 3);
        w.close();
    }
    UiRun again(file.path());
    again.start();
    QCOMPARE(again.book.SetName[3], QString());
    QCOMPARE(again.main->ComboTextSet()->currentIndex(), 3);
}

void TestSelector::focusChangesThatSave_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("saves");
    QTest::newRow("mouse") << int(Qt::MouseFocusReason) << true;
    QTest::newRow("tab") << int(Qt::TabFocusReason) << true;
    QTest::newRow("backtab") << int(Qt::BacktabFocusReason) << true;
    QTest::newRow("drop-down list") << int(Qt::PopupFocusReason) << false;
    QTest::newRow("other application") << int(Qt::ActiveWindowFocusReason) << false;
}

void TestSelector::focusChangesThatSave() {
    QFETCH(int, reason);
    QFETCH(bool, saves);
    StoreFile file;
    UiRun run(file.path());
    run.start();
    QComboBox* selectors[] = {run.main->ComboTextSet(), nullptr, nullptr};
    run.main->Command3()->click();
    selectors[1] = run.main->smallWindow()->ComboTextSet();
    run.main->smallWindow()->Command3()->click();
    selectors[2] = run.main->tinyWindow()->ComboTextSet();

    for (QComboBox* selector : selectors) {
        plantMarker(run);
        focusIn(*selector, Qt::FocusReason(reason));
        QCOMPARE(markerGone(run), saves);
        plantMarker(run);
        focusOut(*selector, Qt::FocusReason(reason));
        QCOMPARE(markerGone(run), saves);
    }
}

void TestSelector::enteringAndLeavingSavesTwiceAndChangesNothing() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    run.main->Command3()->click();
    FormSmall& small = *run.main->smallWindow();
    QVERIFY(activate(small));
    small.ComboTextSet()->setCurrentIndex(6);
    const auto names = run.book.SetName;

    plantMarker(run);
    small.ComboTextSet()->setFocus(Qt::MouseFocusReason);
    QVERIFY(!markerGone(run)); // set 7 is current: set 1 is not written
    QTRY_COMPARE(file.read("TextSet7", layout::enter(23)), QStringLiteral("1"));
    small.Command1()->setFocus(Qt::MouseFocusReason);
    QCOMPARE(run.book.SetName, names);
    QCOMPARE(run.book.CurrentTextSet, qint16(6));
    QCOMPARE(small.ComboTextSet()->currentIndex(), 6);
    QVERIFY(run.prompts.told.isEmpty());
}

void TestSelector::wheelOverAnUnfocusedSelectorSwitchesNothing() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    QComboBox& selector = *run.main->ComboTextSet();
    QVERIFY(!selector.hasFocus());
    const QPointF at(selector.rect().center());
    QWheelEvent wheel(at, selector.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&selector, &wheel);
    QCOMPARE(run.book.CurrentTextSet, qint16(0));
    QCOMPARE(selector.currentIndex(), 0);
}

void TestSelector::switchInTinyThenBig() {
    StoreFile file;
    UiRun run(file.path());
    run.platform.windows["Ultima Online"] = 12;
    run.start();
    FormMain& w = *run.main;
    w.Command3()->click();
    w.smallWindow()->Command3()->click();
    FormTiny& tiny = *w.tinyWindow();

    tiny.ComboTextSet()->setCurrentIndex(20);
    tiny.Command2()[0]->click();
    QCOMPARE(run.typed(0), QStringLiteral("`yawn\n"));
    tiny.Command3()->click();
    QVERIFY(w.isVisible() && !tiny.isVisible());
    QCOMPARE(w.ComboTextSet()->currentIndex(), 20);
    QCOMPARE(w.ComboTextSet()->currentText(), QStringLiteral("Gestures 1"));
    QCOMPARE(w.TextLong()[0]->text(), QStringLiteral("yawn"));
    QCOMPARE(w.ComboSay()[0]->currentText(), QStringLiteral("Gesture"));
    // Every box reads "Gesture" from its start.
    for (QComboBox* style : w.ComboSay())
        QVERIFY(!style->lineEdit() || style->lineEdit()->cursorPosition() == 0);
}

void TestSelector::smallWindowSwitchAndFullText() {
    StoreFile file;
    UiRun run(file.path());
    run.start();
    FormMain& w = *run.main;
    w.TextShort()[3]->setText(QStringLiteral("stop"));
    w.Command3()->click();
    FormSmall& small = *w.smallWindow();
    QVERIFY(activate(small));
    QCOMPARE(small.TextShort()[3]->text(), QStringLiteral("stop"));

    QTest::mouseMove(small.Command2()[12]);
    QCOMPARE(small.LabelFullText()->text(), run.book.EntryLong[0][12]);
    QTest::mouseMove(small.TextShort()[5]);
    QCOMPARE(small.LabelFullText()->text(), run.book.EntryLong[0][5]);
    // Another set: the label keeps the last text until the pointer moves on.
    small.ComboTextSet()->setCurrentIndex(20);
    QCOMPARE(small.LabelFullText()->text(), run.book.EntryLong[0][5]);
    QCOMPARE(small.TextShort()[0]->text(), QStringLiteral("yawn"));

    // A label edited here shows in the main window's row when it is back.
    small.TextShort()[2]->setText(QStringLiteral("bow!"));
    small.Command3()->click();
    w.tinyWindow()->Command3()->click();
    QCOMPARE(w.ComboTextSet()->currentIndex(), 20);
    QCOMPARE(w.TextShort()[2]->text(), QStringLiteral("bow!"));
}

void TestSelector::saveFailureIsToldOnce() {
    QTemporaryDir dir;
    // A folder where the file should be: nothing can be written there.
    UiRun run(dir.path());
    run.start();
    FormMain& w = *run.main;
    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < 3; ++k) {
            w.ComboTextSet()->setFocus(Qt::MouseFocusReason);
            w.Command1()->setFocus(Qt::MouseFocusReason);
        }
        // Saves reach the disk a moment later; each round fails again.
        QTRY_COMPARE(run.prompts.told.size(), 1);
        QTest::qWait(300);
    }
    QCOMPARE(run.prompts.told.size(), 1);
    QVERIFY(run.prompts.told[0].contains(dir.path()));
    QVERIFY(run.prompts.told[0].contains(QStringLiteral("folder")));
    QVERIFY(run.prompts.asked.isEmpty());
}

QTEST_MAIN(TestSelector)
#include "tst_selector.moc"
