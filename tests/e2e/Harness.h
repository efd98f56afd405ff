#pragma once

// The end-to-end tests' (and the benchmark's) own hands and eyes on the X display: the stand-in
// game (PeerProcess), the whole program (ProgramProcess), and a look at windows and the keymap
// that does not go through the backend under test. Xlib stays in Harness.cpp.

#include "gamelink/KeyString.h"
#include "gamelink/TypeLine.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/SettingsStore.h"
#include "ui/ControlTable.h"

#include <QFile>
#include <QMap>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace jk::e2e {

// A bounded wait for what another process does; a wait that runs out is no measurement: the
// check after it fails with what it saw.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The core keymap, one line per keycode, trailing NoSymbols left out.
std::string keymapDump();
// Writes the record of spare keys bound by a program that has gone, as any X client could:
// naming the letter a (keycode 38, and 38 past 256) and every key with its own first symbol.
void forgeSpareKeyRecord();
// The whole Xkb keymap as xkbcomp writes it (types, actions, groups too).
std::string xkbKeymap();
std::vector<int> pressedKeycodes();
bool capsLocked();
void setCapsLock(bool on);
void lockGroup(int group);
bool windowExists(std::uint64_t window);
bool isAbove(std::uint64_t window); // _NET_WM_STATE_ABOVE, once
// Viewable top-level client windows of a process (by _NET_WM_PID); the one whose title starts
// with (or, if exact, is) title; 0 if none.
std::vector<std::uint64_t> viewableWindowsOf(long long pid);
std::uint64_t viewableWindowOf(long long pid, const std::string& title, bool exact = false);
std::string textProperty(std::uint64_t window, const char* name); // "<none>" if missing
void closeWindow(std::uint64_t window);                           // as the frame's close button
void movePointer(std::uint64_t window, int x, int y);             // client-area pixels
void clickHere();
// Under with-weston.sh: clicks in the window's middle through weston's own seat until it has
// the focus (weston ignores X clients' requests to move it). False if it never came.
bool focusThroughCompositor(std::uint64_t window);
// Where a player clicks a control that the window's table places: its middle, or a check
// box's box at its left end; client-area pixels.
QPoint clickPoint(const controls::Window& table, const char* name, int index = -1);
// Pings the window's owner twice (_NET_WM_PING), the second after the first came back: once
// both have, it has handled everything sent to the window before (Qt hands the events a
// pass takes in to the widgets before it reads the next). False if it stopped answering.
bool roundTrip(std::uint64_t window);
// An Escape press put behind every event the window has queued: once it is recorded, all
// before it has been handled.
void queueEscape(std::uint64_t window);

// Whether some client holds a passive grab of Control+Alt+key (a keysym name, a digit or a
// capital letter), with Caps Lock off or on: a grab of it from here is refused then. Under Wine
// (programUnderWine()) a key is Wine's own and the X server never sees it: whether some program
// of the prefix holds it through RegisterHotKey.
bool keyGrabbed(const char* keysym);
// Presses or lets go of a key (a keysym name) through XTest, as the player's fingers do.
void fakeKey(const char* keysym, bool down);
// How soon and how often a held key repeats (ms).
void setRepeat(unsigned delay, unsigned interval);
// Another X client that holds Control+Alt+key grabbed while it lives; under Wine another
// Win32 program of the prefix that holds it registered.
class ForeignGrab {
public:
    explicit ForeignGrab(const char* keysym);
    ~ForeignGrab();
    ForeignGrab(const ForeignGrab&) = delete;
    ForeignGrab& operator=(const ForeignGrab&) = delete;
    bool held() const { return held_; }

private:
    void* display_ = nullptr;
    QProcess holder_;
    bool held_;
};

// Wine runs (jk_add_e2e_run ... WINE): JK_WINE=game puts the Win32 stand-in game under Wine,
// JK_WINE=all jeerkit.exe too. wineUnavailableReason(): empty when Wine can be used here.
inline bool gameUnderWine() {
    return !qEnvironmentVariable("JK_WINE").isEmpty();
}
inline bool programUnderWine() {
    return qEnvironmentVariable("JK_WINE") == "all";
}
std::string wineUnavailableReason();
QByteArray fileBytes(const QString& path); // empty if unreadable

