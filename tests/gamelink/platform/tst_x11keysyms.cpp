// Keysyms for characters and named keys, and the characters of keysyms.

#include "gamelink/platform/x11/Keysyms.h"

#include <QtTest>

#include <set>

using namespace jk::platform;
using namespace jk::platform::x11;

Q_DECLARE_METATYPE(jk::platform::KeyAction)

class TestX11Keysyms : public QObject {
    Q_OBJECT

private slots:
    void keysymForCharacter_data();
    void keysymForCharacter();
    void characterForKeysym_data();
    void characterForKeysym();
    void characterRoundTrip();
    void namedKeys_data();
    void namedKeys();
    void everyNamedKeyHasItsOwnKeysym();
    void wantedKey_data();
    void wantedKey();
};

void TestX11Keysyms::keysymForCharacter_data() {
    QTest::addColumn<uint>("character");
    QTest::addColumn<uint>("keysym");
    QTest::newRow("space") << 0x20U << 0x20U;
    QTest::newRow("a") << uint(U'a') << 0x61U;
    QTest::newRow("tilde") << uint(U'~') << 0x7EU;
    QTest::newRow("no-break space") << 0xA0U << 0xA0U;
    QTest::newRow("e acute") << uint(U'é') << 0xE9U;
    QTest::newRow("y diaeresis") << 0xFFU << 0xFFU;
    QTest::newRow("A macron") << 0x100U << 0x1000100U;
    QTest::newRow("euro") << uint(U'€') << 0x10020ACU;
    QTest::newRow("CJK") << 0x6F22U << 0x1006F22U;
    QTest::newRow("emoji") << 0x1F600U << 0x101F600U;
    QTest::newRow("C1 control") << 0x85U << 0x1000085U;
    QTest::newRow("lone surrogate") << 0xD800U << 0x100FFFDU;
    QTest::newRow("beyond Unicode") << 0x110000U << 0x100FFFDU;
}

void TestX11Keysyms::keysymForCharacter() {
    QFETCH(uint, character);
    QFETCH(uint, keysym);
    QCOMPARE(x11::keysymForCharacter(char32_t(character)), Keysym(keysym));
}

void TestX11Keysyms::characterForKeysym_data() {
    QTest::addColumn<uint>("keysym");
    QTest::addColumn<uint>("character");
    QTest::newRow("a") << 0x61U << 0x61U;
    QTest::newRow("ssharp") << 0xDFU << 0xDFU;
    QTest::newRow("Unicode euro") << 0x10020ACU << 0x20ACU;
    QTest::newRow("EuroSign") << 0x20ACU << 0x20ACU;
    QTest::newRow("Cyrillic_a") << 0x6C1U << 0x430U;
    QTest::newRow("Cyrillic_IO") << 0x6B3U << 0x401U;
    QTest::newRow("Greek_alpha") << 0x7E1U << 0x3B1U;
    QTest::newRow("hebrew_aleph") << 0xCE0U << 0x5D0U;
    QTest::newRow("Lstroke") << 0x1A3U << 0x141U;
    QTest::newRow("KP_Add is not a character") << 0xFFABU << 0U;
    QTest::newRow("KP_1") << 0xFFB1U << 0U;
    QTest::newRow("dead_grave") << 0xFE50U << 0U;
    QTest::newRow("F1") << 0xFFBEU << 0U;
    QTest::newRow("Return") << 0xFF0DU << 0U;
    QTest::newRow("control range") << 0x1FU << 0U;
    QTest::newRow("C1 range") << 0x85U << 0U;
    QTest::newRow("Unicode surrogate") << 0x100D800U << 0U;
    QTest::newRow("NoSymbol") << 0U << 0U;
}

void TestX11Keysyms::characterForKeysym() {
    QFETCH(uint, keysym);
    QFETCH(uint, character);
    QCOMPARE(uint(x11::characterForKeysym(Keysym(keysym))), character);
}

void TestX11Keysyms::characterRoundTrip() {
    for (char32_t c : std::u32string(U" azAZ09~é€ÿĀƒΩж漢😀\U0010FFFD")) {
        QCOMPARE(uint(x11::characterForKeysym(x11::keysymForCharacter(c))), uint(c));
    }
}

