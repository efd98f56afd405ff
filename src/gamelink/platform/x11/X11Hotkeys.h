#pragma once

// Keys that work whatever window has the focus: passive grabs on the root window, on a
// connection of their own so that the events they bring never meet the typing's.

#include "gamelink/platform/Platform.h"
#include "gamelink/platform/x11/X11Connection.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace jk::platform::x11 {

class X11Hotkeys {
public:
    X11Hotkeys() = default;
    ~X11Hotkeys(); // lets go of every grab
    X11Hotkeys(const X11Hotkeys&) = delete;
    X11Hotkeys& operator=(const X11Hotkeys&) = delete;

    std::string unavailableReason();
    std::string grab(int id, const Hotkey& key);
    void release(int id);
    int eventSource() const;
    std::vector<int> pressed();
    unsigned stillDown(const Hotkey& key);

private:
    struct Grab {
        KeyCode keycode;
        unsigned modifiers; // X11 modifier mask
    };
    // What the modifier map says now: the lock modifiers a grab must ignore, the masks of
    // Alt and Super, and the keys of every modifier.
    struct Modifiers {
        unsigned numLock = 0, scrollLock = 0, alt = 0, super = 0;
        std::vector<KeyCode> keys[8];
    };
    Modifiers readModifiers();
    std::vector<unsigned> lockCombinations(const Modifiers& m) const;
    void ungrab(const Grab& g);
    bool ready();
    std::string take(int id, const Hotkey& key);
    unsigned heldNow(const Hotkey& key);
    void closeIfIdle();

    X11Connection connection_;
    unsigned generation_ = 0;
    std::map<int, Grab> grabs_;
    std::set<KeyCode> down_; // grabbed keys pressed and not yet released: repeats go unsent
};

// The keysym of a key as the toolkit numbers it (see Hotkey::key); NoSymbol if unknown.
KeySym keysymOfKey(std::uint32_t key);

} // namespace jk::platform::x11
