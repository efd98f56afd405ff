// Finding, activating and raising windows through the real X11 backend. Runs with openbox and,
// as e2e_x11_windows_no_wm, without any window manager.

#include "E2eWait.h"
#include "KeyRows.h"
#include "PeerProcess.h"
#include "XDisplayProbe.h"
#include "gamelink/platform/Log.h"
#include "gamelink/platform/x11/X11Platform.h"

#include <QtTest>

#include <algorithm>
#include <csignal>
#include <memory>

using namespace jk::e2e;
using jk::platform::x11::X11Platform;

namespace {

const std::string UO = "Ultima Online";
const std::string ThirdDawn = "Ultima Online Third Dawn";

bool withWindowManager() {
    return qgetenv("JK_WITH_X_WM") != "none";
}

std::string logged;

bool hasAbove(XDisplayProbe& probe, std::uint64_t window) {
    const auto states = probe.netWmState(window);
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE") != states.end();
}

} // namespace

class TestX11Windows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void findsByClass_data();
    void findsByClass();
    void findsNothingWhenNothingRuns();
    void activatesAndReportsFocus();
    void keepsWindowsOnTop();
    void keepsUnmappedWindowOnTop();
    void vanishedWindowDoesNoHarm();
    void activatesAfterWindowManagerDied(); // last: kills the window manager

private:
    std::unique_ptr<XDisplayProbe> probe_;
};

void TestX11Windows::initTestCase() {
    QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run under tests/e2e/with-x.sh");
    probe_ = std::make_unique<XDisplayProbe>();
    QVERIFY(probe_->ok());
}

void TestX11Windows::findsByClass_data() {
    QTest::addColumn<QStringList>("running"); // "class|title" per peer, started in this order
    QTest::addColumn<QStringList>("classes");
    QTest::addColumn<int>("expected"); // index into running, -1 for none
    QTest::addColumn<bool>("treeOnly");

    const QString uo = QString::fromStdString(UO);
    const QString td = QString::fromStdString(ThirdDawn);
    const QStringList both = {uo, td};
    struct Row {
        const char* name;
        QStringList running;
        QStringList classes;
        int expected;
    };
    const std::vector<Row> rows = {
        {"the game", {uo + "|Stand-in game"}, both, 0},
        {"title is not class", {"Decoy|Ultima Online"}, both, -1},
        {"decoy titled like the game beside it",
         {"Decoy|Ultima Online", uo + "|Stand-in game"},
         {uo},
         1},
        {"longer class", {"Ultima Online Launcher|Launcher"}, both, -1},
        {"other case", {"ultima online|Stand-in game"}, both, -1},
        {"shorter class", {"Ultima|Stand-in game"}, both, -1},
        {"third dawn only, listed", {td + "|Stand-in game"}, both, 0},
        {"third dawn only, not listed", {td + "|Stand-in game"}, {uo}, -1},
        {"both, game listed first", {td + "|TD", uo + "|UO"}, both, 1},
        {"both, third dawn listed first", {uo + "|UO", td + "|TD"}, {td, uo}, 1},
        {"launcher and third dawn", {"Ultima Online Launcher|L", td + "|TD"}, both, 1},
    };
    for (bool treeOnly : {false, true}) {
        for (const Row& r : rows) {
            QTest::addRow("%s%s", r.name, treeOnly ? " (window tree)" : "")
                << r.running << r.classes << r.expected << treeOnly;
        }
    }
}

void TestX11Windows::findsByClass() {
    QFETCH(QStringList, running);
    QFETCH(QStringList, classes);
    QFETCH(int, expected);
    QFETCH(bool, treeOnly);

    std::vector<std::unique_ptr<PeerProcess>> peers;
    for (const QString& r : running) {
        const QStringList parts = r.split('|');
        peers.push_back(
            std::make_unique<PeerProcess>(parts[0].toStdString(), parts[1].toStdString()));
        QVERIFY2(peers.back()->started(), peers.back()->error().c_str());
    }
    std::vector<std::string> wanted;
    for (const QString& c : classes)
        wanted.push_back(c.toStdString());

    X11Platform platform;
    platform.searchTreeOnly(treeOnly);
    const jk::platform::WindowId found = platform.findWindow(wanted);
    const jk::platform::WindowId expectedWindow =
        expected < 0 ? 0 : peers[std::size_t(expected)]->window();
    QCOMPARE(found, expectedWindow);
}

void TestX11Windows::findsNothingWhenNothingRuns() {
    X11Platform platform;
    QCOMPARE(platform.findWindow({UO, ThirdDawn}), jk::platform::WindowId(0));
    platform.searchTreeOnly(true);
    QCOMPARE(platform.findWindow({UO, ThirdDawn}), jk::platform::WindowId(0));
}

void TestX11Windows::activatesAndReportsFocus() {
    PeerProcess first(UO, "first");
    PeerProcess second(ThirdDawn, "second");
    QVERIFY2(first.started(), first.error().c_str());
    QVERIFY2(second.started(), second.error().c_str());

    X11Platform platform;
    for (int round = 0; round < 2; ++round) {
        platform.activate(first.window());
        QVERIFY(waitUntil([&] { return platform.hasFocus(first.window()); }));
        QVERIFY(!platform.hasFocus(second.window()));
        // Keys go where the focus is.
        QCOMPARE(QString::fromStdString(typeAndRecord(platform, first, textKeys(U"one"))),
                 QStringLiteral("one"));

        platform.activate(second.window());
        QVERIFY(waitUntil([&] { return platform.hasFocus(second.window()); }));
        QVERIFY(!platform.hasFocus(first.window()));
        QCOMPARE(QString::fromStdString(typeAndRecord(platform, second, textKeys(U"two"))),
                 QStringLiteral("two"));
    }
    QCOMPARE(QString::fromStdString(first.record()), QStringLiteral("one<Escape>one<Escape>"));
    QVERIFY(!platform.hasFocus(0));
}

