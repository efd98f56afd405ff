// The whole program worked like a player against the stand-in game: every window types the
// table of lines, nested sends, the game classes, "Always on top" through switching, signals,
// kills and a second start at any moment, and a long line cut short. Runs: e2e_program (X11),
// e2e_program_wine (the Win32 game under Wine), e2e_wine_program (jeerkit.exe under Wine too).
#include "Harness.h"

#include "phrasebook/SettingsLayout.h"
#include "support/AsNobody.h"
#include "ui/ControlTable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLockFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <sys/stat.h>
#include <utility>

using namespace jk;
using namespace jk::e2e;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// Entry i of set 1: style (0 Say, 1 Emote, 2 Yell, 3 Whisper, 4 Gesture, others none), Enter
// flag, the text as the player writes it, and what the game must record (Enter as "\n").
struct TableLine {
    const char* name;
    int style, enter;
    QString text, received;
};
const QStringList LineVars = {"Bob", "(x)"}; // Var1, Var2

QList<TableLine> lineTable() {
    QString plain; // printable ASCII, the key-string syntax braced; parentheses become brackets
    for (char c = 0x20; c < 0x7F; ++c)
        if (!QByteArray("+^%~{}()").contains(c))
            plain += QChar(c);
    QString longText;
    for (int i = 0; longText.size() < 1000; ++i)
        longText += QString("%1 déjà vu, Ж ж. ").arg(i);
    longText.truncate(1000);
    return {
        {"say, brackets, variable", 0, 1, "Hail (friend) <var1>!", "Hail [friend] Bob!\n"},
        {"emote", 1, 1, "bows", ": bows\n"},
        {"yell", 2, 1, "Help!", "! Help!\n"},
        {"whisper, variable", 3, 1, "psst <var2>", "; psst (x)\n"},
        {"gesture", 4, 1, "wave", "`wave\n"},
        {"no style", 7, 1, "{{}braces{}}", "{braces}\n"},
        {"no Enter", 0, 0, "no Enter here", "no Enter here"},
        {"Enter inside", 0, 1, "5€ ~ `tick`", "5€ \n `tick`\n"},
        {"printable ASCII", 0, 1, plain + "{+}{^}{%}{~}{{}{}}()", plain + "+^%~{}[]\n"},
        {"accents", 0, 1, "é ü ß € ñ Grüße, très café", "é ü ß € ñ Grüße, très café\n"},
        {"Cyrillic", 2, 1, "Привет, мир! Ёё Щщ", "! Привет, мир! Ёё Щщ\n"},
        {"1,000 characters", 0, 1, longText, longText + "\n"},
        {"ends in a brace", 0, 1, "hello {", "hello {\n"},
    };
}

// What a game that reads its chat line once per frame records: each part ending in Enter said
// in its chat mode, the first in the line's style, the rest in "say".
QString saidInFrames(const TableLine& line) {
    static const QStringList modes = {"say", "emote", "yell", "whisper"};
    const bool prefixed = line.style >= 1 && line.style <= 3;
    QString mode = modes[prefixed ? line.style : 0], out;
    for (const QString& part : line.received.mid(prefixed ? 2 : 0).split(u'\n', Qt::SkipEmptyParts))
        out += "[" + std::exchange(mode, modes[0]) + "]" + part + "\n";
    return out;
}

const QStringList Titles = {"", "Jeerkit 2.0", "Jeerkit ", "Jeerkit"}; // by window size

// Clicks a control of the window of that size (1 main, 2 small, 3 tiny).
void click(ProgramProcess& program, std::uint64_t window, int size, const char* name,
           int index = -1) {
    const QPoint at = clickPoint(controls::workingWindow(WindowSize(size)), name, index);
    program.clickClient(window, at.x(), at.y());
}

// The table's lines and variables, the window size, every window clear of the game.
void prepare(ProgramProcess& program, int size) {
    SettingsStore& store = program.store();
    const QList<TableLine> lines = lineTable();
    for (int e = 0; e < lines.size(); ++e) {
        store.write(layout::textSet(1), layout::style(e), QString::number(lines[e].style));
        store.write(layout::textSet(1), layout::enter(e), QString::number(lines[e].enter));
        store.write(layout::textSet(1), layout::text(e), lines[e].text);
    }
    for (int v = 0; v < LineVars.size(); ++v)
        store.write(layout::Settings, layout::var(v + 1), LineVars[v]);
    store.write(layout::Settings, layout::WindowSize, QString::number(size));
    for (const QString& key : {layout::MainLeft, layout::SmallLeft, layout::TinyLeft})
        store.write(layout::Settings, key, "10500");
    for (const QString& key : {layout::MainTop, layout::SmallTop, layout::TinyTop})
        store.write(layout::Settings, key, "1500");
    if (gameUnderWine() && !programUnderWine()) // X11 knows the Win32 game by its .exe's name
        store.writeList(layout::Settings, layout::GameWindowClasses, {"client.exe"});
    QVERIFY(store.flush().ok);
}

