// The whole program on a real X server with a window manager, worked like a player: every
// window sends to the stand-in game, nested sends, the game taking the focus, orderly
// endings by signal, and a second start.
#include "E2eWait.h"
#include "LineTable.h"
#include "PeerProcess.h"
#include "ProgramProcess.h"
#include "ProgramWindows.h"
#include "XDisplayProbe.h"
#include "XWindows.h"

#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <csignal>
#include <memory>
#include <sys/stat.h>

using namespace jk;
using namespace jk::e2e;
using namespace std::chrono_literals;

namespace {

// What a game that reads its chat line once per frame records for a table line: each part
// ending in Enter said in its chat mode, the first in the line's style, the rest in "say".
QString saidInFrames(const TableLine& line) {
    static const QStringList modes = {"say", "emote", "yell", "whisper"};
    const bool prefixed = line.style >= 1 && line.style <= 3;
    QString mode = modes[prefixed ? line.style : 0];
    QString out;
    for (const QString& part :
         line.received.mid(prefixed ? 2 : 0).split(u'\n', Qt::SkipEmptyParts)) {
        out += "[" + mode + "]" + part + "\n";
        mode = modes[0];
    }
    return out;
}

void prepare(ProgramProcess& program, int windowSize) {
    writeSessionStore(program.store(), windowSize);
    QVERIFY(program.store().flush().ok);
}

// The window manager places the game where it likes; keep it clear of Jeerkit's windows.
void parkGame(const PeerProcess& game) {
    QProcess::execute("xdotool",
                      {"windowmove", "--sync", QString::number(game.window()), "0", "650"});
}

std::vector<std::string> toStd(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

// The Wine run (JK_GAME=wine): the Win32 stand-in game under Wine, which X11 knows only by its
// .exe's name, found through the player's own list of classes.
bool underWine() {
    return qEnvironmentVariable("JK_GAME") == QStringLiteral("wine");
}

// The stand-in game (with these options), parked clear of Jeerkit, and Jeerkit on a prepared
// store, started in window size `size`.
struct Session {
    explicit Session(const QStringList& gameOptions = {})
        : game("Ultima Online", "Stand-in game", toStd(gameOptions),
               underWine() ? PeerKind::Wine : PeerKind::X11) {}
    PeerProcess game;
    ProgramProcess program;
    // Empty when both run; otherwise what went wrong.
    QString start(int size) {
        if (!game.started())
            return QString::fromStdString(game.error());
        if (underWine())
            program.store().writeList(layout::Settings, layout::GameWindowClasses, {"client.exe"});
        else
            parkGame(game); // Wine's window places itself clear of Jeerkit's
        prepare(program, size);
        if (!program.start(titleOf(size)))
            return QStringLiteral("Jeerkit showed no window: ") + program.errorOutput();
        QThread::msleep(300);
        return {};
    }
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// What happens while a long line is being typed.
enum class MidLine { Nothing, OtherWindow, OwnPhraseBox, OwnButton, Terminate };
Q_DECLARE_METATYPE(MidLine)

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void everyWindowSendsExactly_data();
    void everyWindowSendsExactly();
    void nestedSendsBothArrive();
    void gameTakingFocusStoresNothing_data();
    void gameTakingFocusStoresNothing();
    void signalsSaveLikeClosing_data();
    void signalsSaveLikeClosing();
    void editSurvivesKill();
    void endsOnceAtAnyMoment_data();
    void endsOnceAtAnyMoment();
    void secondStartLeavesFirstAlone();
    void leftoverLockNeverSilent_data();
    void leftoverLockNeverSilent();
    void longEntryMidLine_data();
    void longEntryMidLine();
    void aboutBoxHasNoTitle();
};

void TestProgram::everyWindowSendsExactly_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("frameMs");
    QTest::newRow("main") << 1 << 0;
    QTest::newRow("small") << 2 << 0;
    QTest::newRow("tiny") << 3 << 0;
    // Games that look at their chat line once per frame: the mode switches first.
    QTest::newRow("main, game in 16 ms frames") << 1 << 16;
    QTest::newRow("tiny, game in 50 ms frames") << 3 << 50;
}

void TestProgram::everyWindowSendsExactly() {
    QFETCH(int, size);
    QFETCH(int, frameMs);
    XDisplayProbe probe;
    const std::string keymapBefore = probe.keymapDump();
    Session session(frameMs > 0 ? QStringList{"--frame-ms", QString::number(frameMs)}
                                : QStringList());
    const QString problem = session.start(size);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& [game, program] = session;

    const QList<TableLine> lines = lineTable();
    for (int e = 0; e < lines.size(); ++e) {
        if (frameMs > 0 && !lines[e].received.endsWith(u'\n'))
            continue; // its text would still be in the game's line, ahead of the next
        const std::size_t from = game.recordSize();
        const Point p = button(size, e);
        program.clickClient(program.window(), p.x, p.y);
        const QString expected = frameMs > 0 ? saidInFrames(lines[e]) : lines[e].received;
        const std::string got = game.waitForText(from, expected.toStdString(), 60s);
        if (QString::fromStdString(got) != expected && qEnvironmentVariableIsSet("JK_SHOT"))
            QProcess::execute("import", {"-window", "root", "/tmp/jk-fail.png"});
        QVERIFY2(QString::fromStdString(got) == expected,
                 qPrintable(QString("%1: got \"%2\"").arg(lines[e].name, got.c_str())));
    }
    const std::size_t from = game.recordSize();
    const Point c = curseButton(size);
    program.clickClient(program.window(), c.x, c.y);
    const QString curse = QString::fromStdString(game.waitForText(from, "!\n", 10s));
    const QString said = frameMs > 0 ? "\\[say\\]" : "";
    QVERIFY2(QRegularExpression("^" + said + "Thou [a-z]+ [a-z]+-[a-z]+ [a-z-]+!\n$")
                 .match(curse)
                 .hasMatch(),
             qPrintable(curse));

    program.signal(SIGTERM);
    QCOMPARE(program.waitForExit(), 0);
    QCOMPARE(probe.keymapDump(), keymapBefore);
}

void TestProgram::nestedSendsBothArrive() {
    Session session;
    const QString problem = session.start(1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& [game, program] = session;
    const std::size_t from = game.recordSize();
    const Point first = button(1, 1), second = button(1, 4);
    program.clickClient(program.window(), first.x, first.y);
    QThread::msleep(20); // inside the first send's 100 ms pause
    program.clickClient(program.window(), second.x, second.y);
    const std::string got = game.waitForText(from, ": bows\n", 10s);
    QCOMPARE(QString::fromStdString(got), QString("`wave\n: bows\n"));
    program.signal(SIGTERM);
    QCOMPARE(program.waitForExit(), 0);
}

void TestProgram::gameTakingFocusStoresNothing_data() {
    addWindowSizes();
}

void TestProgram::gameTakingFocusStoresNothing() {
    QFETCH(int, size);
    Session session;
    const QString problem = session.start(size);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& [game, program] = session;
    QThread::msleep(200); // past the activation's save
    const QByteArray before = fileBytes(program.storePath());
    const QDateTime modified = QFileInfo(program.storePath()).lastModified();

    for (int round = 0; round < 3; ++round) {
        program.activate(game.window());
        QVERIFY(waitUntil([&] { return program.hasFocus(game.window()); }));
        program.activate(program.window());
        QVERIFY(waitUntil([&] { return program.hasFocus(program.window()); }));
    }
    QThread::msleep(300);
    QCOMPARE(QFileInfo(program.storePath()).lastModified(), modified);
    QCOMPARE(fileBytes(program.storePath()), before);
    program.signal(SIGTERM);
    QCOMPARE(program.waitForExit(), 0);
}

void TestProgram::signalsSaveLikeClosing_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("inPause"); // arrives in the 100 ms pause of a send
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGTERM in a send's pause") << int(SIGTERM) << true;
}

void TestProgram::signalsSaveLikeClosing() {
    QFETCH(int, signalNumber);
    QFETCH(bool, inPause);
    XDisplayProbe probe;
    const std::string keymapBefore = probe.keymapDump();
    // A game busy after taking the focus: keys typed just before the end are still in its
    // queue when the keymap is given back.
    Session session(inPause ? QStringList{"--focus-delay", "400"} : QStringList{});
    const QString problem = session.start(1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& [game, program] = session;

    // An edit the store has not seen: replace the long text of row 1.
    const Point row1 = centre(1, "TextLong", 0);
    program.clickClient(program.window(), row1.x, row1.y);
    QVERIFY(waitUntil([&] { return program.hasFocus(program.window()); }));
    QThread::msleep(200); // the click has reached the row's box
    program.type("{END}+{HOME}edited before the signal");
    QThread::msleep(300);
    // A phrase with characters off the keymap leaves spare keys bound for a while.
    const std::size_t from = game.recordSize();
    const Point p = button(1, 7);
    program.clickClient(program.window(), p.x, p.y);
    if (inPause) // the send brings the game to the front, then pauses
        QVERIFY(waitUntil([&] { return program.hasFocus(game.window()); }));
    else
        game.waitForText(from, "`tick`\n", 10s);

    program.signal(signalNumber);
    QCOMPARE(program.waitForExit(), 0);
    // The line arrived whole or not at all; the Escape typed now comes after all of it.
    program.type("{ESC}");
    const QString got = QString::fromStdString(game.waitForText(from, "<Escape>", 10s));
    QVERIFY2(got == "<Escape>" || got == lineTable()[7].received + "<Escape>", qPrintable(got));
    program.reopenStore();
    QCOMPARE(program.store().read("TextSet1", layout::text(0), ""),
             QString("edited before the signal"));
    QCOMPARE(program.store().read("TextSet30", layout::enter(23), "missing"), QString("1"));
    QCOMPARE(probe.keymapDump(), keymapBefore);
}

void TestProgram::editSurvivesKill() {
    Session session;
    const QString problem = session.start(1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& program = session.program;
    const Point row1 = centre(1, "TextLong", 0);
    program.clickClient(program.window(), row1.x, row1.y);
    QVERIFY(waitUntil([&] { return program.hasFocus(program.window()); }));
    QThread::msleep(200); // the click has reached the row's box
    program.type("{END}+{HOME}typed, then killed");
    // On the disk without a close, a set switch or any other step of the player's.
    QVERIFY(waitUntil([&] { return fileBytes(program.storePath()).contains("then killed"); }));
    program.signal(SIGKILL);
    program.waitForExit();
    program.reopenStore();
    QCOMPARE(program.store().read("TextSet1", layout::text(0), ""), QString("typed, then killed"));
}

void TestProgram::endsOnceAtAnyMoment_data() {
    QTest::addColumn<QByteArray>("damage"); // appended to the store before the start
    QTest::addColumn<bool>("unwritable");   // the store turns into a folder after the start
    QTest::addColumn<bool>("closeFirst");   // the player closes the window before the signal
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("in the damaged-store warning")
        << QByteArray("\n[TextSet1\n") << false << false << int(SIGTERM);
    QTest::newRow("in the Retry box") << QByteArray() << true << true << int(SIGHUP);
    QTest::newRow("save fails") << QByteArray() << true << false << int(SIGINT);
}

void TestProgram::endsOnceAtAnyMoment() {
    QFETCH(QByteArray, damage);
    QFETCH(bool, unwritable);
    QFETCH(bool, closeFirst);
    QFETCH(int, signalNumber);
    ProgramProcess program;
    prepare(program, 1);
    QFile file(program.storePath());
    QVERIFY(file.open(QIODevice::Append));
    file.write(damage);
    file.close();
    // A box titled "Jeerkit" or the main window, whichever shows first.
    QVERIFY(program.start(damage.isEmpty() ? "Jeerkit 2.0" : "Jeerkit"));
    if (unwritable) {
        QThread::msleep(300); // past the activation's save
        QVERIFY(file.remove() && QDir().mkdir(program.storePath()));
    }
    if (closeFirst) {
        program.close(program.window());
        QVERIFY(program.waitForWindow("Jeerkit", 10000, true) != 0);
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
    QCOMPARE(store.read("TextSet30", layout::enter(23), "missing"), QString("1"));
}

void TestProgram::secondStartLeavesFirstAlone() {
    XDisplayProbe probe;
    const std::string keymapBefore = probe.keymapDump();
    Session session;
    const QString problem = session.start(1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& [game, first] = session;
    const QByteArray before = fileBytes(first.storePath());

    ProgramProcess second(first.configHome());
    QVERIFY(!second.start()); // shows no window of its own
    QCOMPARE(second.waitForExit(), 0);
    QCOMPARE(fileBytes(first.storePath()), before);
    QVERIFY(first.running());

    // Killed within seconds of a send, it leaves its lock and spare keys bound behind; the
    // next start is not stopped by the one and gives the other back.
    const std::size_t from = game.recordSize();
    const Point p = button(1, 9);
    first.clickClient(first.window(), p.x, p.y);
    game.waitForText(from, "\n", 10s);
    QVERIFY(probe.keymapDump() != keymapBefore);
    first.signal(SIGKILL);
    first.waitForExit();
    ProgramProcess third(first.configHome());
    QVERIFY(third.start());
    QVERIFY(waitUntil([&] { return probe.keymapDump() == keymapBefore; }));
    third.signal(SIGTERM);
    QCOMPARE(third.waitForExit(), 0);
}

void TestProgram::leftoverLockNeverSilent_data() {
    QTest::addColumn<QString>("leftover");
    QTest::addColumn<int>("status"); // 0: the program starts (and ends on SIGTERM)
    // Killed between creating the lock and writing its owner into it; a crash on another
    // machine sharing this home; things that are no lock at all.
    for (const char* leftover : {"ownerless", "other host", "folder", "dangling link", "pipe"})
        QTest::newRow(leftover) << QString(leftover) << 0;
    QTest::newRow("held by a program that does not answer") << QString("held") << 1;
}

void TestProgram::leftoverLockNeverSilent() {
    QFETCH(QString, leftover);
    QFETCH(int, status);
    ProgramProcess program;
    prepare(program, 1);
    const QFileInfo store(program.storePath());
    const QString path = store.absolutePath() + "/." + store.fileName() + ".running";
    QFile file(path);
    QLockFile held(path);
    if (leftover == "ownerless" || leftover == "other host") {
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (leftover == "other host")
            file.write("4242\njeerkit\nother-machine\n0123456789abcdef\n");
        file.close();
    } else if (leftover == "folder") {
        QVERIFY(QDir().mkpath(path + "/inside"));
    } else if (leftover == "dangling link") {
        QVERIFY(QFile::link(path + ".gone", path));
    } else if (leftover == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        QVERIFY(held.tryLock(0));
    }
    if (status == 0) {
        QVERIFY2(program.start(), qPrintable(program.errorOutput()));
        program.signal(SIGTERM);
    } else {
        QVERIFY(program.start("Jeerkit")); // the box that says why
        QVERIFY(program.errorOutput().contains("does not answer"));
        program.close(program.window());
    }
    QCOMPARE(program.waitForExit(), status);
}

void TestProgram::longEntryMidLine_data() {
    QTest::addColumn<QStringList>("gameOptions");
    QTest::addColumn<bool>("greek");
    QTest::addColumn<MidLine>("event");
    QTest::newRow("typed whole") << QStringList() << false << MidLine::Nothing;
    QTest::newRow("another window takes the focus")
        << QStringList() << false << MidLine::OtherWindow;
    QTest::newRow("a phrase box takes the focus")
        << QStringList() << false << MidLine::OwnPhraseBox;
    QTest::newRow("another button is clicked") << QStringList() << false << MidLine::OwnButton;
    QTest::newRow("SIGTERM") << QStringList() << false << MidLine::Terminate;
    // Every chunk of spare keys waits blind on a game that answers no pings.
    QTest::newRow("SIGTERM, Greek and Cyrillic into a game without pings")
        << QStringList{"--no-ping"} << true << MidLine::Terminate;
}

void TestProgram::longEntryMidLine() {
    QFETCH(QStringList, gameOptions);
    QFETCH(bool, greek);
    QFETCH(MidLine, event);
    XDisplayProbe probe;
    const std::string keymapBefore = probe.keymapDump();
    PeerProcess game("Ultima Online", "Stand-in game", toStd(gameOptions));
    QVERIFY2(game.started(), game.error().c_str());
    parkGame(game);
    QString text;
    for (int i = 0; text.size() < 100000; ++i) {
        text += QStringLiteral("line %1 of a long speech, ").arg(i);
        // More distinct characters than any keymap has spare keys.
        const int k = i % 313;
        if (greek)
            text += QChar(k < 57 ? 0x391 + k : 0x400 + k - 57);
    }
    text.truncate(100000);
    ProgramProcess program;
    prepare(program, 1);
    program.store().write("TextSet1", layout::text(20), text);
    program.store().write("TextSet1", layout::style(20), "0");
    program.store().write("TextSet1", layout::enter(20), "1");
    const QString boxText = "kept as it was";
    program.store().write("TextSet1", layout::text(21), boxText);
    QVERIFY(program.store().flush().ok);
    QVERIFY(program.start());
    QThread::msleep(300);

    const std::size_t from = game.recordSize();
    const Point p = button(1, 20);
    program.clickClient(program.window(), p.x, p.y);
    if (event == MidLine::Nothing) {
        const std::string got = game.waitForText(from, "\n", 60s);
        QCOMPARE(got.size(), std::size_t(100001));
        QVERIFY(QString::fromStdString(got) == text + u'\n');
        // Kept whole in the window and written back whole at the end.
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        program.reopenStore();
        QVERIFY(program.store().read("TextSet1", layout::text(20), "") == text);
        return;
    }

    QVERIFY(waitUntil([&] { return game.recordSize() > from + 200; }, 20s));
    std::unique_ptr<PeerProcess> other;
    std::string cut;
    switch (event) {
    case MidLine::OtherWindow:
        // As a terminal would, it records whatever reaches it.
        other = std::make_unique<PeerProcess>("Terminal", "Terminal");
        QVERIFY2(other->started(), other->error().c_str());
        program.activate(other->window());
        break;
    case MidLine::OwnPhraseBox: {
        const Point box = centre(1, "TextLong", 21);
        program.clickClient(program.window(), box.x, box.y);
        break;
    }
    case MidLine::OwnButton: {
        const Point q = button(1, 1);
        program.clickClient(program.window(), q.x, q.y);
        break;
    }
    default:
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        break;
    }
    // What the game got of the line, once it has handled every key that reached it.
    const auto settled = [&] {
        queueEscape(game.window());
        std::string got = game.waitForText(from, "<Escape>", 20s);
        return got.substr(0, got.rfind("<Escape>"));
    };
    if (event != MidLine::Terminate) {
        // Typing stops and says so in a box, which takes the focus.
        std::uint64_t box = 0;
        QVERIFY(waitUntil([&] {
            box = viewableWindowOf(program.pid(), "Jeerkit", true);
            return box != 0 && program.hasFocus(box);
        }));
        cut = settled();
        if (event == MidLine::OwnButton) {
            // Nothing stalls: the box closes, and the next click sends. The line clicked
            // mid-line goes out whole, before it, or after it when the click lands in that
            // line's pause (the later send is typed first).
            const std::size_t next = game.recordSize();
            // Keys are held off the program's windows for a moment after a line, so that keys
            // still on their way never land in a phrase: press Enter until the box goes.
            const auto boxGone = [&] {
                return viewableWindowOf(program.pid(), "Jeerkit", true) == 0;
            };
            for (int i = 0; i < 20 && !boxGone(); ++i) {
                program.type("{ENTER}");
                waitUntil(boxGone, 300ms);
            }
            QVERIFY(boxGone());
            const Point q = button(1, 2);
            program.clickClient(program.window(), q.x, q.y);
            const std::string sent = game.waitForText(next, "! Help!\n", 10s);
            QVERIFY2(sent == "! Help!\n" || sent == ": bows\n! Help!\n" ||
                         sent == "! Help!\n: bows\n",
                     sent.c_str());
        }
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }
    // The line was cut before its Enter, and at most a slice of it went elsewhere.
    if (event == MidLine::Terminate)
        cut = settled();
    QVERIFY(cut.size() < 100000);
    QVERIFY(cut.find('\n') == std::string::npos);
    if (other) {
        queueEscape(other->window());
        const std::string stray = other->waitForText(0, "<Escape>", 20s);
        QVERIFY2(stray.size() <= 200 + 8, stray.c_str());
        QVERIFY(stray.find('\n') == std::string::npos);
    }
    program.reopenStore();
    QCOMPARE(program.store().read("TextSet1", layout::text(21), ""), boxText);
    QCOMPARE(probe.keymapDump(), keymapBefore);
}

void TestProgram::aboutBoxHasNoTitle() {
    ProgramProcess program;
    QVERIFY(program.start());
    const Point aboutButton = centre(1, "Command4");
    program.clickClient(program.window(), aboutButton.x, aboutButton.y);
    QVERIFY(waitUntil([&] { return viewableWindowsOf(program.pid()).size() == 2; }));
    const auto shown = viewableWindowsOf(program.pid());
    const std::uint64_t about = shown[0] == program.window() ? shown[1] : shown[0];
    // What the window manager draws in the title bar.
    QCOMPARE(textProperty(about, "_NET_WM_NAME"), std::string());
    QCOMPARE(textProperty(about, "WM_NAME"), std::string());
    program.type("%o");
    QVERIFY(waitUntil([&] { return viewableWindowsOf(program.pid()).size() == 1; }));
    program.signal(SIGTERM);
    QCOMPARE(program.waitForExit(), 0);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
