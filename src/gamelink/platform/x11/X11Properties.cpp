#include "gamelink/platform/x11/X11Properties.h"

namespace jk::platform::x11 {

std::vector<unsigned long> readLongs(Display* display, Window window, Atom property, Atom type) {
    if (property == None)
        return {};
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, 0x10000, False, type,
                                          &actualType, &format, &count, &remaining, &raw);
    XMemory<unsigned char> data(raw);
    if (status != Success || data == nullptr || actualType != type || format != 32)
        return {};
    // Xlib hands 32-bit items over as longs, whatever the size of long.
    const auto* items = reinterpret_cast<const unsigned long*>(data.get());
    return std::vector<unsigned long>(items, items + count);
}

bool hasProperty(Display* display, Window window, Atom property) {
    if (property == None)
        return false;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType,
                                          &actualType, &format, &count, &remaining, &raw);
    XMemory<unsigned char> data(raw);
    return status == Success && actualType != None;
}

std::optional<WindowClassNames> windowClassOf(Display* display, Window window) {
    ClassHint hint;
    if (XGetClassHint(display, window, hint.get()) == 0 || hint.windowClass() == nullptr)
        return std::nullopt;
    return WindowClassNames{hint.instance() != nullptr ? hint.instance() : "", hint.windowClass()};
}

std::optional<TreeLinks> queryTree(Display* display, Window window) {
    Window root = None;
    Window parent = None;
    Window* raw = nullptr;
    unsigned int count = 0;
    const Status ok = XQueryTree(display, window, &root, &parent, &raw, &count);
    XMemory<Window> children(raw);
    if (ok == 0)
        return std::nullopt;
    TreeLinks links{root, parent, {}};
    if (children != nullptr)
        links.children.assign(children.get(), children.get() + count);
    return links;
}

} // namespace jk::platform::x11