// The stand-in game (with these options), parked clear of Jeerkit, and Jeerkit on the prepared
// store (and whatever the test wrote into it before), in window size `size`.
struct Session {
    explicit Session(const QStringList& gameOptions = {})
        : game("Ultima Online", "Stand-in game", gameOptions) {}
    PeerProcess game;
    ProgramProcess program;
    bool start(int size) { // says why not
        if (!game.started())
            return qWarning("%s", game.error().c_str()), false;
        // The window manager puts it where it likes; a compositor keeps its own place.
        if (!gameUnderWine() && !qEnvironmentVariableIsSet("JK_OUTER_DISPLAY"))
            QProcess::execute("xdotool",
                              {"windowmove", "--sync", QString::number(game.window()), "0", "650"});
        prepare(program, size);
        if (!program.start(Titles[size]))
            return qWarning() << "Jeerkit showed no window:" << program.errorOutput(), false;
        return true;
    }
};

// The message box (titled "Jeerkit") closed with Enter. Keys are held off the program's windows
// for a moment after a line, so that keys still on their way never land in a phrase.
bool closeBox(ProgramProcess& program) {
    const auto gone = [&] {
        return viewableWindowOf(program.pid(), "Jeerkit", true) == 0;
    };
    for (int i = 0; i < 20 && !gone(); ++i) {
        program.type("{ENTER}");
        waitUntil(gone, 300ms);
    }
    return gone();
}

// Replaces the text of row 1 in the main window, an edit the store has not seen yet.
void editRow1(ProgramProcess& program, const QString& text) {
    click(program, program.window(), 1, "TextLong", 0);
    QVERIFY(waitUntil([&] { return program.hasFocus(program.window()); }));
    QVERIFY(roundTrip(program.window())); // the click has reached the row's box
    program.type("{END}+{HOME}" + text);
    QVERIFY(roundTrip(program.window())); // and so have the keys
}

} // namespace

