// The X11 backend's keyboard without a display: keysyms, the layout and spare keys. What the
// plans type is checked on a real X server (tests/e2e: tst_x11_typing, tst_x11_layouts).
#include "gamelink/platform/x11/Keysyms.h"
#include "gamelink/platform/x11/TypingPlan.h"

#include <QtTest>

using namespace jk::platform;
using namespace jk::platform::x11;
using KeyActions = std::vector<KeyAction>;

namespace {

// Letters from keycode 10 up with their capitals on Shift, a legacy EuroSign on AltGr+b, and
// `spares` empty keycodes from 200 up.
KeyboardLayout usLike(int spares) {
    KeyboardLayout layout;
    for (char c = 'a'; c <= 'z'; ++c) {
        layout.addLevel(Keycode(c - 'a' + 10), 0, Keysym(c));
        layout.addLevel(Keycode(c - 'a' + 10), LevelShift, Keysym(c - 'a' + 'A'));
    }
    layout.addLevel(11, LevelThree, 0x20AC);
    for (int i = 0; i < spares; ++i)
        layout.addEmptyKeycode(Keycode(200 + i));
    layout.setModifierKeycodes(ModifierKeycodes{50, 37, 64, 92});
    return layout;
}

KeyActions text(std::u32string_view s) {
    KeyActions keys;
    for (char32_t c : s)
        keys.push_back(KeyAction::text(c));
    return keys;
}

} // namespace

class TestX11TypingPlan : public QObject {
    Q_OBJECT
private slots:
    // A character and its keysym: "<->" both ways, "->" the keysym typed for a character, "<-" the
    // character a keysym on the layout stands for (0: none).
    void keysyms_data() {
        QTest::addColumn<uint>("character");
        QTest::addColumn<uint>("keysym");
        QTest::addColumn<QString>("way");
        QTest::newRow("a") << 0x61U << 0x61U << "<->";
        QTest::newRow("euro") << 0x20ACU << 0x10020ACU << "<->";
        QTest::newRow("emoji") << 0x1F600U << 0x101F600U << "<->";
        QTest::newRow("C1 control") << 0x85U << 0x1000085U << "->";
        QTest::newRow("lone surrogate") << 0xD800U << 0x100FFFDU << "->";
        QTest::newRow("beyond Unicode") << 0x110000U << 0x100FFFDU << "->";
        QTest::newRow("EuroSign") << 0x20ACU << 0x20ACU << "<-";
        QTest::newRow("Cyrillic_IO") << 0x401U << 0x6B3U << "<-";
        QTest::newRow("Lstroke") << 0x141U << 0x1A3U << "<-";
        QTest::newRow("KP_1 is not the digit") << 0U << 0xFFB1U << "<-";
        QTest::newRow("dead_grave") << 0U << 0xFE50U << "<-";
        QTest::newRow("C1 range") << 0U << 0x85U << "<-";
        QTest::newRow("Unicode surrogate") << 0U << 0x100D800U << "<-";
    }

    void keysyms() {
        QFETCH(uint, character);
        QFETCH(uint, keysym);
        QFETCH(QString, way);
        if (way != "<-")
            QCOMPARE(keysymForCharacter(char32_t(character)), Keysym(keysym));
        if (way != "->")
            QCOMPARE(uint(characterForKeysym(Keysym(keysym))), character);
    }

