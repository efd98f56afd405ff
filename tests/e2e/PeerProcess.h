#pragma once

// Runs the stand-in game client (jeerkit-peer) for a test and reads what it received.
//
//   jk::e2e::PeerProcess game;                    // class "Ultima Online"
//   QVERIFY2(game.started(), game.error().c_str());
//   const auto from = game.recordSize();
//   ... type into game.window() ...
//   const std::string got = game.waitForText(from, "<Escape>");   // up to and with the marker
//
//   jk::e2e::PeerProcess wineGame("Ultima Online", "Ultima Online", {}, jk::e2e::PeerKind::Wine);
//   // client.exe under wine64 in the run's prefix; X11 sees its WM_CLASS as "client.exe", and
//   // window() is its HWND. Records the same way, plus "<Background>" before any key that
//   // arrived while it was not the foreground window.
//
// Link jeerkit_e2e_support; it knows where the peer executables are. Needs DISPLAY (run the
// test under tests/e2e/with-x.sh; for Wine, a run registered with jk_add_e2e_run(... WINE)).
// Plain C++, no Qt.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace jk::e2e {

enum class PeerKind {
    X11,  // jeerkit-peer
    Wine, // client.exe under wine64
};

// Empty when the Wine stand-in can be run here; otherwise why not (for QSKIP).
std::string wineUnavailableReason();

class PeerProcess {
public:
    // Starts the peer with this class and title (and further options of the peer, such as
    // "--no-ping") and waits (up to 20 s, 60 s under Wine) until its window can be found and
    // takes keys.
    explicit PeerProcess(std::string windowClass = "Ultima Online",
                         std::string title = "Stand-in game",
                         const std::vector<std::string>& options = {},
                         PeerKind kind = PeerKind::X11);
    ~PeerProcess(); // ends the peer (SIGTERM) if it still runs
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool started() const { return window_ != 0; }
    // Why it did not start.
    const std::string& error() const { return error_; }
    // The peer's top-level window (an X11 window id; under Wine its HWND).
    std::uint64_t window() const { return window_; }
    pid_t pid() const { return pid_; }

    // Everything recorded so far.
    std::string record() const;
    std::size_t recordSize() const { return record().size(); }
    // Waits until the record, from byte `from` on, ends with `marker`, and returns that part
    // (marker included). Returns what there is when the wait times out.
    std::string waitForText(std::size_t from, std::string_view marker,
                            std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;

    // Ends the peer at once (SIGKILL), as a crashing game would end; its window goes with its
    // connection.
    void kill();
    // Asks the peer to end (SIGTERM) and waits for it.
    void stop();

private:
    void waitForExit();

    std::string directory_;
    std::string recordPath_;
    std::string error_;
    pid_t pid_ = -1;
    std::uint64_t window_ = 0;
};

// The peer executable (built with the tests).
std::string peerExecutable();

} // namespace jk::e2e
