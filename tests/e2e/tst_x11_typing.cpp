// Typing through the real X11 backend into the stand-in game client.

#include "E2eWait.h"
#include "KeyRows.h"
#include "PeerProcess.h"
#include "XDisplayProbe.h"
#include "gamelink/platform/x11/X11Platform.h"

#include <QtTest>

#include <memory>
#include <random>

using namespace jk::e2e;
using jk::platform::KeyAction;
using jk::platform::NamedKey;
namespace mod = jk::platform;

class TestX11Typing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void typesText_data();
    void typesText();
    void capsLockDoesNotChangeLetters();
    void capsLockInTheLineToggles();
    void longMixedLineArrivesInOrder();
    void nextLineReusesSpareKeys();
    void moreDistinctCharactersThanSpareKeys_data();
    void moreDistinctCharactersThanSpareKeys();
    void releaseRestoresKeymap();
    void destructorRestoresKeymap();
    void backendHeldInStaticObject();

private:
    void activatePeer();
    void verifyNothingHeld();

    std::unique_ptr<PeerProcess> peer_;
    std::unique_ptr<jk::platform::x11::X11Platform> platform_;
    std::unique_ptr<XDisplayProbe> probe_;
    std::string pristineKeymap_;
    std::string pristineXkbKeymap_;
};

void TestX11Typing::initTestCase() {
    QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run under tests/e2e/with-x.sh");
    probe_ = std::make_unique<XDisplayProbe>();
    QVERIFY(probe_->ok());
    pristineKeymap_ = probe_->keymapDump();
    pristineXkbKeymap_ = probe_->xkbKeymap();
    QVERIFY2(!pristineXkbKeymap_.empty(), "xkbcomp (x11-xkb-utils) is needed");
    peer_ = std::make_unique<PeerProcess>();
    QVERIFY2(peer_->started(), peer_->error().c_str());
    platform_ = std::make_unique<jk::platform::x11::X11Platform>();
    QCOMPARE(platform_->unavailableReason(), std::string());
    activatePeer();
}

void TestX11Typing::cleanupTestCase() {
    if (platform_)
        platform_->releaseKeyboard();
    platform_.reset();
    peer_.reset();
}

void TestX11Typing::init() {
    // Each case starts with the peer focused and nothing held.
    if (!platform_->hasFocus(peer_->window()))
        activatePeer();
}

void TestX11Typing::activatePeer() {
    platform_->activate(peer_->window());
    QVERIFY(waitUntil([&] { return platform_->hasFocus(peer_->window()); }));
}

void TestX11Typing::verifyNothingHeld() {
    QCOMPARE(probe_->pressedKeycodes(), std::vector<int>());
    QCOMPARE(probe_->modifierState() & ~2U, 0U); // 2 = Lock, which the Caps Lock cases set
}

