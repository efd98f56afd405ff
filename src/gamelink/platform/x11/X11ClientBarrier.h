#pragma once

// Waiting until the focused client has handled the keys sent to it so far. A client looks a
// keycode up when it handles the key, with the keymap of that moment, so a spare key may only
// be bound anew once the client has handled the keys typed with its old binding.

#include "gamelink/platform/x11/X11Connection.h"

#include <chrono>

namespace jk::platform::x11 {

// Pings the client that has the keyboard focus (_NET_WM_PING) and waits for its answer, which
// it gives after handling every event before the ping. Where the client does not answer pings,
// or not within the timeout, waits `fallback` instead. True if keymap change events of the
// connection went by meanwhile (they are consumed here).
bool waitForFocusedClient(X11Connection& connection, std::chrono::milliseconds timeout,
                          std::chrono::milliseconds fallback);

} // namespace jk::platform::x11
