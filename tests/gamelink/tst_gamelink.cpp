#include "gamelink/GameLink.h"

#include "gamelink/KeyString.h"
#include "gamelink/TypeLine.h"

#include "curse/RandomSource.h"
#include "phrasebook/PhraseBook.h"
#include "support/FakePlatform.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace jk;

namespace {

// Always the top of its range, which must still pick a word in the list.
class TopRandom final : public RandomSource {
public:
    float next() override { return std::nextafter(1.0f, 0.0f); }
};

const QString NoGame = QStringLiteral("No instance of UO found.");
const QString UO = QStringLiteral("Ultima Online"), TD = QStringLiteral("Ultima Online Third Dawn");

struct Fixture {
    PhraseBook book;
    test::FakePlatform desktop;
    TopRandom random;
    QStringList warnings;
    GameLink link{book, desktop, random, [this](const QString& t) {
                      warnings << t;
                  }};

    explicit Fixture(const QStringList& windows = {UO}) {
        book.CurrentTextSet = 0;
        book.Prefix = "Thou (x) <var1>";
        book.GameWindowClasses = {"cuo"};
        for (int e = 0; e < EntryCount; ++e) {
            book.EntryLong[0][e] = QString("entry %1").arg(e);
            book.EntryEnter[0][e] = e == 5 ? 0 : 1;
        }
        book.EntryLong[0][5] = ""; // an empty line still fronts the game and pauses
        book.EntryStyle[0][2] = Yell;
        book.Vars[0] = "Bob";
        book.EntryLong[0][1] = "hi <var1> (there)";
        book.EntryStyle[0][1] = Emote;
        for (int i = 0; i < windows.size(); ++i)
            desktop.windows[windows[i].toStdString()] = platform::WindowId(100 + i);
    }
    QString typed(std::size_t n) const { return QString::fromStdU32String(desktop.typedText(n)); }
};

// A click: the desktop it meets, and what it does there.
struct Send {
    QStringList windows; // classes of the windows on the desktop
    int entry;           // -1: the curse button
    QString desktop;     // why there is none, or empty
    bool fronts;         // whether activating gives the focus
    QString picked;      // the class the player links, "-": not asked
    QString into;        // the class typed into, or empty
    QString typed, warning;
};

// A line typed on the fake desktop, and how the executor went about it.
struct Line {
    QString keys; // key string; "<GameReads>" marks where the game reads the chat mode
    std::size_t loseFocusAfter, stopAfterIdles;
    platform::TypingResult::End end;
    std::size_t keysTyped;
    QString steps; // every step, or empty where the invariants alone are checked
};

} // namespace

Q_DECLARE_METATYPE(Send)
Q_DECLARE_METATYPE(Line)
Q_DECLARE_METATYPE(std::vector<unsigned>)

class TestGameLink : public QObject {
    Q_OBJECT
private slots:
    // Which window a click types into, and what the player is told when it cannot.
    void send_data() {
        QTest::addColumn<Send>("send");
        const auto row = [](const char* name, const Send& send) {
            QTest::newRow(name) << send;
        };
        const QString line = "! entry 2\n", own = "cuo", none = "";
        const QString curse = "Thou (x) <var1> yeasty white-livered wagtail!\n"; // prefix as it is
        row("no game", {{}, 2, "", true, "-", none, none, NoGame});
        row("only Third Dawn", {{TD}, 2, "", true, "-", TD, line, none});
        row("both: Ultima Online wins", {{TD, UO}, 2, "", true, "-", UO, line, none});
        row("built-in before own", {{own, TD}, 2, "", true, "-", TD, line, none});
        row("own after built-ins", {{own}, 2, "", true, "-", own, line, none});
        row("empty line", {{UO}, 5, "", true, "-", UO, none, none});
        row("curse", {{UO}, -1, "", true, "-", UO, curse, none});
        row("curse: Ultima Online only", {{TD}, -1, "", true, "-", none, none, NoGame});
        row("not fronted: nothing typed",
            {{UO}, 2, "", false, "-", none, none, gamelink_text::NotFronted});
        row("no display", {{UO}, 2, "No X display.", true, "-", none, none, "No X display."});
        row("no display, curse",
            {{UO}, -1, "No X display.", true, "-", none, none, "No X display."});
        // The player is asked to click on the game instead, and its class is kept.
        row("game linked", {{}, 2, "", true, "client.exe", "client.exe", line, none});
        row("linking box closed", {{}, 2, "", true, "", none, none, none});
        row("linked window gone", {{}, 2, "", true, "gone", none, none, NoGame});
    }

