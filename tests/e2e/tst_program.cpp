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

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <csignal>

using namespace jk;
using namespace jk::e2e;
using namespace std::chrono_literals;

namespace {

void prepare(ProgramProcess& program, int windowSize) {
    writeSessionStore(program.store(), windowSize);
    QVERIFY(program.store().flush().ok);
}

// The window manager places the game where it likes; keep it clear of Jeerkit's windows.
void parkGame(const PeerProcess& game) {
    QProcess::execute("xdotool",
                      {"windowmove", "--sync", QString::number(game.window()), "0", "650"});
}

// The stand-in game, parked clear of Jeerkit, and Jeerkit on a prepared store, started in
// window size `size`.
struct Session {
    PeerProcess game;
    ProgramProcess program;
    // Empty when both run; otherwise what went wrong.
    QString start(int size) {
        if (!game.started())
            return QString::fromStdString(game.error());
        parkGame(game);
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
    void secondStartLeavesFirstAlone();
    void longEntryKeptAndTypedWhole();
    void aboutBoxHasNoTitle();
};

void TestProgram::everyWindowSendsExactly_data() {
    addWindowSizes();
}

void TestProgram::everyWindowSendsExactly() {
    QFETCH(int, size);
    Session session;
    const QString problem = session.start(size);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& [game, program] = session;

    const QList<TableLine> lines = lineTable();
    for (int e = 0; e < lines.size(); ++e) {
        const std::size_t from = game.recordSize();
        const Point p = button(size, e);
        program.clickClient(program.window(), p.x, p.y);
        const std::string got = game.waitForText(from, lines[e].received.toStdString(), 10s);
        if (QString::fromStdString(got) != lines[e].received &&
            qEnvironmentVariableIsSet("JK_SHOT"))
            QProcess::execute("import", {"-window", "root", "/tmp/jk-fail.png"});
        QVERIFY2(QString::fromStdString(got) == lines[e].received,
                 qPrintable(QString("%1: got \"%2\"").arg(lines[e].name, got.c_str())));
    }
    const std::size_t from = game.recordSize();
    const Point c = curseButton(size);
    program.clickClient(program.window(), c.x, c.y);
    const QString curse = QString::fromStdString(game.waitForText(from, "!\n", 10s));
    QVERIFY2(QRegularExpression("^Thou [a-z]+ [a-z]+-[a-z]+ [a-z-]+!\n$").match(curse).hasMatch(),
             qPrintable(curse));

    program.signal(SIGTERM);
    QCOMPARE(program.waitForExit(), 0);
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
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestProgram::signalsSaveLikeClosing() {
    QFETCH(int, signalNumber);
    XDisplayProbe probe;
    const std::string keymapBefore = probe.keymapDump();
    Session session;
    const QString problem = session.start(1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto& [game, program] = session;

    // An edit the store has not seen: replace the long text of row 1.
    program.clickClient(program.window(), 200, 76);
    QVERIFY(waitUntil([&] { return program.hasFocus(program.window()); }));
    QThread::msleep(200); // the click has reached the row's box
    program.type("{END}+{HOME}edited before the signal");
    QThread::msleep(300);
    // A phrase with characters off the keymap leaves spare keys bound for a while.
    const std::size_t from = game.recordSize();
    const Point p = button(1, 7);
    program.clickClient(program.window(), p.x, p.y);
    game.waitForText(from, "`tick`\n", 10s);

    program.signal(signalNumber);
    QCOMPARE(program.waitForExit(), 0);
    program.reopenStore();
    QCOMPARE(program.store().read("TextSet1", layout::text(0), ""),
             QString("edited before the signal"));
    QCOMPARE(program.store().read("TextSet30", layout::enter(23), "missing"), QString("1"));
    QCOMPARE(probe.keymapDump(), keymapBefore);
}

void TestProgram::secondStartLeavesFirstAlone() {
    ProgramProcess first;
    prepare(first, 1);
    QVERIFY(first.start());
    QThread::msleep(300);
    const QByteArray before = fileBytes(first.storePath());

    ProgramProcess second(first.configHome());
    QVERIFY(!second.start()); // shows no window of its own
    QCOMPARE(second.waitForExit(), 0);
    QCOMPARE(fileBytes(first.storePath()), before);
    QVERIFY(first.running());

    // A program that crashed leaves its lock behind; the next start is not stopped by it.
    first.signal(SIGKILL);
    first.waitForExit();
    ProgramProcess third(first.configHome());
    QVERIFY(third.start());
    third.signal(SIGTERM);
    QCOMPARE(third.waitForExit(), 0);

    // Killed between creating the lock and writing its owner into it (or a power failure):
    // a lock that names nobody does not stop the next start either.
    const QFileInfo store(first.storePath());
    QFile ownerless(store.absolutePath() + "/." + store.fileName() + ".running");
    QVERIFY(ownerless.open(QIODevice::WriteOnly));
    ownerless.close();
    ProgramProcess fourth(first.configHome());
    QVERIFY2(fourth.start(), qPrintable(fourth.errorOutput()));
    fourth.signal(SIGTERM);
    QCOMPARE(fourth.waitForExit(), 0);
}

void TestProgram::longEntryKeptAndTypedWhole() {
    PeerProcess game;
    QVERIFY2(game.started(), game.error().c_str());
    parkGame(game);
    QString text;
    for (int i = 0; text.size() < 100000; ++i)
        text += QStringLiteral("line %1 of a long speech, ").arg(i);
    text.truncate(100000);
    ProgramProcess program;
    prepare(program, 1);
    program.store().write("TextSet1", layout::text(20), text);
    program.store().write("TextSet1", layout::style(20), "0");
    program.store().write("TextSet1", layout::enter(20), "1");
    QVERIFY(program.store().flush().ok);
    QVERIFY(program.start());
    QThread::msleep(300);

    const std::size_t from = game.recordSize();
    const Point p = button(1, 20);
    program.clickClient(program.window(), p.x, p.y);
    const std::string got = game.waitForText(from, "\n", 60s);
    QCOMPARE(got.size(), std::size_t(100001));
    QVERIFY(QString::fromStdString(got) == text + u'\n');

    // Kept whole in the window and written back whole at the end.
    program.signal(SIGTERM);
    QCOMPARE(program.waitForExit(), 0);
    program.reopenStore();
    QVERIFY(program.store().read("TextSet1", layout::text(20), "") == text);
}

void TestProgram::aboutBoxHasNoTitle() {
    ProgramProcess program;
    QVERIFY(program.start());
    program.clickClient(program.window(), 560, 19); // "About"
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
