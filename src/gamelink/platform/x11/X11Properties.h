#pragma once

// Reading window properties (lists of windows and atoms, WM_CLASS) without leaking what Xlib
// allocates. A window that has vanished reads as having no properties.

#include "gamelink/platform/x11/X11Resources.h"

#include <optional>
#include <string>
#include <vector>

namespace jk::platform::x11 {

// 32-bit items of a property of the given type (XA_WINDOW, XA_ATOM, ...); empty if missing.
std::vector<unsigned long> readLongs(Display* display, Window window, Atom property, Atom type);

bool hasProperty(Display* display, Window window, Atom property);

// WM_CLASS: the instance part (first string) and the class part (second); nothing if the
// window has none.
struct WindowClassNames {
    std::string instance;
    std::string windowClass;
};
std::optional<WindowClassNames> windowClassOf(Display* display, Window window);

// A window's place in the tree: its root, its parent (None for the root) and its children, bottom
// to top. Empty when the window is gone.
struct TreeLinks {
    Window root = None;
    Window parent = None;
    std::vector<Window> children;
};
std::optional<TreeLinks> queryTree(Display* display, Window window);

} // namespace jk::platform::x11
