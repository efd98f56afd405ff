#pragma once

// The SendInput events that type a line on Windows. Pulls in <windows.h>: include it only from
// the win32 backend's .cpp files.

#include "gamelink/platform/KeyAction.h"

#include <windows.h>

#include <vector>

namespace jk::platform::win32 {

// Characters on the layout go as the virtual key (and scan code) that produces them, with the
// modifiers it needs, so that the game sees real key-down events; all others as Unicode
// packets (KEYEVENTF_UNICODE), which need no layout. Named keys go as their virtual keys. Every
// modifier pressed is released by the end.
std::vector<INPUT> inputsFor(const std::vector<KeyAction>& keys, HKL layout);

} // namespace jk::platform::win32
