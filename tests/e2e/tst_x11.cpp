// The X11 backend against the stand-in game: what the game receives, the keymap given back,
// keyboard layouts, finding and raising windows, and no usable display. Runs: e2e_x11 (openbox,
// killed by the last function), e2e_x11_no_wm, e2e_x11_no_display, e2e_x11_server_dies,
// e2e_x11_no_xtest.

#include "Harness.h"
#include "gamelink/platform/Log.h"
#include "gamelink/platform/x11/X11Platform.h"

#include <QtTest>

#include <optional>

using namespace jk::e2e;
using jk::platform::KeyAction;
using jk::platform::NamedKey;
using jk::platform::x11::X11Platform;
using namespace Qt::StringLiterals;
using Keys = std::vector<KeyAction>;

namespace {

const std::string UO = "Ultima Online", ThirdDawn = "Ultima Online Third Dawn";

Keys text(std::u32string_view text, std::uint8_t modifiers = 0) {
    Keys keys;
    for (char32_t c : text)
        keys.push_back(KeyAction::text(c, modifiers));
    return keys;
}

// Types the keys and an Escape into the game, and returns what the game recorded before the
// Escape. A line the backend ends early comes back at once as the reason: typed blind, a line
// goes to whatever holds the focus and the game records nothing.
QString typed(jk::platform::Platform& platform, const PeerProcess& game, const Keys& keys,
              bool* ok = nullptr) {
    using End = jk::platform::TypingResult::End;
    const std::size_t from = game.recordSize();
    Keys line = keys;
    line.push_back(KeyAction::named(NamedKey::Escape));
    const jk::platform::TypingResult result = jk::typeLine(platform, game.window(), line);
    if (ok)
        *ok = result.end == End::Whole;
    if (result.end != End::Whole) {
        const char* why = result.end == End::FocusLost ? "the game lost the focus"
                          : result.end == End::Stopped ? "stopped"
                                                       : "failed";
        const QString problem = QString::fromStdString(result.problem);
        return u"<ended after %1 keys: %2%3>"_s.arg(result.keysTyped)
            .arg(why, problem.isEmpty() ? problem : ": " + problem);
    }
    const QString got = QString::fromStdString(game.waitForText(from, "<Escape>"));
    return got.endsWith("<Escape>") ? got.chopped(8) : got;
}

bool focus(jk::platform::Platform& platform, const PeerProcess& game) {
    if (qEnvironmentVariableIsSet("JK_OUTER_DISPLAY"))
        return focusThroughCompositor(game.window()) && platform.hasFocus(game.window());
    platform.activate(game.window());
    // The window manager may be seconds behind on a busy machine: it rereads the keyboard on
    // every keymap change, and each spare key binding reaches it as six (one pair per keyboard
    // device of Xvfb).
    return waitUntil([&] { return platform.hasFocus(game.window()); }, std::chrono::seconds(30));
}

// Everything the game link might call, on a backend that cannot work.
void exerciseEverything(X11Platform& platform) {
    QCOMPARE(platform.findWindow({UO, ThirdDawn}), jk::platform::WindowId(0));
    platform.activate(0x400001);
    QVERIFY(!platform.hasFocus(0x400001));
    QVERIFY(!jk::typeAll(platform, text(U"hello é")));
    platform.setTopMost(0x400001, true);
    platform.releaseKeyboard();
}

// Made before main and destroyed after every static made on the way: it still gives back its
// keys at exit without touching anything gone (the sanitizers watch).
X11Platform atExit;

} // namespace

class TestX11 : public QObject {
    Q_OBJECT
    std::unique_ptr<PeerProcess> game_;
    std::unique_ptr<X11Platform> x11_;

    // One game and one backend for the typing functions, the game focused. The caller stops
    // when not (QVERIFY): a helper's failed check returns from the helper only.
    bool ready() {
        if (!game_) {
            game_ = std::make_unique<PeerProcess>();
            x11_ = std::make_unique<X11Platform>();
        }
        if (!game_->started()) {
            qWarning("%s", game_->error().c_str());
            return false;
        }
        if (!focus(*x11_, *game_)) {
            qWarning("the stand-in game did not get the focus");
            return false;
        }
        return true;
    }
    void nothingHeld() { QCOMPARE(pressedKeycodes(), std::vector<int>()); }

private slots:
    void cleanupTestCase() {
        if (x11_)
            x11_->releaseKeyboard();
    }