    void layoutPrefersLowestKeycodeThenFewestModifiers() {
        KeyboardLayout layout;
        // The main keyboard's key, not an extra key further up that Wine maps to nothing.
        layout.addLevel(187, 0, '(');
        layout.addLevel(18, LevelShift, '(');
        QCOMPARE(layout.findKeysym('('), (Stroke{18, LevelShift}));
        QCOMPARE(layout.findCharacter(U'('), (Stroke{18, LevelShift}));
        layout.addLevel(30, LevelShift | LevelThree, '~');
        layout.addLevel(30, LevelThree, '~');
        layout.addLevel(31, 0, '~');
        QCOMPARE(layout.findKeysym('~'), (Stroke{30, LevelThree}));
        // Legacy keysyms are found by their character; a keypad digit is not the digit.
        layout.addLevel(26, LevelThree, 0x20AC); // EuroSign
        layout.addLevel(38, 0, 0x6C6);           // Cyrillic_ef
        layout.addLevel(90, 0, 0xFFB1);          // KP_1
        QCOMPARE(layout.findCharacter(U'€'), (Stroke{26, LevelThree}));
        QCOMPARE(layout.findCharacter(U'ф'), (Stroke{38, 0}));
        QVERIFY(!layout.findCharacter(U'1'));
        QCOMPARE(layout.baseKeysym(31), Keysym('~'));
        QCOMPARE(layout.baseKeysym(18), NoKeysym);
    }

    void withoutSpareKeysOffLayoutCharactersAreSkipped() {
        const KeyboardLayout layout = usLike(0);
        SpareKeys spares;
        spares.reconcile(layout);
        std::vector<KeyEvent> events;
        std::vector<Keysym> unplaced;
        for (const TypingChunk& chunk : planTyping(text(U"aéb"), layout, spares, &unplaced))
            events.insert(events.end(), chunk.events.begin(), chunk.events.end());
        QCOMPARE(events, (std::vector<KeyEvent>{{10, true}, {10, false}, {11, true}, {11, false}}));
        QCOMPARE(unplaced, std::vector<Keysym>{0xE9}); // the line is refused for it
    }

    void spareKeysLowestFirstKeptAndReusedOldestFirst() {
        const KeyboardLayout layout = usLike(5);
        SpareKeys spares;
        spares.reconcile(layout);
        const auto first = planTyping(text(U"é€ж"), layout, spares); // € is on AltGr
        QCOMPARE(first[0].bindings, (std::vector<Binding>{{200, 0xE9}, {201, 0x1000436}}));
        const auto second = planTyping(text(U"жéü"), layout, spares);
        QCOMPARE(second[0].bindings, (std::vector<Binding>{{202, 0xFC}}));
        QCOMPARE(spares.boundKeycodes(), (std::vector<Keycode>{202, 201, 200}));
        // For a program under Wine only the lowest few empty keycodes serve.
        SpareKeys few;
        few.reconcile(layout, 2);
        QVERIFY(few.spareCount() == 2 && few.isSpare(201) && !few.isSpare(202));
        // With every spare key taken, the one used longest ago is bound anew.
        planTyping(text(U"éü"), layout, few); // é on 200, ü on 201
        planTyping(text(U"é"), layout, few);  // é used last
        QCOMPARE(planTyping(text(U"ö"), layout, few)[0].bindings,
                 (std::vector<Binding>{{201, 0xF6}}));
        QCOMPARE(few.keycodeFor(0xE9), std::optional<Keycode>(200));
        few.forgetBindings();
        QVERIFY(!few.hasBindings() && !few.keycodeFor(0xE9));
    }

    void reconcileForgetsOverwrittenBindings() {
        const KeyboardLayout layout = usLike(3);
        SpareKeys spares;
        spares.reconcile(layout);
        planTyping(text(U"éü"), layout, spares); // é on 200, ü on 201
        // The keymap read back: é still bound, ü's key given a meaning by someone else, 202 empty.
        KeyboardLayout after;
        after.addLevel(200, 0, 0xE9);
        after.addLevel(200, LevelShift, 0xE9);
        after.addLevel(201, 0, 0x1008FF11); // a volume key now
        after.addEmptyKeycode(202);
        spares.reconcile(after);
        QCOMPARE(spares.keycodeFor(0xE9), std::optional<Keycode>(200));
        QVERIFY(!spares.keycodeFor(0xFC) && !spares.isSpare(201) && spares.isSpare(202));
        QCOMPARE(spares.boundKeycodes(), std::vector<Keycode>{200});
    }
};

QTEST_GUILESS_MAIN(TestX11TypingPlan)
#include "tst_x11typingplan.moc"
