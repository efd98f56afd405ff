#pragma once

// The test's and the benchmark's own look at top-level windows, and a player's mouse.
// Plain C++ interface; Xlib stays in the .cpp.

#include <cstdint>
#include <string>
#include <vector>

namespace jk::e2e {

// A viewable top-level client window of the process (by _NET_WM_PID) whose title starts with
// titlePrefix (or, if exact, is titlePrefix); 0 if there is none (yet).
std::uint64_t viewableWindowOf(long long pid, const std::string& titlePrefix, bool exact = false);
// The program's viewable top-level client windows (by _NET_WM_PID).
std::vector<std::uint64_t> viewableWindowsOf(long long pid);
// A text property of a window as stored (_NET_WM_NAME, WM_NAME); "<none>" when it is missing.
std::string textProperty(std::uint64_t window, const char* name);
// Asks the window to close, as its close button in the window manager's frame does.
void closeWindow(std::uint64_t window);
// Moves the pointer to a point of the window's client area (pixels) and waits until the
// server has it.
void movePointer(std::uint64_t window, int x, int y);
// Puts an Escape key press into the window's queue, behind every event it already has, wherever
// the focus is: once the window has handled it, it has handled all before.
void queueEscape(std::uint64_t window);
// A left click where the pointer is.
void clickHere();

} // namespace jk::e2e