    // First: the typing functions leave their game running.
    void findsByClass_data() {
        QTest::addColumn<QStringList>("running"); // classes, each titled "Ultima Online"
        QTest::addColumn<QStringList>("classes");
        QTest::addColumn<int>("expected"); // index into running, -1 for none
        QTest::addColumn<bool>("treeOnly");
        const QString uo = QString::fromStdString(UO), td = QString::fromStdString(ThirdDawn);
        const QStringList both = {uo, td};
        // Each row twice: through the window manager's list and walking the window tree.
        const auto row = [](const char* name, const QStringList& running,
                            const QStringList& classes, int expected) {
            for (bool tree : {false, true})
                QTest::addRow("%s%s", name, tree ? " (window tree)" : "")
                    << running << classes << expected << tree;
        };
        // Exact class matches; picking among the game classes is the program test's (gameClasses).
        row("title is not class", {"Decoy"}, both, -1);
        row("longer class", {"Ultima Online Launcher"}, both, -1);
        row("other case", {"ultima online"}, both, -1);
        row("shorter class", {"Ultima"}, both, -1);
        row("third dawn only, not listed", {td}, {uo}, -1);
        row("both, third dawn listed first", {uo, td}, {td, uo}, 1);
        row("launcher and third dawn", {"Ultima Online Launcher", td}, both, 1);
    }
    void findsByClass() {
        QFETCH(QStringList, running);
        QFETCH(QStringList, classes);
        QFETCH(int, expected);
        QFETCH(bool, treeOnly);
        std::vector<std::unique_ptr<PeerProcess>> games;
        for (const QString& c : running) {
            games.push_back(std::make_unique<PeerProcess>(c.toStdString(), UO));
            QVERIFY2(games.back()->started(), games.back()->error().c_str());
        }
        std::vector<std::string> wanted;
        for (const QString& c : classes)
            wanted.push_back(c.toStdString());
        X11Platform platform;
        platform.searchTreeOnly(treeOnly);
        QCOMPARE(platform.findWindow(wanted), expected < 0 ? 0 : games[expected]->window());
    }

    void vanishedWindowDoesNoHarm() {
        X11Platform platform;
        std::uint64_t gone = 0;
        {
            PeerProcess game;
            QVERIFY2(game.started(), game.error().c_str());
            gone = platform.findWindow({UO});
            QCOMPARE(gone, game.window());
            game.kill();
        }
        QVERIFY(waitUntil([&] { return !windowExists(gone); }));
        static std::string logged;
        jk::platform::setLogSink([](jk::platform::LogLevel, const std::string& m) { logged += m; });
        for (const std::uint64_t window : {gone, std::uint64_t(0x7fffffff)}) { // gone; never was
            platform.activate(window);
            QVERIFY(!platform.hasFocus(window));
            platform.setTopMost(window, true);
            platform.setTopMost(window, false);
        }
        QVERIFY(jk::typeAll(platform, text(U"into the void é")));
        QCOMPARE(platform.findWindow({UO}), jk::platform::WindowId(0));
        platform.releaseKeyboard();
        jk::platform::setLogSink(nullptr);
        QVERIFY2(logged.find("BadWindow") != std::string::npos, logged.c_str()); // and is seen
        // The backend still works.
        PeerProcess next;
        QVERIFY2(next.started(), next.error().c_str());
        QCOMPARE(platform.findWindow({UO}), next.window());
        QVERIFY(focus(platform, next));
        QCOMPARE(typed(platform, next, text(U"ok é")), u"ok é"_s);
    }