    void send() {
        QFETCH(Send, send);
        const auto& [windows, entry, desktop, fronts, picked, into, typed, warning] = send;
        Fixture f(windows);
        f.desktop.unavailable = desktop.toStdString();
        f.desktop.frontingWorks = fronts;
        QLoggingCategory::setFilterRules(QStringLiteral("jk.gamelink.info=true"));
        if (!warning.isEmpty() || picked != "-") // logged too
            QTest::ignoreMessage(QtInfoMsg, QRegularExpression("Not sent"));
        QStringList asked;
        int changes = 0;
        if (picked != "-") {
            f.link.setGamePicker([&](const QString& text) {
                asked << text;
                f.desktop.windows["client.exe"] = 33; // the player clicks on the game
                return send.picked; // clang 14 cannot capture a structured binding
            });
            connect(&f.link, &GameLink::gameWindowClassesChanged, this, [&] { ++changes; });
        }
        entry < 0 ? f.link.SendCurse() : f.link.SendEntry(qint16(entry));
        QCOMPARE(f.warnings, warning.isEmpty() ? QStringList{} : QStringList{warning});
        if (picked != "-") {
            QCOMPARE(asked, QStringList{NoGame});
            QCOMPARE(f.book.GameWindowClasses,
                     QStringList({"cuo", picked}).filter(QRegularExpression(".")));
            QCOMPARE(changes, picked.isEmpty() ? 0 : 1);
        }
        QCOMPARE(f.desktop.typed.size(), into.isEmpty() ? 0u : 1u);
        if (!into.isEmpty()) {
            QCOMPARE(f.desktop.calls.end()[-2].what, std::string("activate"));
            QCOMPARE(f.desktop.windowClass(f.desktop.calls.back().window), into.toStdString());
            QCOMPARE(f.typed(0), typed);
        }
        if (warning == NoGame && picked == "-") // once, after one look for every class
            QCOMPARE(f.desktop.calls.size(), 1u);
        QVERIFY(!f.link.pausing());
    }

    // The one executor for every backend: slices, the game's read of the chat mode, the focus
    // looked at after every wait and before every Enter, keys let go of however it ends.
    void typeLine_data() {
        using End = platform::TypingResult::End;
        QTest::addColumn<Line>("line");
        const QString a250 = QString(250, 'a'), a99 = QString(99, 'a');
        const auto row = [](const char* name, const Line& line) {
            QTest::newRow(name) << line;
        };
        row("prefix read first",
            {": <GameReads>hi~", SIZE_MAX, SIZE_MAX, End::Whole, 5,
             "focus|send 3|round|focus|send 2|settle|focus|send 1|settle|end"});
        row("long line in slices", {a250 + "{ENTER}", SIZE_MAX, SIZE_MAX, End::Whole, 251, ""});
        row("focus moves mid-line: one slice more",
            {a250 + "~", 150, SIZE_MAX, End::FocusLost, 200, ""});
        row("focus moves just before Enter: no Enter",
            {a99 + "~", 99, SIZE_MAX, End::FocusLost, 99, "focus|send 99|settle|focus|end early"});
        row("Enter mid-line starts a slice", {"ab~cd", SIZE_MAX, SIZE_MAX, End::Whole, 5,
                                              "focus|send 2|settle|focus|send 3|settle|end"});
        row("stop between slices", {a250, SIZE_MAX, 2, End::Stopped, 100, ""});
        row("empty line", {"", SIZE_MAX, SIZE_MAX, End::Whole, 0, "focus|end"});
    }

    void typeLine() {
        QFETCH(Line, line);
        test::FakePlatform desktop;
        desktop.focused = 7;
        desktop.focusLostAfter = line.loseFocusAfter;
        std::vector<platform::KeyAction> keys;
        const QStringList parts = line.keys.split("<GameReads>");
        for (int i = 0; i < parts.size(); ++i) {
            if (i > 0)
                keys.push_back(platform::KeyAction::named(platform::NamedKey::GameReads));
            for (const platform::KeyAction& k : ParseKeyString(parts[i]))
                keys.push_back(k);
        }
        std::size_t idles = 0;
        const platform::TypingResult result =
            jk::typeLine(desktop, 7, keys, [&] { return ++idles < line.stopAfterIdles; });
        QCOMPARE(result.end, line.end);
        QCOMPARE(result.keysTyped, line.keysTyped);
        QCOMPARE(desktop.typed.at(0).size(), line.keysTyped);
        const QString steps = QString::fromStdString(std::accumulate(
            desktop.steps.begin(), desktop.steps.end(), std::string(),
            [](std::string all, const std::string& s) { return all.empty() ? s : all + "|" + s; }));
        if (!line.steps.isEmpty())
            QCOMPARE(steps, line.steps);
        // Whatever the line: no slice is longer than the limit, every send but the first
        // follows a wait and a look at the focus, and the session is ended once, last.
        const QStringList list = steps.split('|');
        for (int i = 0; i < list.size(); ++i) {
            if (list[i].startsWith("send ")) {
                QVERIFY(list[i].mid(5).toULongLong() <= SliceKeys);
                QCOMPARE(list[i - 1], QString("focus"));
                QVERIFY(i == 1 || list[i - 2] == "settle" || list[i - 2] == "round");
            }
        }
        QVERIFY(list.back().startsWith("end"));
        QCOMPARE(list.filter(QRegularExpression("^end")).size(), 1);
    }

