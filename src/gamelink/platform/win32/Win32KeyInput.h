#pragma once

// The SendInput events that type a line on Windows. Pulls in <windows.h>: include it only from
// the win32 backend's .cpp files.

#include "gamelink/platform/KeyAction.h"

#include <windows.h>

#include <vector>

namespace jk::platform::win32 {

// Characters go as Unicode packets (KEYEVENTF_UNICODE), which need no layout; characters held
// with modifiers go as the virtual key that produces them on the active layout, so that
// Control+A reaches the game as a key combination; named keys as their virtual keys. Every
// modifier pressed is released by the end.
std::vector<INPUT> inputsFor(const std::vector<KeyAction>& keys);

} // namespace jk::platform::win32
