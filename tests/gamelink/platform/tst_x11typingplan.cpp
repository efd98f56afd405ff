// Planning key events for a line: layout keys and levels, modifiers, spare-key bindings.

#include "FakeLayout.h"

#include <QtTest>

#include <random>

using namespace jk::test;
using jk::platform::KeyAction;
using jk::platform::NamedKey;
namespace mods = jk::platform;

using KeyActions = std::vector<KeyAction>;
using Events = std::vector<KeyEvent>;
Q_DECLARE_METATYPE(KeyActions)
Q_DECLARE_METATYPE(Events)

namespace {

KeyActions text(std::u32string_view s, std::uint8_t m = 0) {
    KeyActions keys;
    for (char32_t c : s)
        keys.push_back(KeyAction::text(c, m));
    return keys;
}

KeyActions operator+(KeyActions a, const KeyActions& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

KeyEvent down(Keycode k) {
    return {k, true};
}
KeyEvent up(Keycode k) {
    return {k, false};
}

// The outcome a line should have: what each action types, as a client sees it.
std::vector<Typed> expectedFor(const KeyActions& keys) {
    std::vector<Typed> out;
    for (const KeyAction& k : keys) {
        const WantedKey wanted = wantedKeyFor(k);
        Keysym ks = wanted.keysym;
        // Shift on a letter of this layout gives its capital.
        if ((wanted.modifiers & mods::Shift) && ks >= 'a' && ks <= 'z')
            ks = ks - 'a' + 'A';
        out.push_back(
            {ks, (wanted.modifiers & mods::Control) != 0, (wanted.modifiers & mods::Alt) != 0});
    }
    return out;
}

// Characters as U+ code points (EuroSign and U+20AC are the same to a client), other keysyms
// in hex; ^ for Control, % for Alt.
QByteArray describe(const std::vector<Typed>& typed) {
    QByteArray s;
    for (const Typed& t : typed) {
        const char32_t c = characterForKeysym(t.keysym);
        s += c != 0 ? "U+" + QByteArray::number(uint(c), 16) : QByteArray::number(t.keysym, 16);
        s += QByteArray(t.control ? "^" : "") + (t.alt ? "%" : "") + ' ';
    }
    return s;
}

} // namespace

class TestX11TypingPlan : public QObject {
    Q_OBJECT

private slots:
    void layoutPrefersLowestKeycodeThenFewestModifiers();
    void layoutFindsLegacyKeysymsByCharacter();
    void events_data();
    void events();
    void playsBack_data();
    void playsBack();
    void randomLinesPlayBack();
    void bindingsAreKeptForLaterLines();
    void leastRecentlyUsedBindingGoesFirst();
    void moreCharactersThanSpareKeysMakeChunks();
    void withoutSpareKeysOffLayoutCharactersAreSkipped();
    void reconcileForgetsOverwrittenBindings();
};

void TestX11TypingPlan::layoutPrefersLowestKeycodeThenFewestModifiers() {
    KeyboardLayout layout;
    // The main keyboard's key, not an extra key further up with the same keysym.
    layout.addLevel(187, 0, '(');
    layout.addLevel(18, LevelShift, '(');
    QCOMPARE(layout.findKeysym('('), (Stroke{18, LevelShift}));
    QCOMPARE(layout.findCharacter(U'('), (Stroke{18, LevelShift}));

    layout.addLevel(22, 0, '+');
    layout.addLevel(23, 0, '+');
    QCOMPARE(layout.findKeysym('+'), (Stroke{22, 0}));

    layout.addLevel(30, LevelShift | LevelThree, '~');
    layout.addLevel(30, LevelThree, '~');
    layout.addLevel(31, 0, '~');
    QCOMPARE(layout.findKeysym('~'), (Stroke{30, LevelThree}));

    QCOMPARE(layout.baseKeysym(22), Keysym('+'));
    QCOMPARE(layout.baseKeysym(18), NoKeysym);
    QVERIFY(!layout.findKeysym('x'));
}

void TestX11TypingPlan::layoutFindsLegacyKeysymsByCharacter() {
    KeyboardLayout layout;
    layout.addLevel(26, LevelThree, 0x20AC); // EuroSign
    layout.addLevel(38, 0, 0x6C6);           // Cyrillic_ef
    layout.addLevel(90, 0, 0xFFB1);          // KP_1: not the digit
    QCOMPARE(layout.findCharacter(U'€'), (Stroke{26, LevelThree}));
    QCOMPARE(layout.findCharacter(U'ф'), (Stroke{38, 0}));
    QVERIFY(!layout.findCharacter(U'1'));
    QCOMPARE(layout.findKeysym(0xFFB1), (Stroke{90, 0}));
}

void TestX11TypingPlan::events_data() {
    QTest::addColumn<KeyActions>("keys");
    QTest::addColumn<Events>("expected");
    const Keycode a = 20;
    const Keycode b = 33;
    const Keycode q = 10;
    const Keycode w = 11;
    const Keycode one = 40;
    QTest::newRow("small letters") << text(U"ab") << Events{down(a), up(a), down(b), up(b)};
    QTest::newRow("capital") << text(U"A") << Events{down(ShiftKey), down(a), up(a), up(ShiftKey)};
    QTest::newRow("shift held over capitals")
        << text(U"AB!a") << Events{down(ShiftKey), down(a), up(a),        down(b), up(b),
                                   down(one),      up(one), up(ShiftKey), down(a), up(a)};
    QTest::newRow("AltGr level") << text(U"æ")
                                 << Events{down(LevelThreeKey), down(q), up(q), up(LevelThreeKey)};
    QTest::newRow("AltGr+Shift level")
        << text(U"¢") << Events{down(ShiftKey), down(LevelThreeKey), down(w),
                                up(w),          up(LevelThreeKey),   up(ShiftKey)};
    QTest::newRow("legacy keysym found by character")
        << text(U"€") << Events{down(LevelThreeKey), down(w), up(w), up(LevelThreeKey)};
    QTest::newRow("control") << text(U"a", mods::Control)
                             << Events{down(ControlKey), down(a), up(a), up(ControlKey)};
    QTest::newRow("control alt shift")
        << text(U"a", mods::Control | mods::Alt | mods::Shift)
        << Events{down(ShiftKey), down(ControlKey), down(AltKey),   down(a),
                  up(a),          up(AltKey),       up(ControlKey), up(ShiftKey)};
    QTest::newRow("explicit shift on a capital presses shift once")
        << text(U"A", mods::Shift) << Events{down(ShiftKey), down(a), up(a), up(ShiftKey)};
    QTest::newRow("named key") << KeyActions{KeyAction::named(NamedKey::Enter)}
                               << Events{down(ReturnKey), up(ReturnKey)};
    QTest::newRow("shift+left") << KeyActions{KeyAction::named(NamedKey::Left, mods::Shift)}
                                << Events{down(ShiftKey), down(LeftKey), up(LeftKey), up(ShiftKey)};
    QTest::newRow("off-layout character on a spare key")
        << text(U"é") << Events{down(200), up(200)};
    QTest::newRow("grave is not the dead key") << text(U"`") << Events{down(200), up(200)};
    QTest::newRow("empty") << KeyActions{} << Events{};
}

void TestX11TypingPlan::events() {
    QFETCH(KeyActions, keys);
    QFETCH(Events, expected);
    FakeKeyboard kb = usLikeKeyboard(3);
    SpareKeys spares;
    spares.reconcile(kb.layout);
    const auto chunks = planTyping(keys, kb.layout, spares);
    QCOMPARE(chunks.size(), std::size_t(1));
    QCOMPARE(chunks[0].events, expected);
}

void TestX11TypingPlan::playsBack_data() {
    QTest::addColumn<KeyActions>("keys");
    QTest::addColumn<int>("spareKeys");
    QTest::addColumn<bool>("withAlt");
    QTest::newRow("mixed") << text(U"Hello, wörld! 1+1=2 ~`é€") << 4 << true;
    QTest::newRow("capitals off the layout") << text(U"ÉéÀà") << 2 << true;
    QTest::newRow("control on a spare key") << text(U"éa", mods::Control) << 1 << true;
    QTest::newRow("modifiers between spare keys")
        << text(U"é") + text(U"a", mods::Control) + text(U"ü") + text(U"B", mods::Alt) << 2 << true;
    QTest::newRow("one spare key, many characters") << text(U"éüöéüö") << 1 << true;
    QTest::newRow("F13 on a spare key") << KeyActions{KeyAction::named(NamedKey::F13)} << 1 << true;
}

void TestX11TypingPlan::playsBack() {
    QFETCH(KeyActions, keys);
    QFETCH(int, spareKeys);
    QFETCH(bool, withAlt);
    FakeKeyboard kb = usLikeKeyboard(spareKeys, withAlt);
    SpareKeys spares;
    spares.reconcile(kb.layout);
    std::map<Keycode, Keysym> bound;
    const Playback p = play(kb, planTyping(keys, kb.layout, spares), bound);
    QVERIFY2(p.problem.empty(), p.problem.c_str());
    QCOMPARE(describe(p.typed), describe(expectedFor(keys)));
}

void TestX11TypingPlan::randomLinesPlayBack() {
    const std::u32string pool = U"abcXYZ019 !@~`éÉüß€ж漢😀æ¢";
    std::mt19937 random(7);
    for (int spareCount : {1, 2, 5, 20}) {
        FakeKeyboard kb = usLikeKeyboard(spareCount);
        SpareKeys spares;
        spares.reconcile(kb.layout);
        std::map<Keycode, Keysym> bound;
        for (int line = 0; line < 30; ++line) {
            KeyActions keys;
            const int length = static_cast<int>(random() % 60);
            for (int i = 0; i < length; ++i) {
                const char32_t c = pool[random() % pool.size()];
                const std::uint8_t m = random() % 7 == 0 ? std::uint8_t(mods::Control) : 0;
                keys.push_back(random() % 11 == 0 ? KeyAction::named(NamedKey::Enter, m)
                                                  : KeyAction::text(c, m));
            }
            const Playback p = play(kb, planTyping(keys, kb.layout, spares), bound);
            QVERIFY2(p.problem.empty(), p.problem.c_str());
            QCOMPARE(describe(p.typed), describe(expectedFor(keys)));
        }
    }
}

void TestX11TypingPlan::bindingsAreKeptForLaterLines() {
    FakeKeyboard kb = usLikeKeyboard(5);
    SpareKeys spares;
    spares.reconcile(kb.layout);
    const auto first = planTyping(text(U"é€ж"), kb.layout, spares); // € is on AltGr
    QCOMPARE(first[0].bindings, (std::vector<Binding>{{200, 0xE9}, {201, 0x1000436}}));
    const auto second = planTyping(text(U"жéü"), kb.layout, spares);
    QCOMPARE(second[0].bindings, (std::vector<Binding>{{202, 0xFC}}));
    QCOMPARE(second[0].events,
             (Events{down(201), up(201), down(200), up(200), down(202), up(202)}));
    QCOMPARE(spares.boundKeycodes(), (std::vector<Keycode>{202, 201, 200}));
    // For a program under Wine only the lowest few empty keycodes serve.
    SpareKeys few;
    few.reconcile(kb.layout, 2);
    QCOMPARE(few.spareCount(), std::size_t(2));
    QVERIFY(few.isSpare(201) && !few.isSpare(202));
    spares.forgetBindings();
    QVERIFY(!spares.hasBindings());
    QVERIFY(!spares.keycodeFor(0xE9));
}

void TestX11TypingPlan::leastRecentlyUsedBindingGoesFirst() {
    FakeKeyboard kb = usLikeKeyboard(2);
    SpareKeys spares;
    spares.reconcile(kb.layout);
    planTyping(text(U"éü"), kb.layout, spares); // é on 200, ü on 201
    planTyping(text(U"é"), kb.layout, spares);  // é used last
    const auto next = planTyping(text(U"ö"), kb.layout, spares);
    QCOMPARE(next[0].bindings, (std::vector<Binding>{{201, 0xF6}}));
    QCOMPARE(spares.keycodeFor(0xE9), std::optional<Keycode>(200));
    QVERIFY(!spares.keycodeFor(0xFC));
}

void TestX11TypingPlan::moreCharactersThanSpareKeysMakeChunks() {
    FakeKeyboard kb = usLikeKeyboard(2);
    SpareKeys spares;
    spares.reconcile(kb.layout);
    const KeyActions keys = text(U"éA") + text(U"ü", mods::Control) + text(U"öéxß");
    std::map<Keycode, Keysym> bound;
    const auto chunks = planTyping(keys, kb.layout, spares);
    // é ü | ö é | ß: a chunk ends where a third spare key would be needed.
    QCOMPARE(chunks.size(), std::size_t(3));
    QCOMPARE(chunks[0].bindings.size(), std::size_t(2));
    QCOMPARE(chunks[1].bindings.size(), std::size_t(2));
    QCOMPARE(chunks[2].bindings.size(), std::size_t(1));
    const Playback p = play(kb, chunks, bound);
    QVERIFY2(p.problem.empty(), p.problem.c_str());
    QCOMPARE(describe(p.typed), describe(expectedFor(keys)));
}

void TestX11TypingPlan::withoutSpareKeysOffLayoutCharactersAreSkipped() {
    FakeKeyboard kb = usLikeKeyboard(0);
    SpareKeys spares;
    spares.reconcile(kb.layout);
    std::map<Keycode, Keysym> bound;
    const auto chunks = planTyping(text(U"aéb"), kb.layout, spares);
    const Playback p = play(kb, chunks, bound);
    QVERIFY2(p.problem.empty(), p.problem.c_str());
    QCOMPARE(describe(p.typed), describe(expectedFor(text(U"ab"))));
}

void TestX11TypingPlan::reconcileForgetsOverwrittenBindings() {
    FakeKeyboard kb = usLikeKeyboard(3);
    SpareKeys spares;
    spares.reconcile(kb.layout);
    planTyping(text(U"éü"), kb.layout, spares); // é on 200, ü on 201
    QCOMPARE(spares.spareCount(), std::size_t(3));

    // The keymap read back: é still bound, ü's key given a meaning by someone else, 202 empty.
    KeyboardLayout after;
    after.addLevel(200, 0, 0xE9);
    after.addLevel(200, LevelShift, 0xE9);
    after.addLevel(201, 0, 0x1008FF11); // a volume key now
    after.addEmptyKeycode(202);
    spares.reconcile(after);
    QCOMPARE(spares.keycodeFor(0xE9), std::optional<Keycode>(200));
    QVERIFY(!spares.keycodeFor(0xFC));
    QVERIFY(spares.isSpare(200));
    QVERIFY(!spares.isSpare(201));
    QVERIFY(spares.isSpare(202));
    QCOMPARE(spares.boundKeycodes(), std::vector<Keycode>{200});
}

QTEST_GUILESS_MAIN(TestX11TypingPlan)
#include "tst_x11typingplan.moc"
