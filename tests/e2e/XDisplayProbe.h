#pragma once

// A test's own look at the X display, independent of the backend under test: the keymap, the
// keyboard state, the focus and window properties. Plain C++ interface (Xlib stays in the
// .cpp, its macros clash with Qt).

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

namespace jk::e2e {

class XDisplayProbe {
public:
    XDisplayProbe(); // opens $DISPLAY
    ~XDisplayProbe();
    XDisplayProbe(const XDisplayProbe&) = delete;
    XDisplayProbe& operator=(const XDisplayProbe&) = delete;

    bool ok() const { return display_ != nullptr; }

    // The core keymap, one line per keycode ("38: 0x61 0x41 ..."), as XGetKeyboardMapping
    // gives it.
    std::string keymapDump();
    // The whole Xkb keymap as xkbcomp writes it (types, actions, groups: more than the core
    // keymap shows); empty if xkbcomp cannot be run.
    std::string xkbKeymap();
    // Keycodes without any keysym.
    int emptyKeycodeCount();
    // Keys held down now.
    std::vector<int> pressedKeycodes();
    // Modifiers in effect now (Xkb effective state).
    unsigned modifierState();
    bool capsLocked();
    void setCapsLock(bool on);
    void lockGroup(int group);
    int currentGroup();

    std::uint64_t focusWindow();
    bool windowExists(std::uint64_t window);
    // The window manager has taken the window on (it carries WM_STATE).
    bool isManaged(std::uint64_t window);
    // Names of the atoms in the window's _NET_WM_STATE.
    std::vector<std::string> netWmState(std::uint64_t window);
    // A plain top-level window of that class, mapped or not.
    std::uint64_t createWindow(const std::string& windowClass, bool map);
    void mapWindow(std::uint64_t window);
    void destroyWindow(std::uint64_t window);

private:
    _XDisplay* display_;
};

} // namespace jk::e2e