enum class MidLine { Nothing, OtherWindow, OwnPhraseBox, OwnButton, Terminate, Close };
Q_DECLARE_METATYPE(MidLine)

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (gameUnderWine() && !wineUnavailableReason().empty())
            QSKIP(wineUnavailableReason().c_str());
    }

    void everyWindowSendsExactly_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("frameMs");
        QTest::newRow("main") << 1 << 0;
        QTest::newRow("small") << 2 << 0;
        QTest::newRow("tiny") << 3 << 0;
        // Games that read their chat line once per frame: the mode switches first.
        QTest::newRow("main, game in 16 ms frames") << 1 << 16;
        QTest::newRow("tiny, game in 50 ms frames") << 3 << 50;
    }
    void everyWindowSendsExactly() {
        QFETCH(int, size);
        QFETCH(int, frameMs);
        const std::string keymapBefore = keymapDump();
        Session session(frameMs > 0 ? QStringList{"--frame-ms", QString::number(frameMs)}
                                    : QStringList());
        QVERIFY(session.start(size));
        auto& game = session.game; // named: clang 14 cannot capture bindings
        auto& program = session.program;
        // Under Wine the game records "<Background>" before a key that comes while it is behind.
        const QList<TableLine> lines = lineTable();
        for (int e = 0; e < lines.size(); ++e) {
            if (frameMs > 0 && !lines[e].received.endsWith(u'\n'))
                continue; // its text would still be in the game's line, ahead of the next
            const std::size_t from = game.recordSize();
            click(program, program.window(), size, "Command2", e);
            const QString expected = frameMs > 0 ? saidInFrames(lines[e]) : lines[e].received;
            const QString got =
                QString::fromStdString(game.waitForText(from, expected.toStdString(), 60s));
            QVERIFY2(got == expected,
                     qPrintable(QString("%1: got \"%2\"").arg(lines[e].name, got)));
        }
        const std::size_t from = game.recordSize();
        click(program, program.window(), size, "Command1");
        const QString curse = QString::fromStdString(game.waitForText(from, "!\n", 20s));
        const QString said = frameMs > 0 ? "\\[say\\]" : "";
        const QRegularExpression thou("^" + said + "Thou [a-z]+ [a-z]+-[a-z]+ [a-z-]+!\n$");
        QVERIFY2(curse.contains(thou), qPrintable(curse));

        // Closing saves every set, the window size with them, and gives the keymap back.
        QCOMPARE(program.close(), 0);
        QCOMPARE(program.saved(layout::Settings, layout::WindowSize), QString::number(size));
        QCOMPARE(program.saved(layout::Settings, layout::var(1)), LineVars[0]);
        for (int e = 0; e < lines.size(); ++e)
            QVERIFY2(program.saved(layout::textSet(1), layout::text(e)) == lines[e].text,
                     lines[e].name);
        QCOMPARE(program.saved(layout::textSet(30), layout::enter(23)), u"1"_s);
        QCOMPARE(keymapDump(), keymapBefore);
    }

    void nestedSendsBothArrive() {
        Session session;
        QVERIFY(session.start(1));
        auto& game = session.game;
        auto& program = session.program;
        const std::size_t from = game.recordSize();
        click(program, program.window(), 1, "Command2", 1);
        // Inside the first send's 100 ms pause: the game has been brought to the front.
        QVERIFY(waitUntil([&] { return !program.hasFocus(program.window()); }));
        click(program, program.window(), 1, "Command2", 4);
        QCOMPARE(game.waitForText(from, ": bows\n", 10s), std::string("`wave\n: bows\n"));
        QCOMPARE(program.terminate(), 0);
    }

    void gameClasses_data() {
        QTest::addColumn<QStringList>("classes");
        QTest::addColumn<QList<int>>("used");    // games the player activates in turn
        QTest::addColumn<int>("receiver");       // index into classes; -1: none, the warning shows
        QTest::addColumn<QStringList>("linked"); // GameWindowClasses
        const QString uo = "Ultima Online", td = "Ultima Online Third Dawn";
        const QList<int> none;
        QTest::newRow("both classes") << QStringList{td, uo} << none << 1 << QStringList{};
        QTest::newRow("Third Dawn only") << QStringList{td} << none << 0 << QStringList{};
        QTest::newRow("no game") << QStringList{} << none << -1 << QStringList{};
        // Players run several clients: the line goes to the one used last, class order first.
        QTest::newRow("two clients: the one used last")
            << QStringList{uo, uo} << QList<int>{1, 0, 1} << 1 << QStringList{};
        QTest::newRow("two clients: the other used last")
            << QStringList{uo, uo} << QList<int>{0, 1, 0} << 0 << QStringList{};
        QTest::newRow("class order before use")
            << QStringList{uo, td} << QList<int>{0, 1} << 0 << QStringList{};
        // The program's own windows are never the game, whatever is linked.
        QTest::newRow("own class linked")
            << QStringList{} << none << -1 << QStringList{"Jeerkit", "jeerkit"};
    }
    void gameClasses() {
        QFETCH(QStringList, classes);
        QFETCH(QList<int>, used);
        QFETCH(int, receiver);
        QFETCH(QStringList, linked);
        std::vector<std::unique_ptr<PeerProcess>> games;
        for (const QString& c : classes) {
            games.push_back(std::make_unique<PeerProcess>(c.toStdString(), "Ultima Online"));
            QVERIFY2(games.back()->started(), games.back()->error().c_str());
        }
        ProgramProcess program;
        prepare(program, 1);
        if (!linked.isEmpty()) {
            program.store().writeList(layout::Settings, layout::GameWindowClasses, linked);
            program.store().flush();
        }
        QVERIFY(program.start());
        for (int g : used) {
            const std::uint64_t window = games[std::size_t(g)]->xWindow();
            program.activate(window);
            QVERIFY(waitUntil([&] { return program.hasFocus(window); }));
        }
        click(program, program.window(), 1, "Command2", 1);
        if (receiver >= 0) {
            QCOMPARE(games[std::size_t(receiver)]->waitForText(0, "\n", 20s),
                     std::string(": bows\n"));
        } else { // "No instance of UO found."
            QVERIFY(program.waitForWindow("Jeerkit", true) != 0);
            QVERIFY(closeBox(program));
            QCOMPARE(program.errorOutput().contains("skipped on one of Jeerkit's own windows"),
                     !linked.isEmpty() && !programUnderWine());
        }
        for (std::size_t g = 0; g < games.size(); ++g)
            QVERIFY(int(g) == receiver || games[g]->record().empty());
        QCOMPARE(program.close(), 0);
    }

    // On a German layout "@" is AltGr+Q, which Windows types as Control+Alt+Q: a hotkey of
    // that stroke must not take it from the line (nor send its own).
    void hotkeyLeavesLayoutCharacters() {
        QCOMPARE(QProcess::execute("setxkbmap", {"de"}), 0); // before Wine reads the layout
        const auto us = qScopeGuard([] { QProcess::execute("setxkbmap", {"us"}); });
        Session session;
        auto& game = session.game;
        auto& program = session.program;
        SettingsStore& store = program.store();
        store.write(layout::Settings, layout::hotkey(1), "Ctrl+Alt+Q");
        store.write(layout::textSet(1), layout::style(13), "7");
        store.write(layout::textSet(1), layout::enter(13), "1");
        store.write(layout::textSet(1), layout::text(13), "a@b");
        // A line that spells out its own hotkey goes out once, not again and again.
        store.write(layout::Settings, layout::hotkey(14), "Ctrl+Alt+1");
        store.write(layout::textSet(1), layout::text(14), "x^%1");
        QVERIFY(session.start(1));
        const std::size_t from = game.recordSize();
        click(program, program.window(), 1, "Command2", 13);
        QCOMPARE(QString::fromStdString(game.waitForText(from, "b\n", 20s)), u"a@b\n"_s);
        const std::size_t own = game.recordSize();
        click(program, program.window(), 1, "Command2", 14);
        const QString once = QString::fromStdString(game.waitForText(own, "\n", 20s));
        QVERIFY2(once.startsWith(u'x') && once.count(u'x') == 1, qPrintable(once));
        click(program, program.window(), 1, "Command2", 6); // after anything the hotkey sent
        QCOMPARE(QString::fromStdString(game.waitForText(own, "here", 20s)),
                 once + u"no Enter here"_s);
        QCOMPARE(program.close(), 0);
    }

    void hotkeysTypeIntoFocusedGame() {
        // Another program has Ctrl+Alt+3. Under Wine the keys are Wine's own, the X server's
        // grabs never see them: the holders and the looks below are Win32 programs.
        const ForeignGrab other("3");
        QVERIFY(other.held());
        Session session;
        auto& game = session.game;
        auto& program = session.program;
        SettingsStore& store = program.store();
        store.write(layout::Settings, layout::hotkey(0), "Ctrl+Alt+1");
        store.write(layout::Settings, layout::hotkey(1), "Ctrl+Alt+3");
        store.write(layout::Settings, layout::hotkey(layout::HotkeyCurse), "Ctrl+Alt+2");
        QVERIFY(session.start(1));
        // The key the other program holds is named in a box that leaves the focus alone.
        QVERIFY(waitUntil([&] { return viewableWindowOf(program.pid(), "Jeerkit", true) != 0; }));
        setRepeat(200, 30); // the server's own: this server's alone
        QVERIFY(waitUntil([] { return keyGrabbed("1") && keyGrabbed("2"); }));
        program.activate(game.xWindow());
        QVERIFY(waitUntil([&] { return program.hasFocus(game.xWindow()); }));
        std::size_t from = game.recordSize();
        // The player still holds Control and Alt when the key fires: nothing may come until
        // they are let go of, and then no key may carry them. A repeat after the line would
        // show in front of the curse.
        for (const char* key : {"Control_L", "Alt_L", "1"})
            fakeKey(key, true);
        // Held past the keyboard's repeat delay, it repeats: one line all the same.
        QVERIFY(!waitUntil([&] { return game.recordSize() > from; }, 500ms));
        fakeKey("1", false), fakeKey("Alt_L", false), fakeKey("Control_L", false);
        // Under Wine the game records "<Background>" if it lost the front.
        const std::string line = game.waitForText(from, "Bob!\n", 10s);
        QVERIFY2(line == "Hail [friend] Bob!\n", line.c_str());
        QVERIFY(program.hasFocus(game.xWindow()));
        from = game.recordSize();
        program.type("^%2");
        const QString curse = QString::fromStdString(game.waitForText(from, "!\n", 10s));
        QVERIFY2(curse.contains(QRegularExpression("^Thou [a-z]+ [a-z]+-[a-z]+ [a-z-]+!\n$")),
                 qPrintable(curse));
        QVERIFY(program.hasFocus(game.xWindow()));
        QCOMPARE(program.close(), 0);
        QVERIFY(program.errorOutput().contains(
            "Ctrl+Alt+3 of Button 2 is not taken: Another program already holds this key."));
        QVERIFY(!keyGrabbed("1") && !keyGrabbed("2"));
    }

    // A game of a class not on the list: the player links it from the "No instance" box with
    // a click on it, and the line goes there; the class is stored for the next start.
    void linksGameByClick() {
        if (gameUnderWine() && !programUnderWine())
            QSKIP("the game is linked by its .exe's name already");
        Session session({"--class", "cuo"});
        auto& game = session.game;
        auto& program = session.program;
        QVERIFY(session.start(1));
        const auto box = [&] {
            return viewableWindowOf(program.pid(), "Jeerkit", true);
        };
        click(program, program.window(), 1, "Command2", 0);
        QVERIFY(waitUntil([&] { return box() != 0; }));
        const std::uint64_t noInstance = box();
        QVERIFY(waitUntil([&] { return program.hasFocus(noInstance); }));
        program.type("%l"); // "Link game window…"
        QVERIFY(waitUntil([&] { return box() != 0 && box() != noInstance; }));
        const std::uint64_t waiting = box(); // for the click
        QVERIFY(roundTrip(waiting));
        program.clickClient(game.xWindow(), 200, 100);
        QVERIFY(waitUntil([&] { return box() != 0 && box() != waiting; }));
        // The window manager has given the game the focus for the click, which Wine does not
        // keep from the X server as Windows does from the game: the player clicks on the box.
        if (programUnderWine())
            program.activate(box());
        const std::size_t from = game.recordSize();
        QVERIFY(closeBox(program)); // "Link the window … ?": Yes, its default
        const std::string line = game.waitForText(from, "Bob!\n", 20s);
        QVERIFY2(line == "Hail [friend] Bob!\n", line.c_str());
        QCOMPARE(program.close(), 0);
        QCOMPARE(program.saved(layout::Settings, layout::GameWindowClasses), u"cuo"_s);
    }

    // The table through hotkeys into the game the player has focused: no activation, no pause.
    // On a desktop that refuses to bring windows to the front (weston) it is the only road.
    void tableByHotkeys() {
        Session session;
        auto& game = session.game;
        auto& program = session.program;
        const QList<TableLine> lines = lineTable();
        for (int e = 0; e < lines.size(); ++e)
            program.store().write(layout::Settings, layout::hotkey(e),
                                  QString("Ctrl+Alt+%1").arg(QChar('A' + e)));
        QVERIFY(session.start(1));
        if (qEnvironmentVariableIsSet("JK_OUTER_DISPLAY"))
            QVERIFY(focusThroughCompositor(game.xWindow()));
        else
            program.activate(game.xWindow());
        QVERIFY(waitUntil([&] { return program.hasFocus(game.xWindow()); }));
        for (int e = 0; e < lines.size(); ++e) {
            const std::size_t from = game.recordSize();
            const std::string key(1, char('a' + e));
            for (const char* k : {"Control_L", "Alt_L", key.c_str()})
                fakeKey(k, true);
            for (const char* k : {key.c_str(), "Alt_L", "Control_L"})
                fakeKey(k, false);
            const QString expected = lines[e].received;
            const QString got =
                QString::fromStdString(game.waitForText(from, expected.toStdString(), 60s));
            QVERIFY2(got == expected,
                     qPrintable(QString("%1: got \"%2\"").arg(lines[e].name, got)));
        }
        QVERIFY(program.hasFocus(game.xWindow()));
        QCOMPARE(program.close(), 0);
    }

    void alwaysOnTopThroughSwitching() {
        ProgramProcess program;
        prepare(program, 1);
        QVERIFY(program.start());
        const std::uint64_t main = program.window();
        for (bool on : {true, false, true}) {
            click(program, main, 1, "CheckAlwaysOnTop");
            QVERIFY2(waitUntil([&] { return isAbove(main) == on; }), on ? "on" : "off");
        }
        // Main -> small -> tiny -> main: each window shown keeps the choice.
        std::uint64_t shown = main;
        for (int size : {1, 2, 3}) {
            const std::uint64_t previous = std::exchange(shown, 0);
            click(program, previous, size, "Command3");
            QVERIFY(waitUntil([&] { // the one window shown once the previous has gone
                const auto windows = viewableWindowsOf(program.pid());
                shown = windows.size() == 1 && windows[0] != previous ? windows[0] : 0;
                return shown != 0 && isAbove(shown);
            }));
        }
        closeWindow(shown);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.saved(layout::Settings, layout::AlwaysOnTop), u"True"_s);
        QCOMPARE(program.saved(layout::Settings, layout::WindowSize), u"1"_s);
    }

    void signalsSaveLikeClosing_data() {   // SIGTERM; SIGINT and SIGHUP: endsOnceAtAnyMoment
        QTest::addColumn<bool>("inPause"); // arrives in the 100 ms pause of a send
        QTest::newRow("SIGTERM") << false;
        QTest::newRow("SIGTERM in a send's pause") << true;
    }
    void signalsSaveLikeClosing() {
        QFETCH(bool, inPause);
        const std::string keymapBefore = keymapDump();
        // A game busy after taking the focus: keys typed just before the end are still in its
        // queue when the keymap is given back.
        Session session(inPause ? QStringList{"--focus-delay", "400"} : QStringList());
        QVERIFY(session.start(1));
        auto& game = session.game;
        auto& program = session.program;
        editRow1(program, "edited before the signal");
        // A phrase with characters off the keymap leaves spare keys bound for a while.
        const std::size_t from = game.recordSize();
        click(program, program.window(), 1, "Command2", 7);
        if (inPause) // the send brings the game to the front, then pauses
            QVERIFY(waitUntil([&] { return program.hasFocus(game.window()); }));
        else
            game.waitForText(from, "`tick`\n", 10s);
        QCOMPARE(program.terminate(), 0);
        // The line arrived whole or not at all; the Escape typed now comes after all of it.
        program.type("{ESC}");
        const QString got = QString::fromStdString(game.waitForText(from, "<Escape>", 10s));
        QVERIFY2(got == "<Escape>" || got == lineTable()[7].received + "<Escape>", qPrintable(got));
        QCOMPARE(program.saved("TextSet1", layout::text(0)), u"edited before the signal"_s);
        QCOMPARE(program.saved("TextSet30", layout::enter(23)), u"1"_s);
        QCOMPARE(keymapDump(), keymapBefore);
    }

    void endsOnceAtAnyMoment_data() {
        QTest::addColumn<QByteArray>("damage"); // appended to the store before the start
        QTest::addColumn<bool>("unwritable");   // the store turns into a folder after the start
        QTest::addColumn<bool>("closeFirst");   // the player closes the window before the signal
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("in the damaged-store warning")
            << QByteArray("\n[TextSet1\n") << false << false << int(SIGTERM);
        QTest::newRow("in the Retry box") << QByteArray() << true << true << int(SIGHUP);
        QTest::newRow("save fails") << QByteArray() << true << false << int(SIGINT);
    }
    void endsOnceAtAnyMoment() {
        QFETCH(QByteArray, damage);
        QFETCH(bool, unwritable);
        QFETCH(bool, closeFirst);
        QFETCH(int, signalNumber);
        ProgramProcess program;
        prepare(program, 1);
        QFile file(program.storePath());
        QVERIFY(file.open(QIODevice::Append) && file.write(damage) == damage.size());
        file.close();
        // A box titled "Jeerkit" or the main window, whichever shows first.
        QVERIFY(program.start(damage.isEmpty() ? "Jeerkit 2.0" : "Jeerkit"));
        if (unwritable)
            QVERIFY(file.remove() && QDir().mkdir(program.storePath()));
        if (closeFirst) {
            closeWindow(program.window());
            QVERIFY(program.waitForWindow("Jeerkit", true) != 0);
        }
        program.signal(signalNumber);
        QCOMPARE(program.waitForExit(), 0);
        QString saved = program.storePath();
        if (unwritable) {
            const auto found =
                QRegularExpression(" written to (.+) instead").match(program.errorOutput());
            QVERIFY2(found.hasMatch(), "no rescue file named");
            saved = found.captured(1);
        }
        SettingsStore store(saved);
        QCOMPARE(store.read("TextSet1", layout::text(1), ""), lineTable()[1].text);
        QCOMPARE(store.read("TextSet30", layout::enter(23), "missing"), u"1"_s);
    }

    // A save fails while the player types into a phrase: the box says so without taking a key.
    void failedSaveTakesNoKeys() {
        ProgramProcess program;
        prepare(program, 1);
        QVERIFY(program.start());
        const QByteArray store = fileBytes(program.storePath());
        QVERIFY(QFile::remove(program.storePath()) && QDir().mkpath(program.storePath() + "/x"));
        editRow1(program, "typed while ");
        const auto box = [&] {
            return viewableWindowOf(program.pid(), "Jeerkit", true);
        };
        QVERIFY(waitUntil([&] { return box() != 0; }));
        program.type("the disk was full~ and on");
        QVERIFY(roundTrip(program.window()));
        QVERIFY(box() != 0 && program.hasFocus(program.window()));
        QVERIFY(QDir(program.storePath()).removeRecursively());
        QFile file(program.storePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(store) == store.size());
        file.close();
        QCOMPARE(program.terminate(), 0);
        QCOMPARE(program.saved("TextSet1", layout::text(0)),
                 u"typed while the disk was full and on"_s);
    }

    // The X server dies a moment after an edit: the edit is on the disk all the same.
    void editKeptWhenDisplayDies() {
        if (!qEnvironmentVariableIsSet("JK_KILL_X_SERVER") || gameUnderWine())
            QSKIP("kills the X server: runs alone as e2e_program_server_dies");
        ProgramProcess program;
        prepare(program, 1);
        QVERIFY(program.start());
        editRow1(program, "typed just before the end");
        ::kill(pid_t(qEnvironmentVariableIntValue("JK_WITH_X_SERVER_PID")), SIGKILL);
        QCOMPARE(program.waitForExit(), 1);
        QCOMPARE(program.saved("TextSet1", layout::text(0)), u"typed just before the end"_s);
    }

    void secondStartLeavesFirstAlone() {
        const std::string keymapBefore = keymapDump();
        Session session;
        QVERIFY(session.start(1));
        auto& game = session.game;
        auto& first = session.program;
        const QByteArray before = fileBytes(first.storePath());
        ProgramProcess second(first.configHome());
        QVERIFY(!second.start()); // shows no window of its own
        QCOMPARE(second.waitForExit(), 0);
        QVERIFY(second.errorOutput().contains("already running"));
        QCOMPARE(fileBytes(first.storePath()), before);
        QVERIFY(first.running());

        // An edit reaches the disk without a close or any other step of the player's.
        editRow1(first, "typed, then killed");
        QVERIFY(waitUntil([&] { return fileBytes(first.storePath()).contains("then killed"); }));
        // Killed within seconds of a send, it leaves its lock and spare keys bound behind; the
        // next start is not stopped by the one and gives the other back.
        const std::size_t from = game.recordSize();
        click(first, first.window(), 1, "Command2", 9);
        game.waitForText(from, "\n", 10s);
        QVERIFY(keymapDump() != keymapBefore);
        first.signal(SIGKILL);
        first.waitForExit();
        ProgramProcess third(first.configHome());
        QVERIFY(third.start());
        QVERIFY(waitUntil([&] { return keymapDump() == keymapBefore; }));
        QCOMPARE(third.terminate(), 0);
        QCOMPARE(third.saved("TextSet1", layout::text(0)), u"typed, then killed"_s);
    }

    void leftoverLockNeverSilent_data() {
        QTest::addColumn<QString>("leftover");
        QTest::addColumn<int>("status"); // 0: the program starts (and ends on SIGTERM)
        // Killed between creating the lock and writing its owner into it; a crash on another
        // machine sharing this home; things that are no lock at all.
        for (const char* leftover : {"ownerless", "other host", "folder", "dangling link", "pipe",
                                     "other host, another user's listener"})
            QTest::newRow(leftover) << QString(leftover) << 0;
        QTest::newRow("held by a program that does not answer") << QString("held") << 1;
    }
    void leftoverLockNeverSilent() {
        QFETCH(QString, leftover);
        QFETCH(int, status);
        ProgramProcess program;
        prepare(program, 1);
        pid_t listener = 0;
        QTemporaryDir shared; // a folder like /tmp, for the program's socket too
        const auto stop = qScopeGuard([&listener] {
            qunsetenv("TMPDIR");
            if (listener > 0)
                ::kill(listener, SIGKILL);
        });
        if (leftover.endsWith("listener")) { // where the socket would be, and its old name
            if (!test::nobody())
                QSKIP(test::NeedsRoot);
            QVERIFY(::chmod(QFile::encodeName(shared.path()), 01777) == 0);
            qputenv("TMPDIR", QFile::encodeName(shared.path())), qunsetenv("XDG_RUNTIME_DIR");
            const QByteArray hash =
                QCryptographicHash::hash(program.storePath().toUtf8(), QCryptographicHash::Sha1);
            const QString own = shared.filePath("jeerkit-0"),
                          name = "/jeerkit-" + hash.toHex().left(16);
            listener = test::asNobody(
                [&] { // both servers live until pause() returns
                    return QDir().mkdir(own) && ::chmod(QFile::encodeName(own), 0777) == 0 &&
                           QLocalServer().listen(shared.path() + name) &&
                           QLocalServer().listen(own + name) && (::pause(), true);
                },
                false);
            QVERIFY(waitUntil([&] { return QFileInfo::exists(own + name); }));
            leftover = "other host";
        }
        const QString path = program.configHome() + "/Jeerkit/.Jeerkit.ini.running";
        QFile file(path);
        QLockFile held(path);
        const QByteArray other = "4242\njeerkit\nother-machine\n0123456789abcdef\n";
        QVERIFY(leftover == "ownerless"       ? file.open(QIODevice::WriteOnly)
                : leftover == "other host"    ? file.open(QIODevice::WriteOnly) && file.write(other)
                : leftover == "folder"        ? QDir().mkpath(path + "/inside")
                : leftover == "dangling link" ? QFile::link(path + ".gone", path)
                : leftover == "pipe"          ? ::mkfifo(QFile::encodeName(path), 0600) == 0
                                              : held.tryLock(0));
        file.close();
        if (status == 0) {
            QVERIFY2(program.start(), qPrintable(program.errorOutput()));
            program.signal(SIGTERM);
        } else {
            QVERIFY(program.start("Jeerkit")); // the box that says why
            QVERIFY(program.errorOutput().contains("does not answer"));
            closeWindow(program.window());
        }
        QCOMPARE(program.waitForExit(), status);
    }

    void longEntryMidLine_data() {
        QTest::addColumn<QStringList>("gameOptions");
        QTest::addColumn<bool>("greek");
        QTest::addColumn<MidLine>("event");
        const QStringList none;
        QTest::newRow("typed whole") << none << false << MidLine::Nothing;
        QTest::newRow("another window takes the focus") << none << false << MidLine::OtherWindow;
        QTest::newRow("a phrase box takes the focus") << none << false << MidLine::OwnPhraseBox;
        QTest::newRow("another button is clicked") << none << false << MidLine::OwnButton;
        // Every chunk of spare keys waits blind on a game that answers no pings.
        QTest::newRow("SIGTERM, Greek and Cyrillic into a game without pings")
            << QStringList{"--no-ping"} << true << MidLine::Terminate;
        // As the player closes it (Wine gives a Windows program no SIGTERM of its own).
        QTest::newRow("closed mid-line") << none << false << MidLine::Close;
    }
    void longEntryMidLine() {
        QFETCH(QStringList, gameOptions);
        QFETCH(bool, greek);
        QFETCH(MidLine, event);
        if (gameUnderWine() && !gameOptions.isEmpty())
            QSKIP("the Win32 stand-in answers every ping");
        const std::string keymapBefore = keymapDump();
        QString text;
        for (int i = 0; text.size() < 100000; ++i) {
            text += QString("line %1 of a long speech, ").arg(i);
            const int k = i % 313; // more distinct characters than any keymap has spare keys
            if (greek)
                text += QChar(k < 57 ? 0x391 + k : 0x400 + k - 57);
        }
        text.truncate(100000);
        Session session(gameOptions);
        auto& game = session.game;
        auto& program = session.program;
        program.store().write("TextSet1", layout::text(20), text);
        program.store().write("TextSet1", layout::style(20), "0");
        program.store().write("TextSet1", layout::enter(20), "1");
        const QString boxText = "kept as it was";
        program.store().write("TextSet1", layout::text(21), boxText);
        QVERIFY(session.start(1));

        const std::size_t from = game.recordSize();
        click(program, program.window(), 1, "Command2", 20);
        if (event == MidLine::Nothing) {
            const std::string got = game.waitForText(from, "\n", 60s);
            QCOMPARE(got.size(), std::size_t(100001));
            QVERIFY(QString::fromStdString(got) == text + u'\n');
            // Kept whole in the window and written back whole at the end.
            QCOMPARE(program.terminate(), 0);
            QVERIFY(program.saved("TextSet1", layout::text(20)) == text);
            return;
        }
        QVERIFY(waitUntil([&] { return game.recordSize() > from + 200; }, 20s));
        std::unique_ptr<PeerProcess> other;
        if (event == MidLine::OtherWindow) { // as a terminal would, it records what reaches it
            other = std::make_unique<PeerProcess>("Terminal", "Terminal");
            QVERIFY2(other->started(), other->error().c_str());
            program.activate(other->xWindow());
        } else if (event == MidLine::OwnPhraseBox) {
            click(program, program.window(), 1, "TextLong", 21);
        } else if (event == MidLine::OwnButton) {
            click(program, program.window(), 1, "Command2", 1);
        } else {
            // Ends cleanly, the line stopped where it was (how fast is the bench's to say).
            QCOMPARE(event == MidLine::Close ? program.close() : program.terminate(), 0);
        }
        const bool ended = event == MidLine::Terminate || event == MidLine::Close;
        if (!ended) { // typing stops and says so in a box, taking the focus (Windows gives
                      // none to a program behind another one's window)
            QVERIFY(waitUntil([&] {
                const std::uint64_t box = viewableWindowOf(program.pid(), "Jeerkit", true);
                return box != 0 && (program.hasFocus(box) || programUnderWine());
            }));
        }
        // What the game got of the line, once it has handled every key that reached it.
        const std::string cut = game.settledText(from);
        if (event == MidLine::OwnButton) {
            // Nothing stalls: the box closes and the next click sends. The line clicked mid-line
            // goes out whole, before it, or after it when the click lands in that line's pause
            // (the later send is typed first).
            const std::size_t next = game.recordSize();
            QVERIFY(closeBox(program));
            click(program, program.window(), 1, "Command2", 2);
            const std::string sent = game.waitForText(next, "! Help!\n", 10s);
            QVERIFY2(sent == "! Help!\n" || sent == ": bows\n! Help!\n" ||
                         sent == "! Help!\n: bows\n",
                     sent.c_str());
        }
        // Wine ends a Windows program on SIGTERM, unasked: jeerkit.exe is left to the end.
        if (!ended && !programUnderWine())
            QCOMPARE(program.terminate(), 0);
        // The line was cut before its Enter, and at most a slice of it went elsewhere.
        QVERIFY(cut.size() < 100000 && cut.find('\n') == std::string::npos);
        if (other) {
            const std::string stray = other->settledText(0);
            QVERIFY2(stray.size() <= SliceKeys && stray.find('\n') == std::string::npos,
                     stray.c_str());
        }
        if (ended || !programUnderWine())
            QCOMPARE(program.saved("TextSet1", layout::text(21)), boxText);
        QCOMPARE(keymapDump(), keymapBefore);
    }

    // What the window manager draws in the about box's title bar.
    void aboutBoxHasNoTitle() {
        ProgramProcess program;
        QVERIFY(program.start());
        click(program, program.window(), 1, "Command4");
        const std::uint64_t about = program.waitForWindow("", true); // an empty _NET_WM_NAME
        QVERIFY(about != 0);
        QCOMPARE(textProperty(about, "WM_NAME"), std::string());
        program.type("%o");
        QVERIFY(waitUntil([&] { return viewableWindowsOf(program.pid()).size() == 1; }));
        QCOMPARE(program.terminate(), 0);
    }

    // Whatever the desktop asks for, an X11 window whole on the screen (with-x.sh's 1280x1024):
    // a Wayland platform (said to be ignored), 200% scale, a place stored off every screen.
    void opensWholeOnScreen_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("left"); // stored "MainLeft"
        QTest::newRow("wayland asked for") << "QT_QPA_PLATFORM"
                                           << "wayland"
                                           << "0";
        QTest::newRow("200% scale") << "QT_SCALE_FACTOR"
                                    << "2"
                                    << "0";
        QTest::newRow("off every screen") << "QT_SCALE_FACTOR"
                                          << "1"
                                          << "-99999";
    }
    void opensWholeOnScreen() {
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QString, left);
        ProgramProcess program;
        program.setEnv(variable, value);
        program.store().write(layout::Settings, layout::MainLeft, left);
        QVERIFY(program.store().flush().ok);
        QVERIFY(program.start());
        QProcess xdotool;
        xdotool.start("xdotool",
                      {"getwindowgeometry", "--shell", QString::number(program.window())});
        QVERIFY(xdotool.waitForFinished());
        QMap<QString, int> at;
        for (const QString& line : QString::fromLatin1(xdotool.readAll()).split(u'\n'))
            at[line.section(u'=', 0, 0)] = line.section(u'=', 1).toInt();
        const QRect client(at["X"], at["Y"], at["WIDTH"], at["HEIGHT"]);
        QVERIFY2(QRect(0, 0, 1280, 1024).contains(client), qPrintable(QDebug::toString(client)));
        QCOMPARE(program.errorOutput().contains("QT_QPA_PLATFORM=wayland ignored"),
                 value == "wayland");
        QCOMPARE(program.terminate(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
