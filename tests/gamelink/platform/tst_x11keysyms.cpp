// Keysyms for characters and named keys, and the characters of keysyms.

#include "gamelink/platform/x11/Keysyms.h"

#include <QtTest>

#include <set>

using namespace jk::platform;
using namespace jk::platform::x11;

class TestX11Keysyms : public QObject {
    Q_OBJECT

private slots:
    void keysymForCharacter_data();
    void keysymForCharacter();
    void characterForKeysym_data();
    void characterForKeysym();
    void characterRoundTrip();
    void everyNamedKeyHasItsOwnKeysym();
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

void TestX11Keysyms::everyNamedKeyHasItsOwnKeysym() {
    std::set<Keysym> seen;
    for (int k = int(NamedKey::Backspace); k <= int(NamedKey::Divide); ++k) {
        const Keysym ks = keysymForNamedKey(NamedKey(k));
        QVERIFY2(ks != NoKeysym, qPrintable(QString::number(k)));
        QVERIFY2(seen.insert(ks).second, qPrintable(QString::number(k)));
    }
}

QTEST_GUILESS_MAIN(TestX11Keysyms)
#include "tst_x11keysyms.moc"
