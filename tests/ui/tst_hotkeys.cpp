// The player's hotkeys as the store holds them: read at the start, set, refused and cleared.
#include "UiHarness.h"

#include "ui/Hotkeys.h"

#include <QRegularExpression>

using H = platform::Hotkey;
Q_DECLARE_METATYPE(std::optional<H>)

class TestHotkeys : public QObject {
    Q_OBJECT
private slots:
    void readAtStart_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<std::optional<H>>("grabbed");
        QTest::newRow("Ctrl+Alt+1")
            << "Ctrl+Alt+1" << std::optional<H>({H::WithControl | H::WithAlt, '1'});
        QTest::newRow("Shift+F5") << "Shift+F5" << std::optional<H>({H::WithShift, Qt::Key_F5});
        QTest::newRow("Meta+A") << "Meta+A" << std::optional<H>({H::WithSuper, 'A'});
        QTest::newRow("empty") << "" << std::optional<H>();
        QTest::newRow("unknown key") << "Ctrl+Banana" << std::optional<H>();
        QTest::newRow("two chords") << "Ctrl+A, Ctrl+B" << std::optional<H>();
        QTest::newRow("a modifier alone") << "Shift" << std::optional<H>();
        QTest::newRow("held elsewhere") << "Ctrl+F12" << std::optional<H>();
        QTest::newRow("typed by the lines") << "Shift+H" << std::optional<H>();
        QTest::newRow("Enter") << "Return" << std::optional<H>();
    }
    void readAtStart() {
        QFETCH(QString, stored);
        QFETCH(std::optional<H>, grabbed);
        Run run({{"Settings/Hotkey-Send7", stored}});
        run.platform.takenElsewhere = {{H::WithControl, Qt::Key_F12}};
        Hotkeys hotkeys(run.ui, [](int) {});
        if (!grabbed && !stored.isEmpty()) // logged, never fatal
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QRegularExpression::escape(stored)));
        hotkeys.load();
        QCOMPARE(run.platform.grabs.size(), std::size_t(grabbed.has_value()));
        if (grabbed)
            QVERIFY(run.platform.grabs.at(6) == *grabbed);
        QCOMPARE(hotkeys.key(6).isEmpty(), !grabbed);
    }

    void setRefuseClear() {
        Run run({{"Settings/Hotkey-Curse", "Ctrl+2"}});
        run.platform.takenElsewhere = {{H::WithAlt, 'X'}};
        Hotkeys hotkeys(run.ui, [](int) {});
        hotkeys.load();
        const QString nextSet = layout::hotkey(layout::HotkeyNextSet);
        QCOMPARE(hotkeys.set(layout::HotkeyNextSet, QKeySequence("Ctrl+PgDown")), QString());
        QCOMPARE(run.setting(nextSet), u"Ctrl+PgDown"_s);
        // Refused: the old key stays, taken and stored.
        QCOMPARE(hotkeys.set(layout::HotkeyNextSet, QKeySequence("Alt+X")),
                 u"Alt+X cannot be used: Another program already holds this key."_s);
        QCOMPARE(hotkeys.set(layout::HotkeyNextSet, QKeySequence("Ctrl+2")),
                 u"Ctrl+2 is already the key of Curse !."_s);
        QCOMPARE(hotkeys.set(layout::HotkeyNextSet, QKeySequence("Shift+H")),
                 u"Shift+H is typed by the lines themselves: add Ctrl, Alt or the Windows key."_s);
        QVERIFY(run.platform.grabs.at(layout::HotkeyNextSet) ==
                H({H::WithControl, Qt::Key_PageDown}));
        QCOMPARE(hotkeys.set(layout::HotkeyCurse, QKeySequence()), QString());
        QCOMPARE(run.setting(layout::hotkey(layout::HotkeyCurse)), QString());
        QCOMPARE(run.setting(nextSet), u"Ctrl+PgDown"_s);
        QCOMPARE(run.platform.grabs.size(), std::size_t(1));
    }
};

QTEST_MAIN(TestHotkeys)
#include "tst_hotkeys.moc"
