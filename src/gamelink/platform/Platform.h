#pragma once

#include "gamelink/platform/KeyAction.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace jk::platform {

// A top-level window of the desktop: an X11 Window id or a Win32 HWND. 0 means none.
using WindowId = std::uint64_t;

// How a line ended (see typeLine in gamelink/TypeLine.h).
struct TypingResult {
    enum class End : std::uint8_t {
        Whole,     // every key typed
        FocusLost, // the target lost the keyboard focus: stopped there
        Stopped,   // the idle callback asked to stop
        Failed,    // the display could not be used
    };
    End end = End::Whole;
    std::size_t keysTyped = 0; // key actions typed in full, waits not counted
    std::string problem;       // with Failed: what the player is told, where the backend knows
};

// Runs between slices of a line and while typing waits on the game, often enough for the
// program's windows to stay live; false stops the line.
using TypingIdle = std::function<bool()>;

// How a wait of a key session ended.
enum class WaitEnd : std::uint8_t {
    Done,    // what was waited for happened, or its bounded wait ran out
    Stopped, // the idle callback asked to stop
    Failed,  // the display could not be used
};

// One line on its way into one window, as a backend carries it out. The line's executor
// (gamelink/TypeLine) decides when to send, wait and look at the focus; the backend only does
// each step its platform's way.
class KeySession {
public:
    virtual ~KeySession() = default;

    // Sends keys [from, to) of the line given to beginLine, in order, and returns how many of
    // them went out. It may send fewer where the target must handle what it has so far before
    // the next key can go (settle, then send the rest). Nothing on failure.
    virtual std::optional<std::size_t> send(std::size_t from, std::size_t to) = 0;
    // Returns once every key sent so far is the target's, so that the focus reported next
    // follows them: taken by the display (X11) or by the target's thread (Windows); on X11 also,
    // every so many keys and before keys that need it, handled by the target. Bounded.
    virtual WaitEnd settle(const TypingIdle& idle) = 0;
    // Returns once the target has also ended the round of event handling that took those keys
    // in: a game that reads its chat line once per frame has then read the chat mode.
    virtual WaitEnd finishRound(const TypingIdle& idle) = 0;
    // Whether the target still holds the keyboard focus (always, without a target).
    virtual bool targetHasFocus() = 0;
    // The line is over, typed whole or not: lets go of every key still down and undoes what
    // was prepared for the rest. False if the display failed on the way.
    virtual bool end(bool whole) = 0;
    // After a failed step: a sentence for the player, or empty where the desktop just failed.
    virtual std::string problem() const { return {}; }
};

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

// A key the player gives to an action, working whatever window has the focus.
struct Hotkey {
    enum Bits : unsigned {
        WithShift = 1,
        WithControl = 2,
        WithAlt = 4,
        WithSuper = 8,
        KeyItself = 16
    };
    unsigned modifiers = 0; // WithShift | WithControl | WithAlt | WithSuper
    // The key as the toolkit numbers it (Qt::Key): a Latin-1 character in upper case, or a
    // named key from 0x01000000 on (F1 = 0x01000030).
    std::uint32_t key = 0;
    bool operator==(const Hotkey&) const = default;
};

// What the game link and the windows need from the desktop. Plain C++ types only, so that
// backends build and test without Qt.
class Platform {
public:
    virtual ~Platform() = default;

    // Empty when the desktop can be reached; otherwise a sentence saying why not
    // (no X display, no XTest, ...).
    virtual std::string unavailableReason() = 0;

    // A top-level window whose class is classes[0], else classes[1], ...; 0 if none. Of several
    // windows of one class, the topmost: the one the player used last. On X11 a name matches
    // either part of WM_CLASS.
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
    // Starts typing keys into target (0: whatever window has the focus). Nothing when the
    // desktop cannot be used.
    virtual std::unique_ptr<KeySession> beginLine(WindowId target,
                                                  const std::vector<KeyAction>& keys) = 0;
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

    // Empty when the desktop has keys that work whatever window has the focus; otherwise a
    // sentence saying why not.
    virtual std::string hotkeysUnavailableReason() {
        return "This desktop offers no keys that work in every window.";
    }
    // Takes the key for action id (replacing what id had). Empty on success; otherwise a
    // sentence saying why not: another program holds the key, say.
    virtual std::string grabHotkey(int id, const Hotkey& key) {
        (void)id, (void)key;
        return hotkeysUnavailableReason();
    }
    virtual void releaseHotkey(int id) { (void)id; }
    // A file descriptor that turns readable when a hotkey may have been pressed; -1 where the
    // caller looks at pressedHotkeys every few milliseconds instead.
    virtual int hotkeyEventSource() { return -1; }
    // The actions whose keys were pressed since the last call, in order. A key held down
    // counts once, however long it repeats.
    virtual std::vector<int> pressedHotkeys() { return {}; }
    // Which keys that matter to a line typed after the hotkey are down now: Shift, Control,
    // Alt and Super whoever holds them (With...), and KeyItself for the hotkey's own key.
    virtual unsigned keysStillDown(const Hotkey& key) {
        (void)key;
        return 0;
    }
};

// The backend of the platform this program was built for.
std::unique_ptr<Platform> createPlatform();

// Empty when the program's windows can be shown on this desktop; otherwise one sentence
// saying why not. Asked before the toolkit starts, which would only abort.
std::string windowSystemProblem();

} // namespace jk::platform
