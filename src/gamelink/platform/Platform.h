#pragma once

#include "gamelink/platform/KeyAction.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jk::platform {

// A top-level window of the desktop: an X11 Window id or a Win32 HWND. 0 means none.
using WindowId = std::uint64_t;

// What the game link and the windows need from the desktop. Plain C++ types only, so that
// backends build and test without Qt.
class Platform {
public:
    virtual ~Platform() = default;

    // Empty when the desktop can be reached; otherwise a sentence saying why not
    // (no X display, no XTest, ...).
    virtual std::string unavailableReason() = 0;

    // The first top-level window whose class is classes[0], else classes[1], ...; 0 if none.
    virtual WindowId findWindow(const std::vector<std::string>& classes) = 0;
    // Ask for the window to become the active one with the keyboard focus.
    virtual void activate(WindowId window) = 0;
    // Whether the window (or one of its children) holds the keyboard focus now.
    virtual bool hasFocus(WindowId window) = 0;
    // Type into the focused window; returns once the display has processed every key.
    // False when the display could not be used.
    virtual bool type(const std::vector<KeyAction>& keys) = 0;
    // Keep one of the program's own windows above all others, or not, without moving,
    // resizing or activating it.
    virtual void setTopMost(WindowId window, bool onTop) = 0;
    // Give one of the program's own windows an empty title bar. Qt names a window with no
    // title after the application; this undoes that. Call once the window exists.
    virtual void clearTitle(WindowId window) { (void)window; }
    // Called when the program has been idle for a while and on exit: undo any temporary
    // change to the keyboard (spare keys bound for characters off the layout).
    virtual void releaseKeyboard() = 0;
};

// The backend of the platform this program was built for.
std::unique_ptr<Platform> createPlatform();

} // namespace jk::platform
