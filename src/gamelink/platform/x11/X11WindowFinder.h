#pragma once

// Finding the game's top-level window by the class part of its WM_CLASS.

#include "gamelink/platform/x11/X11Connection.h"

#include <optional>
#include <string>
#include <vector>

namespace jk::platform::x11 {

enum class ClientSearch {
    Automatic, // the window manager's _NET_CLIENT_LIST where it keeps one, else the window tree
    TreeOnly,  // the window tree, as without such a window manager
};

// Window managers put each client into a frame of their own; the client is the window inside
// that carries WM_STATE (nothing if none does).
std::optional<Window> clientInside(Display* display, Window frame, Atom wmState);

// Whether the window belongs to this process (by _NET_WM_PID): never a game.
bool ownWindow(X11Connection& connection, Window window);

// The client windows of the display, in the order the search meets them.
std::vector<Window> clientWindows(X11Connection& connection, ClientSearch search);

// The first client window whose WM_CLASS has classes[0] as its class or instance part, else
// classes[1], ...; None if none. Names compare exactly, case and all.
Window findClientWindow(X11Connection& connection, const std::vector<std::string>& classes,
                        ClientSearch search);

} // namespace jk::platform::x11