void TestX11Windows::keepsWindowsOnTop() {
    if (!withWindowManager())
        QSKIP("keeping a mapped window on top is the window manager's work");
    PeerProcess window("Jeerkit", "Jeerkit");
    QVERIFY2(window.started(), window.error().c_str());
    X11Platform platform;
    QVERIFY(!hasAbove(*probe_, window.window()));
    platform.setTopMost(window.window(), true);
    QVERIFY(waitUntil([&] { return hasAbove(*probe_, window.window()); }));
    platform.setTopMost(window.window(), true); // again: stays
    platform.setTopMost(window.window(), false);
    QVERIFY(waitUntil([&] { return !hasAbove(*probe_, window.window()); }));
    platform.setTopMost(window.window(), true);
    QVERIFY(waitUntil([&] { return hasAbove(*probe_, window.window()); }));
}

void TestX11Windows::keepsUnmappedWindowOnTop() {
    X11Platform platform;
    const std::uint64_t window = probe_->createWindow("Jeerkit", false);
    platform.setTopMost(window, true);
    QVERIFY(hasAbove(*probe_, window));
    platform.setTopMost(window, false);
    QVERIFY(!hasAbove(*probe_, window));
    platform.setTopMost(window, true);
    platform.setTopMost(window, true);
    QCOMPARE(probe_->netWmState(window), std::vector<std::string>{"_NET_WM_STATE_ABOVE"});
    if (withWindowManager()) {
        // The window manager takes the state over when the window is mapped.
        probe_->mapWindow(window);
        QVERIFY(waitUntil([&] { return probe_->isManaged(window); }));
        QVERIFY(hasAbove(*probe_, window));
        platform.setTopMost(window, false);
        QVERIFY(waitUntil([&] { return !hasAbove(*probe_, window); }));
    }
    probe_->destroyWindow(window);
}

void TestX11Windows::vanishedWindowDoesNoHarm() {
    X11Platform platform;
    std::uint64_t gone = 0;
    {
        PeerProcess game;
        QVERIFY2(game.started(), game.error().c_str());
        gone = platform.findWindow({UO});
        QCOMPARE(gone, game.window());
        game.kill();
    }
    QVERIFY(waitUntil([&] { return !probe_->windowExists(gone); }));

    jk::platform::setLogSink([](jk::platform::LogLevel, const std::string& m) { logged += m; });
    platform.activate(gone);
    QVERIFY(!platform.hasFocus(gone));
    platform.setTopMost(gone, true);
    platform.setTopMost(gone, false);
    QVERIFY(platform.type(textKeys(U"into the void é")));
    QCOMPARE(platform.findWindow({UO}), jk::platform::WindowId(0));
    QCOMPARE(platform.unavailableReason(), std::string());

    // An id that never was a window.
    const jk::platform::WindowId bogus = 0x7fffffff;
    platform.activate(bogus);
    QVERIFY(!platform.hasFocus(bogus));
    platform.setTopMost(bogus, true);
    platform.releaseKeyboard();
    jk::platform::setLogSink(nullptr);
    QVERIFY2(logged.find("BadWindow") != std::string::npos, logged.c_str()); // errors are seen

    // And the backend still works.
    PeerProcess next;
    QVERIFY2(next.started(), next.error().c_str());
    QCOMPARE(platform.findWindow({UO}), next.window());
    platform.activate(next.window());
    QVERIFY(waitUntil([&] { return platform.hasFocus(next.window()); }));
    QCOMPARE(QString::fromStdString(typeAndRecord(platform, next, textKeys(U"ok é"))),
             QStringLiteral("ok é"));
}

void TestX11Windows::activatesAfterWindowManagerDied() {
    if (!withWindowManager())
        QSKIP("needs a window manager to kill");
    PeerProcess first(UO, "first");
    PeerProcess second(ThirdDawn, "second");
    QVERIFY2(first.started() && second.started(), (first.error() + second.error()).c_str());
    QProcess xprop;
    xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
    QVERIFY(xprop.waitForFinished());
    const std::uint64_t check =
        xprop.readAll().split('#').last().trimmed().toULongLong(nullptr, 16);
    QVERIFY(probe_->windowExists(check));
    ::kill(pid_t(qEnvironmentVariableIntValue("JK_WITH_X_WM_PID")), SIGKILL);
    // Its windows go with it; its properties on the root window stay.
    QVERIFY(waitUntil([&] { return !probe_->windowExists(check); }));
    X11Platform platform;
    for (const PeerProcess* peer : {&first, &second, &first}) {
        platform.activate(peer->window());
        QVERIFY(waitUntil([&] { return platform.hasFocus(peer->window()); }));
    }
}

QTEST_GUILESS_MAIN(TestX11Windows)
#include "tst_x11_windows.moc"
