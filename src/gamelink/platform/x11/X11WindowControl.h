#pragma once

// Activating windows and keeping them on top, through the window manager (EWMH) where it
// offers that, directly otherwise.

#include "gamelink/platform/x11/X11Connection.h"

namespace jk::platform::x11 {

// Whether an EWMH window manager runs: its check window exists and names itself.
bool windowManagerRuns(X11Connection& connection);

// Whether the running window manager lists the atom in _NET_SUPPORTED.
bool windowManagerSupports(X11Connection& connection, const char* atomName);

void activateWindow(X11Connection& connection, Window window);

// The keyboard focus is on the window, inside it, or on the frame the window manager put
// around it.
bool windowHasFocus(X11Connection& connection, Window window);

void setWindowAbove(X11Connection& connection, Window window, bool above);

// Both title properties (_NET_WM_NAME and WM_NAME) empty.
void clearWindowTitle(X11Connection& connection, Window window);

} // namespace jk::platform::x11