    // A line is read when its button is clicked; a click during the pause is typed first.
    void linesReadAtTheClickNestedFirstThenKeysGivenBack() {
        Fixture f;
        QTimer::singleShot(20, &f.link, [&] {
            f.book.Vars[0] = "Ann";
            f.link.SendEntry(7);
        });
        f.link.SendEntry(1);
        f.link.SendEntry(1);
        f.book.CurrentTextSet = 4;
        f.book.EntryLong[4][1] = "other set";
        f.book.EntryEnter[4][1] = 0;
        f.link.SendEntry(1);
        QCOMPARE(f.desktop.typed.size(), 4u);
        QCOMPARE(f.typed(0) + f.typed(1) + f.typed(2) + f.typed(3),
                 QString("entry 7\n: hi Bob [there]\n: hi Ann [there]\nother set"));
        QVERIFY(!f.link.pausing());
        // Spare keys are given back once no line has been sent for a while.
        QCOMPARE(f.desktop.calls.back().what, std::string("type"));
        QTRY_COMPARE_WITH_TIMEOUT(f.desktop.calls.back().what, std::string("release"), 10000);
    }

    // A hotkey: straight into a game that has the focus, else the road of a click; either way
    // only once its keys and every modifier are up.
    void hotkey_data() {
        using H = platform::Hotkey;
        QTest::addColumn<bool>("gameFocused");
        QTest::addColumn<std::vector<unsigned>>("stillDown"); // answers in turn, the last stays
        QTest::addColumn<bool>("typed");
        QTest::newRow("game focused, keys up") << true << std::vector<unsigned>{0} << true;
        QTest::newRow("game focused, let go of in time")
            << true << std::vector<unsigned>{H::WithControl | H::WithAlt, H::KeyItself, 0} << true;
        QTest::newRow("game focused, Shift held past a second")
            << true << std::vector<unsigned>{H::WithShift} << false;
        QTest::newRow("other window focused") << false << std::vector<unsigned>{0} << true;
        QTest::newRow("other window focused, Super held")
            << false << std::vector<unsigned>{H::WithSuper} << false;
    }
    void hotkey() {
        QFETCH(bool, gameFocused);
        QFETCH(std::vector<unsigned>, stillDown);
        QFETCH(bool, typed);
        Fixture f;
        f.desktop.focused = gameFocused ? 100 : 5;
        f.desktop.stillDown = stillDown;
        f.link.SendEntryByKey(0, {platform::Hotkey::WithControl, '1'});
        QCOMPARE(f.desktop.typed.size(), std::size_t(typed));
        if (typed)
            QCOMPARE(f.typed(0), QString("entry 0\n"));
        QVERIFY(f.desktop.stillDownAsked >= stillDown.size());
        QCOMPARE(f.warnings, typed ? QStringList() : QStringList{gamelink_text::KeysHeld});
        const bool activated = std::any_of(f.desktop.calls.begin(), f.desktop.calls.end(),
                                           [](const auto& c) { return c.what == "activate"; });
        QCOMPARE(activated, !gameFocused);
    }

    // A line that types a hotkey's own keys makes the desktop report it: that press sends
    // nothing (else the line would go out again, without end); another hotkey waits its turn.
    void hotkeyPressedByTheLine_data() {
        QTest::addColumn<char>("fired"); // with Ctrl+Alt, while the line "a^%1b" goes out
        QTest::addColumn<int>("lines");
        QTest::newRow("the line's own keys") << '1' << 1;
        QTest::newRow("another hotkey") << '2' << 2;
    }
    void hotkeyPressedByTheLine() {
        QFETCH(char, fired);
        QFETCH(int, lines);
        using H = platform::Hotkey;
        Fixture f;
        f.desktop.focused = 100;
        f.desktop.stillDown = {0};
        f.book.EntryLong[0][0] = "a^%1b";
        bool pressed = false; // once, so that a loop shows as a line too many, not as a hang
        f.desktop.duringSend = [&] {
            if (!std::exchange(pressed, true))
                f.link.SendEntryByKey(0, {H::WithControl | H::WithAlt, std::uint32_t(fired)});
        };
        f.link.SendEntryByKey(0, {H::WithControl | H::WithAlt, '3'});
        QCOMPARE(f.desktop.typed.size(), std::size_t(lines));
    }
};

QTEST_GUILESS_MAIN(TestGameLink)
#include "tst_gamelink.moc"