    // A click picks the window under it, whatever comes to the front meanwhile.
    void picksByClick_data() {
        QTest::addColumn<QStringList>("clicked"); // stand-in options; empty: Escape instead
        QTest::addColumn<bool>("terminal");       // a terminal comes to the front meanwhile
        QTest::addColumn<int>("end");
        using End = jk::platform::PickResult::End;
        QTest::newRow("the game") << QStringList{} << true << int(End::Picked);
        QTest::newRow("a desktop window")
            << QStringList{"--window-type", "desktop"} << false << int(End::Refused);
        QTest::newRow("Escape") << QStringList{"escape"} << false << int(End::Cancelled);
    }
    void picksByClick() {
        QFETCH(QStringList, clicked);
        QFETCH(bool, terminal);
        QFETCH(int, end);
        const bool escape = clicked == QStringList{"escape"};
        PeerProcess game(UO, "Stand-in game", escape ? QStringList{} : clicked);
        QVERIFY2(game.started(), game.error().c_str());
        std::unique_ptr<PeerProcess> term;
        if (terminal) {
            term = std::make_unique<PeerProcess>("XTerm", "bash", QStringList{"--at", "700,500"});
            QVERIFY2(term->started(), term->error().c_str());
        }
        X11Platform platform;
        int waits = 0;
        const jk::platform::PickResult pick = platform.pickWindow([&] {
            if (++waits == 1) { // the pointer is taken now
                if (term)
                    desktop().activate(term->window());
                if (escape) {
                    jk::typeAll(desktop(), {KeyAction::named(NamedKey::Escape)});
                } else {
                    movePointer(game.window(), 30, 30);
                    clickHere();
                }
            }
            return waits < 2000;
        });
        QCOMPARE(int(pick.end), end);
        if (pick.end == jk::platform::PickResult::End::Picked) {
            QCOMPARE(pick.window, game.window());
            QCOMPARE(pick.windowClass, UO);
            QCOMPARE(pick.title, std::string("Stand-in game"));
        }
        if (pick.end == jk::platform::PickResult::End::Refused)
            QCOMPARE(pick.refusal, std::string("the desktop"));
    }

    void typesKeys_data() {
        QTest::addColumn<QString>("keys"); // key-string syntax
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("capsBefore");
        QTest::addColumn<bool>("capsAfter");
        const auto row = [](const char* name, const char* keys, const char* expected,
                            bool capsBefore = false, bool capsAfter = false) {
            QTest::newRow(name) << QString(keys) << QString(expected) << capsBefore << capsAfter;
        };
        // Named keys (each one's keysym has a table of its own); modifiers end with their key.
        row("named keys and modifiers", "{BS}{TAB}{F14}{ADD}+a+1^a%f^%x^+a^é+{LEFT}^{F5}b+cD",
            "<BackSpace><Tab><F14><KP_Add>A!<C-a><A-f><C-A-x><C-A><C-é><S-Left><C-F5>bCD");
        row("keys of every layout", "Hail +a+1^a%f{TAB}{BS}x~",
            "Hail A!<C-a><A-f><Tab><BackSpace>x\n");
        row("CJK and emoji", "漢字 😀!", "漢字 😀!");
        row("empty line", "", "");
        row("Caps Lock on: letters as written", "aB1é!", "aB1é!", true, true);
        row("Caps Lock in the line toggles", "a{CAPSLOCK}b{CAPSLOCK}c{CAPSLOCK}",
            "a<Caps_Lock>B<Caps_Lock>c<Caps_Lock>", false, true);
        row("Caps Lock on, toggled once in the line", "a{CAPSLOCK}b", "a<Caps_Lock>B", true);
    }
    void typesKeys() {
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        QFETCH(bool, capsBefore);
        QFETCH(bool, capsAfter);
        QVERIFY(ready());
        setCapsLock(capsBefore);
        bool ok = false;
        const QString got = typed(*x11_, *game_, jk::ParseKeyString(keys), &ok);
        const bool capsNow = capsLocked();
        setCapsLock(false);
        QVERIFY(ok);
        QCOMPARE(got, expected);
        QCOMPARE(capsNow, capsAfter);
        nothingHeld();
    }

    // Characters off the layout arrive exactly, XWayland (which refuses XKB keymap changes)
    // included.
    void offLayoutExact() {
        QVERIFY(ready());
        const std::size_t from = game_->recordSize();
        const jk::platform::TypingResult result =
            jk::typeLine(*x11_, game_->window(), text(U"Café € 5 ж ok"));
        typed(*x11_, *game_, {}); // settles the game
        QVERIFY2(result.problem.empty(), result.problem.c_str());
        QCOMPARE(QString::fromStdString(game_->record().substr(from)), u"Café € 5 ж ok<Escape>"_s);
        nothingHeld();
    }