void TestX11Typing::typesText_data() {
    QTest::addColumn<KeyActions>("keys");
    QTest::addColumn<QString>("expected");

    std::u32string ascii;
    for (char32_t c = 0x20; c <= 0x7E; ++c)
        ascii += c;
    QTest::newRow("printable ASCII") << textKeys(ascii) << QString::fromStdU32String(ascii);
    QTest::newRow("accents, euro, sharp s")
        << textKeys(U"é€Éßñü àÀ") << QStringLiteral("é€Éßñü àÀ");
    QTest::newRow("CJK and emoji") << textKeys(U"漢字 😀!") << QStringLiteral("漢字 😀!");
    QTest::newRow("grave and tilde") << textKeys(U"`~`a~") << QStringLiteral("`~`a~");
    QTest::newRow("enter") << textKeys(U"say") + KeyActions{KeyAction::named(NamedKey::Enter)} +
                                  textKeys(U"x")
                           << QStringLiteral("say\nx");

    // Every named key but Enter, Escape (the peer's end marker) and the two locks that change
    // what later keys type, as the peer names their keysyms.
    KeyActions named;
    for (int k = int(NamedKey::Backspace); k <= int(NamedKey::Divide); ++k) {
        const auto key = NamedKey(k);
        if (key != NamedKey::CapsLock && key != NamedKey::NumLock && key != NamedKey::Enter &&
            key != NamedKey::Escape)
            named.push_back(KeyAction::named(key));
    }
    QString tokens = "<BackSpace><Break><Delete><Down><End><Help><Home><Insert><Left><Next><Prior>"
                     "<Print><Right><Scroll_Lock><Tab><Up>";
    for (int f = 1; f <= 16; ++f)
        tokens += QString("<F%1>").arg(f);
    QTest::newRow("every named key")
        << named << tokens + "<KP_Add><KP_Subtract><KP_Multiply><KP_Divide>";

    QTest::newRow("shift+a") << KeyActions{KeyAction::text(U'a', mod::Shift)}
                             << QStringLiteral("A");
    QTest::newRow("shift+1") << KeyActions{KeyAction::text(U'1', mod::Shift)}
                             << QStringLiteral("!");
    QTest::newRow("control+a") << KeyActions{KeyAction::text(U'a', mod::Control)}
                               << QStringLiteral("<C-a>");
    QTest::newRow("alt+f") << KeyActions{KeyAction::text(U'f', mod::Alt)}
                           << QStringLiteral("<A-f>");
    QTest::newRow("control+alt+x")
        << KeyActions{KeyAction::text(U'x', mod::Control | mod::Alt)} << QStringLiteral("<C-A-x>");
    QTest::newRow("control+shift+a")
        << KeyActions{KeyAction::text(U'a', mod::Control | mod::Shift)} << QStringLiteral("<C-A>");
    QTest::newRow("control+é (spare key)")
        << KeyActions{KeyAction::text(U'é', mod::Control)} << QStringLiteral("<C-é>");
    QTest::newRow("shift+left") << KeyActions{KeyAction::named(NamedKey::Left, mod::Shift)}
                                << QStringLiteral("<S-Left>");
    QTest::newRow("control+F5") << KeyActions{KeyAction::named(NamedKey::F5, mod::Control)}
                                << QStringLiteral("<C-F5>");
    QTest::newRow("modifier ends with its key")
        << KeyActions{KeyAction::text(U'a', mod::Control), KeyAction::text(U'b'),
                      KeyAction::text(U'c', mod::Shift), KeyAction::text(U'D'),
                      KeyAction::text(U'e')}
        << QStringLiteral("<C-a>bCDe");
    QTest::newRow("empty line") << KeyActions{} << QString();
    QTest::newRow("wait for the game after a chat prefix")
        << textKeys(U": ") + KeyActions{KeyAction::named(NamedKey::GameReads)} + textKeys(U"hé")
        << QStringLiteral(": hé");
}

void TestX11Typing::typesText() {
    QFETCH(KeyActions, keys);
    QFETCH(QString, expected);
    bool typed = false;
    const std::string got = typeAndRecord(*platform_, *peer_, keys, &typed);
    QVERIFY(typed);
    QCOMPARE(QString::fromStdString(got), expected);
    verifyNothingHeld();
}

void TestX11Typing::capsLockDoesNotChangeLetters() {
    probe_->setCapsLock(true);
    const std::string got = typeAndRecord(*platform_, *peer_, textKeys(U"aB1é!"));
    const bool stillLocked = probe_->capsLocked();
    probe_->setCapsLock(false);
    QCOMPARE(QString::fromStdString(got), QStringLiteral("aB1é!"));
    QVERIFY(stillLocked);
}

void TestX11Typing::capsLockInTheLineToggles() {
    const KeyActions caps{KeyAction::named(NamedKey::CapsLock)};
    const std::string got = typeAndRecord(
        *platform_, *peer_, textKeys(U"a") + caps + textKeys(U"b") + caps + textKeys(U"c") + caps);
    const bool locked = probe_->capsLocked();
    probe_->setCapsLock(false);
    QCOMPARE(QString::fromStdString(got), QStringLiteral("a<Caps_Lock>B<Caps_Lock>c<Caps_Lock>"));
    QVERIFY(locked);

    // Locked before the line: an odd count of toggles leaves it off.
    probe_->setCapsLock(true);
    const std::string again =
        typeAndRecord(*platform_, *peer_, textKeys(U"a") + caps + textKeys(U"b"));
    const bool lockedAfter = probe_->capsLocked();
    probe_->setCapsLock(false);
    QCOMPARE(QString::fromStdString(again), QStringLiteral("a<Caps_Lock>B"));
    QVERIFY(!lockedAfter);
}

void TestX11Typing::longMixedLineArrivesInOrder() {
    // Mostly layout characters, with a handful off the layout and a few named keys among them.
    const std::u32string pool = U"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "
                                U".,;:!?'\"-_=+*/\\|@#$%&()[]{}<>`~éüß€ñ漢";
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
    KeyActions keys;
    std::u32string expected;
    while (keys.size() < 10000) {
        if (keys.size() % 997 == 996) {
            keys.push_back(KeyAction::named(NamedKey::Enter));
            expected += U'\n';
        } else {
            const char32_t c = pool[pick(random)];
            keys.push_back(KeyAction::text(c));
            expected += c;
        }
    }
    const std::string got = typeAndRecord(*platform_, *peer_, keys);
    const std::string want =
        QString::fromUcs4(expected.data(), qsizetype(expected.size())).toStdString();
    QCOMPARE(got.size(), want.size());
    QVERIFY(got == want);
    verifyNothingHeld();
}

