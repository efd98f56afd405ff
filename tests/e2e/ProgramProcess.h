#pragma once

// Runs the real jeerkit program on the test's X display, on a store of the test's own, and
// works it like a player: finds its windows, clicks its buttons, types into it, sends it
// signals.
//
//   jk::e2e::ProgramProcess program;           // empty store in a fresh XDG_CONFIG_HOME
//   program.store().write(...); program.store().flush();   // before start()
//   QVERIFY(program.start());
//   program.clickClient(program.window(), 17, 76);          // client-area pixels

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace jk {
class SettingsStore;
}

namespace jk::e2e {

class ProgramProcess {
public:
    explicit ProgramProcess(const QString& configHome = {}); // default: a fresh temporary one
    ~ProgramProcess(); // ends the program (SIGKILL) if it still runs
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    QString configHome() const { return configHome_; }
    QString storePath() const;
    // The store, for preparing it before start() and reading it after the program ended.
    SettingsStore& store();
    void reopenStore();

    // Starts jeerkit and waits (up to 20 s) for a viewable window whose title starts with
    // titlePrefix ("Jeerkit 2.0" main, "Jeerkit " small, "Jeerkit" tiny).
    bool start(const QString& titlePrefix = QStringLiteral("Jeerkit 2.0"));
    std::uint64_t window() const { return window_; }
    std::uint64_t waitForWindow(const QString& titlePrefix, int timeoutMs = 20000,
                                bool exact = false);
    // Asks the window to close, as its close button does.
    void close(std::uint64_t window);
    qint64 pid() const { return process_.processId(); }
    bool running() const { return process_.state() != QProcess::NotRunning; }

    void clickClient(std::uint64_t window, int x, int y);
    // Types text (key-string syntax) into whatever has the focus.
    void type(const QString& keyString);
    void activate(std::uint64_t window);
    bool hasFocus(std::uint64_t window);

    void signal(int signalNumber);
    // Waits for the program to end; returns its exit code, or -1 if it did not end or crashed.
    int waitForExit(int timeoutMs = 15000);
    QString errorOutput();

private:
    std::unique_ptr<QTemporaryDir> ownConfig_;
    QString configHome_;
    std::unique_ptr<SettingsStore> store_;
    QProcess process_;
    std::uint64_t window_ = 0;
};

// The jeerkit executable (built with the tests).
QString programExecutable();

} // namespace jk::e2e
