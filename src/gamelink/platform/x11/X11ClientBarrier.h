#pragma once

// Waiting until the focused client has handled the keys sent to it so far. A client looks a
// keycode up when it handles the key, with the keymap of that moment, so a spare key may only
// be bound anew once the client has handled the keys typed with its old binding.

#include "gamelink/platform/Platform.h"
#include "gamelink/platform/x11/X11Connection.h"

#include <chrono>
#include <optional>

namespace jk::platform::x11 {

struct BarrierOutcome {
    bool keymapChanged = false; // keymap change events of the connection went by (consumed)
    bool stopped = false;       // the idle callback asked to stop
    bool answered = false;      // the client answered a ping
};

// The top-level client window holding the window that has the focus: the one with WM_STATE,
// or the child of the root without a window manager.
std::optional<Window> focusedClient(X11Connection& connection);
// The window manager's active window (_NET_ACTIVE_WINDOW) where it names one, else the focused
// client.
std::optional<Window> activeClient(X11Connection& connection);

// Pings the client that has the keyboard focus (_NET_WM_PING) and waits for its answer, which
// it gives after handling every event before the ping. Where the client does not answer pings,
// or not within the timeout, waits `fallback` instead. Calls idle (when set) every few
// milliseconds while waiting.
BarrierOutcome waitForFocusedClient(X11Connection& connection, std::chrono::milliseconds timeout,
                                    std::chrono::milliseconds fallback, const TypingIdle& idle);

// Waits until the focused client has not only handled the keys sent so far but also finished
// the round of event handling that held them. A client that reads its input once per frame
// (handles a frame's events, then looks at what they typed) answers a ping during that round:
// its answer alone proves too little. After it, pings go out until one stays unanswered for a
// few milliseconds, which only happens between rounds, for at most `frameCap`. A client that
// answers every ping at once for a while has no rounds to wait for. A client without
// pings gets twice that as a pause.
BarrierOutcome waitForClientRound(X11Connection& connection, std::chrono::milliseconds frameCap,
                                  const TypingIdle& idle);

} // namespace jk::platform::x11
