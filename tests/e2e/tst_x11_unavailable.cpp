// The X11 backend without a usable display: it says why and never crashes.
//   noDisplay, serverGoesAway: run without any X server (e2e_x11_no_display)
//   noXTest: run under with-x.sh on a server without XTEST (e2e_x11_no_xtest)

#include "KeyRows.h"
#include "ProgramProcess.h"
#include "gamelink/platform/x11/X11Platform.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

using namespace jk::e2e;
using jk::platform::x11::X11Platform;

namespace {

// Everything the game link might call, on a backend that cannot work.
void exerciseEverything(X11Platform& platform) {
    QCOMPARE(platform.findWindow({"Ultima Online", "Ultima Online Third Dawn"}),
             jk::platform::WindowId(0));
    platform.activate(0x400001);
    QVERIFY(!platform.hasFocus(0x400001));
    QVERIFY(!platform.type(textKeys(U"hello é")));
    platform.setTopMost(0x400001, true);
    platform.releaseKeyboard();
}

} // namespace

class TestX11Unavailable : public QObject {
    Q_OBJECT

private slots:
    void noDisplay_data();
    void noDisplay();
    void serverGoesAway();
    void noXTest();
};

void TestX11Unavailable::noDisplay_data() {
    QTest::addColumn<QByteArray>("display"); // empty: unset
    QTest::addColumn<QString>("mentions");
    QTest::newRow("unset") << QByteArray() << QStringLiteral("set DISPLAY");
    QTest::newRow("empty") << QByteArray("") << QStringLiteral("set DISPLAY");
    QTest::newRow("no such server") << QByteArray(":987") << QStringLiteral("\":987\"");
    QTest::newRow("nonsense") << QByteArray("not a display") << QStringLiteral("not a display");
    QTest::newRow("wayland only") << QByteArray() << QStringLiteral("set DISPLAY");
}

void TestX11Unavailable::noDisplay() {
    QFETCH(QByteArray, display);
    QFETCH(QString, mentions);
    if (display.isNull())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", display);

    X11Platform platform;
    const std::string reason = platform.unavailableReason();
    QVERIFY(!reason.empty());
    QVERIFY2(QString::fromStdString(reason).contains(mentions), reason.c_str());
    exerciseEverything(platform);
    // Asked again, the same answer.
    QCOMPARE(platform.unavailableReason(), reason);

    // The whole program says so in one sentence and ends.
    QTemporaryDir config;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    if (QByteArray(QTest::currentDataTag()) == "wayland only")
        env.insert("WAYLAND_DISPLAY", "wayland-0");
    program.setProcessEnvironment(env);
    program.start(programExecutable(), {});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(program.readAllStandardError(),
             "There is no X11 display: Jeerkit needs an X11 session or XWayland.\n");
}

void TestX11Unavailable::serverGoesAway() {
    // A server of this test's own, to be ended under the backend's feet.
    std::mt19937 random(std::random_device{}());
    int number = 0;
    QProcess server;
    for (int attempt = 0; attempt < 20 && number == 0; ++attempt) {
        const int n = 1000 + static_cast<int>(random() % 4000);
        if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
            std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        server.start(QStringLiteral("Xvfb"),
                     {QStringLiteral(":%1").arg(n), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!server.waitForStarted())
            QSKIP("Xvfb cannot be started here");
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && server.state() == QProcess::Running &&
               !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)))
            QTest::qWait(20);
        if (server.state() == QProcess::Running)
            number = n;
    }
    QVERIFY(number != 0);
    qputenv("DISPLAY", QByteArray(":") + QByteArray::number(number));

    X11Platform platform;
    QDeadlineTimer deadline(10000);
    while (!platform.unavailableReason().empty() && !deadline.hasExpired())
        QTest::qWait(50);
    QCOMPARE(platform.unavailableReason(), std::string());
    QCOMPARE(platform.findWindow({"Ultima Online"}), jk::platform::WindowId(0));
    QVERIFY(platform.type(textKeys(U"é"))); // leaves a spare key bound

    // The server dies in the middle of a line: more characters off the layout than spare keys,
    // so the line is typed in rounds with pauses between them.
    std::u32string line;
    for (char32_t c = U'Α'; line.size() < 4000; c = c == U'ӿ' ? U'Α' : c + 1)
        line += c;
    std::thread killer([pid = server.processId()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(pid_t(pid), SIGKILL);
    });
    QVERIFY(!platform.type(textKeys(line)));
    killer.join();
    server.waitForFinished();

    exerciseEverything(platform);
    QVERIFY(!platform.unavailableReason().empty());
}

void TestX11Unavailable::noXTest() {
    if (!qgetenv("JK_XVFB_ARGS").contains("XTEST"))
        QSKIP("needs an X server without XTEST: run as e2e_x11_no_xtest");
    X11Platform platform;
    const std::string reason = platform.unavailableReason();
    QVERIFY2(QString::fromStdString(reason).contains(QStringLiteral("XTEST")), reason.c_str());
    exerciseEverything(platform);
}

QTEST_GUILESS_MAIN(TestX11Unavailable)
#include "tst_x11_unavailable.moc"