    void moreCharactersThanSpareKeys_data() {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("game answers pings") << QStringList();
        // Slower than any fixed pause: only waiting for its answer keeps the bindings right.
        QTest::newRow("slow game answers pings") << QStringList{"--key-delay", "10"};
        QTest::newRow("game without pings") << QStringList{"--no-ping"};
    }
    void moreCharactersThanSpareKeys() {
        QFETCH(QStringList, options);
        QVERIFY(ready());
        std::optional<PeerProcess> own; // where the game needs options of its own
        if (!options.isEmpty()) {
            own.emplace(UO, "Stand-in game", options);
            QVERIFY2(own->started(), own->error().c_str());
            QVERIFY(focus(*x11_, *own));
        }
        const PeerProcess& game = own ? *own : *game_;
        x11_->releaseKeyboard();
        // Twice as many distinct characters as spare keys, each coming back later in the line.
        std::u32string distinct;
        for (int i = 0; i < 2 * QString::fromStdString(keymapDump()).count(":\n") + 3; ++i)
            distinct += char32_t(0x4E00 + i * 7);
        const std::u32string line = distinct + U"-" + distinct;
        QCOMPARE(typed(*x11_, game, text(line)), QString::fromStdU32String(line));
        nothingHeld();
    }

    void typesOnLayout_data() {
        QTest::addColumn<QStringList>("layout"); // setxkbmap arguments
        QTest::addColumn<int>("group");          // to lock
        QTest::addColumn<QString>("onLayout");   // from the layout's own keys and levels
        QTest::addColumn<QString>("offLayout");  // needs spare keys
        // German: AltGr (level 3) characters; ^ ` ´ only as dead keys.
        QTest::newRow("de") << QStringList{"de"} << 0 << "@{[]}\\|€µ²³ zyZY äöüÄÖÜß!\"§$%&/()=?"
                            << "^`´~ é";
        // The second group locked: Cyrillic from its keys, Latin from spare keys.
        QTest::newRow("us,ru group 2")
            << QStringList{"-layout", "us,ru"} << 1 << "Привет, мир! ЁЖЩ ёжщ 123"
            << "Hello";
    }
    void typesOnLayout() {
        QFETCH(QStringList, layout);
        QFETCH(int, group);
        QFETCH(QString, onLayout);
        QFETCH(QString, offLayout);
        QVERIFY(ready());
        // Keys bound on the layout before; the new layout replaces the keymap, bindings and all.
        QCOMPARE(typed(*x11_, *game_, text(U"é@ä")), u"é@ä"_s);
        QCOMPARE(QProcess::execute("setxkbmap", layout), 0);
        lockGroup(group);
        const std::string keymap = keymapDump();
        QCOMPARE(typed(*x11_, *game_, text(onLayout.toStdU32String())), onLayout);
        QCOMPARE(keymapDump(), keymap); // nothing was bound
        const QString mixed = offLayout + onLayout + offLayout;
        QCOMPARE(typed(*x11_, *game_, text(mixed.toStdU32String())), mixed);
        nothingHeld();
        x11_->releaseKeyboard();
        QCOMPARE(keymapDump(), keymap);
        lockGroup(0);
        QCOMPARE(QProcess::execute("setxkbmap", {"us"}), 0);
    }

    // After the layouts: it leaves a key bound for the end.
    void spareKeysGivenBack() {
        QVERIFY(ready());
        x11_->releaseKeyboard();
        const std::string pristine = keymapDump(), pristineXkb = xkbKeymap();
        QVERIFY2(!pristineXkb.empty(), "xkbcomp (x11-xkb-utils) is needed");
        QCOMPARE(typed(atExit, *game_, jk::ParseKeyString(u"é€x{F14}")), u"é€x<F14>"_s);
        QVERIFY(keymapDump() != pristine);
        atExit.releaseKeyboard();
        QCOMPARE(keymapDump(), pristine);
        QVERIFY(xkbKeymap() == pristineXkb);                 // key types, groups and actions too
        QCOMPARE(typed(atExit, *game_, text(U"õ")), u"õ"_s); // given back again at exit
    }

    // A record on the root window that this program never wrote makes a start change no key.
    void forgedRecordChangesNoKey() {
        QVERIFY(ready());
        x11_->releaseKeyboard();
        atExit.releaseKeyboard();
        const std::string pristine = keymapDump();
        forgeSpareKeyRecord();
        X11Platform fresh;
        QVERIFY(fresh.unavailableReason().empty()); // a start gives back what the record names
        QCOMPARE(keymapDump(), pristine);
    }