// The test's own backend, for typing and activating as the player would.
platform::Platform& desktop();

// The stand-in game: jeerkit-peer, or client.exe under Wine (gameUnderWine()), which records
// "<Background>" before a key that arrives while it is not the foreground window.
class PeerProcess {
public:
    explicit PeerProcess(const std::string& windowClass = "Ultima Online",
                         const std::string& title = "Stand-in game",
                         const QStringList& options = {});
    ~PeerProcess() { process_.terminate(), process_.waitForFinished(10000); }
    bool started() const { return window_ != 0; }
    const std::string& error() const { return error_; }
    std::uint64_t window() const { return window_; } // under Wine its HWND
    std::uint64_t xWindow() const;                   // its X11 window, under Wine too
    std::string record() const { return fileBytes(dir_.filePath("record")).toStdString(); }
    std::size_t recordSize() const { return record().size(); }
    // The record from byte `from` on, once it ends with marker (or the wait runs out).
    std::string waitForText(std::size_t from, std::string_view marker,
                            std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
    void kill() { process_.kill(), process_.waitForFinished(10000); } // as a crashing game ends
    // The record from byte `from` on, once an Escape put behind every key sent to the game so
    // far has come through (cut off); under Wine the game is brought to the front for it.
    std::string settledText(std::size_t from);

private:
    QTemporaryDir dir_;
    QProcess process_;
    std::string error_;
    std::uint64_t window_ = 0;
};

// The whole program on a store of its own: jeerkit, or jeerkit.exe under Wine
// (programUnderWine()) with the store put into and read back from the registry.
class ProgramProcess {
public:
    explicit ProgramProcess(const QString& configHome = {}); // default: a fresh one
    // A failed test shows what the program logged.
    ~ProgramProcess() {
        process_.kill(), process_.waitForFinished(10000);
        if (QTest::currentTestFailed())
            std::fputs(qPrintable("jeerkit's log:\n" + errorOutput()), stderr);
    }
    QString configHome() const { return configHome_; }
    QString storePath() const { return configHome_ + QStringLiteral("/Jeerkit/Jeerkit.ini"); }
    SettingsStore& store(); // prepared before start()
    void setEnv(const QString& name, const QString& value) { env_.insert(name, value); }
    // Starts the program and waits for a viewable window whose title starts with title.
    bool start(const QString& title = QStringLiteral("Jeerkit 2.0"));
    std::uint64_t window() const { return window_; }
    std::uint64_t waitForWindow(const QString& title, bool exact = false);
    qint64 pid() const { return process_.processId(); }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    void clickClient(std::uint64_t window, int x, int y) { // an enter event before the press
        movePointer(window, x, y), roundTrip(window), clickHere();
    }
    // Key-string syntax, into whatever has the focus.
    void type(const QString& keys) { jk::typeAll(desktop(), ParseKeyString(keys)); }
    void activate(std::uint64_t window) { desktop().activate(window); }
    bool hasFocus(std::uint64_t window) { return desktop().hasFocus(window); }
    void signal(int signalNumber) { ::kill(pid_t(pid()), signalNumber); }
    int waitForExit(int timeoutMs = 60000) { // the exit code; -1 if it did not end or crashed
        const bool ended = !running() || process_.waitForFinished(timeoutMs);
        return ended && process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    int terminate() { return signal(SIGTERM), waitForExit(); }
    int close() { return closeWindow(window_), waitForExit(); } // as the player closes it
    QString errorOutput() { return QString::fromLocal8Bit(process_.readAllStandardError()); }
    // A stored value after the program ended.
    QString saved(const QString& section, const QString& key);

private:
    QTemporaryDir own_;
    QString configHome_;
    std::unique_ptr<SettingsStore> store_;
    QMap<QString, QMap<QString, QString>> registry_;
    QMap<QString, QString> env_; // set for the program on top of the cleaned environment
    QProcess process_;
    std::uint64_t window_ = 0;
};

} // namespace jk::e2e