void TestX11Keysyms::namedKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<uint>("keysym");
    QTest::newRow("Enter") << int(NamedKey::Enter) << 0xFF0DU;
    QTest::newRow("Backspace") << int(NamedKey::Backspace) << 0xFF08U;
    QTest::newRow("Tab") << int(NamedKey::Tab) << 0xFF09U;
    QTest::newRow("Escape") << int(NamedKey::Escape) << 0xFF1BU;
    QTest::newRow("PageUp is Prior") << int(NamedKey::PageUp) << 0xFF55U;
    QTest::newRow("PageDown is Next") << int(NamedKey::PageDown) << 0xFF56U;
    QTest::newRow("PrintScreen is Print") << int(NamedKey::PrintScreen) << 0xFF61U;
    QTest::newRow("Break") << int(NamedKey::Break) << 0xFF6BU;
    QTest::newRow("Help") << int(NamedKey::Help) << 0xFF6AU;
    QTest::newRow("CapsLock") << int(NamedKey::CapsLock) << 0xFFE5U;
    QTest::newRow("F1") << int(NamedKey::F1) << 0xFFBEU;
    QTest::newRow("F16") << int(NamedKey::F16) << 0xFFCDU;
    QTest::newRow("Add is keypad plus") << int(NamedKey::Add) << 0xFFABU;
    QTest::newRow("Divide is keypad slash") << int(NamedKey::Divide) << 0xFFAFU;
    QTest::newRow("None") << int(NamedKey::None) << 0U;
}

void TestX11Keysyms::namedKeys() {
    QFETCH(int, key);
    QFETCH(uint, keysym);
    QCOMPARE(keysymForNamedKey(NamedKey(key)), Keysym(keysym));
}

void TestX11Keysyms::everyNamedKeyHasItsOwnKeysym() {
    std::set<Keysym> seen;
    for (int k = int(NamedKey::Backspace); k <= int(NamedKey::Divide); ++k) {
        const Keysym ks = keysymForNamedKey(NamedKey(k));
        QVERIFY2(ks != NoKeysym, qPrintable(QString::number(k)));
        QVERIFY2(seen.insert(ks).second, qPrintable(QString::number(k)));
    }
    // F1 to F16 in a row.
    for (int i = 0; i < 16; ++i)
        QCOMPARE(keysymForNamedKey(NamedKey(int(NamedKey::F1) + i)), Keysym(0xFFBE + i));
}

void TestX11Keysyms::wantedKey_data() {
    QTest::addColumn<KeyAction>("action");
    QTest::addColumn<bool>("typesSomething");
    QTest::addColumn<uint>("character");
    QTest::addColumn<uint>("keysym");
    QTest::addColumn<int>("modifiers");

    QTest::newRow("letter") << KeyAction::text(U'q') << true << uint(U'q') << 0x71U << 0;
    QTest::newRow("letter with alt")
        << KeyAction::text(U'q', Alt) << true << uint(U'q') << 0x71U << int(Alt);
    QTest::newRow("euro") << KeyAction::text(U'€') << true << 0x20ACU << 0x10020ACU << 0;
    QTest::newRow("named") << KeyAction::named(NamedKey::Left, Shift) << true << 0U << 0xFF51U
                           << int(Shift);
    QTest::newRow("line feed is Return") << KeyAction::text(U'\n') << true << 0U << 0xFF0DU << 0;
    QTest::newRow("carriage return") << KeyAction::text(U'\r') << true << 0U << 0xFF0DU << 0;
    QTest::newRow("tab") << KeyAction::text(U'\t') << true << 0U << 0xFF09U << 0;
    QTest::newRow("backspace") << KeyAction::text(U'\b') << true << 0U << 0xFF08U << 0;
    QTest::newRow("escape") << KeyAction::text(0x1B) << true << 0U << 0xFF1BU << 0;
    QTest::newRow("delete") << KeyAction::text(0x7F) << true << 0U << 0xFFFFU << 0;
    QTest::newRow("U+0001 is control+a")
        << KeyAction::text(0x01) << true << uint(U'a') << 0x61U << int(Control);
    QTest::newRow("U+001A is control+z")
        << KeyAction::text(0x1A, Shift) << true << uint(U'z') << 0x7AU << int(Control | Shift);
    QTest::newRow("U+001C is control+backslash")
        << KeyAction::text(0x1C) << true << uint(U'\\') << 0x5CU << int(Control);
    QTest::newRow("U+001F is control+underscore")
        << KeyAction::text(0x1F) << true << uint(U'_') << 0x5FU << int(Control);
    QTest::newRow("lone surrogate types U+FFFD")
        << KeyAction::text(0xDC00) << true << 0xFFFDU << 0x100FFFDU << 0;
    QTest::newRow("NUL types nothing") << KeyAction::text(0) << false << 0U << 0U << 0;
}

void TestX11Keysyms::wantedKey() {
    QFETCH(KeyAction, action);
    QFETCH(bool, typesSomething);
    QFETCH(uint, character);
    QFETCH(uint, keysym);
    QFETCH(int, modifiers);
    const auto wanted = wantedKeyFor(action);
    QCOMPARE(wanted.has_value(), typesSomething);
    if (wanted) {
        QCOMPARE(uint(wanted->character), character);
        QCOMPARE(wanted->keysym, Keysym(keysym));
        QCOMPARE(int(wanted->modifiers), modifiers);
    }
}

QTEST_GUILESS_MAIN(TestX11Keysyms)
#include "tst_x11keysyms.moc"