    // Last: kills the window manager. Its windows go with it; its properties on the root stay.
    void activatesAfterWindowManagerDied() {
        if (qgetenv("JK_WITH_X_WM") == "none")
            QSKIP("needs a window manager to kill");
        PeerProcess first(UO, "first"), second(ThirdDawn, "second");
        QVERIFY2(first.started() && second.started(), (first.error() + second.error()).c_str());
        QProcess xprop;
        xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
        QVERIFY(xprop.waitForFinished());
        const std::uint64_t check =
            xprop.readAll().split('#').last().trimmed().toULongLong(nullptr, 16);
        QVERIFY(windowExists(check));
        ::kill(pid_t(qEnvironmentVariableIntValue("JK_WITH_X_WM_PID")), SIGKILL);
        QVERIFY(waitUntil([&] { return !windowExists(check); }));
        X11Platform platform;
        for (const PeerProcess* game : {&first, &second, &first})
            QVERIFY(focus(platform, *game));
        // With nobody to ask, "Always on top" is written as the window's state directly.
        for (bool on : {true, true, false, true}) {
            platform.setTopMost(second.window(), on);
            QCOMPARE(isAbove(second.window()), on);
        }
    }

    void noDisplay_data() {
        QTest::addColumn<QByteArray>("display"); // null: unset
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unset") << QByteArray() << "set DISPLAY";
        QTest::newRow("empty") << QByteArray("") << "set DISPLAY";
        QTest::newRow("no such server") << QByteArray(":987") << "\":987\"";
        QTest::newRow("nonsense") << QByteArray("not a display") << "not a display";
        QTest::newRow("wayland only") << QByteArray() << "set DISPLAY";
    }
    void noDisplay() {
        if (qEnvironmentVariableIsSet("JK_WITH_X_WM"))
            QSKIP("runs without an X server, as e2e_x11_no_display");
        QFETCH(QByteArray, display);
        QFETCH(QString, mentions);
        display.isNull() ? qunsetenv("DISPLAY") : qputenv("DISPLAY", display);
        X11Platform platform;
        const std::string reason = platform.unavailableReason();
        QVERIFY2(QString::fromStdString(reason).contains(mentions), reason.c_str());
        exerciseEverything(platform);
        QCOMPARE(platform.unavailableReason(), reason);
        // The whole program says so in one sentence and ends.
        ProgramProcess program;
        const bool wayland = QByteArray(QTest::currentDataTag()) == "wayland only";
        if (wayland)
            program.setEnv("WAYLAND_DISPLAY", "wayland-0");
        QVERIFY(!program.start());
        QCOMPARE(program.waitForExit(), 1);
        QCOMPARE(program.errorOutput(),
                 wayland ? "A Wayland session was found, but XWayland is missing or turned off "
                           "(DISPLAY is not set): Jeerkit needs XWayland to reach the game.\n"
                         : "There is no X11 display: Jeerkit needs an X11 session or XWayland.\n");
    }

    // The X server dies mid-line: more characters off the layout than spare keys, typed in
    // rounds with pauses between them.
    void serverGoesAway() {
        if (qgetenv("JK_WITH_X_WM") != "none")
            QSKIP("kills the X server: runs alone as e2e_x11_server_dies");
        X11Platform platform;
        QVERIFY(jk::typeAll(platform, text(U"é"))); // leaves a spare key bound
        std::u32string line;
        for (char32_t c = U'Α'; line.size() < 4000; c = c == U'ӿ' ? U'Α' : c + 1)
            line += c;
        // Killed once the line has begun: its first characters bound to spare keys.
        std::thread killer([before = keymapDump()] {
            waitUntil([&] { return keymapDump() != before; });
            ::kill(pid_t(qEnvironmentVariableIntValue("JK_WITH_X_SERVER_PID")), SIGKILL);
        });
        QVERIFY(!jk::typeAll(platform, text(line)));
        killer.join();
        exerciseEverything(platform);
        QVERIFY(!platform.unavailableReason().empty());
    }

    void noXTest() {
        if (!qgetenv("JK_XVFB_ARGS").contains("XTEST"))
            QSKIP("needs an X server without XTEST: run as e2e_x11_no_xtest");
        X11Platform platform;
        const std::string reason = platform.unavailableReason();
        QVERIFY2(QString::fromStdString(reason).contains("XTEST"), reason.c_str());
        exerciseEverything(platform);
    }
};

QTEST_GUILESS_MAIN(TestX11)
#include "tst_x11.moc"
