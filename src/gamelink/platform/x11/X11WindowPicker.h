#pragma once

// Picking a window by a click, as xprop and xkill do: the pointer grabbed with a crosshair,
// Escape to cancel.

#include "gamelink/platform/Platform.h"
#include "gamelink/platform/x11/X11Connection.h"

namespace jk::platform::x11 {

PickResult pickClientWindow(X11Connection& connection, const TypingIdle& idle);

} // namespace jk::platform::x11
