#pragma once

#include "gamelink/platform/KeyAction.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace jk::platform {

// A top-level window of the desktop: an X11 Window id or a Win32 HWND. 0 means none.
using WindowId = std::uint64_t;

// How a line given to Platform::typeInto ended.
struct TypingResult {
    enum class End : std::uint8_t {
        Whole,     // every key typed
        FocusLost, // the target lost the keyboard focus: stopped there
        Stopped,   // the idle callback asked to stop
        Failed,    // the display could not be used
    };
    End end = End::Whole;
    std::size_t keysTyped = 0; // key actions typed in full, waits not counted
};

// Runs between slices of a line and while typing waits on the game, often enough for the
// program's windows to stay live; false stops the line.
using TypingIdle = std::function<bool()>;

// How Platform::pickWindow ended.
struct PickResult {
    enum class End : std::uint8_t {
        Picked,      // `window` was clicked, and may be linked
        Refused,     // the click was on the desktop, a dock or panel, or one of our windows
        Cancelled,   // Escape
        Stopped,     // the idle callback asked to stop
        Unsupported, // this desktop cannot pick by a click
        Failed,      // the display could not be used, or another program holds the pointer
    };
    End end = End::Unsupported;
    WindowId window = 0;
    std::string windowClass; // as windowClass() gives it
    std::string title;
    std::string refusal; // Refused: what was clicked ("the desktop", ...)

    static PickResult ended(End end) {
        PickResult result;
        result.end = end;
        return result;
    }
};

// What the game link and the windows need from the desktop. Plain C++ types only, so that
// backends build and test without Qt.
class Platform {
public:
    virtual ~Platform() = default;

    // Empty when the desktop can be reached; otherwise a sentence saying why not
    // (no X display, no XTest, ...).
    virtual std::string unavailableReason() = 0;

    // The first top-level window whose class is classes[0], else classes[1], ...; 0 if none.
    // On X11 a name matches either part of WM_CLASS.
    virtual WindowId findWindow(const std::vector<std::string>& classes) = 0;
    // Ask for the window to become the active one with the keyboard focus.
    virtual void activate(WindowId window) = 0;
    // The top-level window that is active now (holds the keyboard focus); 0 if none.
    virtual WindowId activeWindow() = 0;
    // The name the player links a game window by: on X11 the class part of its WM_CLASS (the
    // instance part if that is empty), on Windows its window class. Empty if it has none.
    virtual std::string windowClass(WindowId window) = 0;
    // Whether the window (or one of its children) holds the keyboard focus now.
    virtual bool hasFocus(WindowId window) = 0;
    // Type into the focused window; returns once the display has processed every key.
    // False when the display could not be used.
    virtual bool type(const std::vector<KeyAction>& keys) = 0;
    // Types into the target while it holds the focus, in slices short enough that a focus
    // change or a stop request ends the line within milliseconds; any key still held is
    // released then. Honours NamedKey::GameReads waits. A backend that cannot slice types the
    // whole line at once, without its waits.
    virtual TypingResult typeInto(WindowId target, const std::vector<KeyAction>& keys,
                                  const TypingIdle& idle) {
        (void)idle;
        if (!hasFocus(target))
            return {TypingResult::End::FocusLost, 0};
        std::vector<KeyAction> plain;
        std::copy_if(keys.begin(), keys.end(), std::back_inserter(plain),
                     [](const KeyAction& k) { return k.key != NamedKey::GameReads; });
        if (!type(plain))
            return {TypingResult::End::Failed, 0};
        return {TypingResult::End::Whole, plain.size()};
    }
    // Keep one of the program's own windows above all others, or not, without moving,
    // resizing or activating it.
    virtual void setTopMost(WindowId window, bool onTop) = 0;
    // Give one of the program's own windows an empty title bar. Qt names a window with no
    // title after the application; this undoes that. Call once the window exists.
    virtual void clearTitle(WindowId window) { (void)window; }
    // Called when the program has been idle for a while and on exit: undo any temporary
    // change to the keyboard (spare keys bound for characters off the layout).
    virtual void releaseKeyboard() = 0;
    // Waits for the player to click a top-level window, with a crosshair pointer, and gives
    // what was clicked; Escape cancels. Calls idle while it waits, often enough for the
    // program's windows to stay live; false from idle ends the wait.
    virtual PickResult pickWindow(const TypingIdle& idle) {
        (void)idle;
        return {};
    }
};

// The backend of the platform this program was built for.
std::unique_ptr<Platform> createPlatform();

// Empty when the program's windows can be shown on this desktop; otherwise one sentence
// saying why not. Asked before the toolkit starts, which would only abort.
std::string windowSystemProblem();

} // namespace jk::platform