void TestX11Typing::nextLineReusesSpareKeys() {
    platform_->releaseKeyboard();
    QCOMPARE(QString::fromStdString(typeAndRecord(*platform_, *peer_, textKeys(U"é€x"))),
             QStringLiteral("é€x"));
    const std::string afterFirst = probe_->keymapDump();
    QVERIFY(afterFirst != pristineKeymap_);
    QCOMPARE(QString::fromStdString(typeAndRecord(*platform_, *peer_, textKeys(U"€éé"))),
             QStringLiteral("€éé"));
    // The second line needed no new binding.
    QCOMPARE(probe_->keymapDump(), afterFirst);
}

void TestX11Typing::moreDistinctCharactersThanSpareKeys_data() {
    QTest::addColumn<QStringList>("peerOptions");
    QTest::newRow("client answers pings") << QStringList();
    // Slower than any fixed pause: only waiting for its answer keeps the bindings right.
    QTest::newRow("slow client answers pings") << QStringList{"--key-delay", "10"};
    QTest::newRow("client without pings") << QStringList{"--no-ping"};
}

void TestX11Typing::moreDistinctCharactersThanSpareKeys() {
    QFETCH(QStringList, peerOptions);
    std::unique_ptr<PeerProcess> own;
    const PeerProcess* peer = peer_.get();
    if (!peerOptions.isEmpty()) {
        std::vector<std::string> options;
        for (const QString& o : peerOptions)
            options.push_back(o.toStdString());
        own = std::make_unique<PeerProcess>("Ultima Online", "Stand-in game", options);
        QVERIFY2(own->started(), own->error().c_str());
        peer = own.get();
        platform_->activate(peer->window());
        QVERIFY(waitUntil([&] { return platform_->hasFocus(peer->window()); }));
    }
    platform_->releaseKeyboard();
    const int spare = probe_->emptyKeycodeCount();
    QVERIFY(spare > 0);
    // Twice as many distinct characters as spare keys, each coming back later in the line.
    std::u32string distinct;
    for (int i = 0; i < 2 * spare + 3; ++i)
        distinct += static_cast<char32_t>(0x4E00 + i * 7);
    const std::u32string line = distinct + U"-" + distinct;
    QCOMPARE(QString::fromStdString(typeAndRecord(*platform_, *peer, textKeys(line))),
             QString::fromStdU32String(line));
    verifyNothingHeld();
    if (own) {
        own.reset();
        activatePeer();
    }
}

void TestX11Typing::releaseRestoresKeymap() {
    platform_->releaseKeyboard();
    QCOMPARE(probe_->keymapDump(), pristineKeymap_);
    typeAndRecord(*platform_, *peer_,
                  textKeys(U"ÿ€漢😀") + KeyActions{KeyAction::named(NamedKey::F14)});
    QVERIFY(probe_->keymapDump() != pristineKeymap_);
    platform_->releaseKeyboard();
    QCOMPARE(probe_->keymapDump(), pristineKeymap_);
    // Key types, groups and actions too, not only the keysyms.
    QVERIFY(probe_->xkbKeymap() == pristineXkbKeymap_);
    // Released keys are bound afresh when needed again.
    QCOMPARE(QString::fromStdString(typeAndRecord(*platform_, *peer_, textKeys(U"€"))),
             QStringLiteral("€"));
    platform_->releaseKeyboard();
    QCOMPARE(probe_->keymapDump(), pristineKeymap_);
}

void TestX11Typing::destructorRestoresKeymap() {
    platform_->releaseKeyboard();
    {
        jk::platform::x11::X11Platform other;
        QCOMPARE(QString::fromStdString(typeAndRecord(other, *peer_, textKeys(U"ñ☃"))),
                 QStringLiteral("ñ☃"));
        QVERIFY(probe_->keymapDump() != pristineKeymap_);
    }
    QCOMPARE(probe_->keymapDump(), pristineKeymap_);
    QVERIFY(probe_->xkbKeymap() == pristineXkbKeymap_);
}

// Made before main and destroyed after it, after every static made on the way: it still gives
// back its spare keys at exit without touching anything already gone (the sanitizers watch).
jk::platform::x11::X11Platform atExit;

void TestX11Typing::backendHeldInStaticObject() {
    QCOMPARE(QString::fromStdString(typeAndRecord(atExit, *peer_, textKeys(U"õ"))),
             QStringLiteral("õ"));
}

QTEST_GUILESS_MAIN(TestX11Typing)
#include "tst_x11_typing.moc"
